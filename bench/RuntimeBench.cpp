#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/StringTable.h"
#include "runtime/Format.h"

// Status-log and serial-log lines are built for every block of a download.
static void BM_LoadResText(benchmark::State& state) {
    platform::StringTable::selectLanguage(platform::StringTable::Language::English);
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::LoadResText(6024, {"Interval Trend", 42}));
}
BENCHMARK(BM_LoadResText);

// Every trend sample's date is formatted for tables and exports.
static void BM_FormatDate(benchmark::State& state) {
    const rt::OleDate date = *rt::OleDate::fromCivil(2026, 12, 10, 13, 51, 14);
    for (auto _ : state)
        benchmark::DoNotOptimize(rt::FormatDate(date, "yyyy/mm/dd hh:nn:ss"));
}
BENCHMARK(BM_FormatDate);

static void BM_FormatNumber(benchmark::State& state) {
    double v = 20.9;
    for (auto _ : state)
        benchmark::DoNotOptimize(rt::FormatNumber(v, "#,##0.00"));
}
BENCHMARK(BM_FormatNumber);

int main(int argc, char** argv) {
    // The status log's benchmark needs widgets; no display is needed for them.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
