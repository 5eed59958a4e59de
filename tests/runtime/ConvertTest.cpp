#include <gtest/gtest.h>

#include <limits>

#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"

using namespace rt;

namespace {

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST(Convert, CIntRoundsHalfToEven) {
    const std::pair<double, int> cases[] = {{0.5, 0},    {1.5, 2},   {2.5, 2},        {3.5, 4},
                                            {-0.5, 0},   {-1.5, -2}, {-2.5, -2},      {2.4999, 2},
                                            {2.5001, 3}, {-2.6, -3}, {32767.4, 32767}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CInt(in), out) << in;
}

TEST(Convert, OverflowOutsideSixteenAndThirtyTwoBits) {
    EXPECT_EQ(errorOf([] { CInt(32767.5); }), ErrOverflow);  // rounds to 32768
    EXPECT_EQ(errorOf([] { CInt(-32768.5); }), 0);           // rounds to -32768
    EXPECT_EQ(errorOf([] { CInt(-32769.0); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CLng(2147483647.5); }), ErrOverflow);
    EXPECT_EQ(errorOf([] { CLng(-2147483648.0); }), 0);
    EXPECT_EQ(errorOf([] { CLng(std::numeric_limits<double>::quiet_NaN()); }), ErrOverflow);
    EXPECT_EQ(CLng(2147483646.5), 2147483646);
}

TEST(Convert, TextConversionsUseTheNumericGrammar) {
    EXPECT_EQ(CInt(QStringLiteral(" 12.5 ")), 12);
    EXPECT_EQ(CLng(QStringLiteral("&HFFFF")), -1);
    EXPECT_EQ(errorOf([] { CInt(QStringLiteral("abc")); }), ErrTypeMismatch);
    EXPECT_EQ(errorOf([] { CLng(QString()); }), ErrTypeMismatch);
    EXPECT_EQ(errorOf([] { CInt(QStringLiteral("40000")); }), ErrOverflow);
}

TEST(Convert, SingleTextHasSevenSignificantDigits) {
    const std::pair<float, const char*> cases[] = {
        {20.9f, "20.9"},         {0.1f, "0.1"},
        {-3.25f, "-3.25"},       {0.0f, "0"},
        {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"},
        {0.0001f, "0.0001"},     {0.00001f, "1E-05"},
        {100.0f, "100"},         {1.0f / 3.0f, "0.3333333"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(SingleToText(in), QString::fromLatin1(out));
    EXPECT_EQ(SingleToText(20.9f, QLatin1Char(',')), "20,9");
}

TEST(Convert, DoubleTextHasFifteenSignificantDigits) {
    EXPECT_EQ(DoubleToText(0.1 + 0.2), "0.3");
    EXPECT_EQ(DoubleToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(DoubleToText(1e15), "1E+15");
    EXPECT_EQ(DoubleToText(-2.5), "-2.5");
}

TEST(Convert, SingleStoredAsTheDoubleOfItsText) {
    EXPECT_EQ(SingleToDouble(20.9f), 20.9);
    EXPECT_NE(static_cast<double>(20.9f), 20.9);
}

TEST(Convert, FixAndInt) {
    EXPECT_EQ(Fix(-2.7), -2.0);
    EXPECT_EQ(Int(-2.7), -3.0);
    EXPECT_EQ(Fix(2.7), 2.0);
}

TEST(Convert, CSngOverflow) {
    EXPECT_EQ(errorOf([] { CSng(1e300); }), ErrOverflow);
    EXPECT_FLOAT_EQ(CSng(1.5), 1.5f);
}

TEST(Color, RgbLongIsBlueGreenRed) {
    EXPECT_EQ(RGB(255, 0, 0), 0x0000FF);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412);
    EXPECT_EQ(ColorFromRgbLong(0x00FF8000), QColor(0, 0x80, 0xFF));
    EXPECT_EQ(RgbLongFromColor(QColor(1, 2, 3)), 0x030201);
    EXPECT_EQ(ColorFromRgbLong(RgbLongFromColor(QColor(200, 100, 50))), QColor(200, 100, 50));
}
