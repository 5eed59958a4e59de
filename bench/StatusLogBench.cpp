#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextEdit>

#include "mainwindow/download/StatusLog.h"

namespace {

// One more line in a status log that already holds 100 000 (goal: at most 2 ms a call).
void BM_AppendStatusLogAfter100000Lines(benchmark::State& state) {
    QTextEdit box;
    box.setReadOnly(true);
    box.resize(600, 400);
    box.show();
    download::StatusLog log(&box);
    for (int i = 0; i < 100000; ++i)
        log.append(QStringLiteral("QM-73 Interval Trend Download. line %1").arg(i),
                   i % 2 ? download::ColorStatusProgress : download::ColorStatusInstrument);
    QApplication::processEvents();
    int i = 0;
    // Each line as the window shows it: appended, then painted.
    for (auto _ : state) {
        log.append(QStringLiteral("one more line %1").arg(++i), download::ColorStatusFailed);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_AppendStatusLogAfter100000Lines)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
