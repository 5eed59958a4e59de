#pragma once

#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <utility>

#include "platform/gui/CellTable.h"
#include "runtime/OleDate.h"

class QAbstractItemModel;

namespace platform {

class FlexGridModel;
class FlexGridView;

// The cell properties read and written through Cell and setCell, numbered as the program's
// code passes them.
namespace FlexProperty {
enum Value : int { Alignment = 2, BackColor = 6 };
}

// The one grid of the program: Basic-style members over a table view and its model.
//
// Every index counts the fixed rows and columns (row 0 is the title row), as the program's code
// does; a bad index raises error 9 (Subscript out of range), a bad value error 5. Colours are
// Basic RGB Longs (0x00BBGGRR), widths and heights twips. Alignments: 0..8 are left/centre/right
// in threes, each top/centre/bottom; 9 is general (text left, numbers right).
//
// With Redraw off, changes are only stored: the view hears of them in one model reset when
// Redraw is turned on again. That is how a table of tens of thousands of rows is filled.
class FlexGrid : public QWidget, public CellTable {
    Q_OBJECT
  public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    // Counts include the fixed rows and columns. New cells are empty; fewer rows or columns
    // than fixed ones lower the fixed count.
    int Rows() const override;
    void setRows(int rows);
    int Cols() const override;
    void setCols(int cols);
    int FixedRows() const;
    void setFixedRows(int rows);
    int FixedCols() const;
    void setFixedCols(int cols);

    QString TextMatrix(int row, int col) const override;
    // The text as the cell shows it at its present width: whole, or, too wide for the cell,
    // with its words given way (see WordsGiveWay) and, still too wide, cut with an ellipsis.
    QString ShownText(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // "a|b|c": the texts of row 0, with at least that many columns.
    void FormatString(const QString& format);
    // Empties every cell's text; counts, colours and sizes stay.
    void Clear();
    // The texts of rows first..last of a column, made by `source` from the row the first time
    // anything reads them (the view, TextMatrix), so that a large table formats only what is
    // looked at. Setting a cell's text, Clear or another source of the column replaces them.
    void setTextSource(int col, int first, int last, std::function<QString(int row)> source);

    // The current cell and what belongs to it.
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    QString Text() const;
    void setText(const QString& text);
    int32_t CellBackColor() const;
    void setCellBackColor(int32_t rgb);
    int CellAlignment() const;
    void setCellAlignment(int alignment);

    // FlexProperty::BackColor (0 is no colour of its own) and FlexProperty::Alignment.
    int32_t Cell(int property, int row, int col) const;
    int32_t CellBackColor(int row, int col) const override {
        return Cell(FlexProperty::BackColor, row, col);
    }
    void setCell(int property, int row1, int col1, int row2, int col2, int32_t value);

    // A cell's own alignment wins over its column's; column -1 sets every column.
    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);
    // Twips, at 15 twips per pixel; column -1 sets every column. A negative width is the
    // default width.
    int ColWidth(int col) const;
    void setColWidth(int col, int twips);
    int RowHeight(int row) const;
    void setRowHeight(int row, int twips);
    // The width the columns have without scrolling sideways: the grid's width less its border
    // and a vertical scroll bar while one shows. Twips.
    int ClientWidth() const;
    // The last column widens to fill the grid's width (the others keep theirs).
    bool ExtendLastCol() const;
    void setExtendLastCol(bool extend);
    bool ColHidden(int col) const;
    void setColHidden(int col, bool hidden);

    // With MergeCells not 0, neighbouring cells of equal text in a row marked by MergeRow are
    // shown as one. Empty cells never merge.
    int MergeCells() const;
    void setMergeCells(int mode);
    bool MergeRow(int row) const;
    void setMergeRow(int row, bool merge);
    // The number of columns of the merged cell that shows (row, col), 1 when not merged.
    int mergedSpan(int row, int col) const;

    bool Redraw() const;
    void setRedraw(bool redraw);
    void Refresh();

    // The first scrolling row at the top of the view and the last row visible, even in part.
    int TopRow() const;
    void setTopRow(int row);
    int BottomRow() const;

    // The cell under the pointer at its last move or press over the grid, -1 outside cells.
    int MouseRow() const { return mouseCell_.first; }
    int MouseCol() const { return mouseCell_.second; }
    // Row and column under a point of this widget.
    std::pair<int, int> cellAt(const QPoint& point) const;

    // 0: the default pointer; 11: the hourglass; 99: MouseIcon.
    int MousePointer() const { return mousePointer_; }
    void setMousePointer(int pointer);
    QPixmap MouseIcon() const { return mouseIcon_; }
    void setMouseIcon(const QPixmap& icon);

    // The date each row of a data view stands for; a row never given one holds date 0.
    rt::OleDate RowDate(int row) const;
    void setRowDate(int row, rt::OleDate date);

    int32_t BackColor() const;
    void setBackColor(int32_t rgb);
    int32_t ForeColor() const;
    void setForeColor(int32_t rgb);
    int32_t BackColorFixed() const;
    void setBackColorFixed(int32_t rgb);

    QAbstractItemModel* model() const;

    // ---- editing ----
    // Cells the user may edit: the scrolling ones, but those whose back colour is the fixed
    // cells' colour.
    bool Editable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    bool isCellEditable(int row, int col) const;
    // The choices of the next edit ("a|b|c"), offered as a drop-down list; empty: a text box.
    // Usually set by a BeforeEdit handler.
    QString ComboList() const { return comboList_; }
    void setComboList(const QString& list) { comboList_ = list; }
    // A cell's check box: 0 none, 1 checked, 2 unchecked. An edit of such a cell toggles it.
    int CellChecked(int row, int col) const;
    void setCellChecked(int row, int col, int state);
    // Starts an edit of the current cell, as a double click or a key does; false when the
    // cell is not editable or BeforeEdit cancelled.
    bool EditCell();
    bool isEditing() const { return editor_ != nullptr; }
    // The text of the edit under way; what ValidateEdit leaves here becomes the cell's text.
    QString EditText() const;
    void setEditText(const QString& text);
    // Ends the edit: ValidateEdit, then the text goes into the cell and AfterEdit runs. False
    // when the validation refused: the edit stays open.
    bool FinishEditing();
    // Drops the edit: the cell keeps its text.
    void CancelEditing();
    // Ends an edit under way: finished, or dropped when the validation refuses. Nothing while
    // the edit is being validated.
    void EndEditing();
    // A typed character as the edit sees it (KeyPressEdit may change or drop it).
    void typeIntoEditor(QChar c);

    // The rows marked from the current row to this one, whole (the current row alone when
    // they are the same); -1 marks nothing.
    int RowSel() const { return rowSel_; }
    void setRowSel(int row);

  signals:
    // The current cell moved (by the user or by the program).
    void RowColChange();
    // The edit events: a handler sets `cancel` to refuse; `keyAscii` 0 drops the key.
    void BeforeEdit(int row, int col, bool& cancel);
    void ValidateEdit(int row, int col, bool& cancel);
    void AfterEdit(int row, int col);
    void KeyPressEdit(int row, int col, int& keyAscii);
    void clicked();
    void mouseMoved(int row, int col);
    void mousePressed(Qt::MouseButton button, int row, int col);
    // ClientWidth changed otherwise than with the grid's own width: a vertical scroll bar came
    // or went.
    void clientWidthChanged();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layOut();
    void syncCurrentCell();
    // Tells RowColChange when the current cell is not the one last told.
    void noteCurrentCell();
    void applyCursor();
    int clientWidthPixels() const;
    // Tells clientWidthChanged when the border and scroll bar take another share of the width.
    void noteClientWidth();

    FlexGridModel* model_;
    FlexGridView* view_;
    int row_ = 0;
    int col_ = 0;
    std::pair<int, int> mouseCell_{-1, -1};
    int mousePointer_ = 0;
    QPixmap mouseIcon_;
    int rowSel_ = -1;
    // The edit under way: its widget (a line or a list) and its cell.
    bool editable_ = false;
    QString comboList_;
    QWidget* editor_ = nullptr;
    int editRow_ = -1, editCol_ = -1;
    bool finishing_ = false;
    void openEditor(const QString& text);
    void closeEditor();
    bool toggleCheck();
    bool editorEvent(QEvent* event);
    // The current cell last told through RowColChange.
    std::pair<int, int> toldCell_{-1, -1};
    // What the grid's border and scroll bar took of its width when last told.
    int clientMargin_ = -1;
};

}  // namespace platform
