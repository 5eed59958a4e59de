#include <gtest/gtest.h>

#include <random>

#include "runtime/Format.h"
#include "trendview/TrendRows.h"

using records::clsInterval;
using trendview::MergeTrendRows;
using trendview::TrendRow;

namespace {

QString secondText(rt::OleDate d) {
    return rt::FormatDate(d, QStringLiteral("yyyy/mm/dd hh:nn:ss"));
}

// The table's rows as the record's step-by-step search gives them, one search per row: the
// walk the merge must reproduce.
std::vector<TrendRow> literalWalk(const clsInterval& r, bool eventOnly) {
    const rt::OleDate low = rt::OleDate::DateSerial(1998, 1, 1);
    const rt::OleDate high = rt::OleDate::DateSerial(2199, 1, 1);
    std::vector<TrendRow> rows;
    rt::OleDate start;
    if (r.DateTimes(0) > low) {
        start = r.DateTimes(0);
        if (r.EventDateTimes(0) > low && r.EventDateTimes(0) < start) start = r.EventDateTimes(0);
    } else if (r.EventDateTimes(0) > low) {
        start = r.EventDateTimes(0);
    } else {
        return rows;
    }
    rt::OleDate cursor = start.addMonths(-1);
    do {
        const int32_t next = r.SerchValue(cursor);
        if (next == 0) break;
        if (next > 0) {
            cursor = r.DateTimes(next - 1);
            if (!eventOnly) rows.push_back({false, next - 1, -1});
        } else {
            const int32_t j = -next - 1;
            int32_t m = r.SerchDatas(cursor, 0);
            if (m >= 0 && secondText(r.DateTimes(m)) != secondText(r.EventDateTimes(j))) m = -1;
            cursor = r.EventDateTimes(j);
            rows.push_back({true, j, m});
        }
    } while (cursor >= low && cursor <= high);
    return rows;
}

rt::OleDate at(int year, int month, int day, int h, int m, int s, double fraction = 0) {
    return rt::OleDate(rt::OleDate::fromCivil(year, month, day, h, m, s)->value() +
                       fraction / 86400.0);
}

void fill(clsInterval& r, const std::vector<rt::OleDate>& samples,
          const std::vector<rt::OleDate>& events) {
    r.setDataCount(static_cast<int32_t>(samples.size()));
    for (size_t i = 0; i < samples.size(); ++i)
        r.setDateTimes(static_cast<int32_t>(i), samples[i]);
    r.setEventCount(static_cast<int32_t>(events.size()));
    for (size_t j = 0; j < events.size(); ++j)
        r.setEventDateTimes(static_cast<int32_t>(j), events[j]);
}

}  // namespace

TEST(TrendRows, AnEventTakesTheSampleOfItsSecond) {
    clsInterval r;
    fill(r, {at(2024, 5, 31, 10, 0, 0), at(2024, 5, 31, 10, 1, 0), at(2024, 5, 31, 10, 2, 0)},
         {at(2024, 5, 31, 10, 1, 0), at(2024, 5, 31, 10, 3, 30)});
    const std::vector<TrendRow> expected = {
        {false, 0, -1}, {true, 0, 1}, {false, 2, -1}, {true, 1, -1}};
    EXPECT_EQ(MergeTrendRows(r, false), expected);
    EXPECT_EQ(MergeTrendRows(r, true), (std::vector<TrendRow>{{true, 0, 1}, {true, 1, -1}}));
    EXPECT_EQ(literalWalk(r, false), expected);
}

TEST(TrendRows, NoValidFirstDateGivesNoRows) {
    clsInterval r;
    fill(r, {at(1997, 5, 1, 0, 0, 0), at(2024, 5, 1, 0, 0, 0)}, {});
    EXPECT_TRUE(MergeTrendRows(r, false).empty());
    clsInterval empty;
    EXPECT_TRUE(MergeTrendRows(empty, false).empty());
}

TEST(TrendRows, TheMergeEqualsTheLiteralWalkOnRandomTrends) {
    std::mt19937 random(20261210);
    size_t rows = 0, eventRowsWithSample = 0;
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int trial = 0; trial < 600; ++trial) {
        // A few base moments, so that dates repeat; some sub-second, some before 1998 or
        // after 2199, in no order.
        const auto date = [&]() {
            const int kind = pick(20);
            if (kind == 0) return at(1997, 12, 1 + pick(28), pick(24), pick(60), pick(60));
            if (kind == 1) return at(2199, 1, 1 + pick(3), pick(24), 0, 0);
            const double fraction = pick(4) == 0 ? pick(10) / 10.0 : 0;
            return at(2024, 5, 31 - pick(2), 10, pick(4), pick(3) * 20, fraction);
        };
        std::vector<rt::OleDate> samples(static_cast<size_t>(pick(40)));
        std::vector<rt::OleDate> events(static_cast<size_t>(pick(12)));
        for (auto& d : samples)
            d = date();
        for (auto& d : events)
            d = date();
        clsInterval r;
        fill(r, samples, events);
        for (const bool eventOnly : {false, true}) {
            const std::vector<TrendRow> walk = literalWalk(r, eventOnly);
            ASSERT_EQ(MergeTrendRows(r, eventOnly), walk)
                << "trial " << trial << (eventOnly ? " (events only)" : "");
            rows += walk.size();
            for (const TrendRow& row : walk)
                eventRowsWithSample += row.event && row.sample >= 0;
        }
    }
    // The fixtures exercise the walk: many rows, events that found their sample.
    EXPECT_GT(rows, 5000u);
    EXPECT_GT(eventRowsWithSample, 200u);
}
