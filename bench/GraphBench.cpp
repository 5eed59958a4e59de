#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "graph/uclZvdGraph.h"
#include "platform/gui/KeyCodes.h"

namespace {

constexpr int Series = 5;
constexpr int Samples = 16361;
constexpr int Events = 2048;

// A full trend: five series of 16 361 samples a minute apart, 2 048 visible events each, on a
// 1920 x 1080 pixel graph.
std::unique_ptr<graph::uclZvdGraph> fullTrend() {
    auto g = std::make_unique<graph::uclZvdGraph>();
    g->setBorderStyle(0);
    g->resize(1920, 1080);
    const rt::OleDate start = *rt::OleDate::fromCivil(2024, 5, 31, 0, 0, 0);
    for (int s = 0; s < Series; ++s)
        g->AddSample(QStringLiteral("Gas%1").arg(s), 0x40 << (s * 4), QStringLiteral("##0.0"), 100);
    for (int i = 0; i < Samples; ++i) {
        g->setValueX(i, start.addSeconds(qint64(i) * 60));
        for (int s = 0; s < Series; ++s)
            g->setValueY(s, i, i % 997 == 0 ? graph::GapValue : 20 + 15 * std::sin(i / (40.0 + s)));
    }
    g->SampleCount = Samples;
    for (int s = 0; s < Series; ++s) {
        for (int k = 0; k < Events; ++k) {
            g->setEventX(s, k, start.addSeconds(qint64(k) * 8 * 60 + s * 60));
            g->setEventFlag(s, k, k % 3 ? QStringLiteral("ALARM1") : QStringLiteral("TROUBLE"));
        }
        g->setEventCount(s, Events);
        g->setEventVisible(s, true);
    }
    g->setZoom(1);
    g->MinX = 0;
    g->MaxX = 0;
    g->show();
    QApplication::processEvents();
    return g;
}

// The whole graph rendered into its picture (goal: one 60 Hz frame, 16.7 ms).
void BM_GraphFullRender(benchmark::State& state) {
    auto g = fullTrend();
    for (auto _ : state) {
        g->Refresh();
        benchmark::DoNotOptimize(g->Picture().constBits());
    }
}
BENCHMARK(BM_GraphFullRender)->Unit(benchmark::kMillisecond)->Iterations(30);

// One step of the scroll bar at zoom 50: the window re-rendered (goal: 8 ms).
void BM_GraphScrollStepAtZoom50(benchmark::State& state) {
    auto g = fullTrend();
    g->setZoom(50);
    int value = 0;
    for (auto _ : state) {
        value = value >= g->hslWidth->maximum() ? 0 : value + 1;
        g->hslWidth->setValue(value);
        benchmark::DoNotOptimize(g->Picture().constBits());
    }
}
BENCHMARK(BM_GraphScrollStepAtZoom50)->Unit(benchmark::kMillisecond)->Iterations(100);

// A cursor key: the cursor line and its read-out moved and the picture shown again, without
// rendering (goal: 1 ms).
void BM_GraphCursorKey(benchmark::State& state) {
    auto g = fullTrend();
    g->Refresh();
    int key = platform::KeyRight;
    for (auto _ : state) {
        if (g->CursorIndex >= Samples - 2) key = platform::KeyLeft;
        if (g->CursorIndex <= 1) key = platform::KeyRight;
        g->picGraph_KeyDown(key, 0);
        QApplication::processEvents();  // the window shows the move
    }
}
BENCHMARK(BM_GraphCursorKey)->Unit(benchmark::kMicrosecond)->Iterations(300);

// The event under the mouse among 5 x 2 048 events (goal: 0.2 ms).
void BM_GraphSearchEvent(benchmark::State& state) {
    auto g = fullTrend();
    g->Refresh();
    float x = 0;
    for (auto _ : state) {
        rt::OleDate date;
        QString name;
        x = x > g->MaxX ? 0 : x + 997;
        g->SearchEvent(x, static_cast<int32_t>(g->EventData[0].EventRowY), date, name);
        benchmark::DoNotOptimize(name);
    }
}
BENCHMARK(BM_GraphSearchEvent)->Unit(benchmark::kMicrosecond);

}  // namespace
