#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <chrono>

#include "bench/WireTimer.h"
#include "core/TrendFile.h"

namespace {

constexpr int Records = 16361;
constexpr int SamplesPerLine = 64;  // samples of one gas that one data line carries
// What the instrument sends for a full trend: five gases and the status channel, one 16-bit
// word of four characters per sample, at 921 600 baud (92 160 bytes a second).
constexpr double WireSeconds = Records * 6.0 * 4.0 / 92160.0;

void writeTrend(const QString& path) {
    const rt::OleDate start(46000.0);
    for (int gas = 1; gas <= 5; ++gas) {
        for (int first = 1; first <= Records; first += SamplesPerLine) {
            core::TrendFile file(path);  // opened and closed per data line, as the decoder does
            for (int r = first; r < first + SamplesPerLine && r <= Records; ++r)
                core::PutSample(r, file, static_cast<int16_t>(gas), r * 0.1f,
                                rt::OleDate(start.value() + r / 8640.0));
        }
    }
    for (int first = 1; first <= Records; first += SamplesPerLine) {
        core::TrendFile file(path);
        for (int r = first; r < first + SamplesPerLine && r <= Records; ++r)
            core::PutRecordTail(r, file, {0, 1});
    }
}

void BM_WriteFullIntervalTrend(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/trend.Dat";
    WireTimer timer(state, WireSeconds);
    for (auto _ : state) {
        QFile::remove(path);
        timer.run([&] { writeTrend(path); });
    }
}
BENCHMARK(BM_WriteFullIntervalTrend)->Unit(benchmark::kMillisecond);

void BM_ReadFullIntervalTrend(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/trend.Dat";
    writeTrend(path);
    WireTimer timer(state, WireSeconds);
    for (auto _ : state) {
        timer.run([&] {
            core::TrendFile file(path);
            double sum = 0;
            for (int r = 1; r <= file.RecordCount(); ++r)
                sum += core::GetTrendRecord(r, file).values[0];
            benchmark::DoNotOptimize(sum);
        });
    }
}
BENCHMARK(BM_ReadFullIntervalTrend)->Unit(benchmark::kMillisecond);

}  // namespace
