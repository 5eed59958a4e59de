#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <memory>

#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "tests/support/WindowRig.h"

namespace {

// The start of the program, from the main window's making to its first activation, with a
// settings file whose second line is 50 MB long (a damaged file): the window shows within a
// second (goal: under 1 s), the line told by its number and its beginning.
void BM_StartWithA50MegabyteSettingsLine(benchmark::State& state) {
    const QByteArray line = "IrCOMM Num\t" + QByteArray(50 * 1024 * 1024, '7');
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<testsupport::WindowRig>();
        {
            QFile ini(rig->folder.paths().settingsFile());
            if (!ini.open(QIODevice::WriteOnly)) state.SkipWithError("no settings file");
            ini.write("Retry\t5\r\n" + line + "\r\nRetry\t7\r\n");
        }
        state.ResumeTiming();
        auto window = std::make_unique<shell::FrmMain>(rig->services());
        window->uclVY5103.setTimerEnabled(false);
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
        if (window->fields.ActivationPending) state.SkipWithError("the window did not activate");
        state.PauseTiming();
        window.reset();
        platform::Database::close(rig->folder.paths().database());
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartWithA50MegabyteSettingsLine)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
