#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <memory>

#include "core/ModMain.h"
#include "mainwindow/shell/FrmMain.h"
#include "platform/Database.h"
#include "records/TrendLines.h"
#include "tests/support/WindowRig.h"

namespace {

// A started main window over a program folder of its own.
struct LibraryRig {
    testsupport::WindowRig rig;
    std::unique_ptr<shell::FrmMain> window;

    LibraryRig() {
        window = std::make_unique<shell::FrmMain>(rig.services());
        window->uclVY5103.setTimerEnabled(false);
        window->Show();
        for (int i = 0; i < 100 && window->fields.ActivationPending; ++i)
            QApplication::processEvents();
        window->resize(1200, 800);
        window->cmdInst_Click(2);
    }
    ~LibraryRig() {
        window.reset();
        platform::Database::close(rig.folder.paths().database());
    }
    platform::Database db() const {
        return platform::Database::open(rig.folder.paths().database());
    }
    library::LogLibrary& lib() { return *window->logLibrary; }

    // 10 000 stored downloads of the seven kinds: 100 serial numbers, 3 stations (only the
    // interval trends have one, as the writers store them), 5 users, 24 month folders. With
    // `oneKind`, all are alarm-event logs of one folder; with `firstKind`, the first 1 000 are
    // interval trends of the folder 01/24 and the others in the other folders.
    void storeDownloads(bool oneKind, bool firstKind = false) {
        static const int kinds[] = {1, 2, 3, 5, 6, 7, 8};
        const platform::Database d = db();
        platform::Transaction t(d);
        const QString insert = QStringLiteral(
            "Insert Into Log_Head (SeqNo, Names, SerialNo, StationID, UserID, FolderID, Types, "
            "Sampling, Dates) Values (?,?,?,?,?,?,?,?,?)");
        for (int32_t i = 1; i <= 10000; ++i) {
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

// The tree of 10 000 downloads under each of the eight groupings (goal: 300 ms each).
void BM_BuildLogTree(benchmark::State& state) {
    LibraryRig r;
    r.storeDownloads(false);
    r.group(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        r.window->fields.LogTreeDirty = true;
        r.lib().BuildLogTree();
    }
    state.counters["nodes"] = static_cast<double>(
        r.window->libraryPage->tvwLog->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive)
            .size());
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

}  // namespace
