#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>

#include "core/Schema.h"
#include "mainwindow/common/Controls.h"
#include "platform/Database.h"
#include "trendview/BrowseGraph.h"
#include "trendview/BrowseTable.h"
#include "trendview/ExportText.h"

namespace {

// An interval trend in memory: `samples` samples a minute apart with changing readings and
// `events` events at every 25th sample.
std::unique_ptr<records::clsInterval> trend(int samples, int events) {
    auto r = std::make_unique<records::clsInterval>();
    for (int gas = 0; gas < 5; ++gas) {
        r->setGasListInfo(gas, 0, QStringLiteral("G%1").arg(gas));
        r->setGasListInfo(gas, 1, 100);
        r->setGasListInfo(gas, 3, 1);
        r->setGasListInfo(gas, 13, gas >= 3);
    }
    r->setGasListInfo(4, 8, 80);
    r->setGasListInfo(4, 9, 5);
    r->setDataCount(samples);
    const rt::OleDate start = *rt::OleDate::fromCivil(2024, 5, 1, 0, 0, 0);
    for (int i = 0; i < samples; ++i) {
        r->setDateTimes(i, start.addSeconds(qint64(i) * 60));
        r->setGasValue(3, i, float(std::lround(50 + 40 * std::sin(i / 30.0))) / 2);
        r->setGasValue(4, i, float(20 + i % 7));
    }
    r->setEventCount(events);
    for (int j = 0; j < events; ++j) {
        r->setEventDateTimes(j, start.addSeconds(qint64(j) * 25 * 60));
        for (int gas = 0; gas < 5; ++gas)
            r->setGasEvent(gas, j, gas == 3 ? -104.0f : -101.0f);
    }
    return r;
}

void showTable(const records::clsInterval& r, platform::FlexGrid& summary,
               platform::FlexGrid& data) {
    trendview::BrowseSource s;
    s.type = trendview::TypeInterval;
    s.interval = &r;
    trendview::ShowBrowseTable(s, {}, summary, data);
}

// The table of a full interval trend, the grid's model reset included (goal: 500 ms; the
// record's setters take at most 53 999 samples). Run with 5 400 samples too: the ratio of
// the two times shows whether the merge grows faster than n log n (goal: at most 15).
void BM_IntervalTable(benchmark::State& state) {
    const auto r = trend(static_cast<int>(state.range(0)), 2049);
    platform::FlexGrid summary, data;
    data.resize(800, 600);
    data.show();
    for (auto _ : state)
        showTable(*r, summary, data);
    state.counters["rows"] = data.Rows();
}
BENCHMARK(BM_IntervalTable)->Arg(5400)->Arg(53999)->Unit(benchmark::kMillisecond)->Iterations(5);

// The graph of the same trend (goal: 100 ms).
void BM_IntervalGraph(benchmark::State& state) {
    const auto r = trend(53999, 2049);
    QWidget page;
    mainwindow::ControlRegistry registry;
    mainwindow::ControlFactory factory(registry);
    mainwindow::ControlArray<QCheckBox> boxes;
    boxes.make(factory, &page, QStringLiteral("chkBrowse"), 7);
    auto* zoom = new QComboBox(&page);
    auto* g = new graph::uclZvdGraph(&page);
    g->resize(1200, 600);
    page.resize(1300, 700);
    page.show();
    std::array<QCheckBox*, 7> members{};
    for (int i = 0; i < 7; ++i)
        members[static_cast<size_t>(i)] = boxes[i];
    const trendview::GraphView view{*g, members, zoom};
    for (auto _ : state)
        trendview::ShowBrowseGraph({trendview::TypeInterval, r.get(), nullptr}, view);
    state.counters["samples"] = g->SampleCount;
}
BENCHMARK(BM_IntervalGraph)->Unit(benchmark::kMillisecond)->Iterations(5);

// An event table of 10 000 rows read from the database (goal: 300 ms).
void BM_EventTable(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("QM73.mdb"));
    core::CreateDatabase(path);
    {
        const platform::Database db = platform::Database::open(path);
        platform::Transaction transaction(db);
        db.exec(QStringLiteral("Insert Into Log_Head(SeqNo, Types) Values (7, 5)"));
        const rt::OleDate start = *rt::OleDate::fromCivil(2024, 1, 1, 0, 0, 0);
        for (int k = 0; k < 10000; ++k)
            db.exec(QStringLiteral("Insert Into Alarm_Event(RelNo, GasNo, GasName, Alarm_Type, "
                                   "Dates) Values (7, 4, 'CH4', ?, ?)"),
                    {-103 - k % 3, start.addSeconds(qint64(k) * 97)});
        transaction.commit();
    }
    records::clsAlarmEvent record;
    platform::FlexGrid summary, data;
    trendview::BrowseSource s;
    s.type = trendview::TypeAlarmEvents;
    s.seqNo = 7;
    s.events = &record;
    s.database = path;
    for (auto _ : state)
        trendview::ShowBrowseTable(s, {}, summary, data);
    state.counters["rows"] = data.Rows();
    platform::Database::close(path);
}
BENCHMARK(BM_EventTable)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

namespace {

// The export of a full interval trend into a file (goal: 500 ms without the disk's sync), and
// with 5 400 samples to compare (goal: a ratio of at most 15).
void BM_IntervalExportToFile(benchmark::State& state) {
    const auto r = trend(static_cast<int>(state.range(0)), 2049);
    QTemporaryDir dir;
    trendview::ExportSource s;
    s.type = trendview::TypeInterval;
    s.interval = r.get();
    struct FileSink : trendview::LineSink {
        QFile file;
        void write(const QString& text) override { file.write(text.toUtf8()); }
    };
    for (auto _ : state) {
        FileSink sink;
        sink.file.setFileName(dir.filePath(QStringLiteral("trend.csv")));
        sink.file.open(QIODevice::WriteOnly);
        trendview::ExportBrowseData(s, QStringLiteral(","), &sink);
        sink.file.close();
    }
}
BENCHMARK(BM_IntervalExportToFile)
    ->Arg(5400)
    ->Arg(53999)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The same text for the clipboard (goal: 500 ms).
void BM_IntervalExportText(benchmark::State& state) {
    const auto r = trend(53999, 2049);
    trendview::ExportSource s;
    s.type = trendview::TypeInterval;
    s.interval = r.get();
    for (auto _ : state)
        benchmark::DoNotOptimize(trendview::ExportBrowseData(s, QStringLiteral("\t"), nullptr));
}
BENCHMARK(BM_IntervalExportText)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
