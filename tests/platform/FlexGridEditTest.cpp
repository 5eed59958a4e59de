#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "platform/gui/FlexGrid.h"
#include "runtime/Color.h"

namespace {

using platform::FlexGrid;

// A 4 x 3 grid with a title row and a title column, editable, shown.
struct EditGrid {
    FlexGrid grid;
    QStringList events;
    bool cancelBefore = false, cancelValidate = false;
    QString rewrite;  // what the validation leaves as the edit text ("" keeps it)
    EditGrid() {
        grid.setRows(4);
        grid.setCols(3);
        grid.setEditable(true);
        grid.setTextMatrix(1, 1, "old");
        QObject::connect(&grid, &FlexGrid::BeforeEdit, [this](int r, int c, bool& cancel) {
            events << QStringLiteral("before %1,%2").arg(r).arg(c);
            cancel = cancelBefore;
        });
        QObject::connect(&grid, &FlexGrid::ValidateEdit, [this](int r, int c, bool& cancel) {
            events << QStringLiteral("validate %1,%2 %3").arg(r).arg(c).arg(grid.EditText());
            cancel = cancelValidate;
            if (!rewrite.isEmpty()) grid.setEditText(rewrite);
        });
        QObject::connect(&grid, &FlexGrid::AfterEdit, [this](int r, int c) {
            events << QStringLiteral("after %1,%2").arg(r).arg(c);
        });
        grid.resize(400, 200);
        grid.show();
        QApplication::processEvents();
    }
    void at(int row, int col) {
        grid.setRow(row);
        grid.setCol(col);
    }
};

TEST(FlexGridEdit, WhichCellsMayBeEdited) {
    EditGrid g;
    g.at(1, 1);
    g.grid.setEditable(false);
    EXPECT_FALSE(g.grid.EditCell());
    g.grid.setEditable(true);
    g.grid.setCellBackColor(g.grid.BackColorFixed());  // looks fixed: not editable
    EXPECT_FALSE(g.grid.EditCell());
    g.grid.setCellBackColor(rt::RGB(255, 0, 0));
    g.cancelBefore = true;
    EXPECT_FALSE(g.grid.EditCell());
    EXPECT_EQ(g.events, QStringList({"before 1,1"}));
    g.cancelBefore = false;
    EXPECT_TRUE(g.grid.EditCell());
    EXPECT_TRUE(g.grid.isEditing());
    EXPECT_EQ(g.grid.EditText(), "old");
}

TEST(FlexGridEdit, TheValidationDecidesTheCellsText) {
    EditGrid g;
    g.at(1, 1);
    ASSERT_TRUE(g.grid.EditCell());
    g.grid.setEditText("12.34");
    g.rewrite = "12.3";  // the handler's own form of the value
    EXPECT_TRUE(g.grid.FinishEditing());
    EXPECT_FALSE(g.grid.isEditing());
    EXPECT_EQ(g.grid.TextMatrix(1, 1), "12.3");
    EXPECT_EQ(g.events, QStringList({"before 1,1", "validate 1,1 12.34", "after 1,1"}));

    // Refused: the editor stays open; moving away drops it and the old text stays.
    g.events.clear();
    g.rewrite.clear();
    g.cancelValidate = true;
    ASSERT_TRUE(g.grid.EditCell());
    g.grid.setEditText("bad");
    EXPECT_FALSE(g.grid.FinishEditing());
    EXPECT_TRUE(g.grid.isEditing());
    g.at(2, 1);
    EXPECT_FALSE(g.grid.isEditing());
    EXPECT_EQ(g.grid.TextMatrix(1, 1), "12.3");
    EXPECT_FALSE(g.events.contains("after 1,1"));

    // Setting the current cell from code commits a pending edit first.
    g.cancelValidate = false;
    g.at(2, 2);
    ASSERT_TRUE(g.grid.EditCell());
    g.grid.setEditText("7");
    g.at(3, 1);
    EXPECT_EQ(g.grid.TextMatrix(2, 2), "7");
}

TEST(FlexGridEdit, RealKeysStartTypeFilterAndEnd) {
    EditGrid g;
    QObject::connect(&g.grid, &FlexGrid::KeyPressEdit, [](int, int, int& key) {
        if (key == 'x') key = 0;    // dropped
        if (key == ',') key = '.';  // changed
    });
    g.at(1, 2);
    QWidget* table = g.grid.focusProxy();
    table->setFocus();
    QTest::keyClicks(table, "1");
    ASSERT_TRUE(g.grid.isEditing());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "2x,5");
    EXPECT_EQ(g.grid.EditText(), "12.5");
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(g.grid.EditText(), "12.");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(g.grid.isEditing());
    EXPECT_EQ(g.grid.TextMatrix(1, 2), "12.");
    // Escape drops an edit.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_F2);
    ASSERT_TRUE(g.grid.isEditing());
    QTest::keyClicks(QApplication::focusWidget(), "99");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(g.grid.TextMatrix(1, 2), "12.");
}

TEST(FlexGridEdit, ListAndCheckBoxCells) {
    EditGrid g;
    QObject::connect(&g.grid, &FlexGrid::BeforeEdit, [&g](int, int c, bool&) {
        if (c == 2) g.grid.setComboList("Off|On");
    });
    g.grid.setTextMatrix(1, 2, "Off");
    g.at(1, 2);
    ASSERT_TRUE(g.grid.EditCell());
    EXPECT_EQ(g.grid.EditText(), "Off");
    g.grid.setEditText("On");
    EXPECT_TRUE(g.grid.FinishEditing());
    EXPECT_EQ(g.grid.TextMatrix(1, 2), "On");
    // A check box toggles, through the same events; a refused one stays.
    g.grid.setCellChecked(2, 1, 2);
    g.at(2, 1);
    g.events.clear();
    EXPECT_TRUE(g.grid.EditCell());
    EXPECT_EQ(g.grid.CellChecked(2, 1), 1);
    EXPECT_EQ(g.events, QStringList({"before 2,1", "validate 2,1 ", "after 2,1"}));
    g.cancelValidate = true;
    EXPECT_FALSE(g.grid.EditCell());
    EXPECT_EQ(g.grid.CellChecked(2, 1), 1);
    // A click on it, as the user toggles it.
    g.cancelValidate = false;
    auto* view = qobject_cast<QAbstractItemView*>(g.grid.focusProxy());
    ASSERT_NE(view, nullptr);
    const QPoint centre = view->visualRect(g.grid.model()->index(2, 1)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(g.grid.CellChecked(2, 1), 2);
    EXPECT_FALSE(g.grid.isEditing());
}

}  // namespace
