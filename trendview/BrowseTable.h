#pragma once

#include <QString>
#include <cstdint>

#include "platform/gui/FlexGrid.h"
#include "records/ClsAlarm.h"
#include "records/ClsHistory.h"
#include "records/ClsInterval.h"
#include "records/EventRecords.h"

namespace trendview {

// The kinds of stored downloads (Log_Head.Types).
enum LogType : int32_t {
    TypeNone = 0,
    TypeInterval = 1,
    TypeAlarm = 2,
    TypeHistory = 3,
    TypeAlarmEvents = 5,
    TypeTroubleEvents = 6,
    TypePowerEvents = 7,
    TypeSensorHistory = 8,
};

// What a table shows: the kind, the stored download and the record that holds it (loaded by
// the caller), and the database the event logs and the sensor history are read from.
struct BrowseSource {
    int32_t type = TypeNone;
    int32_t seqNo = 0;
    const records::clsInterval* interval = nullptr;
    const records::clsAlarm* alarm = nullptr;
    const records::clsHistory* history = nullptr;
    const records::EventRecord* events = nullptr;  // the record of kinds 5, 6 and 7
    QString database;
};

struct TableOptions {
    bool tableShown = true;  // "Table" is chosen: the data grid is filled too
    bool eventOnly = false;  // "Event Only": the interval trend's sample rows are left out
    bool condensed = false;  // lifts the row limit of the event cells' alignment
    bool debug = false;      // shows the trend tables' fifth-gas column
    // The alarm-trend window's look: an alarm trend's summary names its date by the sampling
    // flag, an interval trend's summary ends with the minimum rows, every word of an interval
    // table stands left, and the window scrolls an alarm table itself.
    bool trendWindow = false;
};

// The largest interval-trend table (title row included) whose event cells are aligned left
// when the condensed view is off.
inline constexpr int AlignedRowsLimit = 5400;

// Scrolls an alarm trend's table so that the row of the alarm (row 361, the 361st sample)
// stands near the middle of the rows shown (a short table stops at its last top row); to the
// top for an interval trend kept as an alarm trend.
void ScrollToAlarm(const records::clsAlarm& record, platform::FlexGrid& data);

// Fills the summary grid and, while the table is shown, the data grid for one stored
// download. Database errors reach the caller; the grids keep what was written until then.
void ShowBrowseTable(const BrowseSource& source, const TableOptions& options,
                     platform::FlexGrid& summary, platform::FlexGrid& data);

}  // namespace trendview
