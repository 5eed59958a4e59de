#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "bench/WireTimer.h"
#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "platform/FileSteps.h"
#include "tests/support/FakeQM73.h"
#include "tests/support/WindowRig.h"

namespace {

// The most samples an interval trend holds.
constexpr int FullSamples = 54001;

// An instrument whose logs are as large as they get: two full interval trends whose gas changes
// at every sample, a full alarm trend, its calibration history and events.
testsupport::FakeQM73 largestData() {
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    for (auto& rec : fake.intervals) {
        rec.gas4.resize(FullSamples);
        rec.gas5.resize(FullSamples);
        rec.status.resize(FullSamples);
        for (int k = 0; k < FullSamples; ++k) {
            rec.gas4[k] = static_cast<uint16_t>(k % 1000);
            rec.gas5[k] = static_cast<uint16_t>(250 + k % 3);
            rec.status[k] = {0, 0};
        }
    }
    for (auto& alarm : fake.alarms)
        alarm.gas4.resize(721, 42);
    fake.powerEvents.resize(121, fake.powerEvents.front());
    return fake;
}

// The main window connected to the instrument through the fake adapter; the bytes of the
// instrument's answers counted.
struct DownloadWindow {
    testsupport::WindowRig rig;
    testsupport::FakeQM73 fake = largestData();
    std::unique_ptr<shell::FrmMain> window;
    qint64 answered = 0;

    DownloadWindow() {
        fake.clock = QDateTime::currentDateTime().toString(QStringLiteral("yyMMddHHmmss"));
        rig.finder.ports = {{"/dev/ttyUSB0", "CP2102", "COM1"}};
        rig.serial.engine.responder = [this](const QString& body) {
            auto answer = fake.answer(body);
            if (answer)
                for (const QString& block : *answer)
                    answered += block.size() + 2;  // with its frame's start and end
            return answer;
        };
        window = std::make_unique<shell::FrmMain>(rig.services());
        window->uclVY5103.setTimerEnabled(false);
        rig.pump.tick = [this] {
            window->uclVY5103.tmrTimer_Timer();
            window->tmrInter_Timer();
            rig.serial.tick();
        };
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
        for (int i = 0; i < 50 && !window->uclVY5103.Connected(); ++i) {
            rig.pump.tick();
            for (int k = 0; k < 5; ++k)
                QApplication::processEvents();
        }
    }
    ~DownloadWindow() {
        window.reset();
        platform::Database::close(rig.folder.paths().database());
    }
    int trendLines() const {
        int n = 0;
        for (const auto& [line, colour] : window->downloadPage->statusLog().lines())
            n += line.contains(QStringLiteral("Trend Download Complete")) ? 1 : 0;
        return n;
    }
};

// A Complete Download of the largest data on a disk whose every sync (of a file or a folder, by
// the program or the database engine) takes the argument's milliseconds. Reported: "syncs",
// the syncs of one download (goal: at most 40), and "wire_pct", the download's whole time in per
// cent of the time the instrument needs to send its answers at 921 600 baud: the instrument
// answers at once here, so that time is the program's own, its store and syncs among it
// (goal with 20 ms a sync: under 5).
void BM_CompleteDownloadOfTheLargestData(benchmark::State& state) {
    const auto perSync = std::chrono::milliseconds(state.range(0));
    std::atomic<int> syncs{0};
    int lastSyncs = 0;
    qint64 answered = 0;
    double seconds = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        DownloadWindow w;
        if (!w.window->uclVY5103.Connected()) {
            state.SkipWithError("no connection");
            break;
        }
        syncs = 0;
        platform::setFileStepWatcher([&](platform::FileStep step, const QString&) {
            if (step == platform::FileStep::SyncFile || step == platform::FileStep::SyncFolder) {
                ++syncs;
                std::this_thread::sleep_for(perSync);
            }
            return 0;
        });
        w.answered = 0;
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        w.window->downloadPage->cmdDown[0]->click();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.PauseTiming();
        platform::setFileStepWatcher({});
        if (w.trendLines() != 2) {
            state.SkipWithError("the download did not store both trends");
            break;
        }
        lastSyncs = syncs;
        answered = w.answered;
        ++runs;
        state.ResumeTiming();
    }
    state.counters["syncs"] = lastSyncs;
    if (runs && answered)
        state.counters["wire_pct"] =
            seconds / runs / (static_cast<double>(answered) / WireBytesPerSecond) * 100.0;
}
BENCHMARK(BM_CompleteDownloadOfTheLargestData)
    ->Arg(0)
    ->Arg(20)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

}  // namespace
