#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <functional>

#include "platform/gui/FitText.h"
#include "platform/gui/FlexGrid.h"
#include "runtime/Color.h"
#include "runtime/RuntimeError.h"

using namespace platform;

namespace {

constexpr int32_t Red = rt::RGB(255, 0, 0);
constexpr int32_t Yellow = rt::RGB(255, 255, 0);
constexpr int32_t White = rt::RGB(255, 255, 255);

QTableView* tableOf(FlexGrid& grid) {
    return grid.findChild<QTableView*>();
}

QVariant roleData(const FlexGrid& grid, int row, int col, int role) {
    return grid.model()->index(row, col).data(role);
}

Qt::Alignment alignmentOf(const FlexGrid& grid, int row, int col) {
    return roleData(grid, row, col, Qt::TextAlignmentRole).value<Qt::Alignment>();
}

// A grid of the given shape whose every cell holds "r<row>c<col>".
void fill(FlexGrid& grid, int rows, int cols) {
    grid.setRows(rows);
    grid.setCols(cols);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            grid.setTextMatrix(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
}

// Shown on the offscreen screen at a known size.
void show(FlexGrid& grid, int width, int height) {
    grid.resize(width, height);
    grid.show();
    QApplication::processEvents();
}

int errorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const rt::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace

TEST(FlexGrid, StartsWithOneFixedRowAndColumn) {
    FlexGrid grid;
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.Cols(), 2);
    EXPECT_EQ(grid.FixedRows(), 1);
    EXPECT_EQ(grid.FixedCols(), 1);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);
    EXPECT_TRUE(grid.Redraw());
    EXPECT_EQ(grid.BackColor(), White);
    EXPECT_EQ(grid.ForeColor(), rt::RGB(0, 0, 0));
    EXPECT_EQ(grid.BackColorFixed(), rt::RGB(224, 224, 224));
    EXPECT_EQ(grid.ColAlignment(1), 9);
    EXPECT_EQ(grid.MergeCells(), 0);
}

TEST(FlexGrid, IndicesCountTheFixedRowsAndColumns) {
    FlexGrid grid;
    fill(grid, 4, 3);
    struct Case {
        int row, col;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "r0c0"},  // the corner
        {0, 2, "r0c2"},  // title row
        {3, 0, "r3c0"},  // row title column
        {3, 2, "r3c2"},  // last scrolling cell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(grid.TextMatrix(c.row, c.col), c.text);
        EXPECT_EQ(roleData(grid, c.row, c.col, Qt::DisplayRole).toString(), c.text);
    }
    EXPECT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.model()->columnCount(), 3);

    grid.setRow(0);
    grid.setCol(2);
    EXPECT_EQ(grid.Text(), "r0c2");
    grid.setText("Heading");
    EXPECT_EQ(grid.TextMatrix(0, 2), "Heading");
}

TEST(FlexGrid, GrowingKeepsCellsAndShrinkingDropsThem) {
    FlexGrid grid;
    fill(grid, 3, 3);
    grid.setCell(FlexProperty::BackColor, 2, 2, 2, 2, Red);
    grid.setRows(5);
    grid.setCols(4);
    EXPECT_EQ(grid.TextMatrix(2, 2), "r2c2");
    EXPECT_EQ(grid.TextMatrix(4, 3), "");
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 2, 2), Red);

    grid.setRows(2);
    grid.setCols(2);
    grid.setRows(3);
    grid.setCols(3);
    EXPECT_EQ(grid.TextMatrix(1, 1), "r1c1");
    EXPECT_EQ(grid.TextMatrix(2, 2), "");
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 2, 2), 0);
}

TEST(FlexGrid, FewerRowsThanFixedOnesLowerTheFixedCount) {
    FlexGrid grid;
    grid.setRows(0);
    grid.setCols(0);
    EXPECT_EQ(grid.FixedRows(), 0);
    EXPECT_EQ(grid.FixedCols(), 0);
    grid.setRows(3);
    grid.setCols(3);
    grid.setFixedRows(2);
    grid.setFixedCols(2);
    EXPECT_EQ(grid.FixedRows(), 2);
    EXPECT_EQ(grid.FixedCols(), 2);
}

TEST(FlexGrid, BadIndicesAndValuesRaise) {
    FlexGrid grid;
    fill(grid, 3, 3);
    struct Case {
        const char* what;
        std::function<void()> action;
        int error;
    };
    const Case cases[] = {
        {"TextMatrix row -1", [&] { grid.TextMatrix(-1, 0); }, rt::ErrSubscript},
        {"TextMatrix row Rows", [&] { grid.TextMatrix(3, 0); }, rt::ErrSubscript},
        {"TextMatrix col Cols", [&] { grid.TextMatrix(0, 3); }, rt::ErrSubscript},
        {"set TextMatrix", [&] { grid.setTextMatrix(3, 3, "x"); }, rt::ErrSubscript},
        {"Cell", [&] { grid.Cell(FlexProperty::BackColor, 0, 5); }, rt::ErrSubscript},
        {"setCell", [&] { grid.setCell(FlexProperty::BackColor, 0, 0, 3, 0, Red); },
         rt::ErrSubscript},
        {"ColWidth", [&] { grid.ColWidth(3); }, rt::ErrSubscript},
        {"setColWidth", [&] { grid.setColWidth(-2, 100); }, rt::ErrSubscript},
        {"ColAlignment", [&] { grid.setColAlignment(7, 1); }, rt::ErrSubscript},
        {"RowHeight", [&] { grid.RowHeight(3); }, rt::ErrSubscript},
        {"Row", [&] { grid.setRow(3); }, rt::ErrSubscript},
        {"Col", [&] { grid.setCol(-1); }, rt::ErrSubscript},
        {"RowDate", [&] { grid.RowDate(-1); }, rt::ErrSubscript},
        {"MergeRow", [&] { grid.setMergeRow(3, true); }, rt::ErrSubscript},
        {"ColHidden", [&] { grid.setColHidden(3, true); }, rt::ErrSubscript},
        {"unknown property", [&] { grid.Cell(99, 0, 0); }, rt::ErrInvalidCall},
        {"alignment 10", [&] { grid.setColAlignment(1, 10); }, rt::ErrInvalidCall},
        {"negative Rows", [&] { grid.setRows(-1); }, rt::ErrInvalidCall},
        {"FixedRows above Rows", [&] { grid.setFixedRows(4); }, rt::ErrInvalidCall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(errorNumberOf(c.action), c.error);
    }
}

TEST(FlexGrid, ColumnWidthsAreTwipsAtFifteenPerPixel) {
    FlexGrid grid;
    grid.setCols(3);
    QTableView* table = tableOf(grid);
    struct Case {
        int twips, pixels, readBack;
    };
    const Case cases[] = {
        {1500, 100, 1500}, {1507, 100, 1500}, {1508, 101, 1515}, {7, 0, 0}, {8, 1, 15}, {0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.twips);
        grid.setColWidth(2, c.twips);
        EXPECT_EQ(table->columnWidth(2), c.pixels);
        EXPECT_EQ(grid.ColWidth(2), c.readBack);
    }
    grid.setColWidth(-1, 900);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(grid.ColWidth(col), 900);
    EXPECT_EQ(table->columnWidth(1), 60);
    // The fixed column's width is the width of the frozen area on its left.
    EXPECT_EQ(table->verticalHeader()->width(), 60);

    grid.setRowHeight(0, 450);
    EXPECT_EQ(grid.RowHeight(0), 450);
    EXPECT_EQ(table->horizontalHeader()->height(), 30);
    grid.setRowHeight(1, 301);
    EXPECT_EQ(table->rowHeight(1), 20);
    EXPECT_EQ(grid.RowHeight(1), 300);
}

TEST(FlexGrid, WidthOfEveryColumnOnAGridWithoutColumns) {
    FlexGrid grid;
    grid.setCols(0);
    EXPECT_NO_THROW(grid.setColWidth(-1, 1500));
    EXPECT_EQ(grid.Cols(), 0);
}

TEST(FlexGrid, FormatStringSetsTheHeadings) {
    struct Case {
        int colsBefore;
        const char* format;
        int colsAfter;
    };
    const Case cases[] = {{2, "a|b|c", 3}, {5, "a|b|c", 5}, {1, "Only", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        FlexGrid grid;
        grid.setCols(c.colsBefore);
        grid.setTextMatrix(1, 0, "kept");
        grid.FormatString(c.format);
        EXPECT_EQ(grid.Cols(), c.colsAfter);
        const QStringList parts = QString::fromUtf8(c.format).split('|');
        for (int col = 0; col < parts.size(); ++col)
            EXPECT_EQ(grid.TextMatrix(0, col), parts[col]);
        EXPECT_EQ(grid.TextMatrix(1, 0), "kept");
    }
}

TEST(FlexGrid, ClearEmptiesTheTextsAndKeepsTheRest) {
    FlexGrid grid;
    fill(grid, 4, 3);
    grid.setCell(FlexProperty::BackColor, 1, 1, 1, 1, Red);
    grid.setRowDate(2, rt::OleDate(45000.5));
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Cols(), 3);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(grid.TextMatrix(r, c), "");
    }
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 1, 1), Red);
    EXPECT_EQ(grid.RowDate(2), rt::OleDate(45000.5));
}

TEST(FlexGrid, CellColoursWithZeroForNone) {
    FlexGrid grid;
    fill(grid, 5, 4);
    grid.setCell(6, 3, 3, 1, 2, Red);  // corners in any order
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 4; ++c) {
            const bool inRange = r >= 1 && r <= 3 && c >= 2 && c <= 3;
            EXPECT_EQ(grid.Cell(FlexProperty::BackColor, r, c), inRange ? Red : 0) << r << "," << c;
        }
    }
    // What the view paints: the cell's own colour, else the grid's or the fixed cells' colour.
    EXPECT_EQ(roleData(grid, 2, 2, Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_EQ(roleData(grid, 4, 2, Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(roleData(grid, 0, 2, Qt::BackgroundRole).value<QColor>(), QColor(224, 224, 224));

    grid.setCell(FlexProperty::BackColor, 2, 2, 2, 2, 0);
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 2, 2), 0);
    EXPECT_EQ(roleData(grid, 2, 2, Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));

    grid.setRow(4);
    grid.setCol(1);
    grid.setCellBackColor(Yellow);
    EXPECT_EQ(grid.CellBackColor(), Yellow);
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 4, 1), Yellow);
    EXPECT_EQ(roleData(grid, 4, 1, Qt::BackgroundRole).value<QColor>(), QColor(Qt::yellow));

    grid.setBackColor(rt::RGB(0, 0, 255));
    grid.setBackColorFixed(rt::RGB(0, 128, 0));
    grid.setForeColor(rt::RGB(10, 20, 30));
    EXPECT_EQ(roleData(grid, 4, 2, Qt::BackgroundRole).value<QColor>(), QColor(Qt::blue));
    EXPECT_EQ(roleData(grid, 0, 2, Qt::BackgroundRole).value<QColor>(), QColor(0, 128, 0));
    EXPECT_EQ(roleData(grid, 4, 2, Qt::ForegroundRole).value<QColor>(), QColor(10, 20, 30));
}

TEST(FlexGrid, AlignmentValuesAsTheProgramNumbersThem) {
    FlexGrid grid;
    grid.setRows(3);
    grid.setCols(3);
    struct Case {
        int alignment;
        Qt::Alignment expected;
    };
    const Case cases[] = {
        {0, Qt::AlignLeft | Qt::AlignTop},        {1, Qt::AlignLeft | Qt::AlignVCenter},
        {2, Qt::AlignLeft | Qt::AlignBottom},     {3, Qt::AlignHCenter | Qt::AlignTop},
        {4, Qt::AlignHCenter | Qt::AlignVCenter}, {5, Qt::AlignHCenter | Qt::AlignBottom},
        {6, Qt::AlignRight | Qt::AlignTop},       {7, Qt::AlignRight | Qt::AlignVCenter},
        {8, Qt::AlignRight | Qt::AlignBottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.alignment);
        grid.setColAlignment(1, c.alignment);
        EXPECT_EQ(grid.ColAlignment(1), c.alignment);
        EXPECT_EQ(alignmentOf(grid, 1, 1), c.expected);
        EXPECT_EQ(grid.Cell(FlexProperty::Alignment, 1, 1), c.alignment);
    }
}

TEST(FlexGrid, GeneralAlignmentPutsNumbersRight) {
    FlexGrid grid;
    grid.setRows(3);
    grid.setTextMatrix(1, 1, "12.5");
    grid.setTextMatrix(2, 1, "CO");
    EXPECT_EQ(alignmentOf(grid, 1, 1), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(alignmentOf(grid, 2, 1), Qt::AlignLeft | Qt::AlignVCenter);
}

TEST(FlexGrid, ACellsOwnAlignmentWinsOverItsColumns) {
    FlexGrid grid;
    grid.setRows(5);
    grid.setCols(4);
    grid.setColAlignment(-1, 7);
    for (int col = 0; col < 4; ++col)
        EXPECT_EQ(grid.ColAlignment(col), 7);
    grid.setCell(FlexProperty::Alignment, 1, 1, 2, 2, 4);
    grid.setRow(3);
    grid.setCol(3);
    grid.setCellAlignment(0);
    grid.setColAlignment(2, 1);

    EXPECT_EQ(grid.Cell(FlexProperty::Alignment, 1, 2), 4);  // own, set before its column's
    EXPECT_EQ(grid.Cell(FlexProperty::Alignment, 3, 2), 1);  // column
    EXPECT_EQ(grid.Cell(FlexProperty::Alignment, 4, 1), 7);  // every column
    EXPECT_EQ(grid.CellAlignment(), 0);
    EXPECT_EQ(alignmentOf(grid, 2, 2), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_EQ(alignmentOf(grid, 3, 2), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(alignmentOf(grid, 3, 3), Qt::AlignLeft | Qt::AlignTop);
}

TEST(FlexGrid, EqualNeighboursOfAMarkedRowMerge) {
    FlexGrid grid;
    grid.setRows(4);
    grid.setCols(6);
    const QStringList texts{"Gas", "CO", "CO", "CO", "O2", "O2"};
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 6; ++col)
            grid.setTextMatrix(row, col, texts[col]);
    }
    grid.setMergeCells(1);
    grid.setMergeRow(0, true);
    grid.setMergeRow(2, true);

    struct Case {
        int row, col, span;
    };
    const Case cases[] = {
        {2, 1, 3}, {2, 2, 3}, {2, 3, 3}, {2, 4, 2},  // a marked scrolling row
        {0, 1, 3}, {0, 5, 2},                        // the marked title row
        {0, 0, 1},                                   // fixed and scrolling never together
        {1, 1, 1}, {3, 2, 1},                        // rows not marked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
        EXPECT_EQ(grid.mergedSpan(c.row, c.col), c.span);
    }
    QTableView* table = tableOf(grid);
    EXPECT_EQ(table->columnSpan(2, 1), 3);
    EXPECT_EQ(table->columnSpan(1, 1), 1);

    // A changed text merges anew; empty cells never merge.
    grid.setTextMatrix(2, 2, "H2S");
    EXPECT_EQ(grid.mergedSpan(2, 1), 1);
    EXPECT_EQ(grid.mergedSpan(2, 2), 1);
    grid.setTextMatrix(2, 2, "CO");
    EXPECT_EQ(table->columnSpan(2, 3), 3);
    grid.setTextMatrix(2, 4, "");
    grid.setTextMatrix(2, 5, "");
    EXPECT_EQ(grid.mergedSpan(2, 5), 1);

    grid.setMergeRow(2, false);
    EXPECT_EQ(table->columnSpan(2, 1), 1);
    grid.setMergeRow(2, true);
    EXPECT_EQ(table->columnSpan(2, 1), 3);
    grid.setMergeCells(0);
    EXPECT_EQ(table->columnSpan(2, 1), 1);
    EXPECT_EQ(grid.mergedSpan(0, 1), 1);
}

TEST(FlexGrid, MergesAppearWhenRedrawIsTurnedOn) {
    FlexGrid grid;
    grid.setMergeCells(1);
    grid.setRedraw(false);
    grid.setRows(3);
    grid.setCols(4);
    grid.setMergeRow(1, true);
    for (int col = 1; col < 4; ++col)
        grid.setTextMatrix(1, col, "Calibration");
    grid.setRedraw(true);
    EXPECT_EQ(tableOf(grid)->columnSpan(1, 1), 3);
}

TEST(FlexGrid, HiddenColumns) {
    FlexGrid grid;
    grid.setCols(4);
    grid.setColWidth(-1, 1500);
    QTableView* table = tableOf(grid);
    grid.setColHidden(2, true);
    EXPECT_TRUE(grid.ColHidden(2));
    EXPECT_TRUE(table->isColumnHidden(2));
    EXPECT_FALSE(table->isColumnHidden(3));
    EXPECT_EQ(grid.ColWidth(2), 1500);  // keeps its width for when it shows again
    grid.setColHidden(2, false);
    EXPECT_FALSE(table->isColumnHidden(2));
    EXPECT_EQ(table->columnWidth(2), 100);

    // A hidden fixed column leaves the frozen area.
    grid.setColHidden(0, true);
    EXPECT_TRUE(table->verticalHeader()->isHidden());
    grid.setColHidden(0, false);
    EXPECT_EQ(table->verticalHeader()->width(), 100);
}

TEST(FlexGrid, RedrawOffBatchesIntoOneReset) {
    FlexGrid grid;
    const QAbstractItemModel* model = grid.model();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(model, &QAbstractItemModel::dataChanged);
    QSignalSpy rowInserts(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy colInserts(model, &QAbstractItemModel::columnsInserted);
    QSignalSpy rowRemovals(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy layouts(model, &QAbstractItemModel::layoutChanged);

    grid.setRedraw(false);
    EXPECT_FALSE(grid.Redraw());
    fill(grid, 200, 8);
    grid.setRows(150);
    grid.setCell(FlexProperty::BackColor, 1, 1, 5, 5, Red);
    grid.setColAlignment(-1, 4);
    grid.setColWidth(-1, 1200);
    grid.setMergeCells(1);
    grid.setMergeRow(3, true);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(rowInserts.count(), 0);
    EXPECT_EQ(colInserts.count(), 0);
    EXPECT_EQ(rowRemovals.count(), 0);
    EXPECT_EQ(layouts.count(), 0);

    grid.setRedraw(true);
    EXPECT_TRUE(grid.Redraw());
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(changes.count(), 0);
    QTableView* table = tableOf(grid);
    EXPECT_EQ(table->verticalHeader()->count(), 150);
    EXPECT_EQ(table->columnWidth(3), 80);
    EXPECT_TRUE(table->isRowHidden(0));

    grid.setRedraw(true);  // already on: nothing more
    grid.setTextMatrix(4, 4, "one");
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>(), model->index(4, 4));
}

TEST(FlexGrid, FillsAFullDataTableWithRedrawOff) {
    FlexGrid grid;
    show(grid, 640, 480);
    grid.setRedraw(false);
    grid.setRows(56051 + 1);
    grid.setCols(8);
    for (int row = 1; row <= 56051; ++row) {
        for (int col = 0; col < 8; ++col)
            grid.setTextMatrix(row, col, QString::number(row * 8 + col));
        grid.setRowDate(row, rt::OleDate(40000 + row / 1440.0));
    }
    grid.setRedraw(true);
    EXPECT_EQ(grid.TextMatrix(56051, 7), QString::number(56051 * 8 + 7));
    EXPECT_EQ(tableOf(grid)->verticalHeader()->count(), 56052);
    grid.setTopRow(56051);
    EXPECT_EQ(grid.BottomRow(), 56051);
}

TEST(FlexGrid, MouseRowAndColFromAPoint) {
    FlexGrid grid;
    grid.setRows(4);
    grid.setCols(4);
    grid.setColWidth(-1, 1500);  // 100 px
    for (int row = 0; row < 4; ++row)
        grid.setRowHeight(row, 300);  // 20 px
    show(grid, 600, 200);
    QTableView* table = tableOf(grid);
    // The scrolling cells start where the frozen title row and row title column end.
    const QPoint body = table->viewport()->mapTo(&grid, QPoint(0, 0));
    const QPoint frozen = body - QPoint(100, 20);
    struct Case {
        QPoint point;
        int row, col;
    };
    const Case cases[] = {
        {frozen + QPoint(5, 5), 0, 0},  {frozen + QPoint(250, 10), 0, 2},
        {body + QPoint(5, 5), 1, 1},    {body + QPoint(150, 45), 3, 2},
        {body + QPoint(-50, 25), 2, 0}, {body + QPoint(50, 65), -1, 1},
        {body + QPoint(350, 5), 1, -1}, {QPoint(-5, -5), -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x() << "," << c.point.y());
        EXPECT_EQ(grid.cellAt(c.point), std::make_pair(c.row, c.col));
    }

    QSignalSpy presses(&grid, &FlexGrid::mousePressed);
    QSignalSpy clicks(&grid, &FlexGrid::clicked);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, QPoint(150, 45));
    EXPECT_EQ(grid.MouseRow(), 3);
    EXPECT_EQ(grid.MouseCol(), 2);
    ASSERT_EQ(presses.count(), 1);
    EXPECT_EQ(presses.at(0).at(1).toInt(), 3);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(grid.Row(), 3);  // a click moves the current cell
    EXPECT_EQ(grid.Col(), 2);

    QTest::mouseMove(table->horizontalHeader()->viewport(), QPoint(150, 10));
    EXPECT_EQ(grid.MouseRow(), 0);
    EXPECT_EQ(grid.MouseCol(), 2);
}

TEST(FlexGrid, TopRowAndBottomRow) {
    FlexGrid grid;
    grid.setRows(101);
    for (int row = 0; row < 101; ++row)
        grid.setRowHeight(row, 300);  // 20 px
    show(grid, 300, 200);
    QTableView* table = tableOf(grid);
    const int viewport = table->viewport()->height();
    const int whole = viewport / 20;
    const int partly = (viewport + 19) / 20;

    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(grid.BottomRow(), partly);
    grid.setTopRow(10);
    EXPECT_EQ(grid.TopRow(), 10);
    EXPECT_EQ(grid.BottomRow(), 10 + partly - 1);
    grid.setTopRow(1000);
    EXPECT_EQ(grid.TopRow(), 101 - whole);
    EXPECT_EQ(grid.BottomRow(), 100);
    grid.setTopRow(0);
    EXPECT_EQ(grid.TopRow(), 1);
}

TEST(FlexGrid, ProgramMovesOfTheCurrentCellDoNotScroll) {
    FlexGrid grid;
    grid.setRows(101);
    show(grid, 300, 200);
    grid.setRow(90);
    grid.setCol(1);
    EXPECT_EQ(grid.TopRow(), 1);
    EXPECT_EQ(tableOf(grid)->currentIndex(), grid.model()->index(90, 1));
}

TEST(FlexGrid, OneDatePerRow) {
    FlexGrid grid;
    grid.setRows(4);
    const rt::OleDate date = *rt::OleDate::fromCivil(2024, 3, 1, 12, 30, 0);
    grid.setRowDate(2, date);
    EXPECT_EQ(grid.RowDate(2), date);
    EXPECT_EQ(grid.RowDate(1), rt::OleDate());
    grid.setRows(2);
    grid.setRows(4);
    EXPECT_EQ(grid.RowDate(2), rt::OleDate());
}

TEST(FlexGrid, MousePointerZeroIsTheDefaultAndNinetyNineTheIcon) {
    FlexGrid grid;
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    grid.setMouseIcon(icon);
    grid.setMousePointer(99);
    EXPECT_EQ(grid.MousePointer(), 99);
    EXPECT_EQ(tableOf(grid)->viewport()->cursor().shape(), Qt::BitmapCursor);
    grid.setMousePointer(0);
    EXPECT_EQ(tableOf(grid)->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST(FlexGrid, PictureOfAFilledGrid) {
    FlexGrid grid;
    grid.setRedraw(false);
    grid.setRows(12);
    grid.setCols(7);
    grid.setFixedRows(2);
    grid.setMergeCells(1);
    grid.setMergeRow(0, true);
    grid.setMergeRow(6, true);
    const QStringList groups{"", "Time", "Time", "Gas", "Gas", "Gas", "Alarm"};
    const QStringList names{"No.", "Date", "Time", "CO", "H2S", "O2", "Alarm"};
    for (int col = 0; col < 7; ++col) {
        grid.setTextMatrix(0, col, groups[col]);
        grid.setTextMatrix(1, col, names[col]);
    }
    for (int row = 2; row < 12; ++row) {
        grid.setTextMatrix(row, 0, QString::number(row - 1));
        grid.setTextMatrix(row, 1, "2024/03/01");
        grid.setTextMatrix(row, 2, QStringLiteral("12:%1:00").arg(row, 2, 10, QLatin1Char('0')));
        grid.setTextMatrix(row, 3, QString::number(row * 3));
        grid.setTextMatrix(row, 4, QStringLiteral("0.%1").arg(row));
        grid.setTextMatrix(row, 5, "20.9");
        grid.setTextMatrix(row, 6, row == 4 ? "High" : "");
    }
    for (int col = 1; col < 7; ++col)
        grid.setTextMatrix(6, col, "Calibration");
    grid.setColWidth(-1, 1200);
    grid.setColWidth(0, 600);
    grid.setColAlignment(-1, 4);
    grid.setCell(FlexProperty::BackColor, 4, 3, 4, 6, Red);
    grid.setCell(FlexProperty::BackColor, 8, 5, 8, 5, Yellow);
    grid.setRedraw(true);
    show(grid, 560, 300);

    const QImage picture = grid.grab().toImage();
    const QString folder = QCoreApplication::applicationDirPath() + "/pictures";
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(picture.save(folder + "/flexgrid.png"));

    QTableView* table = tableOf(grid);
    EXPECT_EQ(table->columnSpan(6, 1), 6);
    EXPECT_EQ(grid.mergedSpan(0, 3), 3);
    const QPoint body = table->viewport()->mapTo(&grid, QPoint(0, 0));
    const int rowHeight = table->rowHeight(2);
    // Left margin of a red cell of row 4 (the third scrolling row), of the yellow cell, and
    // of a fixed cell.
    const QPoint red = body + QPoint(80 * 2 + 3, rowHeight * 2 + rowHeight / 2);
    const QPoint yellow = body + QPoint(80 * 4 + 3, rowHeight * 6 + rowHeight / 2);
    EXPECT_EQ(picture.pixelColor(red), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(yellow), QColor(Qt::yellow));
    EXPECT_EQ(picture.pixelColor(body + QPoint(-37, 3)), QColor(224, 224, 224));
    EXPECT_EQ(picture.pixelColor(body + QPoint(3, -3)), QColor(224, 224, 224));
}

// Texts given by a function of the row are made once, when first read, and read as any text.
TEST(FlexGrid, TextsFromASourceAreMadeWhenFirstRead) {
    FlexGrid grid;
    fill(grid, 6, 3);
    show(grid, 300, 200);
    std::vector<int> made;
    grid.setRedraw(false);
    grid.setTextSource(1, 1, 4, [&made](int row) {
        made.push_back(row);
        return QStringLiteral("made%1").arg(row);
    });
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(grid.TextMatrix(2, 1), "made2");
    EXPECT_EQ(grid.TextMatrix(2, 1), "made2");
    EXPECT_EQ(made, std::vector<int>{2});
    // Rows outside the source keep their own texts; the view reads the same texts.
    EXPECT_EQ(grid.TextMatrix(0, 1), "r0c1");
    EXPECT_EQ(grid.TextMatrix(5, 1), "r5c1");
    EXPECT_EQ(roleData(grid, 3, 1, Qt::DisplayRole).toString(), "made3");
    grid.setRedraw(true);
    QApplication::processEvents();

    struct Case {
        const char* what;
        std::function<void()> change;
        std::vector<QString> column;  // rows 0..rows-1 of column 1 afterwards
    };
    const std::vector<Case> cases = {
        {"a cell set",
         [&] { grid.setTextMatrix(4, 1, "own"); },
         {"r0c1", "made1", "made2", "made3", "own", "r5c1"}},
        {"rows dropped and added",
         [&] {
             grid.setRows(3);
             grid.setRows(6);
         },
         {"r0c1", "made1", "made2", "", "", ""}},
        {"cleared", [&] { grid.Clear(); }, {"", "", "", "", "", ""}},
        {"another source",
         [&] { grid.setTextSource(1, 3, 5, [](int row) { return QString::number(-row); }); },
         {"r0c1", "made1", "made2", "-3", "-4", "-5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fill(grid, 6, 3);
        grid.setTextSource(1, 1, 4, [](int row) { return QStringLiteral("made%1").arg(row); });
        EXPECT_EQ(grid.TextMatrix(2, 1), "made2");
        c.change();
        std::vector<QString> column;
        for (int r = 0; r < grid.Rows(); ++r)
            column.push_back(grid.TextMatrix(r, 1));
        EXPECT_EQ(column, c.column);
    }
    EXPECT_EQ(errorNumberOf([&] { grid.setTextSource(1, 1, 9, {}); }), 9);
}

// Colours and alignments of dropped rows are gone, also when the grid grows again, and setting
// a block keeps the cells around it.
TEST(FlexGrid, CellPropertiesGoWithTheirRows) {
    FlexGrid grid;
    fill(grid, 8, 4);
    grid.setCell(FlexProperty::BackColor, 1, 0, 7, 3, Red);
    grid.setCell(FlexProperty::Alignment, 2, 1, 6, 2, 7);
    grid.setCell(FlexProperty::BackColor, 3, 1, 4, 2, 0);
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 3, 0), Red);
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 3, 1), 0);
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 4, 2), 0);
    EXPECT_EQ(grid.Cell(FlexProperty::BackColor, 4, 3), Red);
    grid.setRows(4);
    grid.setCols(3);
    grid.setRows(8);
    grid.setCols(4);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 4; ++c) {
            const bool kept = r >= 1 && r <= 3 && c <= 2 && !(r == 3 && c >= 1);
            EXPECT_EQ(grid.Cell(FlexProperty::BackColor, r, c), kept ? Red : 0) << r << "," << c;
            const bool aligned = r >= 2 && r <= 3 && c >= 1 && c <= 2;
            EXPECT_EQ(grid.Cell(FlexProperty::Alignment, r, c), aligned ? 7 : 9) << r << "," << c;
        }
}

// A text too wide for its room gives way by its words: those before its first number, then
// those after its last; the digits, and words between numbers, always stay.
TEST(WordsGiveWay, TheNumbersStayWhole) {
    const auto tenPerCharacter = [](const QString& text) { return 10 * int(text.size()); };
    const struct {
        QString text;
        int room;
        QString shown;
    } cases[] = {
        {"Remaining 140 Days", 180, "Remaining 140 Days"},
        {"Remaining 140 Days", 179, "140 Days"},
        {"Remaining 140 Days", 79, "140"},
        {"Remaining 140 Days", 20, "140"},  // too narrow even so: left to the usual eliding
        {"残り 140 日", 60, "140 日"},
        {"QM-73 Interval Trend", 100, "QM-73"},
        {"5 Jan 2026 21:36:00", 100, "5 Jan 2026 21:36:00"},
        {"Now", 10, "Now"},
        {"Remaining 140 Days", 0, "Remaining 140 Days"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 in %2").arg(c.text).arg(c.room).toStdString());
        EXPECT_EQ(WordsGiveWay(c.text, c.room, tenPerCharacter), c.shown);
    }
}

// In a grid, the cell that is too narrow shows the number whole; the grid paints what it says
// it shows.
TEST(FlexGrid, ACellTooNarrowForItsTextShowsItsNumberWhole) {
    FlexGrid grid;
    grid.setRows(4);
    grid.setCols(2);
    for (int row : {2, 3})
        grid.setTextMatrix(row, 1, "Remaining 140 Days");
    const QFontMetrics metrics(grid.font());
    const int whole = metrics.horizontalAdvance("Remaining 140 Days");
    show(grid, 400, 120);
    grid.setColWidth(1, (whole + 40) * 15);
    EXPECT_EQ(grid.ShownText(2, 1), "Remaining 140 Days");
    grid.setColWidth(1, (whole - metrics.horizontalAdvance("Remaining ") / 2) * 15);
    EXPECT_EQ(grid.ShownText(2, 1), "140 Days");
    // What is painted is the text shown: the same pixels as a cell holding just that.
    grid.setTextMatrix(3, 1, "140 Days");
    QApplication::processEvents();
    const QImage picture = grid.grab().toImage();
    QTableView* table = tableOf(grid);
    const QRect cell = table->visualRect(grid.model()->index(2, 1))
                           .translated(table->viewport()->mapTo(&grid, QPoint(0, 0)));
    EXPECT_TRUE(picture.copy(cell) == picture.copy(cell.translated(0, table->rowHeight(2))));
    EXPECT_FALSE(picture.copy(cell) == picture.copy(cell.translated(0, -table->rowHeight(2))));
}
