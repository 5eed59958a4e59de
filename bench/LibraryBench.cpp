#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <map>
#include <memory>

#include "bench/LibraryWindow.h"
#include "core/ModMain.h"
#include "mainwindow/library/LibraryKeys.h"
#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "platform/FileSteps.h"
#include "records/TrendLines.h"
#include "tests/support/EndToEndHost.h"
#include "tests/support/WindowRig.h"

namespace {

// The library's window with the downloads a benchmark stores.
struct LibraryRig : LibraryWindow {
    using LibraryWindow::LibraryWindow;

    // 10 000 stored downloads of the seven kinds: 100 serial numbers, 3 stations (only the
    // interval trends have one, as the writers store them), 5 users, 24 month folders. With
    // `oneKind`, all are alarm-event logs of one folder; with `firstKind`, the first 1 000 are
    // interval trends of the folder 01/24 and the others in the other folders.
    // `count` downloads instead of 10 000: the kinds, values and folders repeat as they do.
    void storeDownloads(bool oneKind, bool firstKind = false, int32_t count = 10000) {
        static const int kinds[] = {1, 2, 3, 5, 6, 7, 8};
        const platform::Database d = db();
        platform::Transaction t(d);
        const QString insert = QStringLiteral(
            "Insert Into Log_Head (SeqNo, Names, SerialNo, StationID, UserID, FolderID, Types, "
            "Sampling, Dates) Values (?,?,?,?,?,?,?,?,?)");
        for (int32_t i = 1; i <= count; ++i) {
            const bool first = oneKind || (firstKind && i <= 1000);
            const int types = oneKind ? 5 : first ? 1 : kinds[i % 7];
            const int month = first ? 1 : firstKind ? 2 + i % 23 : 1 + i % 24;
            const QString folder = QStringLiteral("%1/%2")
                                       .arg(1 + (month - 1) % 12, 2, 10, QLatin1Char('0'))
                                       .arg(24 + (month - 1) / 12);
            d.exec(insert,
                   {i, QStringLiteral("Log%1").arg(i, 5, 10, QLatin1Char('0')),
                    QStringLiteral("SN%1").arg(i % 100, 3, 10, QLatin1Char('0')),
                    types == 1 ? platform::DbParam(QStringLiteral("ST%1").arg(i % 3))
                               : platform::DbParam(nullptr),
                    QStringLiteral("User%1").arg(i % 5), folder, static_cast<int32_t>(types),
                    int32_t(0), rt::OleDate::DateSerial(2024, 1, 1).addSeconds(i * 3600LL)});
        }
        t.commit();
        window->fields.LogTreeDirty = true;
    }
    void group(int boxes) {
        for (int i = 0; i < 3; ++i) {
            const QSignalBlocker block(window->libraryPage->chkLog[i]);
            window->libraryPage->chkLog[i]->setChecked((boxes >> i) & 1);
        }
    }
};

// Builds the tree once an iteration and counts its nodes.
void timeTreeBuilds(benchmark::State& state, LibraryRig& r) {
    for (auto _ : state) {
        r.window->fields.LogTreeDirty = true;
        r.lib().BuildLogTree();
    }
    state.counters["nodes"] = static_cast<double>(
        r.window->libraryPage->tvwLog->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive)
            .size());
}

// The tree of 10 000 downloads under each of the eight groupings (goal: 300 ms each).
void BM_BuildLogTree(benchmark::State& state) {
    LibraryRig r;
    r.storeDownloads(false);
    r.group(static_cast<int>(state.range(0)));
    timeTreeBuilds(state, r);
}
BENCHMARK(BM_BuildLogTree)->DenseRange(0, 7)->Unit(benchmark::kMillisecond)->Iterations(3);

// A click on a kind node that holds all 10 000 downloads: the list, its sort and the first
// one's details (goal: 300 ms).
void BM_KindNodeClick(benchmark::State& state) {
    LibraryRig r;
    r.storeDownloads(true);
    r.group(0);
    r.lib().BuildLogTree();
    QTreeWidgetItem* kind = r.window->libraryPage->tvwLog->Node(QStringLiteral("01/24 E"));
    for (auto _ : state)
        r.lib().tvwLog_NodeClick(kind);
    state.counters["items"] = r.window->libraryPage->lvwLog->Count();
}
BENCHMARK(BM_KindNodeClick)->Unit(benchmark::kMillisecond)->Iterations(3);

// The details of an alarm-event log of 100 000 rows (goal: 50 ms).
void BM_EventLogDetail(benchmark::State& state) {
    LibraryRig r;
    r.storeDownloads(false);
    r.db().exec(QStringLiteral(
        "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 100000) "
        "Insert Into Alarm_Event (RelNo, GasNo, GasName, Alarm_Type, Dates) "
        "Select 4, 4, 'CO', 1, datetime('2024-01-01', '+' || i || ' seconds') From n"));
    for (auto _ : state)
        r.lib().ShowLogDetail(QStringLiteral("4 V"));
    state.counters["rows"] = r.window->libraryPage->vfgLog->Rows();
}
BENCHMARK(BM_EventLogDetail)->Unit(benchmark::kMillisecond)->Iterations(10);

// Deleting a kind node of 1 000 downloads from 10 000 with a million detail rows, the trend
// files included (goal: 2 s).
void BM_DeleteKindNode(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        LibraryRig r;
        r.storeDownloads(false, true);
        r.db().exec(QStringLiteral(
            "With Recursive n(i) As (Select 0 Union All Select i + 1 From n Where i < 999999) "
            "Insert Into Interval_Data (RelNo, Datetimes, Gas4Value) "
            "Select i % 10000 + 1, datetime('2024-01-01', '+' || i || ' seconds'), i % 50 "
            "From n"));
        // The trend files of the 1 000 interval trends.
        QDir().mkpath(core::DataFolder + QStringLiteral("/24/01"));
        for (int i = 1; i <= 1000; ++i) {
            QFile f(records::TrendFileOf(QStringLiteral("01/24"),
                                         QStringLiteral("Log%1").arg(i, 5, 10, QLatin1Char('0'))));
            f.open(QIODevice::WriteOnly);
            f.write(QByteArray(3000, 'x'));
        }
        r.group(0);
        r.lib().BuildLogTree();
        r.window->askPassword = [] { return true; };
        r.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
        r.window->libraryPage->mnuDelete->setData(QStringLiteral("01/24 I"));
        state.ResumeTiming();
        r.lib().mnuDelete_Click();
        state.PauseTiming();
        state.counters["left"] =
            r.db()
                .query(QStringLiteral("Select Count(*) As n From Interval_Data"))
                .longValue(0, QStringLiteral("n"));
        state.counters["files"] =
            QDir(core::DataFolder + QStringLiteral("/24/01")).entryList(QDir::Files).size();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteKindNode)->Unit(benchmark::kMillisecond)->Iterations(1);

// Deleting all of 10 000 downloads with a million detail rows: the syncs taken on the window
// thread (goal: none; a slow disk would hold the window at each) and the time.
void BM_DeleteEverything(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        LibraryRig r;
        r.storeDownloads(false);
        r.db().exec(QStringLiteral(
            "With Recursive n(i) As (Select 0 Union All Select i + 1 From n Where i < 999999) "
            "Insert Into Interval_Data (RelNo, Datetimes, Gas4Value) "
            "Select i % 10000 + 1, datetime('2024-01-01', '+' || i || ' seconds'), i % 50 "
            "From n"));
        // A start opens the file anew: its log begins empty.
        platform::Database::close(r.db().path());
        r.group(0);
        r.lib().BuildLogTree();
        r.window->askPassword = [] { return true; };
        r.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
        r.window->libraryPage->mnuDelete->setData(library::RootKey);
        std::atomic<int> onWindowThread{0}, syncs{0};
        platform::setFileStepWatcher([&](platform::FileStep step, const QString&) {
            if (step == platform::FileStep::SyncFile || step == platform::FileStep::SyncFolder) {
                ++syncs;
                if (QThread::currentThread() == qApp->thread()) ++onWindowThread;
            }
            return 0;
        });
        state.ResumeTiming();
        r.lib().mnuDelete_Click();
        state.PauseTiming();
        platform::setFileStepWatcher({});
        state.counters["syncsOnWindowThread"] = onWindowThread.load();
        state.counters["syncs"] = syncs.load();
        state.counters["left"] = r.db()
                                     .query(QStringLiteral("Select Count(*) As n From Log_Head"))
                                     .longValue(0, QStringLiteral("n"));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteEverything)->Unit(benchmark::kMillisecond)->Iterations(1);

// The tree of 10 000 and of 100 000 downloads, without grouping (arg 2 = 0) and under all three
// groupings (7). Goal: 10 000 under 25 ms, 100 000 under 250 ms (growing linearly).
void BM_BuildLogTreeOfDownloads(benchmark::State& state) {
    LibraryRig r;
    r.storeDownloads(false, false, static_cast<int32_t>(state.range(0)));
    r.group(static_cast<int>(state.range(1)));
    timeTreeBuilds(state, r);
}
BENCHMARK(BM_BuildLogTreeOfDownloads)
    ->ArgsProduct({{10000, 100000}, {0, 7}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Copies what a folder holds into another, sub-folders included; what is there is replaced.
void copyInto(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        QFile::copy(source, target);
    }
}

// The record lines of one interval trend of 5 400 samples whose gas 4 has an event after every
// fourth line of its samples.
QStringList storedTrendLines() {
    testsupport::FakeQM73 fake = testsupport::FakeQM73::Typical();
    testsupport::FakeQM73::IntervalRecording rec = fake.intervals[0];
    rec.gas4.clear();
    rec.gas5.clear();
    rec.status.clear();
    rec.gas4Events.clear();
    for (int k = 0; k < 5400; ++k) {
        rec.gas4.push_back(static_cast<uint16_t>(k % 1000));
        rec.gas5.push_back(static_cast<uint16_t>(250));
        rec.status.push_back({0, k % 50 == 0 ? 1 : 0});
    }
    fake.intervals = {rec};
    QStringList lines;
    int channel = 0, sampleLines = 0;
    for (const QString& line : fake.intervalLines()) {
        lines << line;
        if (line.startsWith(QLatin1String("/01A")) && line.size() > 4 && line.at(4).isDigit()) {
            channel = line.at(4).digitValue();
        } else if (channel == 4 && !line.startsWith(QLatin1Char('/')) && ++sampleLines % 4 == 0) {
            const char* codes[] = {"02", "03", "00"};
            lines << QStringLiteral("/01A4") + QLatin1String(codes[sampleLines / 4 % 3]) +
                         QString(17, QLatin1Char('0')) + QStringLiteral("0000");
        }
    }
    return lines;
}

// A program folder, made once a process for each number of rows: the database with the interval
// trend above stored as download 1 with its events, and `otherEvents` event rows of 1 000 other
// downloads; the data folder with the trend's file.
QString storedTrendFolder(int otherEvents) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> made;
    std::unique_ptr<QTemporaryDir>& dir = made[otherEvents];
    if (dir) return dir->path();
    dir = std::make_unique<QTemporaryDir>();
    const testsupport::GlobalsSnapshot globals;
    testsupport::EndToEndHost host;
    const QStringList lines = storedTrendLines();
    for (qsizetype first = 0; first < lines.size(); first += 20) {
        const QStringList block = lines.mid(first, 20);
        host.intervals.SaveRoutingState();
        bool all = true;
        for (const QString& l : block)
            all = host.intervals.SetDatas(l, true) && all;
        host.intervals.RestoreRoutingState();
        if (all)
            for (const QString& l : block)
                host.intervals.SetDatas(l, false);
    }
    host.storeAll(host.intervals);
    if (otherEvents > 0)
        host.db().exec(
            QStringLiteral("With Recursive n(i) As (Select 0 Union All Select i + 1 From n Where "
                           "i < ?) Insert Into Interval_Event (RelNo, Datetimes, BaseDate, "
                           "Gas4Event) Select 2 + i % 1000, datetime('2024-01-01', '+' || i || ' "
                           "minutes'), '2024-01-01 00:00:00', -104 From n"),
            {static_cast<int32_t>(otherEvents - 1)});
    platform::Database::close(host.folder.paths().database());
    copyInto(host.folder.path(), dir->path());
    return dir->path();
}

// The open of a stored interval trend of 5 400 samples from the library's View Data to the
// table shown, with no (arg 0) or 2 000 000 stored event rows of other downloads. Goal: the
// two within 10 % of each other.
void BM_OpenIntervalTrendAmongEvents(benchmark::State& state) {
    const QString fixture = storedTrendFolder(static_cast<int>(state.range(0)));
    LibraryRig r([&](testsupport::WindowRig& rig) { copyInto(fixture, rig.folder.path()); });
    dataview::DataView& view = *r.window->dataView;
    for (auto _ : state) {
        view.SelectedLogType = 1;
        view.SelectedLogSeqNo = 1;
        r.lib().cmdDetail_Click();
        QApplication::processEvents();
    }
    state.counters["rows"] = r.window->dataPage->vfgBrowse->Rows();
    state.counters["events"] = view.records.interval().EventCount();
}
BENCHMARK(BM_OpenIntervalTrendAmongEvents)
    ->Arg(0)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
