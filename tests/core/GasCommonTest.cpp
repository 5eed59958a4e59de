#include <gtest/gtest.h>

#include "core/ClsInstrument.h"
#include "core/GasCommon.h"
#include "runtime/RuntimeError.h"

using namespace core;

TEST(GasCommon, ReadingCodes) {
    EXPECT_TRUE(IsReadingCode(-101));
    EXPECT_TRUE(IsReadingCode(-120));
    EXPECT_FALSE(IsReadingCode(-100));
    EXPECT_FALSE(IsReadingCode(-121));
    EXPECT_FALSE(IsReadingCode(-101.5f));
    EXPECT_FALSE(IsReadingCode(-5));
}

TEST(GasCommon, ValueAndEventTexts) {
    const struct {
        float value;
        int16_t decimals;
        const char* text;
    } values[] = {
        {-118, 1, "?????"}, {12.34f, 0, "12"},       {12.34f, 5, "12"},   {-5, 1, "-5.0"},
        {-116, 2, "MIN"},   {-101, 0, "-----"},      {20.95f, 1, "21.0"}, {0.125f, 2, "0.13"},
        {1.5f, 3, "1.500"}, {-120, 0, "FAIL(Time)"}, {-102, 0, "NORMAL"}, {-114, 0, "CLG"},
    };
    for (const auto& c : values)
        EXPECT_EQ(ValueText(c.value, c.decimals), QString::fromLatin1(c.text)) << c.value;

    const std::pair<int, const char*> events[] = {{-116, ""},     {-101, ""}, {-102, "NORMAL"},
                                                  {-117, "MODE"}, {-118, ""}, {-113, "FAIL(Cir.)"},
                                                  {-100, ""},     {0, ""},    {-121, ""}};
    for (const auto& [code, text] : events)
        EXPECT_EQ(EventCodeText(code), text) << code;
}

TEST(GasCommon, Parsing) {
    EXPECT_EQ(ParseValueOrStatus("  warn"), -103.0f);
    EXPECT_EQ(ParseValueOrStatus(""), -101.0f);
    EXPECT_EQ(ParseValueOrStatus("20.9"), 20.9f);
    EXPECT_EQ(ParseValueOrStatus("Over"), -107.0f);
    EXPECT_EQ(ParseValueOrStatus("fail"), -110.0f);
    EXPECT_EQ(ParseValueOrStatus("xyz"), -101.0f);
    EXPECT_EQ(ParseRawValueOrStatus("209", 1), 20.9f);
    EXPECT_EQ(ParseRawValueOrStatus("Over", 1), -107.0f);
    EXPECT_EQ(ParseRawValueOrStatus("2.5", 0), 2.0f);       // halves to even
    EXPECT_EQ(ParseRawValueOrStatus("209", 101), -101.0f);  // a channel not fitted
    // Garbled numbers out of range are no value, never an error.
    EXPECT_EQ(ParseValueOrStatus("1e40"), -101.0f);
    EXPECT_EQ(ParseRawValueOrStatus("99999999999", 0), -101.0f);
    EXPECT_EQ(ParseRawValueOrStatus("1e40", 1), -101.0f);
    EXPECT_EQ(ParseRawValueOrStatus("-2147483648", 0), -2147483648.0f);

    EXPECT_EQ(StatusNumberToCode("12"), -117);
    EXPECT_EQ(StatusNumberToCode("13"), -120);
    EXPECT_EQ(StatusNumberToCode("14"), -101);
    EXPECT_EQ(StatusNumberToCode("0"), -102);
    EXPECT_EQ(StatusNumberToCode("11"), -113);
    EXPECT_EQ(StatusNumberToCode("x"), 0);
    EXPECT_THROW(StatusNumberToCode("40000"), rt::RuntimeError);

    EXPECT_EQ(DecimalsOf("0.25"), 2);
    EXPECT_EQ(DecimalsOf("12"), 0);
    EXPECT_EQ(DecimalsOf("12."), 0);
    EXPECT_EQ(DecimalsOf("1.2.3"), 3);
}

TEST(GasCommon, Scaling) {
    EXPECT_EQ(ScaleRawValue(-110, 3), -110.0f);
    EXPECT_EQ(ScaleRawValue(250, 2), 2.5f);
    EXPECT_EQ(ScaleRawValue(209, 1), 20.9f);
    EXPECT_EQ(ScaleRawValue(209, 101), -101.0f);
    EXPECT_EQ(ScaleRawValue(209, -1), -101.0f);

    EXPECT_EQ(OverIfOutOfRange("FAIL", 25), "FAIL");

    EXPECT_EQ(RawCountText(12.3f, 1), "  123");
    EXPECT_EQ(RawCountText(123456, 0), "23456");
    EXPECT_EQ(RawCountText(-1, 0), "00000");
    EXPECT_EQ(ValueTextOrZeros(-0.5f, 1), "00000");
    EXPECT_EQ(ValueTextOrZeros(2.25f, 2), "2.25");

    EXPECT_EQ(QuantizeToStep(7.3f, 0.5f), 7.5f);
    EXPECT_EQ(QuantizeToStep(1.25f, 0.5f), 1.0f);  // 2.5 steps round to 2
    EXPECT_EQ(QuantizeToStep(-3, 0.5f), 0.0f);
    EXPECT_THROW(QuantizeToStep(1, 0), rt::RuntimeError);
    EXPECT_THROW(QuantizeToStep(40000, 1), rt::RuntimeError);
}

TEST(GasCommon, ReadingsAtTheFullScaleAreNotOver) {
    // Readings at, just below and just above the full scale, and below zero.
    const struct {
        const char* text;
        float fullScale;
        bool over;
    } cases[] = {{"20.9", 20.9f, false}, {"20.89", 20.9f, false}, {"20.91", 20.9f, true},
                 {"0.3", 0.3f, false},   {"0.29", 0.3f, false},   {"0.31", 0.3f, true},
                 {"100", 100, false},    {"99.9", 100, false},    {"100.1", 100, true},
                 {"25", 25, false},      {"25.1", 25, true},      {"-0.1", 25, true},
                 {"0", 25, false},       {"1E+300", 25, true}};
    for (const auto& c : cases)
        EXPECT_EQ(OverIfOutOfRange(c.text, c.fullScale), QString(c.over ? "OVER" : c.text))
            << c.text << " against " << c.fullScale;
}

// A full scale that cannot be read (stored damaged, it reads as no value) bounds nothing: the
// readings show as they are, and the caption shows no scale.
TEST(GasCommon, WithoutAFullScaleReadingsShowAsRead) {
    for (const float none : {-101.0f, -110.0f}) {
        EXPECT_EQ(OverIfOutOfRange("12.5", none), "12.5");
        EXPECT_EQ(OverIfOutOfRange("-0.5", none), "-0.5");
        EXPECT_EQ(OverIfOutOfRange("1E+30", none), "1E+30");
        EXPECT_EQ(GasCaptionFrom("CO", "ppm", none, 1), "CO(ppm)");
    }
    EXPECT_EQ(GasCaptionFrom("CO", "ppm", 100, 1), "CO(100.0ppm)");
}

TEST(GasCommon, MasksAndIndexes) {
    EXPECT_EQ(DecimalMask(0), "#0");
    EXPECT_EQ(DecimalMask(1), "#0.0");
    EXPECT_EQ(DecimalMask(9), "#0.000000000");
    EXPECT_EQ(DecimalMask(10), "");
    EXPECT_EQ(DecimalMask(-1), "");
    const std::pair<int16_t, int16_t> intervals[] = {{10, 0},  {20, 1},  {30, 2},  {60, 3},
                                                     {180, 4}, {300, 5}, {600, 6}, {45, 5}};
    for (const auto& [s, i] : intervals)
        EXPECT_EQ(IntervalToIndex(s), i) << s;
    const std::pair<int16_t, int16_t> intermittences[] = {{30, 0},  {60, 1},  {120, 2}, {180, 3},
                                                          {240, 4}, {300, 5}, {10, 5}};
    for (const auto& [s, i] : intermittences)
        EXPECT_EQ(IntermittenceToIndex(s), i) << s;
}

namespace {

class FakeRecord : public GasListSource {
  public:
    rt::Variant GasListInfo(int gas, int types) const override {
        if (gas != 1) return types == 0 ? rt::Variant(QStringLiteral("  ")) : rt::Variant();
        switch (types) {
            case 0:
                return QStringLiteral("CO");
            case 1:
                return 500.0f;
            case 3:
                return int16_t(0);
            case 14:
                return QStringLiteral("ppm");
            default:
                return rt::Variant::null();
        }
    }
};

}  // namespace

TEST(GasCommon, Captions) {
    clsInstrument inst;
    inst.setGasName(0, "O2");
    inst.setGasUnit(0, "%");
    inst.setGasFullScale(0, 25);
    inst.setGasPoint(0, 1);
    inst.setGasName(4, "TMP");
    inst.setGasUnit(4, "C");
    inst.setGasFullScale(4, 50);
    EXPECT_EQ(GasCaption(&inst, 0, true), "O2(25.0%)");
    EXPECT_EQ(GasCaption(&inst, 0, false), "O2(%)");
    EXPECT_EQ(GasCaption(&inst, 4, true), "TMP(C)");  // the fifth gas shows no full scale
    EXPECT_EQ(GasCaption(&inst, 1, true), "----(---)");
    EXPECT_EQ(GasCaption(static_cast<const clsInstrument*>(nullptr), 0, true), "----(---)");

    FakeRecord record;
    EXPECT_EQ(GasCaption(&record, 1, true), "CO(500ppm)");
    EXPECT_EQ(GasCaption(&record, 0, true), "----(---)");

    EXPECT_EQ(GasCaptionFrom("O2", "%", 25, 1), "O2(25.0%)");
    EXPECT_EQ(GasCaptionFrom("CH4", "%LEL", -1, 0), "CH4(%LEL)");
    EXPECT_EQ(GasCaptionFrom("  ", "%", 25, 1), "----(---)");
    EXPECT_EQ(GasCaptionFrom("H2S", "ppm", 30.5f, 12), "H2S(30.5ppm)");  // shortest form
}
