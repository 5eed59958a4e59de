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
    EXPECT_EQ(OleDate(c.value).toDateTime().toString(Qt::ISODate), c.civil.toString(Qt::ISODate));
    EXPECT_DOUBLE_EQ(OleDate::fromDateTime(c.civil).value(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, OleDateCases,
    ::testing::Values(DateCase{0.0, QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)},
                      DateCase{1.5, QDateTime(QDate(1899, 12, 31), QTime(12, 0), Qt::UTC)},
                      // Negative dates keep a positive time fraction.
                      DateCase{-1.25, QDateTime(QDate(1899, 12, 29), QTime(6, 0), Qt::UTC)},
                      DateCase{-101.0, QDateTime(QDate(1899, 9, 20), QTime(0, 0), Qt::UTC)},
                      DateCase{46000.75, QDateTime(QDate(2025, 12, 9), QTime(18, 0), Qt::UTC)}));

TEST(OleDate, SameCivilTimeGivesSameBits) {
    const auto a = OleDate::fromCivil(2026, 12, 10, 13, 51, 14);
    const auto b =
        OleDate::fromDateTime(QDateTime(QDate(2026, 12, 10), QTime(13, 51, 14, 999), Qt::UTC));
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
    EXPECT_EQ(OleDate(-0.5).toDateTime().toString(Qt::ISODate),
              QDateTime(QDate(1899, 12, 30), QTime(12, 0), Qt::UTC).toString(Qt::ISODate));
}

TEST(OleDate, TimeRoundingUpToMidnightMovesToNextDay) {
    const OleDate almost(1.0 - 1e-9);
    EXPECT_EQ(almost.toDateTime().toString(Qt::ISODate),
              QDateTime(QDate(1899, 12, 31), QTime(0, 0), Qt::UTC).toString(Qt::ISODate));
}

}  // namespace

TEST(OleDate, DateSerialRollsOver) {
    EXPECT_EQ(OleDate::DateSerial(2005, 12, 31).date(), QDate(2005, 12, 31));
    EXPECT_EQ(OleDate::DateSerial(2005, 13, 1).date(), QDate(2006, 1, 1));
    EXPECT_EQ(OleDate::DateSerial(2024, 3, 0).date(), QDate(2024, 2, 29));
    EXPECT_EQ(OleDate::DateSerial(2024, 0, 15).date(), QDate(2023, 12, 15));
    EXPECT_EQ(OleDate::DateSerial(2024, 1, 1).time(), QTime(0, 0));
}

TEST(OleDate, AddSeconds) {
    const OleDate d = *OleDate::fromCivil(2024, 5, 31, 23, 59, 0);
    EXPECT_EQ(d.addSeconds(90).toDateTime().toString(Qt::ISODate),
              QDateTime(QDate(2024, 6, 1), QTime(0, 0, 30), Qt::UTC).toString(Qt::ISODate));
    EXPECT_EQ(OleDate(-101).addSeconds(3600).toDateTime().toString(Qt::ISODate),
              QDateTime(QDate(1899, 9, 20), QTime(1, 0), Qt::UTC).toString(Qt::ISODate));
}

TEST(OleDate, AddSecondsGivesTheBitsOfTheCalendarsOwnSum) {
    // Whatever the date (before and after day 0, times that round, the far calendar) and
    // however many seconds, forwards and back: the same value as the calendar's arithmetic.
    const double dates[] = {0.0,
                            0.5,
                            -0.5,
                            -1.25,
                            1.0 / 3.0,
                            45443.5479166,
                            45443.99999,
                            -101.0,
                            -657434.0,
                            2958465.99999,
                            73051.0 + 86399.4 / 86400,
                            36526.000005787,
                            5.0e6,
                            -5.0e6};
    const qint64 steps[] = {0,
                            1,
                            -1,
                            59,
                            86399,
                            86400,
                            -86401,
                            54001LL * 9999,
                            -54001LL * 60,
                            3600 * 24 * 365 * 30LL,
                            -7777777};
    for (const double value : dates)
        for (const qint64 step : steps) {
            const OleDate d(value);
            EXPECT_EQ(d.addSeconds(step).value(),
                      OleDate::fromDateTime(d.toDateTime().addSecs(step)).value())
                << value << " + " << step;
        }
}

TEST(OleDate, AddMonthsKeepsTheDayOrTakesTheMonthsLast) {
    const struct {
        int y, m, d, months;
        int ey, em, ed;
    } cases[] = {{2024, 3, 31, -1, 2024, 2, 29},
                 {2023, 3, 31, -1, 2023, 2, 28},
                 {2024, 1, 15, -1, 2023, 12, 15},
                 {2024, 5, 31, 1, 2024, 6, 30},
                 {1998, 1, 1, -1, 1997, 12, 1}};
    for (const auto& c : cases) {
        const OleDate from = *OleDate::fromCivil(c.y, c.m, c.d, 13, 45, 10);
        const OleDate moved = from.addMonths(c.months);
        EXPECT_EQ(moved.date(), QDate(c.ey, c.em, c.ed)) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(moved.time(), QTime(13, 45, 10));
    }
}
