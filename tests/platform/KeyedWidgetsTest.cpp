#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "platform/gui/KeyCodes.h"
#include "platform/gui/KeyedList.h"
#include "platform/gui/KeyedTree.h"

namespace {

using platform::KeyedList;
using platform::KeyedTree;

QIcon square(Qt::GlobalColor colour) {
    QPixmap p(8, 8);
    p.fill(colour);
    return QIcon(p);
}

TEST(KeyedTree, NodesAreFoundByKeyAndAKeyIsTakenOnce) {
    KeyedTree tree;
    EXPECT_TRUE(tree.AddNode({}, "0 #", "root", "a", "a"));
    EXPECT_TRUE(tree.AddNode("0 #", "x S", "first", "a", "b"));
    EXPECT_FALSE(tree.AddNode("0 #", "x S", "again", "a", "b"));  // refused, not raised
    EXPECT_FALSE(tree.AddNode("none", "y S", "orphan", "a", "b"));
    EXPECT_EQ(tree.Node("x S")->text(0), "first");
    EXPECT_EQ(tree.Node("0 #")->childCount(), 1);
    EXPECT_EQ(tree.ParentKey("x S"), "0 #");
    EXPECT_EQ(tree.ParentKey("0 #"), "");
    EXPECT_EQ(tree.Node("y S"), nullptr);
    tree.ClearNodes();
    EXPECT_EQ(tree.Node("x S"), nullptr);
    EXPECT_TRUE(tree.AddNode({}, "x S", "new", "a", "b"));
}

TEST(KeyedTree, TheSelectedNodeShowsItsSelectedPicture) {
    KeyedTree tree;
    tree.images.add("closed", square(Qt::red));
    tree.images.add("open", square(Qt::green));
    tree.AddNode({}, "1 S", "one", "closed", "open");
    tree.AddNode({}, "2 S", "two", "closed", "open");
    const auto shows = [&](const char* key, const char* image) {
        return tree.Node(key)->icon(0).cacheKey() == tree.images.icon(image).cacheKey();
    };
    tree.SelectNode(tree.Node("1 S"));
    EXPECT_TRUE(shows("1 S", "open"));
    tree.SelectNode(tree.Node("2 S"));
    EXPECT_TRUE(shows("1 S", "closed"));
    EXPECT_TRUE(shows("2 S", "open"));
}

TEST(KeyedTree, APressReachesMouseDownBeforeTheClick) {
    KeyedTree tree;
    tree.AddNode({}, "1 S", "one", "a", "a");
    tree.resize(200, 100);
    tree.show();
    QStringList order;
    QObject::connect(&tree, &KeyedTree::MouseDown, [&](int button, int, const QPoint& p) {
        order << QStringLiteral("down %1 %2").arg(button).arg(tree.KeyOf(tree.HitTest(p)));
    });
    QObject::connect(&tree, &KeyedTree::NodeClick,
                     [&](QTreeWidgetItem* n) { order << "click " + tree.KeyOf(n); });
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                      tree.visualItemRect(tree.Node("1 S")).center());
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {},
                      tree.visualItemRect(tree.Node("1 S")).center());
    EXPECT_EQ(order, QStringList({"down 1 1 S", "click 1 S", "down 2 1 S"}));
}

QStringList texts(const KeyedList& list) {
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Item(i)->text(0);
    return out;
}

TEST(KeyedList, SortingIgnoresCaseKeepsEqualItemsInOrderAndKeepsTheSelection) {
    KeyedList list;
    list.AddColumn("Name", 1.0);
    for (const char* t : {"b", "A", "c", "a"})
        list.AddItem(QStringLiteral("%1 G").arg(t), t, "i", "i");
    EXPECT_EQ(texts(list), QStringList({"b", "A", "c", "a"}));  // unsorted: as added
    list.SelectItem(list.ItemOf("c G"));
    list.setSorted(true);
    EXPECT_EQ(texts(list), QStringList({"A", "a", "b", "c"}));
    EXPECT_EQ(list.SelectedItem(), list.ItemOf("c G"));
    list.setSortOrder(KeyedList::Descending);
    EXPECT_EQ(texts(list), QStringList({"c", "b", "A", "a"}));
    // Sorted, a new item takes its place at once.
    list.AddItem("B G", "B", "i", "i");
    EXPECT_EQ(texts(list), QStringList({"c", "b", "B", "A", "a"}));
    EXPECT_EQ(list.KeyOf(list.Item(2)), "B G");
    list.ClearItems();
    EXPECT_EQ(list.ItemOf("B G"), nullptr);
}

TEST(KeyedList, ColumnWidthsFollowTheListsWidth) {
    KeyedList list;
    list.AddColumn("a", 0.25);
    list.AddColumn("b", 0.75);
    list.resize(420, 200);
    list.show();
    QApplication::processEvents();
    const int width = list.viewport()->width();
    EXPECT_EQ(list.columnWidth(0), static_cast<int>(width * 0.25));
    list.resize(820, 200);
    QApplication::processEvents();
    EXPECT_EQ(list.columnWidth(1), static_cast<int>(list.viewport()->width() * 0.75));
    EXPECT_GT(list.columnWidth(1), 450);
    list.setColumnText(0, "renamed");
    EXPECT_EQ(list.ColumnText(0), "renamed");
    EXPECT_EQ(list.headerItem()->text(0), "renamed");
    list.ClearColumns();
    EXPECT_EQ(list.ColumnCount(), 0);
}

TEST(KeyedList, PressClickAndDoubleClickArriveInTheirOrder) {
    KeyedList list;
    list.AddColumn("Name", 1.0);
    list.AddItem("1 G", "one", "i", "i");
    list.resize(200, 100);
    list.show();
    QStringList order;
    QObject::connect(&list, &KeyedList::MouseDown, [&](int b, int, const QPoint& p) {
        order << QStringLiteral("down %1 %2").arg(b).arg(list.KeyOf(list.HitTest(p)));
    });
    QObject::connect(&list, &KeyedList::ItemClick,
                     [&](QTreeWidgetItem* i) { order << "click " + list.KeyOf(i); });
    QObject::connect(&list, &KeyedList::DblClick, [&] { order << "double"; });
    QSignalSpy columns(&list, &KeyedList::ColumnClick);
    const QPoint at = list.visualItemRect(list.Item(0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    ASSERT_GE(order.size(), 3);
    EXPECT_EQ(order.mid(0, 2), QStringList({"down 1 1 G", "click 1 G"}));
    EXPECT_EQ(order.last(), "double");
    EXPECT_EQ(columns.count(), 0);
}

}  // namespace
