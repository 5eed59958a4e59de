#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "runtime/OleDate.h"

namespace platform {

// A block of cells, both corners included, the first corner above and left of the second.
struct CellRange {
    int row1 = 0, col1 = 0, row2 = 0, col2 = 0;
};

// Everything a FlexGrid holds, fixed rows and columns included, indexed as the program's code
// indexes it. Texts are stored a column at a time with no object per cell, so a table of tens
// of thousands of rows stays cheap; what few cells have of their own (colour, alignment) lies in
// sparse maps ordered by row, which shrink with the rows.
//
// A column's texts may also be given as a function of the row: each such text is made the first
// time anything reads it (the view painting it, a copy, an export) and kept, so a table of tens
// of thousands of rows formats only what is looked at.
//
// While a batch is open no signal is sent; closing it sends one model reset. Outside a batch a
// change sends dataChanged with the roles it touched (no roles: the display as a whole).
class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // Text left and numbers right, each vertically centred.
    static constexpr int AlignGeneral = 9;
    // A width or height that was never set: the view's default.
    static constexpr int DefaultSize = -1;

    explicit FlexGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void beginBatch();
    void endBatch();
    bool batching() const { return batching_; }

    // Counts include the fixed rows and columns. A negative count raises error 5; fewer rows
    // or columns than fixed ones lower the fixed count.
    int rows() const { return rows_; }
    int cols() const { return static_cast<int>(columns_.size()); }
    void setRows(int rows);
    void setCols(int cols);
    // Raise error 5 outside 0..rows() (0..cols()).
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    void setFixedRows(int rows);
    void setFixedCols(int cols);
    bool isFixed(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }

    // Raise error 9 (Subscript out of range) for an index outside the grid.
    void checkRow(int row) const;
    void checkCol(int col) const;
    void checkCell(int row, int col) const;
    // Both corners must be cells; the corners may come in any order.
    CellRange checkedRange(int row1, int col1, int row2, int col2) const;

    const QString& text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    void clearTexts();
    // The texts of rows first..last of a column, made by `source` from the row when first
    // read. A later setText of a cell, clearTexts or a new source of the column replaces them.
    using TextSource = std::function<QString(int row)>;
    void setTextSource(int col, int first, int last, TextSource source);

    rt::OleDate rowDate(int row) const;
    void setRowDate(int row, rt::OleDate date);

    // Basic RGB Longs; 0 is "no colour of its own".
    int32_t cellBackColor(int row, int col) const;
    void setCellBackColor(const CellRange& range, int32_t rgb);
    // The alignment a cell is drawn with: its own, else its column's.
    int cellAlignment(int row, int col) const;
    void setCellAlignment(const CellRange& range, int alignment);
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment);

    int32_t backColor() const { return backColor_; }
    int32_t foreColor() const { return foreColor_; }
    int32_t backColorFixed() const { return backColorFixed_; }
    // Check boxes of cells: 0 none, 1 checked, 2 unchecked.
    int checked(int row, int col) const;
    void setChecked(int row, int col, int state);
    void setBackColor(int32_t rgb);
    void setForeColor(int32_t rgb);
    void setBackColorFixed(int32_t rgb);

    // Sizes in device-independent pixels, DefaultSize when never set.
    int colWidth(int col) const;
    void setColWidth(int col, int pixels);
    bool colHidden(int col) const;
    void setColHidden(int col, bool hidden);
    int rowHeight(int row) const;
    void setRowHeight(int row, int pixels);
    const std::map<int, int>& rowHeights() const { return rowHeights_; }

    int mergeCells() const { return mergeCells_; }
    void setMergeCells(int mode);
    bool mergeRow(int row) const;
    void setMergeRow(int row, bool merge);
    const std::set<int>& mergeRows() const { return mergeRows_; }
    // The first and last column of the cell shown together with (row, col): its neighbours of
    // equal, non-empty text in a merged row. Fixed and scrolling columns never merge together.
    std::pair<int, int> mergedColumns(int row, int col) const;

  private:
    struct Column {
        // Texts still to be made by the source are marked in `pending` (empty when none is).
        mutable std::vector<QString> texts;
        mutable std::vector<bool> pending;
        TextSource source;
        int alignment = AlignGeneral;
        int width = DefaultSize;
        bool hidden = false;
    };
    // Keyed by row, then column: the cells of the rows a grid drops are one range.
    using CellMap = std::map<uint64_t, int32_t>;

    static uint64_t cellKey(int row, int col);
    static int32_t lookUp(const CellMap& map, int row, int col, int32_t missing);
    void setInRange(CellMap& map, const CellRange& range, int32_t value, int32_t none);
    // Forgets the cells of rows from `rows` on, and of columns from `cols` on.
    static void dropRows(CellMap& map, int rows);
    static void dropCols(CellMap& map, int cols);
    // Makes the pending texts of a column (before its source is replaced).
    void makePending(const Column& column) const;
    QVariant alignmentData(int row, int col) const;
    void changed(const CellRange& range, const QList<int>& roles);
    void changedAll(const QList<int>& roles);
    void changedRows(int first, int last, const QList<int>& roles);
    void changedCols(int first, int last, const QList<int>& roles);

    std::vector<Column> columns_;
    int rows_ = 0;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    std::vector<rt::OleDate> rowDates_;
    CellMap backColors_;
    CellMap alignments_;
    std::map<int, int> rowHeights_;
    std::set<int> mergeRows_;
    int mergeCells_ = 0;
    int32_t backColor_;
    int32_t foreColor_;
    int32_t backColorFixed_;
    std::map<std::pair<int, int>, int> checked_;
    bool batching_ = false;
};

}  // namespace platform
