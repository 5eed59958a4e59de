#pragma once

#include <cstdint>
#include <vector>

#include "records/ClsInterval.h"

namespace trendview {

// One row of the interval-trend table: a sample, or an event with the sample of its second
// (-1 when no sample has that second).
struct TrendRow {
    bool event = false;
    int32_t index = 0;
    int32_t sample = -1;
    friend bool operator==(const TrendRow&, const TrendRow&) = default;
};

// The rows of the interval-trend table, samples and events in time order, as the record's
// step-by-step search (SerchValue) would give them: starting a calendar month before the first
// sample or event, each step takes the earliest item strictly after the last one taken (an
// event before a sample of the same second), so items that share a date show once; it ends
// at an item dated after 2199-01-01 (which is still a row) or before 1998-01-01. Sample rows
// are left out (but still walked over) with `eventOnly`. One sorted pass: n log n.
std::vector<TrendRow> MergeTrendRows(const records::clsInterval& record, bool eventOnly);

}  // namespace trendview
