#include "trendview/TrendRows.h"

#include <algorithm>
#include <numeric>

namespace trendview {

namespace {

// The rows of one list by date, the lower index first among equal dates (the record's search
// takes the first of them).
template <class DateOf>
std::vector<int32_t> byDate(int32_t count, DateOf dateOf) {
    std::vector<int32_t> order(static_cast<size_t>(std::max(count, 0)));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int32_t a, int32_t b) { return dateOf(a) < dateOf(b); });
    return order;
}

// The date as the record compares it to the second ("yyyy/MM/dd HH:mm:ss" written out).
qint64 secondOf(rt::OleDate date) {
    return date.toDateTime().toSecsSinceEpoch();
}

}  // namespace

std::vector<TrendRow> MergeTrendRows(const records::clsInterval& record, bool eventOnly) {
    const rt::OleDate low = rt::OleDate::DateSerial(1998, 1, 1);
    const rt::OleDate high = rt::OleDate::DateSerial(2199, 1, 1);
    std::vector<TrendRow> rows;

    const rt::OleDate firstSample = record.DateTimes(0), firstEvent = record.EventDateTimes(0);
    rt::OleDate start;
    if (firstSample > low) {
        start = firstSample;
        if (firstEvent > low && firstEvent < start) start = firstEvent;
    } else if (firstEvent > low) {
        start = firstEvent;
    } else {
        return rows;
    }

    const auto sampleDate = [&record](int32_t i) { return record.DateTimes(i); };
    const auto eventDate = [&record](int32_t j) { return record.EventDateTimes(j); };
    const std::vector<int32_t> samples = byDate(record.DataCount(), sampleDate);
    const std::vector<int32_t> events = byDate(record.EventCount(), eventDate);
    size_t ps = 0, pe = 0;  // the first of each list not yet passed

    rt::OleDate cursor = start.addMonths(-1);
    for (;;) {
        if (!(cursor > low && cursor < high)) break;
        // The earliest sample and event strictly after the cursor.
        while (ps < samples.size() && !(sampleDate(samples[ps]) > cursor))
            ++ps;
        while (pe < events.size() && !(eventDate(events[pe]) > cursor))
            ++pe;
        const bool sample = ps < samples.size(), event = pe < events.size();
        if (!sample && !event) break;
        const bool takeEvent = event && (!sample || secondOf(sampleDate(samples[ps])) >=
                                                        secondOf(eventDate(events[pe])));
        if (!takeEvent) {
            const int32_t i = samples[ps];
            cursor = sampleDate(i);
            if (!eventOnly) rows.push_back({false, i, -1});
        } else {
            const int32_t j = events[pe];
            // The sample that follows the cursor as it stood, when it has the event's second.
            int32_t m = sample ? samples[ps] : -1;
            if (m >= 0 && secondOf(sampleDate(m)) != secondOf(eventDate(j))) m = -1;
            cursor = eventDate(j);
            rows.push_back({true, j, m});
        }
        if (!(cursor >= low && cursor <= high)) break;
    }
    return rows;
}

}  // namespace trendview
