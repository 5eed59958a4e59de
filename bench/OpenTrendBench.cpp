#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "alarmtrend/FrmIntermittence.h"
#include "bench/LibraryWindow.h"
#include "core/ModMain.h"
#include "core/TrendFile.h"
#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "records/TrendLines.h"
#include "tests/support/WindowRig.h"

namespace {

// The library's window with the trends a benchmark stores.
struct OpenRig : LibraryWindow {
    // A stored trend of that kind (1 interval, 2 alarm): its header row, its trend file of
    // `samples` records a second apart with readings that change at every sample, and `events`
    // events of the interval trend spread over it.
    int32_t storeTrend(int types, int samples, int events) {
        const platform::Database d = db();
        const int32_t seqNo = d.MaxSeq(QStringLiteral("Log_Head"));
        const rt::OleDate start = *rt::OleDate::fromCivil(2024, 5, 31, 6, 0, 0);
        const rt::OleDate date = types == 2 ? start.addSeconds(samples / 2) : start;
        const QString folder = QStringLiteral("05/24");
        const QString name = QStringLiteral("tr%1").arg(seqNo, 4, 10, QLatin1Char('0'));
        d.exec(QStringLiteral(
                   "Insert Into Log_Head (SeqNo, Names, Dates, UserID, SerialNo, Types, Interval, "
                   "Sampling, FolderID, Dcount, Gas1Name, Gas1Full, Gas1Point, Gas1Unit, "
                   "Gas1Enable, Gas2Name, Gas2Full, Gas2Point, Gas2Unit, Gas2Enable, Gas3Name, "
                   "Gas3Full, Gas3Point, Gas3Unit, Gas3Enable, Gas4Name, Gas4Full, Gas4Point, "
                   "Gas4Unit, Gas4Enable, Gas5Name, Gas5Full, Gas5Point, Gas5Unit, Gas5Enable, "
                   "Gas5Max, Gas5Min) Values (?, ?, ?, 'U1', 'SN1', ?, 1, 0, ?, ?, 'CH4', 100, 0, "
                   "'%LEL', 1, 'O2', 25, 1, 'vol%', 1, 'CO', 500, 0, 'ppm', 1, 'H2S', 100, 1, "
                   "'ppm', 1, 'TMP', 0, 0, 'C', 0, 40, 10)"),
               {seqNo, name, date, static_cast<int32_t>(types), folder, samples});
        const QString path = records::TrendFileOf(folder, name);
        QDir().mkpath(QFileInfo(path).path());
        QFile::remove(path);
        {
            core::TrendFile file(path);
            for (int i = 0; i < samples; ++i) {
                const rt::OleDate when = start.addSeconds(i);
                const float values[5] = {5.0f, 20.9f, static_cast<float>(i % 500),
                                         static_cast<float>(i % 997) / 10.0f,
                                         15.0f + static_cast<float>(i % 20)};
                for (int16_t gas = 1; gas <= 5; ++gas)
                    core::PutSample(i + 1, file, gas, values[gas - 1], when);
            }
            file.close();
        }
        platform::Transaction t(d);
        int32_t eventSeq = d.MaxSeq(QStringLiteral("Interval_Event"));
        for (int j = 0; j < events; ++j)
            d.exec(QStringLiteral("Insert Into Interval_Event (SeqNo, RelNo, Datetimes, BaseDate, "
                                  "Gas1Event, Gas2Event, Gas3Event, Gas4Event, Gas5Event) "
                                  "Values (?, ?, ?, ?, -101, -101, -101, ?, -101)"),
                   {eventSeq++, seqNo, start.addSeconds(qint64(j) * 26 + 13), date,
                    j % 2 == 0 ? -104.0f : -103.0f});
        t.commit();
        return seqNo;
    }
};

// Opening a stored interval trend of 54 001 samples and 2 049 events as the user does: "View
// Data" in the library on the selected download, until the table is painted (goal: 150 ms).
void BM_OpenIntervalTrend(benchmark::State& state) {
    OpenRig r;
    const int32_t seqNo = r.storeTrend(1, 54001, 2049);
    // Every sample shown, not only the changes.
    core::CompletelyView = true;
    for (auto _ : state) {
        state.PauseTiming();
        r.window->cmdInst_Click(2);
        r.window->dataView->SelectedLogType = 1;
        r.window->dataView->SelectedLogSeqNo = seqNo;
        QApplication::processEvents();
        state.ResumeTiming();
        r.window->logLibrary->cmdDetail_Click();
        QApplication::processEvents();
    }
    state.counters["rows"] = r.window->dataPage->vfgBrowse->Rows();
}
BENCHMARK(BM_OpenIntervalTrend)->Unit(benchmark::kMillisecond)->Iterations(5);

// What the alarm-trend window takes over from the main window: the table or the graph, with
// the summary.
class PlainView : public alarmtrend::MainWindowView {
  public:
    explicit PlainView(bool graph) : graph_(graph) {}
    double Width() const override { return 12000; }
    double Height() const override { return 9000; }
    bool summaryVisible() const override { return true; }
    bool optBrowse(int index) const override { return (index == 1) == graph_; }
    bool chkBrowse(int index) const override { return index < 5; }
    QPixmap picture(const QString&) const override { return {}; }
    QString gasName(int gas) const override { return QStringLiteral("G%1").arg(gas); }

  private:
    bool graph_;
};

// Opening the alarm-trend window on a full alarm trend (721 samples): its load, the table and
// the graph filled, and the window painted, with the table (first argument 0) or the graph (1)
// shown; the window made for the first opening (second argument 1) or kept from the last one,
// as the program keeps it (goal: 30 ms).
void BM_OpenAlarmTrendWindow(benchmark::State& state) {
    OpenRig r;
    const int32_t seqNo = r.storeTrend(2, 721, 0);
    PlainView view(state.range(0) != 0);
    const bool firstOpening = state.range(1) != 0;
    const alarmtrend::TrendWindowServices services{
        r.rig.dialogs, r.rig.folder.paths().programFolder(), {}};
    auto form = std::make_unique<alarmtrend::FrmIntermittence>(view, services);
    core::TrendSelSeqNo = seqNo;
    core::TrendSelMode = 2;
    for (auto _ : state) {
        if (firstOpening) {
            state.PauseTiming();
            form = std::make_unique<alarmtrend::FrmIntermittence>(view, services);
            QApplication::processEvents();
            state.ResumeTiming();
        }
        form->Form_Load();
        form->show();
        QApplication::processEvents();
        state.PauseTiming();
        form->hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = form->vfgBrowse->Rows();
}
BENCHMARK(BM_OpenAlarmTrendWindow)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

// The Last Calibration page of that many instruments, shown from the menu (first) and shown
// again over the filled list (goal: 10 000 in 50 ms, 20 000 at most 2.5 times 10 000).
void BM_LastCalibrationPage(benchmark::State& state) {
    OpenRig r;
    const int count = static_cast<int>(state.range(0));
    const bool again = state.range(1) != 0;
    {
        const platform::Database d = r.db();
        platform::Transaction t(d);
        const rt::OleDate now = rt::OleDate::now();
        for (int i = 0; i < count; ++i)
            d.exec(QStringLiteral(
                       "Insert Into cLatestHist (SerialNo, UserID, WriteDates, CalLimit, "
                       "Gas4Name, Gas4Enable, Gas4CalDate, Gas4Before, Gas4After, Gas4AutoCal, "
                       "Gas4Point) Values (?,?,?,180,'O2',?,?,20.5,20.9,20.9,1)"),
                   {QStringLiteral("SN%1").arg(i, 6, 10, QLatin1Char('0')),
                    QStringLiteral("U%1").arg(i % 7), now.addSeconds(-qint64(i) * 600), i % 5 != 0,
                    now.addSeconds(-qint64(i % 400) * 86400)});
        t.commit();
    }
    r.window->cmdInst_Click(3);
    QApplication::processEvents();
    platform::FlexGrid& grid = *r.window->lastCalibrationPage->vfgHistory;
    for (auto _ : state) {
        if (!again) {
            state.PauseTiming();
            grid.setRows(1);
            QApplication::processEvents();
            state.ResumeTiming();
        }
        r.window->calibrationList->ShowCalibrationHistory();
        QApplication::processEvents();
    }
    state.counters["rows"] = grid.Rows();
}
BENCHMARK(BM_LastCalibrationPage)
    ->ArgsProduct({{5000, 10000, 20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
