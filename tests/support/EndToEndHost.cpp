#include "tests/support/EndToEndHost.h"

#include <QCoreApplication>
#include <QDir>

#include "core/ModMain.h"
#include "core/Schema.h"
#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"

namespace testsupport {

void TickingPump::waitWhile(const std::function<bool()>& busy) {
    // Events first, then a look, then a tick; under the program's one rule for waits.
    bool first = true;
    platform::PassWhile([&] {
        if (std::exchange(first, false)) return true;
        if (!busy()) return false;
        if (++ticks > limit_)
            throw rt::RuntimeError(rt::ErrInvalidCall, QStringLiteral("The wait did not end"));
        tick_();
        return true;
    });
}

EndToEndHost::EndToEndHost(const FakeQM73& contents) : fake(contents) {
    core::AppPath = folder.path();
    core::DataFolder = folder.paths().dataFolder();
    QDir().mkpath(core::DataFolder);
    core::CreateDatabase(folder.paths().database());
    core::UpgradeDatabase(db());
    port.engine.responder = [this](const QString& body) {
        auto answer = fake.answer(body);
        // A switched-off instrument drops its lines.
        if (fake.poweredOff && port.engine.dropLines) port.engine.dropLines();
        return answer;
    };
    link.setTimerEnabled(false);
    link.ReadProperties({});
    link.setRetry(3);
    link.setTimeout(3);
    link.setEventPump(&pump);
    link.setSerialLogPath(folder.paths().serialLog());
    link.setSerialFileNo(1);
    intervals.setInstruments(&instrument);
}

EndToEndHost::~EndToEndHost() {
    platform::Database::close(folder.paths().database());
}

void EndToEndHost::tick() {
    link.tmrTimer_Timer();
    port.tick();
}

bool EndToEndHost::connect() {
    link.setPortOpen(true);
    pump.waitWhile([this] { return !link.Connected() && pump.ticks < 200; });
    return link.Connected();
}

bool EndToEndHost::downloadAll() {
    const auto step = [this](const char* name, bool ok) {
        if (!ok) results << QString::fromLatin1(name);
        return ok;
    };
    bool ok = step("GetInstrument", link.GetInstrument(instrument));
    ok = step("GetLatestHistory", link.GetLatestHistory(instrument)) && ok;
    ok = step("GetInterval", link.GetInterval(intervals)) && ok;
    ok = step("GetAlarm", link.GetAlarm(alarms)) && ok;
    ok = step("GetHistory", link.GetHistory(history)) && ok;
    ok = step("GetAlarmEvent", link.GetAlarmEvent(alarmEvents)) && ok;
    ok = step("GetTroubleEvent", link.GetTroubleEvent(troubleEvents)) && ok;
    ok = step("GetPowerEvent", link.GetPowerEvent(powerEvents)) && ok;
    if (!ok) return false;
    storeAll(intervals);
    storeAll(alarms);
    for (const auto& record : history) {
        record->setInstrument(&instrument);
        record->HistoryUpdate();
    }
    storeAll(alarmEvents);
    storeAll(troubleEvents);
    storeAll(powerEvents);
    return true;
}

platform::Database EndToEndHost::db() const {
    return platform::Database::open(folder.paths().database());
}

int EndToEndHost::rows(const QString& table) const {
    return db().query(QStringLiteral("Select * From %1").arg(table)).rowCount();
}

}  // namespace testsupport
