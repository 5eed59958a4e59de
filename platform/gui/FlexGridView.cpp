#include "platform/gui/FlexGridView.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>
#include <functional>
#include <utility>

#include "platform/gui/FitText.h"
#include "platform/gui/FlexGridModel.h"

namespace platform {

namespace {

// A header that paints fixed cells in place of section titles.
class FixedCellsHeader : public QHeaderView {
  public:
    using Painter = std::function<void(QPainter&, const QRect&, int)>;

    FixedCellsHeader(Qt::Orientation orientation, Painter painter, QWidget* parent)
        : QHeaderView(orientation, parent), painter_(std::move(painter)) {
        // Sizes are the program's to set, and a click on a fixed cell selects nothing.
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
        setMinimumSectionSize(0);
    }

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        painter_(*painter, rect, logicalIndex);
    }

  private:
    Painter painter_;
};

// The fixed cells where the fixed rows meet the fixed columns.
class FixedCorner : public QWidget {
  public:
    using Painter = std::function<void(QPainter&)>;

    FixedCorner(Painter painter, QWidget* parent) : QWidget(parent), painter_(std::move(painter)) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter_(painter);
    }

  private:
    Painter painter_;
};

// Along one axis of the frozen area: where a section starts, and which section holds a point.
template <typename Size>
int offsetOf(int section, Size size) {
    int offset = 0;
    for (int i = 0; i < section; ++i)
        offset += size(i);
    return offset;
}

template <typename Size>
int sectionAt(int position, int count, Size size) {
    for (int i = 0, end = 0; i < count; ++i) {
        end += size(i);
        if (position < end) return i;
    }
    return -1;
}

// Draws a cell as the usual delegate does, but for a text too wide for its cell: that gives way
// by its words, never by its digits, before it is cut.
class CellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The text a cell painted with `option` shows.
    QString shownText(QStyleOptionViewItem option, const QModelIndex& index) const {
        initStyleOption(&option, index);
        return option.text;
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->text.isEmpty() || option->rect.width() <= 0) return;
        // The room the style gives the text: its part of the cell less the text margins.
        const QWidget* widget = option->widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int room =
            style->subElementRect(QStyle::SE_ItemViewItemText, option, widget).width() - 2 * margin;
        const QFontMetrics metrics(option->font);
        const QString shown = WordsGiveWay(option->text, room, [&metrics](const QString& text) {
            return metrics.horizontalAdvance(text);
        });
        // Still too wide (a number wider than its cell): cut at the end, as the style would.
        option->text = metrics.elidedText(shown, option->textElideMode, room);
    }
};

// Room for the text's ascent and descent plus a small margin, as a row of one line of text.
int defaultRowHeight(const QFontMetrics& metrics) {
    return metrics.height() + 4;
}

}  // namespace

FlexGridView::FlexGridView(FlexGridModel* model, QWidget* parent)
    : QTableView(parent), model_(model) {
    setHorizontalHeader(new FixedCellsHeader(
        Qt::Horizontal,
        [this](QPainter& painter, const QRect&, int col) { paintFixedRows(painter, col); }, this));
    setVerticalHeader(new FixedCellsHeader(
        Qt::Vertical,
        [this](QPainter& painter, const QRect& rect, int row) {
            paintFixedCols(painter, row, rect.top(), rect.height());
        },
        this));
    corner_ = new FixedCorner(
        [this](QPainter& painter) {
            for (int row = 0; row < model_->fixedRows(); ++row) {
                paintFixedCols(painter, row, fixedRowTop(row), rowHeightPixels(row));
            }
        },
        this);
    setModel(model);
    setItemDelegate(new CellDelegate(this));
    setCornerButtonEnabled(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    applyDefaultRowHeight();
    // Connected after the table's own handlers, so that the table is reset when this runs.
    connect(model, &QAbstractItemModel::modelReset, this, &FlexGridView::applyLayout);
}

int FlexGridView::colWidthPixels(int col) const {
    const int width = model_->colWidth(col);
    return width == FlexGridModel::DefaultSize ? horizontalHeader()->defaultSectionSize() : width;
}

int FlexGridView::rowHeightPixels(int row) const {
    const int height = model_->rowHeight(row);
    return height == FlexGridModel::DefaultSize ? verticalHeader()->defaultSectionSize() : height;
}

void FlexGridView::applyLayout() {
    const int fixedRows = model_->fixedRows();
    const int leading = std::min(model_->rows(), std::max(fixedRows, hiddenRows_));
    for (int row = 0; row < leading; ++row)
        setRowHidden(row, row < fixedRows);
    hiddenRows_ = fixedRows;
    for (const auto& [row, height] : model_->rowHeights())
        verticalHeader()->resizeSection(row, height);
    for (int col = 0; col < model_->cols(); ++col)
        applyColumn(col);
    applyAllSpans();
    updateFixedSizes();
}

void FlexGridView::applyColumn(int col) {
    horizontalHeader()->resizeSection(col, colWidthPixels(col));
    setColumnHidden(col, col < model_->fixedCols() || model_->colHidden(col));
    if (col < model_->fixedCols()) updateFixedSizes();
}

void FlexGridView::applyRowHeight(int row) {
    verticalHeader()->resizeSection(row, rowHeightPixels(row));
    if (row < model_->fixedRows()) updateFixedSizes();
}

void FlexGridView::applyDefaultRowHeight() {
    verticalHeader()->setDefaultSectionSize(defaultRowHeight(fontMetrics()));
    for (const auto& [row, height] : model_->rowHeights())
        verticalHeader()->resizeSection(row, height);
    updateFixedSizes();
}

void FlexGridView::updateFixedSizes() {
    const int height = fixedRowTop(model_->fixedRows());
    const int width = fixedColLeft(model_->fixedCols());
    horizontalHeader()->setFixedHeight(height);
    horizontalHeader()->setVisible(height > 0);
    verticalHeader()->setFixedWidth(width);
    verticalHeader()->setVisible(width > 0);
    updateGeometries();
    repaintAll();
}

void FlexGridView::updateGeometries() {
    QTableView::updateGeometries();
    const QHeaderView* top = horizontalHeader();
    const QHeaderView* left = verticalHeader();
    const bool corner = !top->isHidden() && !left->isHidden();
    corner_->setVisible(corner);
    if (corner) {
        corner_->setGeometry(left->x(), top->y(), left->width(), top->height());
        corner_->raise();
    }
}

void FlexGridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    QTableView::dataChanged(topLeft, bottomRight, roles);
    if (roles.isEmpty() || roles.contains(Qt::DisplayRole)) {
        if (topLeft.row() == bottomRight.row()) {
            applyRowSpans(topLeft.row());
        } else {
            applyAllSpans();
        }
    }
    if (topLeft.row() < model_->fixedRows() || topLeft.column() < model_->fixedCols()) {
        updateFixedAreas();
    }
}

void FlexGridView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) applyDefaultRowHeight();
}

void FlexGridView::applyAllSpans() {
    clearSpans();
    spannedRows_.clear();
    if (model_->mergeCells() == 0) return;
    for (const int row : model_->mergeRows())
        applyRowSpans(row);
}

void FlexGridView::applyRowSpans(int row) {
    // Spans of fixed rows are painted by the header; the table never shows those rows.
    if (row < model_->fixedRows() || row >= model_->rows()) return;
    const int fixedCols = model_->fixedCols();
    if (spannedRows_.erase(row) > 0) {
        for (int col = fixedCols; col < model_->cols(); col += columnSpan(row, col)) {
            if (columnSpan(row, col) > 1) setSpan(row, col, 1, 1);
        }
    }
    if (model_->mergeCells() == 0 || !model_->mergeRows().contains(row)) return;
    for (int col = fixedCols; col < model_->cols();) {
        const auto [first, last] = model_->mergedColumns(row, col);
        if (last > first) {
            setSpan(row, first, 1, last - first + 1);
            spannedRows_.insert(row);
        }
        col = last + 1;
    }
}

int FlexGridView::mergedSpan(int row, int col) const {
    model_->checkCell(row, col);
    if (!model_->isFixed(row, col)) return columnSpan(row, col);
    const auto [first, last] = model_->mergedColumns(row, col);
    return last - first + 1;
}

void FlexGridView::updateFixedAreas() {
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
    corner_->update();
}

void FlexGridView::repaintAll() {
    viewport()->update();
    updateFixedAreas();
}

QList<QWidget*> FlexGridView::mouseSurfaces() const {
    return {viewport(), horizontalHeader()->viewport(), verticalHeader()->viewport(), corner_};
}

void FlexGridView::paintFixedRows(QPainter& painter, int col) const {
    const QHeaderView* header = horizontalHeader();
    for (int row = 0; row < model_->fixedRows(); ++row) {
        // A merged cell is painted whole from each of its columns, so that it looks the same
        // whichever of them is being repainted.
        const auto [first, last] = model_->mergedColumns(row, col);
        int left = header->sectionViewportPosition(col), width = 0;
        for (int c = last; c >= first; --c) {
            if (header->isSectionHidden(c)) continue;
            left = header->sectionViewportPosition(c);
            width += header->sectionSize(c);
        }
        paintCell(painter, QRect(left, fixedRowTop(row), width, rowHeightPixels(row)), row, first);
    }
}

void FlexGridView::paintFixedCols(QPainter& painter, int row, int top, int height) const {
    for (int col = 0; col < model_->fixedCols(); ++col) {
        if (model_->colHidden(col)) continue;
        const auto [first, last] = model_->mergedColumns(row, col);
        const int left = fixedColLeft(first);
        const int width = fixedColLeft(last + 1) - left;
        paintCell(painter, QRect(left, top, width, height), row, first);
        col = last;
    }
}

void FlexGridView::paintCell(QPainter& painter, const QRect& rect, int row, int col) const {
    // The same delegate as the scrolling cells, inside the same one-pixel grid lines.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = rect.adjusted(0, 0, -1, -1);
    option.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    itemDelegate()->paint(&painter, option, model_->index(row, col));
    const int gridHint = style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this);
    painter.save();
    painter.setPen(QColor::fromRgba(static_cast<QRgb>(gridHint)));
    painter.drawLine(rect.topRight(), rect.bottomRight());
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.restore();
}

QString FlexGridView::shownText(int row, int col) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const auto [first, last] = model_->mergedColumns(row, col);
    int width = 0;
    for (int c = first; c <= last; ++c)
        if (!model_->colHidden(c)) width += colWidthPixels(c);
    // Inside the one-pixel grid lines, as the cell is painted.
    option.rect = QRect(0, 0, width - 1, rowHeightPixels(row) - 1);
    return static_cast<const CellDelegate*>(itemDelegate())
        ->shownText(option, model_->index(row, first));
}

int FlexGridView::fixedRowTop(int row) const {
    return offsetOf(row, [this](int r) { return rowHeightPixels(r); });
}

int FlexGridView::fixedColWidth(int col) const {
    return model_->colHidden(col) ? 0 : colWidthPixels(col);
}

int FlexGridView::fixedColLeft(int col) const {
    return offsetOf(col, [this](int c) { return fixedColWidth(c); });
}

int FlexGridView::fixedRowAt(int y) const {
    return sectionAt(y, model_->fixedRows(), [this](int r) { return rowHeightPixels(r); });
}

int FlexGridView::fixedColAt(int x) const {
    return sectionAt(x, model_->fixedCols(), [this](int c) { return fixedColWidth(c); });
}

int FlexGridView::rowAtY(int y) const {
    const QHeaderView* header = horizontalHeader();
    if (!header->isHidden() && y >= header->y() && y < header->geometry().bottom() + 1) {
        return fixedRowAt(y - header->y());
    }
    const QRect area = viewport()->geometry();
    return y >= area.top() && y <= area.bottom() ? rowAt(y - area.top()) : -1;
}

int FlexGridView::colAtX(int x) const {
    const QHeaderView* header = verticalHeader();
    if (!header->isHidden() && x >= header->x() && x < header->geometry().right() + 1) {
        return fixedColAt(x - header->x());
    }
    const QRect area = viewport()->geometry();
    return x >= area.left() && x <= area.right() ? columnAt(x - area.left()) : -1;
}

std::pair<int, int> FlexGridView::cellAt(const QPoint& point) const {
    return {rowAtY(point.y()), colAtX(point.x())};
}

int FlexGridView::topRow() const {
    const int row = rowAt(0);
    if (row < 0) return model_->fixedRows();
    // Scrolled to the end, the table shows the last row whole and the top one only in part;
    // the top row is the first one shown from its top.
    return rowViewportPosition(row) < 0 && row + 1 < model_->rows() ? row + 1 : row;
}

int FlexGridView::bottomRow() const {
    const int row = rowAt(viewport()->height() - 1);
    return row >= 0 ? row : model_->rows() - 1;
}

void FlexGridView::setTopRow(int row) {
    // The table scrolls a row at a time and hides only the fixed rows, so a scroll value
    // counts the scrolling rows above the top one; the scroll bar's range holds it to the
    // last top row that still fills the view.
    verticalScrollBar()->setValue(std::max(0, row - model_->fixedRows()));
}

void FlexGridView::setCurrentCell(int row, int col) {
    const bool autoScroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(model_->index(row, col), QItemSelectionModel::Clear);
    setAutoScroll(autoScroll);
}

}  // namespace platform
