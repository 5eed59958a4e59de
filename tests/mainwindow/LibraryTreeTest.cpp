#include <gtest/gtest.h>

#include "tests/mainwindow/LibraryWindow.h"

namespace {

using testsupport::LibraryWindow;
using testsupport::lines;
using testsupport::StoredHead;

// Three downloads stored out of order: the tree sorts the grouping values, adds the kinds in
// their own order, and shows under each folder only the kinds it holds.
void storeThree(LibraryWindow& w) {
    w.add({.serial = "B2", .station = "S1", .user = "U1", .folder = "05/26", .types = 2});
    w.add({.serial = "A1", .station = "S2", .user = "U2", .folder = "06/26", .types = 5});
    w.add({.serial = "a1", .station = "S1", .user = "U1", .folder = "05/26", .types = 1});
}

TEST(LibraryTree, EveryCombinationOfTheGroupingBoxes) {
    struct Case {
        bool serial, station, user;
        QStringList tree;
    };
    const std::vector<Case> cases = {
        {false, false, false,
         lines({"QM-73 Data", "  05/26", "    Interval Trend", "    Alarm Trend", "  06/26",
                "    Alarm Events"})},
        {true, false, false,
         lines({"QM-73 Data", "  A1", "    05/26", "      Interval Trend", "    06/26",
                "      Alarm Events", "  B2", "    05/26", "      Alarm Trend"})},
        {false, true, false,
         lines({"QM-73 Data", "  S1", "    05/26", "      Interval Trend", "      Alarm Trend",
                "  S2", "    06/26", "      Alarm Events"})},
        {false, false, true,
         lines({"QM-73 Data", "  U1", "    05/26", "      Interval Trend", "      Alarm Trend",
                "  U2", "    06/26", "      Alarm Events"})},
        {true, true, false,
         lines({"QM-73 Data", "  A1", "    S1", "      05/26", "        Interval Trend", "    S2",
                "      06/26", "        Alarm Events", "  B2", "    S1", "      05/26",
                "        Alarm Trend"})},
        {true, false, true,
         lines({"QM-73 Data", "  A1", "    U1", "      05/26", "        Interval Trend", "    U2",
                "      06/26", "        Alarm Events", "  B2", "    U1", "      05/26",
                "        Alarm Trend"})},
        {false, true, true,
         lines({"QM-73 Data", "  S1", "    U1", "      05/26", "        Interval Trend",
                "        Alarm Trend", "  S2", "    U2", "      06/26", "        Alarm Events"})},
        {true, true, true,
         lines({"QM-73 Data", "  A1", "    S1", "      U1", "        05/26",
                "          Interval Trend", "    S2", "      U2", "        06/26",
                "          Alarm Events", "  B2", "    S1", "      U1", "        05/26",
                "          Alarm Trend"})},
    };
    LibraryWindow w;
    storeThree(w);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.serial << c.station << c.user);
        w.group(c.serial, c.station, c.user);
        w.openDataPage();
        // "A1" and "a1" are one serial number, as the database compares them.
        EXPECT_EQ(w.treeLines(), c.tree);
        EXPECT_TRUE(w.tree().Node("0 #")->isExpanded());
        EXPECT_FALSE(w.window->fields.LogTreeDirty);
    }
}

TEST(LibraryTree, AnEmptyDatabaseShowsTheRootAloneAndAnEmptyList) {
    LibraryWindow w;
    w.openDataPage();
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data"}));
    EXPECT_TRUE(w.tree().Node("0 #")->isExpanded());
    EXPECT_EQ(w.tree().Node("0 #")->icon(0).cacheKey(), w.tree().images.icon("QM-73").cacheKey());
    w.lib().tvwLog_NodeClick(w.tree().Node("0 #"));
    EXPECT_EQ(w.list().Count(), 0);
    EXPECT_EQ(w.headers(), lines({"DataName", "Type", "Date/Time"}));
}

TEST(LibraryTree, KeysThatWouldRunTogetherAreTwoNodes) {
    LibraryWindow w;
    const int32_t first = w.add({.serial = "A1", .station = "23", .types = 5});
    const int32_t second = w.add({.serial = "A12", .station = "3", .types = 5});
    w.group(true, true, false);
    w.openDataPage();
    EXPECT_EQ(w.treeLines(),
              lines({"QM-73 Data", "  A1", "    23", "      05/26", "        Alarm Events", "  A12",
                     "    3", "      05/26", "        Alarm Events"}));
    // Each kind node lists its own download only.
    w.clickNode({"A1", "23", "05/26", "Alarm Events"});
    ASSERT_EQ(w.list().Count(), 1);
    EXPECT_EQ(w.list().KeyOf(w.list().Item(0)), QString::number(first) + " V");
    w.clickNode({"A12", "3", "05/26", "Alarm Events"});
    ASSERT_EQ(w.list().Count(), 1);
    EXPECT_EQ(w.list().KeyOf(w.list().Item(0)), QString::number(second) + " V");
}

TEST(LibraryTree, NullAndBlankValuesAreListedUnderAStar) {
    LibraryWindow w;
    // Event logs and alarm trends are stored without a station; a blank or padded serial
    // number is grouped by its trimmed text.
    w.add({.names = "no station", .serial = "A1", .station = std::nullopt, .types = 5});
    w.add({.names = "blank serial", .serial = "  ", .station = "S1", .types = 1});
    w.add({.names = "star serial", .serial = "*", .station = "S1", .types = 1});
    w.add({.names = "null serial", .serial = std::nullopt, .station = "", .types = 1});
    w.add({.names = "padded", .serial = " A1 ", .station = "S1", .types = 5});
    w.group(true, true, false);
    w.openDataPage();
    EXPECT_EQ(
        w.treeLines(),
        lines({"QM-73 Data", "  *", "    *", "      05/26", "        Interval Trend", "    S1",
               "      05/26", "        Interval Trend", "  A1", "    *", "      05/26",
               "        Alarm Events", "    S1", "      05/26", "        Alarm Events"}));
    w.clickNode({"*", "S1", "05/26", "Interval Trend"});
    QStringList names;
    for (int i = 0; i < w.list().Count(); ++i)
        names << w.list().Item(i)->text(0);
    EXPECT_EQ(names, lines({"blank serial", "star serial"}));
    w.clickNode({"*", "*", "05/26", "Interval Trend"});
    ASSERT_EQ(w.list().Count(), 1);
    EXPECT_EQ(w.list().Item(0)->text(0), "null serial");
    w.clickNode({"A1", "*", "05/26", "Alarm Events"});
    ASSERT_EQ(w.list().Count(), 1);
    EXPECT_EQ(w.list().Item(0)->text(0), "no station");
    w.clickNode({"A1", "S1", "05/26", "Alarm Events"});
    ASSERT_EQ(w.list().Count(), 1);
    EXPECT_EQ(w.list().Item(0)->text(0), "padded");
}

TEST(LibraryTree, TextsWithQuotesAreListedAndShown) {
    LibraryWindow w;
    const int32_t seqNo =
        w.add({.names = "it's", .serial = "O'Neil", .user = "x' Or '1'='1", .types = 1});
    w.add({.names = "other", .serial = "B", .user = "V", .types = 1});
    w.group(true, false, true);
    w.openDataPage();
    w.clickNode({"O'Neil", "x' Or '1'='1", "05/26", "Interval Trend"});
    ASSERT_EQ(w.listLines().size(), 1);
    EXPECT_TRUE(w.listLines()[0].startsWith("it's | O'Neil | x' Or '1'='1 | "));
    EXPECT_EQ(w.window->dataView->SelectedLogSeqNo, seqNo);
    EXPECT_EQ(w.grid().TextMatrix(3, 1), "O'Neil");
    const library::NodeCondition c = w.lib().NodeWhereClause(
        w.tree().KeyOf(w.node({"O'Neil", "x' Or '1'='1", "05/26", "Interval Trend"})));
    EXPECT_FALSE(c.sql.contains("O'Neil"));
    EXPECT_EQ(c.values.size(), 4u);
}

TEST(LibraryTree, TheConditionOfEveryKindOfKey) {
    LibraryWindow w;
    w.add({.serial = "A1", .station = "S1", .user = "U1", .types = 7});
    w.group(true, true, true);
    w.openDataPage();
    const auto sqlOf = [&](const QStringList& path) {
        return w.lib().NodeWhereClause(w.tree().KeyOf(w.node(path))).sql;
    };
    EXPECT_EQ(sqlOf({}), "");
    EXPECT_EQ(sqlOf({"A1"}), "Trim(SerialNo) = ? COLLATE NOCASE");
    EXPECT_EQ(sqlOf({"A1", "S1", "U1", "05/26", "Power Events"}),
              "Trim(SerialNo) = ? COLLATE NOCASE And Trim(StationID) = ? COLLATE NOCASE And "
              "Trim(UserID) = ? COLLATE NOCASE And Trim(FolderID) = ? COLLATE NOCASE And "
              "Types = ?");
    const library::NodeCondition download = w.lib().NodeWhereClause("17 P");
    EXPECT_EQ(download.sql, "SeqNo = ?");
    EXPECT_EQ(download.values.at(0).value().toInt(), 17);
    EXPECT_THROW(w.lib().NodeWhereClause("nothing M"), rt::RuntimeError);
}

TEST(LibraryTree, TheTreeIsBuiltAgainOnlyAfterADownload) {
    LibraryWindow w;
    w.add({.folder = "05/26"});
    w.openDataPage();
    w.add({.folder = "07/26"});
    w.window->cmdInst_Click(0);
    w.window->cmdInst_Click(2);  // no download in between
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data", "  05/26", "    Interval Trend"}));
    EXPECT_TRUE(w.window->cmdInst[2]->isEnabled());
    w.openDataPage();
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data", "  05/26", "    Interval Trend", "  07/26",
                                    "    Interval Trend"}));
}

TEST(LibraryTree, AGroupingBoxRebuildsTheTreeAndListsTheRoot) {
    LibraryWindow w;
    w.add({.serial = "A1", .folder = "05/26"});
    w.group(false, false, false);
    w.openDataPage();
    w.page().chkLog[0]->click();  // through the data view's handler
    w.settle();
    EXPECT_EQ(w.treeLines(), lines({"QM-73 Data", "  A1", "    05/26", "      Interval Trend"}));
    EXPECT_EQ(w.tree().SelectedNode(), w.tree().Node("0 #"));
    EXPECT_EQ(w.headers(), lines({"Serial No.", "Type", "Date/Time"}));
    EXPECT_EQ(w.listLines(), lines({"A1 |  | "}));
}

}  // namespace
