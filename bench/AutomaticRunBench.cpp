#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>

#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "tests/support/FakeQM73.h"
#include "tests/support/OtherConnection.h"
#include "tests/support/WindowRig.h"

namespace {

using Clock = std::chrono::steady_clock;

const QString AutoComplete = "QM-73 Automatic Download Complete.";
const QString AutoFailed = "QM-73 Automatic Download Failed.";

// The program as it runs in automatic mode: the main window with its real timers and event
// loop, the fake instrument on its one adapter.
struct AutomaticWindow {
    testsupport::WindowRig rig;
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    std::unique_ptr<shell::FrmMain> window;

    AutomaticWindow() {
        fake.clock = QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"));
        rig.finder.ports = {{"/dev/ttyUSB0", "CP2102", "COM1"}};
        rig.serial.engine.responder = [this](const QString& body) {
            auto answer = fake.answer(body);
            if (fake.poweredOff) rig.serial.plugged = false;
            return answer;
        };
        window = std::make_unique<shell::FrmMain>(rig.services());
        window->uclVY5103.setTimerEnabled(false);
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
        rig.dialogs.answers = {platform::MsgAnswer::Yes};
        window->downloadPage->chkAutoLoad[0]->click();
    }
    ~AutomaticWindow() {
        window.reset();
        platform::Database::close(rig.folder.paths().database());
    }
    bool ended() const {
        for (const auto& [line, colour] : window->downloadPage->statusLog().lines())
            if (line == AutoComplete || line == AutoFailed) return true;
        return false;
    }
};

// An automatic run while another program keeps the database's write lock: every store waits
// for it, about 5 s, and fails. Reported as "longest_gap_ms", the longest time between two
// ticks of a 5 ms timer in the window's event loop during the run (goal: under 100).
void BM_AutomaticRunAgainstALockedDatabase(benchmark::State& state) {
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        AutomaticWindow w;
        testsupport::OtherConnection other(w.rig.folder.paths().database());
        if (!other.run(QStringLiteral("Begin Immediate"))) state.SkipWithError("no lock");
        Clock::time_point last = Clock::now();
        double gap = 0;
        QTimer timer;
        timer.setInterval(5);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const auto now = Clock::now();
            gap = std::max(gap, std::chrono::duration<double>(now - last).count());
            last = now;
        });
        state.ResumeTiming();
        timer.start();
        w.window->uclVY5103.setTimerEnabled(true);
        QElapsedTimer deadline;
        deadline.start();
        while (!w.ended() && !deadline.hasExpired(120000))
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        timer.stop();
        state.PauseTiming();
        if (!w.ended()) state.SkipWithError("the run did not end");
        other.release();
        longest = std::max(longest, gap);
        state.ResumeTiming();
    }
    state.counters["longest_gap_ms"] = longest * 1000.0;
}
BENCHMARK(BM_AutomaticRunAgainstALockedDatabase)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
