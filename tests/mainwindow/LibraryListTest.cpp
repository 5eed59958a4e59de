#include <gtest/gtest.h>

#include <QHeaderView>

#include "tests/mainwindow/LibraryWindow.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::LibraryWindow;
using testsupport::lines;
using testsupport::StoredHead;

QString date(rt::OleDate d) {
    return rt::GeneralDate(d);
}

TEST(LibraryList, GroupListsShowTheChildrenOfTheNodeInTheTreesOrder) {
    LibraryWindow w;
    w.add({.serial = "B2", .station = "S1", .user = "U1", .folder = "05/26", .types = 8});
    w.add({.serial = "A1", .station = "S1", .user = "U1", .folder = "05/26", .types = 3});
    w.add({.serial = "A1", .station = "S1", .user = "U1", .folder = "04/26", .types = 6});
    w.group(true, true, true);
    w.openDataPage();
    struct Case {
        QStringList path, headers, items;
    };
    const std::vector<Case> cases = {
        {{}, lines({"Serial No.", "Type", "Date/Time"}), lines({"A1 |  | ", "B2 |  | "})},
        {{"A1"}, lines({"Station ID", "Type", "Date/Time"}), lines({"S1 |  | "})},
        {{"A1", "S1"}, lines({"User ID", "Type", "Date/Time"}), lines({"U1 |  | "})},
        {{"A1", "S1", "U1"},
         lines({"(MM/YY)", "Type", "Date/Time"}),
         lines({"04/26 |  | ", "05/26 |  | "})},
        {{"B2", "S1", "U1", "05/26"},
         lines({"Folder", "Type", "Date/Time"}),
         lines({"Sensor Change History |  | "})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.join('/').toStdString());
        w.clickNode(c.path);
        EXPECT_EQ(w.headers(), c.headers);
        EXPECT_EQ(w.listLines(), c.items);
        EXPECT_FALSE(w.list().Sorted());
        for (int i = 0; i < w.list().Count(); ++i) {
            QTreeWidgetItem* item = w.list().Item(i);
            // Each item carries its node's key and the folder pictures.
            EXPECT_NE(w.tree().Node(w.list().KeyOf(item)), nullptr);
            EXPECT_EQ(w.list().IconOf(item), "OpenFolder");
            EXPECT_EQ(w.list().SmallIconOf(item), "CloseFolder");
        }
        // The first item shows as a group: the open buttons are off.
        EXPECT_EQ(w.gridRow(1), lines({"Type", "Folder"}));
        EXPECT_FALSE(w.page().cmdDetail->isEnabled());
        EXPECT_FALSE(w.page().cmdLogInst->isEnabled());
    }
    EXPECT_EQ(w.window->dataView->SelectedLogType, 0);
}

TEST(LibraryList, DownloadListsShowEveryDownloadOfTheKindSortedByName) {
    struct Case {
        int types;
        const char* kind;
        const char* letter;
        std::vector<std::pair<int, const char*>> samplings;  // sampling, picture ("" none)
    };
    const std::vector<Case> cases = {
        {1, "Interval Trend", "G", {{0, "Interval0"}, {1, "Interval1"}, {2, "Interval2"}, {5, ""}}},
        {2, "Alarm Trend", "K", {{0, "Alarm0"}, {1, "Alarm0"}, {2, ""}}},
        {3, "Calibration History", "H", {{0, "History"}}},
        {5, "Alarm Events", "V", {{0, "AEvent"}}},
        {6, "Trouble Events", "W", {{0, "TEvent"}}},
        {7, "Power Events", "P", {{0, "PEvent"}}},
        {8, "Sensor Change History", "Q", {{0, "Change"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        LibraryWindow w;
        QStringList expected;
        std::map<QString, QString> pictureOf;
        int n = 0;
        for (const auto& [sampling, picture] : c.samplings) {
            // Stored in reverse order of the names.
            const QString name = QStringLiteral("d%1").arg(9 - n);
            const rt::OleDate when = rt::OleDate::DateSerial(2026, 5, 10 + n);
            const int32_t seqNo = w.add({.names = name,
                                         .serial = "A1",
                                         .user = "",
                                         .types = c.types,
                                         .sampling = sampling,
                                         .date = when});
            if (*picture) {
                expected.prepend(name + " | A1 |  | " + date(when));
                pictureOf[QString::number(seqNo) + " " + c.letter] = picture;
            }
            ++n;
        }
        w.group(false, false, false);
        w.openDataPage();
        w.clickNode({"05/26", c.kind});
        EXPECT_EQ(w.headers(), lines({"Name", "SerialNo", "UserID", "Date/Time"}));
        EXPECT_EQ(w.listLines(), expected);
        EXPECT_TRUE(w.list().Sorted());
        EXPECT_EQ(w.list().SortOrder(), platform::KeyedList::Ascending);
        std::map<QString, QString> pictures;
        for (int i = 0; i < w.list().Count(); ++i) {
            const QString key = w.list().KeyOf(w.list().Item(i));
            pictures[key] = w.list().IconOf(w.list().Item(i));
            EXPECT_EQ(w.list().SmallIconOf(w.list().Item(i)), pictures[key]);
        }
        EXPECT_EQ(pictures, pictureOf);
        // The first one is selected, shown and (but a sensor history) the selection.
        ASSERT_GT(w.list().Count(), 0);
        EXPECT_EQ(w.list().SelectedItem(), w.list().Item(0));
        EXPECT_EQ(w.window->dataView->SelectedLogType, c.types);
        EXPECT_EQ(w.window->dataView->SelectedLogSeqNo,
                  core::LeadingNumber(w.list().KeyOf(w.list().Item(0))));
        EXPECT_TRUE(w.page().cmdDetail->isEnabled());
    }
}

TEST(LibraryList, AWorkingAlarmTrendIsListedOnlyWhenDebugging) {
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug);
        LibraryWindow w;
        core::DebugMode = debug;
        w.add({.names = "working copy", .types = 2, .sampling = 2});
        w.openDataPage();
        w.clickNode({"05/26", "Alarm Trend"});
        if (debug) {
            ASSERT_EQ(w.list().Count(), 1);
            EXPECT_EQ(w.list().IconOf(w.list().Item(0)), "Interval0");
            EXPECT_TRUE(w.page().cmdDetail->isEnabled());
            continue;
        }
        // The kind node stays, its list is empty: the grid says so and nothing can be opened.
        EXPECT_EQ(w.list().Count(), 0);
        EXPECT_EQ(w.headers(), lines({"Name", "SerialNo", "UserID", "Date/Time"}));
        EXPECT_EQ(w.grid().Rows(), 2);
        EXPECT_EQ(w.gridRow(0), lines({"Property", "Value"}));
        EXPECT_EQ(w.gridRow(1), lines({"Type", "Folder"}));
        EXPECT_FALSE(w.page().cmdDetail->isEnabled());
        EXPECT_FALSE(w.page().cmdLogInst->isEnabled());
        EXPECT_EQ(w.list().SelectedItem(), nullptr);
    }
}

TEST(LibraryList, AColumnClickTurnsTheSortOrder) {
    LibraryWindow w;
    for (const char* name : {"b", "C", "a"})
        w.add({.names = name, .types = 5});
    w.openDataPage();
    w.clickNode({"05/26", "Alarm Events"});
    const auto names = [&] {
        QStringList out;
        for (int i = 0; i < w.list().Count(); ++i)
            out << w.list().Item(i)->text(0);
        return out;
    };
    EXPECT_EQ(names(), lines({"a", "b", "C"}));
    QTreeWidgetItem* selected = w.list().SelectedItem();
    // Through the header, as the user clicks it: any column sorts by the names.
    w.list().header()->sectionClicked(2);
    EXPECT_EQ(names(), lines({"C", "b", "a"}));
    EXPECT_EQ(w.list().SelectedItem(), selected);
    w.lib().lvwLog_ColumnClick(0);
    EXPECT_EQ(names(), lines({"a", "b", "C"}));
    // A group list keeps the tree's order until its first click sorts it ascending.
    w.add({.folder = "04/26"});
    w.openDataPage();
    w.clickNode({});
    w.list().Item(0)->setText(0, "zz");  // out of order, to see the sort
    w.lib().lvwLog_ColumnClick(1);
    EXPECT_TRUE(w.list().Sorted());
    EXPECT_EQ(w.list().SortOrder(), platform::KeyedList::Ascending);
    EXPECT_EQ(names(), lines({"05/26", "zz"}));
}

TEST(LibraryList, PressesRememberTheKeyOrOfferTheDeleteMenu) {
    LibraryWindow w;
    const int32_t seqNo = w.add({.names = "one", .types = 6});
    w.openDataPage();
    w.window->resize(1000, 700);
    w.settle();
    QTreeWidgetItem* folder = w.node({"05/26"});
    const QString folderKey = w.tree().KeyOf(folder);

    // Left in the tree: remembered, then the click lists the node.
    QTest::mouseClick(w.tree().viewport(), Qt::LeftButton, {},
                      LibraryWindow::centreOf(w.tree(), folder));
    w.settle();
    EXPECT_EQ(w.lib().RememberedLogKey, folderKey);
    EXPECT_EQ(w.listLines(), lines({"Trouble Events |  | "}));
    EXPECT_TRUE(w.rig.dialogs.popups.empty());

    // Right in the tree: selected, listed, the menu offered on its key.
    QTreeWidgetItem* root = w.tree().Node("0 #");
    w.rig.dialogs.popupChoices = {-1};
    QTest::mouseClick(w.tree().viewport(), Qt::RightButton, {},
                      LibraryWindow::centreOf(w.tree(), root));
    w.settle();
    EXPECT_EQ(w.tree().SelectedNode(), root);
    EXPECT_EQ(w.lib().DeleteMenuKey(), "0 #");
    EXPECT_EQ(w.lib().RememberedLogKey, folderKey);
    ASSERT_EQ(w.rig.dialogs.popups.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.popups[0], lines({"Delete"}));
    EXPECT_EQ(w.listLines(), lines({"05/26 |  | "}));

    // In the list: left remembers, right selects, shows and offers the menu.
    w.clickNode({"05/26", "Trouble Events"});
    QTreeWidgetItem* item = w.list().Item(0);
    QTest::mouseClick(w.list().viewport(), Qt::LeftButton, {},
                      LibraryWindow::centreOf(w.list(), item));
    w.settle();
    EXPECT_EQ(w.lib().RememberedLogKey, QString::number(seqNo) + " W");
    w.window->dataView->SelectedLogType = 0;
    w.list().setCurrentItem(nullptr);
    QTest::mouseClick(w.list().viewport(), Qt::RightButton, {},
                      LibraryWindow::centreOf(w.list(), item));
    w.settle();
    EXPECT_EQ(w.list().SelectedItem(), item);
    EXPECT_EQ(w.lib().DeleteMenuKey(), QString::number(seqNo) + " W");
    EXPECT_EQ(w.window->dataView->SelectedLogType, 6);
    EXPECT_EQ(w.rig.dialogs.popups.size(), 2u);
    // Nowhere near an item: nothing.
    w.lib().lvwLog_MouseDown(platform::RightButton, 0, QPoint(5, 5000));
    EXPECT_EQ(w.rig.dialogs.popups.size(), 2u);
}

TEST(LibraryList, ADoubleClickGoesDownALevelOrOpensTheDownload) {
    LibraryWindow w;
    w.add({.names = "trend", .serial = "A1", .types = 1, .count = 3});
    w.group(true, false, false);
    w.openDataPage();
    w.window->resize(1000, 700);
    w.settle();
    QTreeWidgetItem* root = w.tree().Node("0 #");
    w.tree().SelectNode(root);
    w.lib().tvwLog_NodeClick(root);
    w.tree().collapseAll();

    // On a group item: its own children are listed, the tree shows the node and keeps its
    // selection.
    QTreeWidgetItem* item = w.list().Item(0);
    QTest::mouseDClick(w.list().viewport(), Qt::LeftButton, {},
                       LibraryWindow::centreOf(w.list(), item));
    w.settle();
    EXPECT_EQ(w.listLines(), lines({"05/26 |  | "}));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(w.tree().SelectedNode(), root);
    EXPECT_EQ(w.gridRow(1), lines({"Type", "Folder"}));

    // Down to the kind, then on the download: the data view opens it.
    QTest::mouseDClick(w.list().viewport(), Qt::LeftButton, {},
                       LibraryWindow::centreOf(w.list(), w.list().Item(0)));
    w.settle();
    EXPECT_TRUE(w.node({"A1"})->isExpanded());
    QTest::mouseDClick(w.list().viewport(), Qt::LeftButton, {},
                       LibraryWindow::centreOf(w.list(), w.list().Item(0)));
    w.settle();
    ASSERT_EQ(w.list().Count(), 1);
    EXPECT_EQ(w.list().Item(0)->text(0), "trend");
    QTest::mouseDClick(w.list().viewport(), Qt::LeftButton, {},
                       LibraryWindow::centreOf(w.list(), w.list().Item(0)));
    w.settle();
    EXPECT_EQ(w.window->dataView->SelectedLogType, 1);
    EXPECT_FALSE(w.window->fraMenu[3]->isHidden());
    EXPECT_TRUE(w.window->fraMenu[2]->isHidden());

    // A remembered key of a tree built since is nothing to go down to.
    w.lib().RememberedLogKey = QStringLiteral("gone M");
    EXPECT_NO_THROW(w.lib().lvwLog_DblClick());
    w.lib().RememberedLogKey.clear();
    EXPECT_NO_THROW(w.lib().lvwLog_DblClick());
}

TEST(LibraryList, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        const bool english = language == platform::StringTable::Language::English;
        LibraryWindow w;
        for (int i = 0; i < 4; ++i)
            w.add({.names = QStringLiteral("Trend%1").arg(i),
                   .serial = "A1",
                   .types = 1,
                   .sampling = i % 3,
                   .count = 100,
                   .average = 12,
                   .maximum = 40,
                   .maximumDate = rt::OleDate::DateSerial(2026, 5, 14)});
        const int32_t events = w.add({.names = "Alarm events", .serial = "B22", .types = 5});
        for (int i = 0; i < 12; ++i)
            w.db().exec(
                "Insert Into Alarm_Event (RelNo, GasName, Alarm_Type, Dates) Values "
                "(?,?,?,?)",
                {events, QStringLiteral("CO"), int32_t(-104 - i % 3),
                 rt::OleDate::DateSerial(2026, 5, 14).addSeconds(i * 60)});
        w.group(true, false, false);
        w.window->resize(1100, 760);
        w.openDataPage();
        w.tree().expandAll();
        QTreeWidgetItem* kind = w.node({"A1", "05/26"})->child(0);
        w.tree().SelectNode(kind);
        w.lib().tvwLog_NodeClick(kind);
        w.settle();
        testsupport::savePicture(*w.window,
                                 QStringLiteral("frmMain-library-%1").arg(english ? "en" : "ja"));
        QTreeWidgetItem* eventKind = w.node({"B22", "05/26"})->child(0);
        w.tree().SelectNode(eventKind);
        w.lib().tvwLog_NodeClick(eventKind);
        w.settle();
        testsupport::savePicture(
            *w.window, QStringLiteral("frmMain-library-events-%1").arg(english ? "en" : "ja"));
    }
}

}  // namespace
