#include "platform/gui/FlexGrid.h"

#include <QHeaderView>

#include <QCursor>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "platform/Twips.h"
#include "platform/gui/FlexGridModel.h"
#include "platform/gui/FlexGridView.h"
#include "runtime/RuntimeError.h"

namespace platform {

namespace {

constexpr int WaitPointer = 11, CustomPointer = 99;

int toPixels(int twips) {
    return twips < 0 ? FlexGridModel::DefaultSize
                     : static_cast<int>(std::lround(twipsToPixels(twips)));
}

int toTwips(int pixels) {
    return static_cast<int>(std::lround(pixelsToTwips(pixels)));
}

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QWidget(parent), model_(new FlexGridModel(this)) {
    // The smallest grid with a title row, a row title column and one cell to scroll.
    model_->setRows(2);
    model_->setCols(2);
    model_->setFixedRows(1);
    model_->setFixedCols(1);
    row_ = 1;
    col_ = 1;
    view_ = new FlexGridView(model_, this);
    view_->applyLayout();
    // Focus given to the grid (by the program or the Tab key) lands in the table.
    setFocusProxy(view_);
    for (QWidget* surface : view_->mouseSurfaces()) {
        surface->setMouseTracking(true);
        surface->installEventFilter(this);
    }
    view_->installEventFilter(this);  // keys that start an edit
    connect(view_->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { noteClientWidth(); });
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) return;
                row_ = current.row();
                col_ = current.column();
                noteCurrentCell();
            });
    syncCurrentCell();
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::Rows() const {
    return model_->rows();
}

void FlexGrid::setRows(int rows) {
    model_->setRows(rows);
    row_ = std::min(row_, rows - 1);
    layOut();
}

int FlexGrid::Cols() const {
    return model_->cols();
}

void FlexGrid::setCols(int cols) {
    model_->setCols(cols);
    col_ = std::min(col_, cols - 1);
    layOut();
}

int FlexGrid::FixedRows() const {
    return model_->fixedRows();
}

void FlexGrid::setFixedRows(int rows) {
    model_->setFixedRows(rows);
    layOut();
}

int FlexGrid::FixedCols() const {
    return model_->fixedCols();
}

void FlexGrid::setFixedCols(int cols) {
    model_->setFixedCols(cols);
    layOut();
}

QString FlexGrid::TextMatrix(int row, int col) const {
    return model_->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text) {
    model_->setText(row, col, text);
}

void FlexGrid::FormatString(const QString& format) {
    const QStringList headings = format.split(QLatin1Char('|'));
    if (Cols() < headings.size()) setCols(static_cast<int>(headings.size()));
    if (Rows() == 0) setRows(1);
    for (int col = 0; col < headings.size(); ++col)
        model_->setText(0, col, headings[col]);
}

void FlexGrid::Clear() {
    model_->clearTexts();
}

void FlexGrid::setTextSource(int col, int first, int last, std::function<QString(int row)> source) {
    model_->setTextSource(col, first, last, std::move(source));
}

int FlexGrid::Row() const {
    return row_;
}

void FlexGrid::setRow(int row) {
    model_->checkRow(row);
    // A pending edit is finished first (a refused one is dropped).
    EndEditing();
    row_ = row;
    syncCurrentCell();
    noteCurrentCell();
}

int FlexGrid::Col() const {
    return col_;
}

void FlexGrid::setCol(int col) {
    model_->checkCol(col);
    EndEditing();
    col_ = col;
    syncCurrentCell();
    noteCurrentCell();
}

QString FlexGrid::Text() const {
    return model_->text(row_, col_);
}

void FlexGrid::setText(const QString& text) {
    model_->setText(row_, col_, text);
}

int32_t FlexGrid::CellBackColor() const {
    return Cell(FlexProperty::BackColor, row_, col_);
}

void FlexGrid::setCellBackColor(int32_t rgb) {
    setCell(FlexProperty::BackColor, row_, col_, row_, col_, rgb);
}

int FlexGrid::CellAlignment() const {
    return Cell(FlexProperty::Alignment, row_, col_);
}

void FlexGrid::setCellAlignment(int alignment) {
    setCell(FlexProperty::Alignment, row_, col_, row_, col_, alignment);
}

int32_t FlexGrid::Cell(int property, int row, int col) const {
    switch (property) {
        case FlexProperty::Alignment:
            return model_->cellAlignment(row, col);
        case FlexProperty::BackColor:
            return model_->cellBackColor(row, col);
        default:
            throw rt::RuntimeError(rt::ErrInvalidCall);
    }
}

void FlexGrid::setCell(int property, int row1, int col1, int row2, int col2, int32_t value) {
    const CellRange range = model_->checkedRange(row1, col1, row2, col2);
    switch (property) {
        case FlexProperty::Alignment:
            model_->setCellAlignment(range, value);
            break;
        case FlexProperty::BackColor:
            model_->setCellBackColor(range, value);
            break;
        default:
            throw rt::RuntimeError(rt::ErrInvalidCall);
    }
}

int FlexGrid::ColAlignment(int col) const {
    return model_->colAlignment(col);
}

void FlexGrid::setColAlignment(int col, int alignment) {
    model_->setColAlignment(col, alignment);
}

int FlexGrid::ColWidth(int col) const {
    return toTwips(view_->colWidthPixels(col));
}

void FlexGrid::setColWidth(int col, int twips) {
    if (col == -1) {
        for (int c = 0; c < Cols(); ++c)
            setColWidth(c, twips);
        return;
    }
    model_->setColWidth(col, toPixels(twips));
    if (!model_->batching()) view_->applyColumn(col);
}

int FlexGrid::clientWidthPixels() const {
    // The grid's own width: the table follows it only once the grid is shown. Whether the
    // vertical scroll bar is needed by its range, which follows the rows at once: the bar
    // itself shows or hides a moment later.
    const QScrollBar* bar = view_->verticalScrollBar();
    const bool scrolls = view_->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ||
                         (view_->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                          bar->maximum() > bar->minimum());
    const int scrollBar = scrolls ? bar->sizeHint().width() : 0;
    return std::max(0, width() - 2 * view_->frameWidth() - scrollBar);
}

void FlexGrid::noteClientWidth() {
    const int margin = width() - clientWidthPixels();
    if (margin == clientMargin_) return;
    const bool told = clientMargin_ >= 0;
    clientMargin_ = margin;
    if (told) emit clientWidthChanged();
}

int FlexGrid::ClientWidth() const {
    return toTwips(clientWidthPixels());
}

bool FlexGrid::ExtendLastCol() const {
    return view_->horizontalHeader()->stretchLastSection();
}

void FlexGrid::setExtendLastCol(bool extend) {
    view_->horizontalHeader()->setStretchLastSection(extend);
}

int FlexGrid::RowHeight(int row) const {
    return toTwips(view_->rowHeightPixels(row));
}

void FlexGrid::setRowHeight(int row, int twips) {
    model_->setRowHeight(row, toPixels(twips));
    if (!model_->batching()) view_->applyRowHeight(row);
}

bool FlexGrid::ColHidden(int col) const {
    return model_->colHidden(col);
}

void FlexGrid::setColHidden(int col, bool hidden) {
    model_->setColHidden(col, hidden);
    if (!model_->batching()) view_->applyColumn(col);
}

int FlexGrid::MergeCells() const {
    return model_->mergeCells();
}

void FlexGrid::setMergeCells(int mode) {
    model_->setMergeCells(mode);
}

bool FlexGrid::MergeRow(int row) const {
    return model_->mergeRow(row);
}

void FlexGrid::setMergeRow(int row, bool merge) {
    model_->setMergeRow(row, merge);
}

QString FlexGrid::ShownText(int row, int col) const {
    model_->checkCell(row, col);
    return view_->shownText(row, col);
}

int FlexGrid::mergedSpan(int row, int col) const {
    return view_->mergedSpan(row, col);
}

bool FlexGrid::Redraw() const {
    return !model_->batching();
}

void FlexGrid::setRedraw(bool redraw) {
    if (redraw == Redraw()) return;
    if (!redraw) {
        model_->beginBatch();
        setUpdatesEnabled(false);
        return;
    }
    // The reset lays the view out anew (FlexGridView::applyLayout).
    model_->endBatch();
    syncCurrentCell();
    setUpdatesEnabled(true);
    Refresh();
}

void FlexGrid::Refresh() {
    view_->repaintAll();
}

int FlexGrid::TopRow() const {
    return view_->topRow();
}

void FlexGrid::setTopRow(int row) {
    view_->setTopRow(row);
}

int FlexGrid::BottomRow() const {
    return view_->bottomRow();
}

std::pair<int, int> FlexGrid::cellAt(const QPoint& point) const {
    return view_->cellAt(view_->mapFrom(this, point));
}

void FlexGrid::setMousePointer(int pointer) {
    mousePointer_ = pointer;
    applyCursor();
}

void FlexGrid::setMouseIcon(const QPixmap& icon) {
    mouseIcon_ = icon;
    applyCursor();
}

rt::OleDate FlexGrid::RowDate(int row) const {
    return model_->rowDate(row);
}

void FlexGrid::setRowDate(int row, rt::OleDate date) {
    model_->setRowDate(row, date);
}

int32_t FlexGrid::BackColor() const {
    return model_->backColor();
}

void FlexGrid::setBackColor(int32_t rgb) {
    model_->setBackColor(rgb);
}

int32_t FlexGrid::ForeColor() const {
    return model_->foreColor();
}

void FlexGrid::setForeColor(int32_t rgb) {
    model_->setForeColor(rgb);
}

int32_t FlexGrid::BackColorFixed() const {
    return model_->backColorFixed();
}

void FlexGrid::setBackColorFixed(int32_t rgb) {
    model_->setBackColorFixed(rgb);
}

void FlexGrid::noteCurrentCell() {
    if (toldCell_ == std::pair(row_, col_)) return;
    toldCell_ = {row_, col_};
    emit RowColChange();
}

void FlexGrid::setRowSel(int row) {
    rowSel_ = row;
    QItemSelectionModel* selection = view_->selectionModel();
    if (row < 0 || row >= Rows() || row_ < 0 || row_ >= Rows()) {
        selection->clearSelection();
        return;
    }
    const int first = std::min(row, row_), last = std::max(row, row_);
    selection->select(QItemSelection(model_->index(first, 0), model_->index(last, Cols() - 1)),
                      QItemSelectionModel::ClearAndSelect);
}

QAbstractItemModel* FlexGrid::model() const {
    return model_;
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (editor_ && watched == editor_) return editorEvent(event);
    if (watched == view_->viewport() && type == QEvent::Resize) noteClientWidth();
    if (watched == view_ && type == QEvent::KeyPress && editable_ && !editor_) {
        // F2 or a character starts an edit of the current cell; the character goes in.
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (key->key() == Qt::Key_F2) return EditCell();
        if (key->key() == Qt::Key_Space && model_->checked(row_, col_) != 0) return EditCell();
        if (text.size() == 1 && text.at(0).isPrint() && !text.at(0).isSpace()) {
            if (!EditCell()) return false;
            if (auto* line = qobject_cast<QLineEdit*>(editor_)) {
                line->clear();
                typeIntoEditor(text.at(0));
            }
            return true;
        }
        return false;
    }
    if (type == QEvent::MouseButtonDblClick && editable_ && !editor_) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* surface = static_cast<QWidget*>(watched);
        const auto [row, col] = cellAt(surface->mapTo(this, mouse->position().toPoint()));
        if (row >= 0 && col >= 0 && model_->checked(row, col) == 0 && isCellEditable(row, col)) {
            setRow(row);
            setCol(col);
            EditCell();
            return true;
        }
        return false;
    }
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* surface = static_cast<QWidget*>(watched);
    mouseCell_ = cellAt(surface->mapTo(this, mouse->position().toPoint()));
    const auto [row, col] = mouseCell_;
    if (type == QEvent::MouseMove) emit mouseMoved(row, col);
    if (type == QEvent::MouseButtonPress) emit mousePressed(mouse->button(), row, col);
    // A click on a check box of an editable grid toggles it.
    if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton && editable_ &&
        !editor_ && row >= 0 && col >= 0 && model_->checked(row, col) != 0 &&
        isCellEditable(row, col)) {
        setRow(row);
        setCol(col);
        EditCell();
    }
    if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) emit clicked();
    return false;
}

void FlexGrid::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    view_->setGeometry(rect());
}

void FlexGrid::layOut() {
    if (!model_->batching()) view_->applyLayout();
}

void FlexGrid::syncCurrentCell() {
    // The table's cursor can only stand on a scrolling cell; a fixed current cell is the
    // program's alone.
    if (model_->batching() || row_ < 0 || col_ < 0 || model_->isFixed(row_, col_)) return;
    view_->setCurrentCell(row_, col_);
}

void FlexGrid::applyCursor() {
    const bool custom = mousePointer_ == CustomPointer && !mouseIcon_.isNull();
    for (QWidget* surface : view_->mouseSurfaces()) {
        if (custom) {
            surface->setCursor(QCursor(mouseIcon_));
        } else if (mousePointer_ == WaitPointer) {
            surface->setCursor(Qt::WaitCursor);
        } else {
            surface->unsetCursor();
        }
    }
}

}  // namespace platform
