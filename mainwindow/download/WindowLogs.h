#pragma once

#include <cstdint>
#include <memory>

#include "core/ClsInstrument.h"
#include "records/ClsAlarms.h"
#include "records/ClsHistorys.h"
#include "records/ClsIntervals.h"
#include "records/EventCollections.h"

namespace download {

// Which long operation runs: 0 none (or the instrument-information download), 1 a single
// download or the memory dump list, 3 zero calibration, 4 span calibration, 5 the complete
// download, 6 the automatic download, 7 a write of the settings pages, 8 writing a file. The
// progress window chooses its texts by it.
inline int32_t ActivityCode = 0;

// What the main window keeps of the connected instrument: its information and one collection
// per log, each made on first use and refilled by every download of its kind.
class WindowLogs {
  public:
    core::clsInstrument& instrument() {
        if (!instrument_) instrument_ = std::make_unique<core::clsInstrument>();
        return *instrument_;
    }
    records::clsIntervals intervals;
    records::clsAlarms alarms;
    records::clsHistorys history;
    records::clsAlarmEvents alarmEvents;
    records::clsTroubleEvents troubleEvents;
    records::clsPowerEvents powerEvents;

  private:
    std::unique_ptr<core::clsInstrument> instrument_;
};

}  // namespace download
