#pragma once

#include <QList>
#include <QTableView>
#include <set>
#include <utility>

namespace platform {

class FlexGridModel;

// Shows a FlexGridModel with its fixed rows and columns frozen. The table itself shows the
// scrolling cells and only hides the fixed ones, so model indices stay the program's. The fixed
// rows are painted in the horizontal header, which moves sideways with the columns and never
// scrolls down; the fixed columns in the vertical header, which moves with the rows; the cells
// where both meet in a corner widget. All cells, fixed or not, are drawn by the same delegate.
class FlexGridView : public QTableView {
  public:
    explicit FlexGridView(FlexGridModel* model, QWidget* parent = nullptr);

    // Sizes in pixels, the defaults resolved.
    int colWidthPixels(int col) const;
    int rowHeightPixels(int row) const;

    // Brings the table in line with the model after a reset or a change of counts: hidden
    // fixed rows and columns, sizes, the frozen areas and the merged spans.
    void applyLayout();
    void applyColumn(int col);
    void applyRowHeight(int row);

    // Row and column under a point of this widget, fixed areas included; -1 outside cells.
    std::pair<int, int> cellAt(const QPoint& point) const;
    // The number of columns of the merged cell that holds (row, col).
    int mergedSpan(int row, int col) const;
    // The text the cell shows at its present width (see WordsGiveWay).
    QString shownText(int row, int col) const;

    // The first and last scrolling row visible (the last one may be partly visible).
    int topRow() const;
    int bottomRow() const;
    void setTopRow(int row);

    // Moves the table's cursor without scrolling, so that a program walking the cells does
    // not move the view; nothing stays selected.
    void setCurrentCell(int row, int col);
    void repaintAll();
    // The widgets that receive the mouse over the cells.
    QList<QWidget*> mouseSurfaces() const;

  protected:
    void updateGeometries() override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void changeEvent(QEvent* event) override;

  private:
    void applyAllSpans();
    void applyRowSpans(int row);
    void applyDefaultRowHeight();
    void updateFixedSizes();
    void updateFixedAreas();

    void paintFixedRows(QPainter& painter, int col) const;
    void paintFixedCols(QPainter& painter, int row, int top, int height) const;
    void paintCell(QPainter& painter, const QRect& rect, int row, int col) const;

    int fixedRowTop(int row) const;
    int fixedColLeft(int col) const;
    int fixedColWidth(int col) const;
    int fixedRowAt(int y) const;
    int fixedColAt(int x) const;
    int rowAtY(int y) const;
    int colAtX(int x) const;

    FlexGridModel* model_;
    QWidget* corner_;
    // Rows given spans, so that a row that no longer merges loses them.
    std::set<int> spannedRows_;
    // The leading rows the table hides: the fixed rows of the last layout.
    int hiddenRows_ = 0;
};

}  // namespace platform
