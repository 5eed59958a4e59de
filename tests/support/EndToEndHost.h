#pragma once

#include <functional>

#include "core/ClsInstrument.h"
#include "link/uclVyif.h"
#include "platform/Database.h"
#include "platform/EventPump.h"
#include "records/ClsAlarms.h"
#include "records/ClsHistorys.h"
#include "records/ClsIntervals.h"
#include "records/EventCollections.h"
#include "tests/support/FakeInstrument.h"
#include "tests/support/FakeQM73.h"
#include "tests/support/TempProgramFolder.h"

namespace testsupport {

// Waits by running the event loop and, between its passes, one link tick: simulated time that
// runs as fast as the program can go. Gives up after `limit` ticks.
class TickingPump : public platform::EventPump {
  public:
    explicit TickingPump(std::function<void()> tick, int limit = 200000)
        : tick_(std::move(tick)), limit_(limit) {}
    void waitWhile(const std::function<bool()>& busy) override;
    int ticks = 0;

  private:
    std::function<void()> tick_;
    int limit_;
};

// A program without windows: the link, the download collections and a database in a fresh
// program folder, talking to a fake QM-73.
class EndToEndHost {
  public:
    explicit EndToEndHost(const FakeQM73& fake = FakeQM73::Typical());
    ~EndToEndHost();

    // Runs ticks until the link is connected (false when it does not connect).
    bool connect();
    // Reads the instrument and every log, then stores every record as the download page does.
    bool downloadAll();
    // The stores of the download page for one collection.
    template <class Collection>
    void storeAll(Collection& c) {
        for (const auto& record : c) {
            record->setInstrument(&instrument);
            record->Update();
        }
    }
    void tick();
    platform::Database db() const;
    int rows(const QString& table) const;

    FakeQM73 fake;
    TempProgramFolder folder;
    FakeSerialPort port;
    FakeInfraredPort infrared;
    comm::uclVyif link{port, infrared};
    TickingPump pump{[this] { tick(); }};
    core::clsInstrument instrument;
    records::clsIntervals intervals;
    records::clsAlarms alarms;
    records::clsHistorys history;
    records::clsAlarmEvents alarmEvents;
    records::clsTroubleEvents troubleEvents;
    records::clsPowerEvents powerEvents;
    QStringList results;  // which operation failed, for messages
};

}  // namespace testsupport
