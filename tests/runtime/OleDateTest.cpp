#include <gtest/gtest.h>

#include "runtime/OleDate.h"

using rt::OleDate;

namespace {

struct DateCase {
    double value;
    QDateTime civil;
};

void PrintTo(const DateCase& c, std::ostream* os) {
    *os << c.value;
}

class OleDateCases : public ::testing::TestWithParam<DateCase> {};

TEST_P(OleDateCases, ValueAndCivilTimeAgree) {
    const DateCase& c = GetParam();
    EXPECT_EQ(OleDate(c.value).toDateTime(), c.civil);
    EXPECT_DOUBLE_EQ(OleDate::fromDateTime(c.civil).value(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OleDateCases,
    ::testing::Values(DateCase{0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0))},
                      DateCase{1.5, QDateTime(QDate(1899, 12, 31), QTime(12, 0))},
                      // Negative dates keep a positive time fraction.
                      DateCase{-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0))},
                      DateCase{-101.0, QDateTime(QDate(1899, 9, 20), QTime(0, 0))},
                      DateCase{46000.75, QDateTime(QDate(2025, 12, 9), QTime(18, 0))}));

TEST(OleDate, SameCivilTimeGivesSameBits) {
    const auto a = OleDate::fromCivil(2026, 12, 10, 13, 51, 14);
    const auto b = OleDate::fromDateTime(QDateTime(QDate(2026, 12, 10), QTime(13, 51, 14, 999)));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->value(), b.value());
    EXPECT_EQ(a->second(), 14);
}

TEST(OleDate, FromCivilRefusesImpossibleParts) {
    EXPECT_FALSE(OleDate::fromCivil(2026, 2, 30).has_value());
    EXPECT_FALSE(OleDate::fromCivil(2026, 13, 1).has_value());
    EXPECT_FALSE(OleDate::fromCivil(2026, 1, 1, 24, 0, 0).has_value());
    EXPECT_TRUE(OleDate::fromCivil(2024, 2, 29).has_value());
}

TEST(OleDate, NegativeFractionOfDayZeroIsATimeOfDayZero) {
    EXPECT_EQ(OleDate(-0.5).toDateTime(), QDateTime(QDate(1899, 12, 30), QTime(12, 0)));
}

TEST(OleDate, TimeRoundingUpToMidnightMovesToNextDay) {
    const OleDate almost(1.0 - 1e-9);
    EXPECT_EQ(almost.toDateTime(), QDateTime(QDate(1899, 12, 31), QTime(0, 0)));
}

}  // namespace
