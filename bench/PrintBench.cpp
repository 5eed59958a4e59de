#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "printing/FrmPrint.h"
#include "runtime/Format.h"
#include "tests/support/RecordingSurface.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

namespace {

// An interval trend's table of 54 001 samples as the data page shows it.
struct SampleTable : platform::CellTable {
    static constexpr int Samples = 54001;
    int Rows() const override { return Samples + 1; }
    int Cols() const override { return 4; }
    QString TextMatrix(int row, int col) const override {
        if (row == 0) return col == 0 ? QStringLiteral("No") : QStringLiteral("Date/Time");
        switch (col) {
            case 0:
                return QString::number(row);
            case 1:
                return rt::GeneralDate(rt::OleDate::DateSerial(2026, 1, 1).addSeconds(row * 10LL));
            case 2:
                return row % 97 == 0 ? QStringLiteral("ALARM")
                                     : QString::number(row % 500 / 10.0, 'f', 1);
            default:
                return QString();
        }
    }
    int32_t CellBackColor(int row, int col) const override {
        return col == 2 && row % 97 == 0 ? 0xFF : 0;
    }
};

struct PrintBenchRig {
    testsupport::TempProgramFolder folder;
    testsupport::ScriptedDialogs dialogs;
    platform::PrinterCatalog printers{{{platform::PrinterCatalog::PdfName(), true}},
                                      platform::PrinterCatalog::PdfName()};
    printing::FrmPrint form{{printers, dialogs, folder.paths()}};
    records::clsInterval record;
    SampleTable table;

    PrintBenchRig() {
        record.setGasListInfo(3, 0, QStringLiteral("CO"));
        record.setGasListInfo(3, 1, 500);
        record.setGasListInfo(3, 13, true);
        record.setDataCount(53999);
        // The samples of the list, for the graph report.
        const rt::OleDate start = rt::OleDate::DateSerial(2026, 1, 1);
        for (int i = 0; i < 53999; ++i) {
            record.setDateTimes(i, start.addSeconds(i * 10LL));
            record.setGasValue(3, i, (i + 1) % 500 / 10.0);
        }
        form.DataType = 1;
        form.PrintType = 0;
        form.IntervalData = &record;
        form.Table = &table;
        form.choosePrinter = [](const QStringList&, const QString&) { return 0; };
    }
};

// The whole job into a PDF file, about 900 A4 pages (goal: 20 s on two cores).
void BM_SampleListToPdf(benchmark::State& state) {
    PrintBenchRig rig;
    QTemporaryDir out;
    int n = 0;
    for (auto _ : state) {
        const QString file = out.filePath(QStringLiteral("list%1.pdf").arg(n++));
        rig.dialogs.fileNames.push_back(file);
        rig.form.Form_Load();
        rig.form.GoPrinter();
        state.PauseTiming();
        state.counters["MB"] = QFileInfo(file).size() / 1e6;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SampleListToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// A 5 ms timer in the event loop: the longest time between two of its ticks is the longest the
// event loop was held.
class LoopWatch {
  public:
    LoopWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
            ++ticks_;
        });
    }
    // Runs the work from inside the event loop, with the timer ticking before and after it.
    void run(const std::function<void()>& work) {
        QEventLoop loop;
        clock_.start();
        last_ = 0;
        timer_.start();
        QTimer::singleShot(20, &loop, [&] {
            work();
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
        });
        loop.exec();
        timer_.stop();
    }
    double longestMs() const { return static_cast<double>(longest_) / 1e6; }
    int ticks() const { return ticks_; }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0, longest_ = 0;
    int ticks_ = 0;
};

// The print as the user makes it, from the Print command (the print forms load the form and
// call GoPrinter) to the PDF file written, with a 5 ms timer in the event loop: the total time
// and the longest the event loop was held (goal: under 50 ms).
// Run for the list (0) and for the graph report (1).
void BM_SampleListPrintCommand(benchmark::State& state) {
    PrintBenchRig rig;
    rig.form.PrintType = static_cast<int16_t>(state.range(0));
    QTemporaryDir out;
    int n = 0;
    double longest = 0, total = 0;
    int ticks = 0;
    for (auto _ : state) {
        const QString file = out.filePath(QStringLiteral("command%1.pdf").arg(n++));
        rig.dialogs.fileNames.push_back(file);
        LoopWatch watch;
        QElapsedTimer job;
        watch.run([&] {
            job.start();
            rig.form.Form_Load();
            rig.form.GoPrinter();
            total += static_cast<double>(job.nsecsElapsed()) / 1e6;
        });
        longest = std::max(longest, watch.longestMs());
        ticks += watch.ticks();
        if (!QFileInfo::exists(file)) state.SkipWithError("no file written");
    }
    state.counters["longest_block_ms"] = longest;
    state.counters["job_ms"] = total / static_cast<double>(n);
    state.counters["ticks"] = static_cast<double>(ticks) / static_cast<double>(n);
}
BENCHMARK(BM_SampleListPrintCommand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same list laid out on the recording page (goal: 1 s).
void BM_SampleListLayout(benchmark::State& state) {
    PrintBenchRig rig;
    for (auto _ : state) {
        testsupport::RecordingSurface page;
        page.printer = true;
        page.width = 11000;
        page.height = 15500;
        rig.form.PrintPageHeader(page);
        rig.form.PrintTrendSummary(page);
        rig.form.PrintDataList(page);
        state.counters["pages"] = static_cast<double>(page.pages().size());
    }
}
BENCHMARK(BM_SampleListLayout)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
