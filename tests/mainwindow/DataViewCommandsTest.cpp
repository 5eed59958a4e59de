#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include "core/ModMain.h"
#include "mainwindow/dataview/TrendSearch.h"
#include "mainwindow/download/WindowLogs.h"
#include "runtime/Format.h"
#include "tests/mainwindow/StoredWindow.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/Files.h"
#include "tests/support/KillPoints.h"

using platform::MsgAnswer;
using testsupport::AlarmEvent;
using testsupport::alarmRow;
using testsupport::pointAt;
using testsupport::readFile;
using testsupport::StoredWindow;
using testsupport::writeFile;

namespace {

// The alarm-trend window as a test sees it: what the opening values were when it opened.
struct RecordingTrendWindow : mainwindow::TrendWindow {
    struct Opening {
        int32_t seqNo, mode;
        rt::OleDate baseDate;
    };
    std::vector<Opening> openings;
    void ShowModal() override {
        openings.push_back({core::TrendSelSeqNo, core::TrendSelMode, core::TrendSelBaseDate});
    }
};

struct DataWindow : StoredWindow {
    RecordingTrendWindow trends;
    DataWindow() { window->dataView->trendWindow = &trends; }
    void press(int button) { page().cmdBrowse[button]->click(); }
    QString folderFile(const QString& name) const { return rig.folder.path() + "/" + name; }
};

}  // namespace

// ---- export
// --------------------------------------------------------------------------------------

TEST(DataViewExport, TextFileOfEachKindWithItsEnding) {
    const struct {
        int types;
        const char* firstLine;
        bool oneEnding;
    } cases[] = {{1, "QM-73 Data Sample (Interval Trend)", true},
                 {2, "QM-73 Data Sample (Alarm Trend)", false},
                 {3, "QM-73 Data Sample (Cal. History)", false},
                 {5, "QM-73 Data Sample (Alarm Events)", false},
                 {7, "QM-73 Data Sample (Power Events)", false},
                 {8, "QM-73 Data Sample (Sensor History)", false}};
    DataWindow w;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.types);
        w.open(c.types);
        const QString file = w.folderFile(QStringLiteral("kind%1.csv").arg(c.types));
        w.rig.dialogs.fileNames = {file};
        w.press(2);
        const QByteArray text = readFile(file);
        EXPECT_TRUE(text.startsWith(QByteArray(c.firstLine) + ",\r\n") ||
                    text.startsWith(QByteArray(c.firstLine) + "\r\n"))
            << text.left(60).toStdString();
        EXPECT_TRUE(text.endsWith("\r\n"));
        EXPECT_EQ(text.endsWith("\r\n\r\n"), !c.oneEnding);
        EXPECT_FALSE(text.startsWith("\xEF\xBB\xBF"));  // no byte-order mark
        EXPECT_EQ(w.window->fields.LastExportFile, file);
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(w.window->frmUpload->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        // The file is the text the page's data make.
        dataview::ExportSource s;
        s.type = c.types;
        s.seqNo = w.window->dataView->SelectedLogSeqNo;
        s.database = w.rig.folder.paths().database();
        s.interval = &w.window->dataView->records.interval();
        s.alarm = &w.window->dataView->records.alarm();
        s.history = &w.window->dataView->records.history();
        const QString expected = dataview::ExportBrowseData(s, ",", nullptr) +
                                 (c.oneEnding ? QString() : QStringLiteral("\r\n"));
        EXPECT_EQ(QString::fromUtf8(text), expected);
    }
}

TEST(DataViewExport, ProposedNamesFiltersAndTheirIndex) {
    DataWindow w;
    w.open(5);
    w.rig.dialogs.fileNames = {w.folderFile("x.txt")};
    w.rig.dialogs.filterIndexes = {3};  // Text Comma
    w.press(2);
    ASSERT_EQ(w.rig.dialogs.saveRequests.size(), 1u);
    const auto& first = w.rig.dialogs.saveRequests[0];
    EXPECT_EQ(first.initialPath, w.folderFile("Sample.csv"));
    EXPECT_EQ(first.filter,
              "Comma csv (*.csv)|*.csv|Tab csv (*.csv)|*.csv|Text Comma (*.txt)|*.txt");
    EXPECT_EQ(first.filterIndex, 1);
    EXPECT_TRUE(readFile(w.folderFile("x.txt")).contains("No,Date/Time,Gas,Event"));

    // The next text export offers x.csv, and TAB is written with the second filter.
    w.rig.dialogs.fileNames = {w.folderFile("y.csv")};
    w.rig.dialogs.filterIndexes = {2};
    w.press(2);
    EXPECT_EQ(w.rig.dialogs.saveRequests[1].initialPath, w.folderFile("x.csv"));
    EXPECT_EQ(w.rig.dialogs.saveRequests[1].filterIndex, 1);
    EXPECT_TRUE(readFile(w.folderFile("y.csv")).contains("No\tDate/Time\tGas\tEvent"));

    // A bitmap export offers y.bmp; a name in capitals is offered as it is.
    w.open(1);
    w.page().optBrowse[1]->setChecked(true);
    w.rig.dialogs.fileNames = {w.folderFile("G.BMP")};
    w.press(2);
    EXPECT_EQ(w.rig.dialogs.saveRequests[2].initialPath, w.folderFile("y.bmp"));
    EXPECT_EQ(w.rig.dialogs.saveRequests[2].filter, "Bitmap bmp (*.bmp)|*.bmp| ");
    w.rig.dialogs.fileNames = {};
    w.press(2);  // cancelled
    EXPECT_EQ(w.rig.dialogs.saveRequests[3].initialPath, w.folderFile("G.BMP"));
    EXPECT_EQ(w.window->fields.LastExportFile, w.folderFile("G.BMP"));  // a cancel keeps it
    w.page().optBrowse[0]->setChecked(true);
    w.rig.dialogs.fileNames = {};
    w.press(2);
    EXPECT_EQ(w.rig.dialogs.saveRequests[4].initialPath, w.folderFile("G.csv"));
}

TEST(DataViewExport, TheBitmapIsTheGraphsPictureWithoutTheCursor) {
    DataWindow w;
    w.open(1);
    w.page().optBrowse[1]->setChecked(true);
    w.page().chkBrowse[6]->setChecked(true);  // the cursor shown
    w.settle();
    const QString file = w.folderFile("graph.bmp");
    w.rig.dialogs.fileNames = {file};
    w.press(2);
    const QImage saved(file, "BMP");
    ASSERT_FALSE(saved.isNull());
    const QImage picture = w.page().zvdGraph->Picture().convertToFormat(saved.format());
    EXPECT_EQ(saved.size(), picture.size());
    EXPECT_TRUE(saved == picture);
    EXPECT_TRUE(readFile(file).startsWith("BM"));
}

TEST(DataViewExport, ReplacingAskesAndNoLeavesTheFile) {
    DataWindow w;
    w.open(5);
    const QString file = w.folderFile("old.csv");
    writeFile(file, "old contents\n");
    w.rig.dialogs.fileNames = {file};
    w.rig.dialogs.answers = {MsgAnswer::No};
    w.press(2);
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "File Found. Over Write OK?");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Override");
    EXPECT_EQ(w.rig.dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(readFile(file), "old contents\n");
    EXPECT_TRUE(w.window->fields.LastExportFile.isEmpty());
    w.rig.dialogs.fileNames = {file};
    w.rig.dialogs.answers = {MsgAnswer::Yes};
    w.press(2);
    EXPECT_TRUE(readFile(file).startsWith("QM-73 Data Sample (Alarm Events)"));
}

// A disk that fills half way through: the write is cut short, which is no success; the old
// file stays as it was.
TEST(DataViewExport, AWriteCutShortIsToldAndTheOldFileKept) {
    DataWindow w;
    w.open(1);
    const QString file = w.folderFile("full.csv");
    writeFile(file, "old contents\n");
    for (int view : {0, 1}) {
        SCOPED_TRACE(view);
        w.page().optBrowse[view]->setChecked(true);
        w.settle();
        const QString target = view == 0 ? file : w.folderFile("full.bmp");
        if (view == 1) writeFile(target, "old contents\n");
        w.rig.dialogs.fileNames = {target};
        w.rig.dialogs.answers = {MsgAnswer::Yes};
        w.rig.dialogs.messages.clear();
        {
            const testsupport::FileSizeLimit limit(512);
            w.press(2);
        }
        ASSERT_EQ(w.rig.dialogs.messages.size(), 2u);
        EXPECT_EQ(w.rig.dialogs.messages[1].icon, platform::MsgIcon::Critical);
        EXPECT_EQ(readFile(target), "old contents\n");
        EXPECT_TRUE(w.window->fields.LastExportFile.isEmpty());
    }
    EXPECT_EQ(QDir(w.rig.folder.path()).entryList({"full*"}, QDir::Files).size(), 2);
}

// An export killed while its file is written leaves its temporary file beside it; the next
// export to that file removes it, and leaves a file of the user's that merely looks like it.
TEST(DataViewExport, WhatAKilledExportLeftGoesWithTheNextExport) {
    DataWindow w;
    w.open(1);
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    for (int view : {0, 1}) {
        SCOPED_TRACE(view);
        w.page().optBrowse[view]->setChecked(true);
        w.settle();
        const QString name = view == 0 ? "k.csv" : "k.bmp";
        const QString killed = dir.filePath(QStringLiteral("killed%1").arg(view));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        writeFile(out + "/" + name + ".bzZfbS", "the user's own");
        platform::setFileStepWatcher([&](platform::FileStep step, const QString& path) {
            if (step == platform::FileStep::SyncFile && path.startsWith(out) &&
                !QFileInfo::exists(killed))
                testsupport::copyFolder(out, killed);
            return 0;
        });
        w.rig.dialogs.fileNames = {out + "/" + name};
        w.press(2);
        platform::setFileStepWatcher({});
        // What the next start finds.
        QDir(out).removeRecursively();
        testsupport::copyFolder(killed, out);
        ASSERT_EQ(QDir(out).entryList(QDir::Files).size(), 2);
        w.rig.dialogs.fileNames = {out + "/" + name};
        w.press(2);
        EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList({name, name + ".bzZfbS"}));
        EXPECT_EQ(readFile(out + "/" + name + ".bzZfbS"), "the user's own");
        EXPECT_TRUE(w.rig.dialogs.messages.empty());
    }
}

TEST(DataViewExport, AFailedExportIsToldAndChangesNothing) {
    DataWindow w;
    w.open(5);
    // A name that a file cannot take: a folder holds it.
    const QString target = w.folderFile("taken.csv");
    QDir().mkpath(target);
    writeFile(target + "/inside.txt", "old contents\n");
    w.rig.dialogs.fileNames = {target};
    w.rig.dialogs.answers = {MsgAnswer::Yes};
    w.press(2);
    ASSERT_EQ(w.rig.dialogs.messages.size(), 2u);
    EXPECT_TRUE(w.rig.dialogs.messages[1].text.contains(target));
    EXPECT_EQ(w.rig.dialogs.messages[1].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(readFile(target + "/inside.txt"), "old contents\n");
    EXPECT_EQ(QDir(w.rig.folder.path()).entryList({"taken*"}, QDir::AllEntries).size(), 1);
    EXPECT_TRUE(w.window->fields.LastExportFile.isEmpty());
    EXPECT_EQ(download::ActivityCode, 0);
    EXPECT_FALSE(w.window->frmUpload->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.page().cmdBrowse[2]->isEnabled());
    EXPECT_FALSE(w.window->busy.busy());
}

TEST(DataViewExport, NothingElseStartsWhileItRuns) {
    DataWindow w;
    // A long interval trend of the page's own record, so that the export lets events through.
    records::clsInterval& r = w.window->dataView->records.interval();
    w.open(1);
    const int samples = 40000;
    r.setDataCount(samples);
    for (int i = 0; i < samples; ++i) {
        r.setDateTimes(i, rt::OleDate::fromCivil(2024, 1, 1, 0, 0, 0)->addSeconds(i * 60));
        r.setGasValue(3, i, float(i % 100));
    }
    const QString file = w.folderFile("long.csv");
    w.rig.dialogs.fileNames = {file};
    bool tried = false;
    int shownPage = -1;
    QTimer::singleShot(0, [&] {
        tried = true;
        EXPECT_EQ(download::ActivityCode, 8);
        EXPECT_TRUE(w.window->frmUpload->isVisible());
        w.press(2);                     // a second export
        w.window->cmdInst[0]->click();  // the menu
        shownPage = w.window->fraMenu[0]->isHidden() ? 3 : 0;
    });
    w.press(2);
    EXPECT_TRUE(tried);
    EXPECT_EQ(w.rig.dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(shownPage, 3);
    EXPECT_EQ(readFile(file).count("\r\n"), 12 + samples + r.EventCount());
    EXPECT_TRUE(w.window->cmdInst[0]->isEnabled());
}

// ---- copy, print, summary, return ------------------------------------------------------------

TEST(DataViewCommands, CopyTakesTheTableAsTabTextOrTheGraphsPicture) {
    DataWindow w;
    w.open(7);
    w.press(1);
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith("QM-73 Data Sample (Power Events)\r\nSerial No.\tSN000001\r\n"));
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_FALSE(text.endsWith("\r\n\r\n"));
    w.open(1);
    w.page().optBrowse[1]->setChecked(true);
    w.press(1);
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), w.page().zvdGraph->Picture().size());
}

TEST(DataViewCommands, PrintHandsTheDownloadToThePrintForm) {
    DataWindow w;
    auto& printed = w.rig.printed;
    w.open(1);
    w.press(0);
    w.page().optBrowse[1]->setChecked(true);
    w.press(0);
    w.open(5);
    w.press(0);
    w.window->dataView->SelectedLogSeqNo = 40000;  // beyond 16 bits
    w.press(0);
    ASSERT_EQ(printed.size(), 4u);
    EXPECT_EQ(printed[0].printType, 0);
    EXPECT_EQ(printed[0].dataType, 1);
    EXPECT_EQ(printed[0].interval, &w.window->dataView->records.interval());
    EXPECT_EQ(printed[0].alarm, nullptr);
    EXPECT_EQ(printed[0].table, static_cast<platform::CellTable*>(w.page().vfgBrowse));
    EXPECT_EQ(printed[1].printType, -1);
    EXPECT_EQ(printed[2].dataType, 5);
    EXPECT_EQ(printed[2].seqNo, w.seqNoOf(5));
    EXPECT_EQ(printed[2].alarm, &w.window->dataView->records.alarm());
    EXPECT_EQ(printed[3].seqNo, 40000);
}

TEST(DataViewCommands, SummaryTogglesAndReturnGoesToTheLibrary) {
    DataWindow w;
    w.open(5);
    const bool shown = !w.page().vfgSummary->isHidden();
    w.press(3);
    EXPECT_EQ(w.page().vfgSummary->isHidden(), shown);
    w.press(3);
    EXPECT_EQ(w.page().vfgSummary->isHidden(), !shown);
    w.press(4);
    EXPECT_FALSE(w.window->fraMenu[2]->isHidden());
    EXPECT_TRUE(w.window->fraMenu[3]->isHidden());
}

// ---- the trend search -------------------------------------------------------------------------

namespace {

// An alarm trend of the same instrument stored `offset` seconds after the interval trend's
// ALARM event (14:45:09 on 2024-05-31).
int32_t storeAlarmTrendNear(StoredWindow& w, int offset, const QString& serial = "SN000001") {
    const platform::Database db = w.db();
    const int32_t seqNo = db.MaxSeq("Log_Head");
    db.exec("Insert Into Log_Head(SeqNo, Types, SerialNo, Dates) Values (?, 2, ?, ?)",
            {seqNo, serial, rt::OleDate::fromCivil(2024, 5, 31, 14, 45, 9)->addSeconds(offset)});
    return seqNo;
}

}  // namespace

TEST(DataViewSearch, TrendSearchFindsTheNearestWithinItsWindow) {
    DataWindow w;
    const QString db = w.rig.folder.paths().database();
    const auto search = [&](int before, int after, const QString& serial = "SN000001",
                            int32_t current = 0) {
        return dataview::TrendSearch(db, current, serial, AlarmEvent, before, after);
    };
    const int32_t before30 = storeAlarmTrendNear(w, -30);
    EXPECT_EQ(search(-30, 45), before30);  // both ends belong to the window
    EXPECT_EQ(search(-29, 45), -1);
    EXPECT_EQ(search(-30, 45, "SN000001", before30), -1);  // the download shown is left out
    const int32_t after45 = storeAlarmTrendNear(w, 45);
    EXPECT_EQ(search(0, 45), after45);
    EXPECT_EQ(search(0, 44), -1);
    // The nearest wins; of two as near, the earlier.
    const int32_t after10 = storeAlarmTrendNear(w, 10);
    const int32_t after5 = storeAlarmTrendNear(w, 5);
    EXPECT_EQ(search(-30, 45), after5);
    const int32_t before5 = storeAlarmTrendNear(w, -5);
    EXPECT_EQ(search(-30, 45), before5);
    (void)after10;
    // Another instrument's trends do not count; a serial number with an apostrophe is a value.
    const int32_t other = storeAlarmTrendNear(w, 0, "O'BRIEN-1");
    EXPECT_EQ(search(-30, 45, "O'BRIEN-1"), other);
    EXPECT_EQ(search(10, -10), -1);  // a window that ends before it starts
}

TEST(DataViewSearch, ATableCellOfAnEventOpensTheNearestAlarmTrend) {
    DataWindow w;
    core::TrendSearchBefore = -30;
    core::TrendSearchAfter = 45;
    storeAlarmTrendNear(w, 40);
    const int32_t nearest = storeAlarmTrendNear(w, -20);
    w.open(1);
    platform::FlexGrid& g = *w.page().vfgBrowse;
    const int row = alarmRow(g);
    ASSERT_GT(row, 0);
    pointAt(g, row, 2, false);
    EXPECT_EQ(g.MousePointer(), 99);  // the pointer says it leads somewhere
    pointAt(g, row, 1, false);
    EXPECT_EQ(g.MousePointer(), 0);
    pointAt(g, row, 2, true);
    ASSERT_EQ(w.trends.openings.size(), 1u);
    EXPECT_EQ(w.trends.openings[0].seqNo, nearest);
    EXPECT_EQ(w.trends.openings[0].mode, 2);
    EXPECT_EQ(w.trends.openings[0].baseDate, AlarmEvent);
    EXPECT_EQ(g.MousePointer(), 0);
    // A cell of a plain sample, or a coloured cell of another kind, opens nothing.
    pointAt(g, row - 1, 2, true);
    EXPECT_EQ(w.trends.openings.size(), 1u);
    g.setCell(platform::FlexProperty::BackColor, row, 2, row, 2, 0);
    pointAt(g, row, 2, true);
    EXPECT_EQ(w.trends.openings.size(), 1u);
}

TEST(DataViewSearch, NoTrendNearTheEventIsTold) {
    DataWindow w;
    core::TrendSearchBefore = -30;
    core::TrendSearchAfter = 45;
    storeAlarmTrendNear(w, 100);
    w.open(1);
    platform::FlexGrid& g = *w.page().vfgBrowse;
    pointAt(g, alarmRow(g), 2, true);
    EXPECT_TRUE(w.trends.openings.empty());
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "Trend data not found");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Trend search");
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(g.MousePointer(), 0);
}

// The hourglass shows while the trend is searched and opened, and is gone before the user is
// told that there is none: from the table and from the graph alike.
TEST(DataViewSearch, ThePointerIsBackBeforeNotFoundIsToldAndWaitsWhileATrendOpens) {
    const auto shape = [](const QWidget& surface) { return surface.cursor().shape(); };
    for (const bool graph : {false, true}) {
        SCOPED_TRACE(graph ? "graph" : "table");
        DataWindow w;
        core::TrendSearchBefore = -30;
        core::TrendSearchAfter = 45;
        w.window->resize(1200, 800);
        w.open(1);
        platform::FlexGrid& table = *w.page().vfgBrowse;
        graph::uclZvdGraph& g = *w.page().zvdGraph;
        if (graph) {
            w.page().optBrowse[1]->setChecked(true);
            w.page().chkBrowse[5]->setChecked(true);  // the marks shown
            w.settle();
        }
        // What the user's pointer is over the control clicked.
        QWidget& surface = graph ? static_cast<QWidget&>(*g.picGraph)
                                 : *table.findChild<QTableView*>()->viewport();
        const auto pointer = [&] { return graph ? int(g.MousePointer()) : table.MousePointer(); };
        const auto press = [&] {
            if (!graph) {
                pointAt(table, alarmRow(table), 2, true);
                return;
            }
            const int32_t seconds = g.SecondsFromStart(AlarmEvent);
            const QPointF at(g.xPos(static_cast<float>(seconds)) / 15,
                             g.EventData[3].EventRowY / 15);
            QMouseEvent e(QEvent::MouseButtonPress, at, g.picGraph->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(g.picGraph, &e);
        };

        std::vector<std::pair<int, Qt::CursorShape>> told;
        w.rig.dialogs.onMessage = [&](const testsupport::ScriptedDialogs::Message&) {
            told.emplace_back(pointer(), shape(surface));
        };
        press();
        ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
        EXPECT_EQ(w.rig.dialogs.messages[0].text, "Trend data not found");
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].first, 0);
        EXPECT_NE(told[0].second, Qt::WaitCursor);

        // Found: the hourglass while the trend's window is open, the pointer back after it.
        storeAlarmTrendNear(w, 3);
        std::vector<std::pair<int, Qt::CursorShape>> opening;
        struct Watching : mainwindow::TrendWindow {
            std::function<void()> shown;
            void ShowModal() override { shown(); }
        } watching;
        watching.shown = [&] { opening.emplace_back(pointer(), shape(surface)); };
        w.window->dataView->trendWindow = &watching;
        press();
        ASSERT_EQ(opening.size(), 1u);
        EXPECT_EQ(opening[0].first, 11);
        EXPECT_EQ(opening[0].second, Qt::WaitCursor);
        EXPECT_EQ(pointer(), 0);
        EXPECT_NE(shape(surface), Qt::WaitCursor);
        w.window->dataView->trendWindow = &w.trends;
    }
}

TEST(DataViewSearch, AnEventMarkOfTheGraphOpensItsTrend) {
    DataWindow w;
    core::TrendSearchBefore = -30;
    core::TrendSearchAfter = 45;
    const int32_t nearest = storeAlarmTrendNear(w, 3);
    w.window->resize(1200, 800);
    w.open(1);
    w.page().optBrowse[1]->setChecked(true);
    w.page().chkBrowse[5]->setChecked(true);  // the marks shown
    w.settle();
    graph::uclZvdGraph& g = *w.page().zvdGraph;
    const auto markPoint = [&](rt::OleDate date) {
        const int32_t seconds = g.SecondsFromStart(date);
        return QPointF(g.xPos(static_cast<float>(seconds)) / 15, g.EventData[3].EventRowY / 15);
    };
    const auto mouse = [&](QEvent::Type type, QPointF at) {
        QMouseEvent e(type, at, g.picGraph->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(g.picGraph, &e);
    };
    mouse(QEvent::MouseMove, markPoint(AlarmEvent));
    EXPECT_EQ(g.MousePointer(), 99);
    mouse(QEvent::MouseMove, QPointF(5, 5));
    EXPECT_EQ(g.MousePointer(), 0);
    mouse(QEvent::MouseButtonPress, markPoint(AlarmEvent));
    ASSERT_EQ(w.trends.openings.size(), 1u);
    EXPECT_EQ(w.trends.openings[0].seqNo, nearest);
    EXPECT_EQ(w.trends.openings[0].baseDate, AlarmEvent);
    EXPECT_EQ(g.MousePointer(), 0);
    // Only the four words, as written, lead anywhere.
    g.setEventFlag(3, 1, "Alarm");
    g.Refresh();
    mouse(QEvent::MouseButtonPress, markPoint(AlarmEvent));
    EXPECT_EQ(w.trends.openings.size(), 1u);
    // With the marks hidden a click does nothing.
    g.setEventFlag(3, 1, "ALARM");
    w.page().chkBrowse[5]->setChecked(false);
    mouse(QEvent::MouseButtonPress, markPoint(AlarmEvent));
    EXPECT_EQ(w.trends.openings.size(), 1u);
}
