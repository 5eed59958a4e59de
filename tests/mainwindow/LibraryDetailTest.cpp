#include <gtest/gtest.h>

#include <QFileInfo>
#include <QScopeGuard>
#include <optional>

#include "core/GasCommon.h"
#include "core/TrendFile.h"
#include "records/TrendLines.h"
#include "runtime/Color.h"
#include "tests/mainwindow/LibraryWindow.h"
#include "tests/mainwindow/StoredWindow.h"

namespace {

using testsupport::LibraryWindow;
using testsupport::lines;
using testsupport::StoredHead;

QString key(int32_t seqNo, const char* letter) {
    return QString::number(seqNo) + QLatin1Char(' ') + QLatin1String(letter);
}

TEST(LibraryDetail, AnIntervalTrendShowsItsHeader) {
    LibraryWindow w;
    const rt::OleDate start = rt::OleDate::fromDateTime(QDate(2026, 5, 14), QTime(9, 30, 5));
    const rt::OleDate peak = rt::OleDate::fromDateTime(QDate(2026, 5, 14), QTime(13, 45, 10));
    const int32_t seqNo = w.add({.names = "T1",
                                 .serial = " ",
                                 .user = "U9",
                                 .date = start,
                                 .count = 720,
                                 .interval = 10,
                                 .full = 500,
                                 .average = 123,
                                 .maximum = 456,
                                 .point = 1,
                                 .maximumDate = peak});
    w.openDataPage();
    w.lib().ShowLogDetail(key(seqNo, "G"));
    platform::FlexGrid& g = w.grid();
    ASSERT_EQ(g.Rows(), 11);
    ASSERT_EQ(g.Cols(), 2);
    EXPECT_EQ(w.gridColumn(0),
              lines({"Property", "Name", "Start Date/Time", "Serial No.", "User ID", "Data Count",
                     "Interval Time (sec)", "Gas(FullScale)", "Avg", "Max", "Max Date/Time"}));
    EXPECT_EQ(w.gridColumn(1), QStringList({"Value", "T1", rt::GeneralDate(start), "*", "U9", "720",
                                            "10", core::GasCaptionFrom("CO", "ppm", 500, 1), "12.3",
                                            "45.6", "05/14 13:45:10"}));
    EXPECT_EQ(g.Cell(platform::FlexProperty::BackColor, 7, 1), rt::RGB(224, 224, 224));
    EXPECT_EQ(g.Cell(platform::FlexProperty::BackColor, 6, 1), 0);
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, 0, 0), 4);
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, 8, 1), 4);
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, 10, 1), 1);
    EXPECT_EQ(g.Cell(platform::FlexProperty::Alignment, 3, 1), 1);
    for (int row = 0; row < g.Rows(); ++row)
        EXPECT_EQ(g.MergeRow(row), row <= 6) << row;
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_TRUE(w.page().cmdDetail->isEnabled());
    EXPECT_EQ(w.window->dataView->SelectedLogType, 1);
    EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, seqNo);
}

TEST(LibraryDetail, NoStatisticsForAnOffGasOrAMissingMaximum) {
    LibraryWindow w;
    const int32_t off = w.add({.average = 5, .maximum = 9, .enabled = false});
    const int32_t noMaximum = w.add({.average = 5, .maximum = -101});
    w.openDataPage();
    w.lib().ShowLogDetail(key(off, "G"));
    EXPECT_EQ(w.gridColumn(1).mid(8), lines({"-----", "-----", "-----"}));
    w.lib().ShowLogDetail(key(noMaximum, "G"));
    EXPECT_EQ(w.gridColumn(1).mid(8), lines({"5", "-----", "-----"}));
    // A download that is gone leaves the captions' row and empty rows.
    w.lib().ShowLogDetail(key(999, "G"));
    EXPECT_EQ(w.grid().Rows(), 11);
    EXPECT_EQ(w.gridRow(0), lines({"Property", "Value"}));
    EXPECT_EQ(w.gridRow(1), lines({"", ""}));
}

// An alarm trend's file of `records` samples, gas 4 reading `value` at the 361st.
void writeAlarmFile(const QString& folder, const QString& name, int records, float value) {
    const QString path = records::TrendFileOf(folder, name);
    QDir().mkpath(QFileInfo(path).path());
    core::TrendFile file(path);
    for (int r = 1; r <= records; ++r)
        for (int16_t gas = 1; gas <= 5; ++gas)
            core::PutSample(r, file, gas, r == 361 && gas == 4 ? value : 1.0f,
                            rt::OleDate::DateSerial(2026, 5, 14));
    file.close();
}

TEST(LibraryDetail, AnAlarmTrendShowsTheReadingAtItsAlarm) {
    struct Case {
        const char* what;
        int records;  // -1: no file
        int32_t seqNo;
        const char* value;
    };
    const std::vector<Case> cases = {
        {"full file", 721, 0, "12.5"},          {"exactly 361", 361, 0, "12.5"},
        {"short file", 360, 0, "-----"},        {"no file", -1, 0, "-----"},
        {"beyond 16 bits", 721, 40000, "12.5"}, {"over the full scale", 721, 0, "OVER"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LibraryWindow w;
        const QString name = QStringLiteral("AT %1").arg(c.what);
        const bool over = QString(c.what).startsWith("over");
        if (c.records >= 0) writeAlarmFile("05/26", name, c.records, over ? 600.0f : 12.5f);
        const int32_t seqNo = w.add(
            {.seqNo = c.seqNo, .names = name, .types = 2, .count = 721, .interval = 1, .point = 1});
        w.openDataPage();
        w.lib().ShowLogDetail(key(seqNo, "K"));
        ASSERT_EQ(w.grid().Rows(), 9);
        EXPECT_EQ(w.gridColumn(0),
                  lines({"Property", "Name", "Alarm Date/Time", "Serial No.", "User ID",
                         "Data Count", "Interval Time (sec)", "Gas(FullScale)", "Value"}));
        EXPECT_EQ(w.grid().TextMatrix(8, 1), c.value);
        EXPECT_EQ(w.grid().Row(), 8);
        EXPECT_EQ(w.grid().Col(), 1);
        EXPECT_EQ(w.window->dataView->SelectedLogType, 2);
        EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, seqNo);
        // The lookup never makes a trend file.
        if (c.records < 0) {
            EXPECT_FALSE(QFileInfo::exists(records::TrendFileOf("05/26", name)));
        }
    }
}

// The detail rows of a log: `count` rows, the newest last stored.
void storeRows(LibraryWindow& w, const char* table, int32_t relNo, int count) {
    const platform::Database d = w.db();
    for (int i = 0; i < count; ++i) {
        const rt::OleDate when = rt::OleDate::DateSerial(2026, 5, 1 + i);
        const QString t = QString::fromLatin1(table);
        if (t == "cHistory")
            d.exec(
                "Insert Into cHistory (RelNo, Dates, Gas4GasName, Gas4Before, Gas4After, "
                "Gas4Point) Values (?,?,?,?,?,?)",
                {relNo, when, QStringLiteral("CO%1").arg(i), 10.0f + i, 20.5f, int16_t(1)});
        else if (t == "Power_Event")
            d.exec("Insert Into Power_Event (RelNo, Dates, Power_Type) Values (?,?,?)",
                   {relNo, when, i % 2 == 0});
        else if (t == "SensorHistory")
            d.exec(
                "Insert Into SensorHistory (RelNo, Dates, SensorNo, GasName, FullScale) "
                "Values (?,?,?,?,?)",
                {relNo, when, QStringLiteral("S%1").arg(i), QStringLiteral("O2"), 25.5});
        else
            d.exec(QStringLiteral("Insert Into %1 (RelNo, Dates, GasName, Alarm_Type) Values "
                                  "(?,?,?,?)")
                       .arg(t),
                   {relNo, when, QStringLiteral("CO%1").arg(i), int32_t(-104)});
    }
}

TEST(LibraryDetail, DetailLogsShowTheirNewestRowsAndTheTotal) {
    struct Case {
        int types;
        const char* letter;
        const char* table;
        int allUpTo;  // every row shown up to this count
        int shownWhenMany;
        QStringList captions;
        QStringList total;  // of allUpTo + 1 rows
    };
    const std::vector<Case> cases = {
        {3, "H", "cHistory", 9, 9, lines({"DateTime", "Gas", "Before", "After"}),
         lines({"...", "Total", "10", " Data"})},
        {5, "V", "Alarm_Event", 10, 8, lines({"DateTime", "Gas", "Event"}),
         lines({"...", "Total", "11 Data"})},
        {6, "W", "Trouble_Event", 10, 8, lines({"DateTime", "Gas/Body", "Event"}),
         lines({"...", "Total", "11 Data"})},
        {7, "P", "Power_Event", 10, 8, lines({"DateTime", "Power"}),
         lines({"...", "Total 11 Data"})},
        {8, "Q", "SensorHistory", 10, 8, lines({"DateTime", "SensorNO", "Gas", "FullScale"}),
         lines({"...", "Total 11 Data"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.letter);
        LibraryWindow w;
        const int32_t few = w.add({.types = c.types});
        const int32_t many = w.add({.types = c.types});
        const int32_t none = w.add({.types = c.types});
        storeRows(w, c.table, few, c.allUpTo);
        storeRows(w, c.table, many, c.allUpTo + 1);
        w.openDataPage();

        w.lib().ShowLogDetail(key(few, c.letter));
        EXPECT_EQ(w.gridRow(0), c.captions);
        ASSERT_EQ(w.grid().Rows(), c.allUpTo + 1);
        const QString newest = rt::GeneralDate(rt::OleDate::DateSerial(2026, 5, c.allUpTo));
        const QString oldest = rt::GeneralDate(rt::OleDate::DateSerial(2026, 5, 1));
        EXPECT_EQ(w.grid().TextMatrix(1, 0), newest);
        EXPECT_EQ(w.grid().TextMatrix(c.allUpTo, 0), oldest);
        for (int row = 0; row < w.grid().Rows(); ++row)
            EXPECT_FALSE(w.grid().MergeRow(row));
        EXPECT_EQ(w.grid().Cell(platform::FlexProperty::Alignment, 0, 0), 4);

        w.lib().ShowLogDetail(key(many, c.letter));
        ASSERT_EQ(w.grid().Rows(), 11);
        EXPECT_EQ(w.grid().TextMatrix(1, 0),
                  rt::GeneralDate(rt::OleDate::DateSerial(2026, 5, c.allUpTo + 1)));
        EXPECT_FALSE(w.grid().TextMatrix(c.shownWhenMany, 0).isEmpty());
        if (c.shownWhenMany < 9) {
            EXPECT_EQ(w.gridRow(9), QStringList(c.captions.size(), ""));
        }
        QStringList total = c.total;
        while (total.size() < c.captions.size())
            total << QString();
        EXPECT_EQ(w.gridRow(10), total);

        w.lib().ShowLogDetail(key(none, c.letter));
        EXPECT_EQ(w.grid().Rows(), 2);
        EXPECT_EQ(w.gridRow(1), QStringList(c.captions.size(), ""));
    }
}

TEST(LibraryDetail, TheTextsOfEachDetailRow) {
    LibraryWindow w;
    const int32_t history = w.add({.types = 3});
    const int32_t alarms = w.add({.types = 5});
    const int32_t power = w.add({.types = 7});
    const int32_t sensors = w.add({.types = 8});
    storeRows(w, "cHistory", history, 1);
    storeRows(w, "Alarm_Event", alarms, 1);
    storeRows(w, "Power_Event", power, 2);
    storeRows(w, "SensorHistory", sensors, 1);
    w.openDataPage();
    const QString first = rt::GeneralDate(rt::OleDate::DateSerial(2026, 5, 1));
    const QString second = rt::GeneralDate(rt::OleDate::DateSerial(2026, 5, 2));
    w.lib().ShowLogDetail(key(history, "H"));
    EXPECT_EQ(w.gridRow(1),
              QStringList({first, "CO0", core::ValueText(10, 1), core::ValueText(20.5f, 1)}));
    EXPECT_EQ(w.grid().ColAlignment(2), 4);
    EXPECT_EQ(w.grid().ColAlignment(1), 1);
    w.lib().ShowLogDetail(key(alarms, "V"));
    ASSERT_FALSE(core::EventCodeText(-104).isEmpty());
    EXPECT_EQ(w.gridRow(1), QStringList({first, "CO0", core::EventCodeText(-104)}));
    w.lib().ShowLogDetail(key(power, "P"));
    EXPECT_EQ(w.gridRow(1), QStringList({second, "OFF"}));
    EXPECT_EQ(w.gridRow(2), QStringList({first, "ON"}));
    w.lib().ShowLogDetail(key(sensors, "Q"));
    EXPECT_EQ(w.gridRow(1), QStringList({first, "S0", "O2", "25.5"}));
}

TEST(LibraryDetail, ASensorHistoryLeavesTheSelectionAsItWas) {
    LibraryWindow w;
    const int32_t sensors = w.add({.types = 8});
    const int32_t alarms = w.add({.types = 5});
    w.openDataPage();
    dataview::DataView& view = *w.window->dataView;
    view.SelectedLogType = 1;
    view.SelectedLogSeqNo = 77;
    w.lib().ShowLogDetail(key(sensors, "Q"));
    EXPECT_EQ(view.SelectedLogType, 1);
    EXPECT_EQ(view.SelectedLogSeqNo, 77);
    EXPECT_TRUE(w.page().cmdDetail->isEnabled());
    // The list's own click selects it.
    w.clickNode({"05/26", "Sensor Change History"});
    EXPECT_EQ(view.SelectedLogType, 8);
    EXPECT_EQ(view.SelectedLogSeqNo, sensors);
    w.lib().ShowLogDetail(key(alarms, "V"));
    EXPECT_EQ(view.SelectedLogType, 5);
    EXPECT_EQ(view.SelectedLogSeqNo, alarms);
    // A group item shows the placeholder and turns the open buttons off.
    w.lib().ShowLogDetail("05/26 M");
    EXPECT_EQ(w.grid().Rows(), 2);
    EXPECT_EQ(w.gridRow(1), lines({"Type", "Folder"}));
    EXPECT_FALSE(w.page().cmdDetail->isEnabled());
    EXPECT_FALSE(w.page().cmdLogInst->isEnabled());
    EXPECT_EQ(view.SelectedLogType, 5);
}

// ---- opening a stored download -------------------------------------------------------------

TEST(LibraryOpen, NothingSelectedIsTold) {
    LibraryWindow w;
    w.openDataPage();
    w.page().cmdDetail->setEnabled(true);
    w.page().cmdDetail->click();
    w.settle();
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "No data selected. Select data to view.");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "No view Data");
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Information);
    EXPECT_FALSE(w.window->fraMenu[2]->isHidden());
    EXPECT_TRUE(w.window->fraMenu[3]->isHidden());
}

QTreeWidgetItem* kindNode(platform::KeyedTree& tree, const QString& text) {
    const QList<QTreeWidgetItem*> found =
        tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

TEST(LibraryOpen, AStoredTrendOpensInTheDataView) {
    testsupport::StoredWindow w;
    shell::FrmMain& win = *w.window;
    // No view chosen yet: the table is.
    for (QRadioButton* option : win.dataPage->optBrowse) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
    win.cmdInst_Click(2);
    w.settle();
    QTreeWidgetItem* intervals = kindNode(*win.libraryPage->tvwLog, "Interval Trend");
    ASSERT_NE(intervals, nullptr);
    core::CompletelyView = false;
    win.logLibrary->tvwLog_NodeClick(intervals);
    EXPECT_EQ(win.dataView->SelectedLogType, 1);
    win.libraryPage->cmdDetail->click();
    w.settle();
    EXPECT_TRUE(win.dataPage->optBrowse[0]->isChecked());
    EXPECT_TRUE(core::OutlineMode);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(win.fraMenu[i]->isHidden(), i != 3) << i;
    EXPECT_GT(win.dataPage->vfgBrowse->Rows(), 1);

    // Every sample, when the settings say so.
    core::CompletelyView = true;
    win.cmdInst_Click(2);
    win.logLibrary->cmdDetail_Click();
    EXPECT_FALSE(core::OutlineMode);

    // An alarm trend opens with its alarm in the middle of the table.
    win.cmdInst_Click(2);
    QTreeWidgetItem* alarms = kindNode(*win.libraryPage->tvwLog, "Alarm Trend");
    ASSERT_NE(alarms, nullptr);
    win.logLibrary->tvwLog_NodeClick(alarms);
    ASSERT_EQ(win.dataView->SelectedLogType, 2);
    win.logLibrary->cmdDetail_Click();
    w.settle();
    platform::FlexGrid& table = *win.dataPage->vfgBrowse;
    ASSERT_GT(table.Rows(), 361);
    EXPECT_GT(table.TopRow(), 1);
    EXPECT_LE(table.TopRow(), 361);
    EXPECT_GE(table.BottomRow(), 361);
}

TEST(LibraryOpen, ATrendFileOutsideTheDataFolderIsNotReadAndTheDownloadShowsAsDamaged) {
    for (const int types : {1, 2}) {
        SCOPED_TRACE(types);
        LibraryWindow w;
        const QString data = w.rig.folder.paths().dataFolder();
        const QString own = QFileInfo(w.rig.folder.path()).fileName();
        const struct {
            const char* what;
            std::optional<QString> folder, name;
            QString shownName;
            QStringList planted;  // where the pieces, joined as they are, would lead
        } cases[] = {
            {"folder ..", "..", own + "_up", own + "_up", {data + "/../../" + own + "_up.Dat"}},
            {"folder /x", "/x", "abs", "abs", {data + "//x//x/abs.Dat"}},
            {"folder a/b", "a/b", "sep", "sep", {data + "//b/a//sep.Dat"}},
            {"Null folder",
             std::nullopt,
             "nofolder",
             "nofolder",
             {data + "/00/00/nofolder.Dat", data + "/nofolder.Dat"}},
            {"Null name",
             "05/26",
             std::nullopt,
             "Name None",
             {data + "/26/05/Name None.Dat", data + "/26/05/.Dat"}},
        };
        const auto removePlanted = qScopeGuard([&cases] {
            for (const auto& c : cases)
                for (const QString& path : c.planted)
                    QFile::remove(path);
        });
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            for (const QString& path : c.planted) {
                QDir().mkpath(QFileInfo(path).path());
                core::TrendFile file(path);
                for (int r = 1; r <= 721; ++r)
                    for (int16_t gas = 1; gas <= 5; ++gas)
                        core::PutSample(r, file, gas, 12.5f, rt::OleDate::DateSerial(2026, 5, 14));
                file.close();
            }
            const int32_t seqNo = w.add({.names = c.name.value_or(""),
                                         .folder = c.folder,
                                         .types = types,
                                         .count = 721,
                                         .interval = 1});
            if (!c.name) w.db().exec("Update Log_Head Set Names = Null Where SeqNo = ?", {seqNo});
            w.openDataPage();
            w.rig.dialogs.messages.clear();
            w.lib().ShowLogDetail(key(seqNo, types == 1 ? "G" : "K"));
            if (types == 2) {
                EXPECT_EQ(w.grid().TextMatrix(8, 1), "-----");
            }
            w.window->libraryPage->cmdDetail->click();
            w.settle();
            ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
            EXPECT_EQ(w.rig.dialogs.messages[0].text,
                      "The stored data of \"" + c.shownName +
                          "\" are damaged: what cannot be read shows empty.");
            EXPECT_EQ(w.rig.dialogs.messages[0].title, "Damaged Data");
            EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Exclamation);
            dataview::BrowseRecords& stored = w.window->dataView->records;
            EXPECT_EQ(types == 1 ? stored.interval().DataCount() : stored.alarm().DataCount(), 0);
            EXPECT_FALSE(w.window->fraMenu[3]->isHidden());
            for (const QString& path : c.planted)
                EXPECT_EQ(QFileInfo(path).size(), 721 * 30 - 2)  // no status bytes written
                    << path.toStdString();
        }
    }
}

}  // namespace
