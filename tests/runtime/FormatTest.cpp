#include <gtest/gtest.h>

#include "runtime/Format.h"

using namespace rt;

namespace {

OleDate at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *OleDate::fromCivil(y, mo, d, h, mi, s);
}

}  // namespace

TEST(FormatNumber, RoundsHalfAwayFromZero) {
    const struct {
        double value;
        const char* mask;
        const char* text;
    } cases[] = {
        {2.5, "0", "3"},
        {-2.5, "0", "-3"},
        {0.125, "0.00", "0.13"},
        {1.005, "0.00", "1.01"},
        {20.9f, "0.0", "20.9"},
        {20.95, "0.0", "21.0"},
        {5, "0.00", "5.00"},
        {0.5, "#.0", ".5"},
        {5, "#.##", "5."},
        {1234567.891, "#,##0.0", "1,234,567.9"},
        {7, "000", "007"},
        {0.256, "0%", "26%"},
        {-0.001, "0.00", "0.00"},
        {12.345, "#0.0#", "12.35"},
        {12.3, "#0.0#", "12.3"},
        {3, "\"x\"0", "x3"},
        {99.96, "0.0", "100.0"},
        {0, "#", ""},
        {0.0004, "0.000", "0.000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumber(c.value, QString::fromLatin1(c.mask)), QString::fromLatin1(c.text))
            << c.value << " " << c.mask;
}

TEST(FormatDate, CompactMasks) {
    const OleDate d = at(2026, 3, 7, 5, 4, 9);
    EXPECT_EQ(FormatDate(d, "ddhhnnss"), "07050409");
    EXPECT_EQ(FormatDate(d, "yymmdd"), "260307");
    EXPECT_EQ(FormatDate(d, "mm/yy"), "03/26");
    EXPECT_EQ(FormatDate(d, "yyyy/mm/dd hh:mm:ss"), "2026/03/07 05:04:09");
    EXPECT_EQ(FormatDate(d, "mm\"/\"dd\"/\"yyyy hh\":\"nn\":\"ss"), "03/07/2026 05:04:09");
    EXPECT_EQ(FormatDate(d, "h:n:s"), "5:4:9");
    EXPECT_EQ(FormatDate(at(2026, 3, 7, 15, 4, 9), "hh:nn AM/PM"), "03:04 PM");
}

TEST(FormatDate, GeneralDateLeavesOutDayZeroAndMidnight) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale jp(QLocale::Japanese, QLocale::Japan);
    EXPECT_EQ(GeneralDate(at(2026, 12, 10, 13, 51, 14), jp), "2026/12/10 13:51:14");
    EXPECT_EQ(GeneralDate(at(2026, 12, 10), jp), "2026/12/10");
    EXPECT_EQ(GeneralDate(OleDate(0.5), jp), "12:00:00");
    EXPECT_EQ(GeneralDate(OleDate(0.0), jp), "0:00:00");
    EXPECT_EQ(GeneralDate(at(2026, 12, 10, 13, 51, 14), us), "12/10/2026 1:51:14 PM");
    EXPECT_EQ(FormatDate(OleDate(-101), "General Date", jp), "1899/09/20");
}

TEST(FormatDate, MediumDateByLocale) {
    const OleDate d = *OleDate::fromCivil(2024, 5, 31, 13, 5, 9);
    EXPECT_EQ(FormatDate(d, "Medium Date", QLocale(QLocale::English, QLocale::UnitedStates)),
              "31-May-24");
    EXPECT_EQ(FormatDate(d, "medium date", QLocale(QLocale::Japanese, QLocale::Japan)), "24-05-31");
}
