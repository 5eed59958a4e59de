#include "platform/gui/FlexGridModel.h"

#include <algorithm>

#include "runtime/Color.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace platform {

namespace {

const QList<int> TextRoles{Qt::DisplayRole, Qt::EditRole};

void checkCount(int count) {
    if (count < 0) throw rt::RuntimeError(rt::ErrInvalidCall);
}

void checkAlignment(int alignment) {
    if (alignment < 0 || alignment > FlexGridModel::AlignGeneral) {
        throw rt::RuntimeError(rt::ErrInvalidCall);
    }
}

// Alignments 0..8 count left/centre/right in threes, top/centre/bottom within each three.
Qt::Alignment toQtAlignment(int alignment) {
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                       Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter,
                                                     Qt::AlignBottom};
    return horizontal[alignment / 3] | vertical[alignment % 3];
}

}  // namespace

FlexGridModel::FlexGridModel(QObject* parent)
    : QAbstractTableModel(parent),
      backColor_(rt::RGB(255, 255, 255)),
      foreColor_(rt::RGB(0, 0, 0)),
      backColorFixed_(rt::RGB(224, 224, 224)) {}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols();
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
    // The view may still ask for cells of a batch's old shape: those have no data.
    const int row = index.row(), col = index.column();
    if (!index.isValid() || row >= rows_ || col >= cols()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text(row, col);
        case Qt::BackgroundRole: {
            const int32_t own = cellBackColor(row, col);
            const int32_t rgb = own != 0 ? own : isFixed(row, col) ? backColorFixed_ : backColor_;
            return rt::ColorFromRgbLong(rgb);
        }
        case Qt::ForegroundRole:
            return rt::ColorFromRgbLong(foreColor_);
        case Qt::TextAlignmentRole:
            return alignmentData(row, col);
        case Qt::CheckStateRole: {
            const int state = checked(row, col);
            if (state == 0) return {};
            return state == 1 ? Qt::Checked : Qt::Unchecked;
        }
        default:
            return {};
    }
}

int FlexGridModel::checked(int row, int col) const {
    const auto found = checked_.find({row, col});
    return found == checked_.end() ? 0 : found->second;
}

void FlexGridModel::setChecked(int row, int col, int state) {
    if (state == 0)
        checked_.erase({row, col});
    else
        checked_[{row, col}] = state;
    if (!batching()) emit dataChanged(index(row, col), index(row, col), {Qt::CheckStateRole});
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant FlexGridModel::alignmentData(int row, int col) const {
    const int alignment = cellAlignment(row, col);
    if (alignment != AlignGeneral) return QVariant::fromValue(toQtAlignment(alignment));
    const Qt::Alignment general = rt::IsNumeric(text(row, col)) ? Qt::AlignRight : Qt::AlignLeft;
    return QVariant::fromValue(general | Qt::AlignVCenter);
}

void FlexGridModel::beginBatch() {
    batching_ = true;
}

void FlexGridModel::endBatch() {
    // The reset tells every view that anything may have changed, shape included.
    batching_ = false;
    beginResetModel();
    endResetModel();
}

void FlexGridModel::setRows(int rows) {
    checkCount(rows);
    if (rows == rows_) return;
    const bool tell = !batching_;
    if (tell && rows > rows_) beginInsertRows({}, rows_, rows - 1);
    if (tell && rows < rows_) beginRemoveRows({}, rows, rows_ - 1);
    const bool growing = rows > rows_;
    for (Column& column : columns_) {
        column.texts.resize(rows);
        if (!column.pending.empty()) column.pending.resize(rows, false);
    }
    rowDates_.resize(rows);
    rows_ = rows;
    fixedRows_ = std::min(fixedRows_, rows);
    if (!growing) {
        dropRows(backColors_, rows);
        dropRows(alignments_, rows);
    }
    rowHeights_.erase(rowHeights_.lower_bound(rows), rowHeights_.end());
    mergeRows_.erase(mergeRows_.lower_bound(rows), mergeRows_.end());
    if (tell && growing) endInsertRows();
    if (tell && !growing) endRemoveRows();
}

void FlexGridModel::setCols(int cols) {
    checkCount(cols);
    const int old = this->cols();
    if (cols == old) return;
    const bool tell = !batching_;
    if (tell && cols > old) beginInsertColumns({}, old, cols - 1);
    if (tell && cols < old) beginRemoveColumns({}, cols, old - 1);
    columns_.resize(cols);
    for (int c = old; c < cols; ++c)
        columns_[c].texts.resize(rows_);
    fixedCols_ = std::min(fixedCols_, cols);
    if (cols < old) {
        dropCols(backColors_, cols);
        dropCols(alignments_, cols);
    }
    if (tell && cols > old) endInsertColumns();
    if (tell && cols < old) endRemoveColumns();
}

void FlexGridModel::setFixedRows(int rows) {
    if (rows < 0 || rows > rows_) throw rt::RuntimeError(rt::ErrInvalidCall);
    const int old = std::exchange(fixedRows_, rows);
    if (old != rows) changedRows(std::min(old, rows), std::max(old, rows) - 1, {});
}

void FlexGridModel::setFixedCols(int cols) {
    if (cols < 0 || cols > this->cols()) throw rt::RuntimeError(rt::ErrInvalidCall);
    const int old = std::exchange(fixedCols_, cols);
    // Merged runs stop at the boundary of the fixed columns, so every row may merge anew.
    if (old != cols) changedAll({});
}

void FlexGridModel::checkRow(int row) const {
    if (row < 0 || row >= rows_) throw rt::RuntimeError(rt::ErrSubscript);
}

void FlexGridModel::checkCol(int col) const {
    if (col < 0 || col >= cols()) throw rt::RuntimeError(rt::ErrSubscript);
}

void FlexGridModel::checkCell(int row, int col) const {
    checkRow(row);
    checkCol(col);
}

CellRange FlexGridModel::checkedRange(int row1, int col1, int row2, int col2) const {
    checkCell(row1, col1);
    checkCell(row2, col2);
    return {std::min(row1, row2), std::min(col1, col2), std::max(row1, row2), std::max(col1, col2)};
}

const QString& FlexGridModel::text(int row, int col) const {
    checkCell(row, col);
    const Column& column = columns_[col];
    if (!column.pending.empty() && column.pending[row]) {
        column.texts[row] = column.source(row);
        column.pending[row] = false;
    }
    return column.texts[row];
}

void FlexGridModel::setText(int row, int col, const QString& text) {
    checkCell(row, col);
    Column& column = columns_[col];
    column.texts[row] = text;
    if (!column.pending.empty()) column.pending[row] = false;
    changed({row, col, row, col}, TextRoles);
}

void FlexGridModel::clearTexts() {
    for (Column& column : columns_) {
        std::fill(column.texts.begin(), column.texts.end(), QString());
        column.pending.clear();
        column.source = nullptr;
    }
    changedAll(TextRoles);
}

void FlexGridModel::makePending(const Column& column) const {
    for (size_t row = 0; row < column.pending.size(); ++row)
        if (column.pending[row]) {
            column.texts[row] = column.source(static_cast<int>(row));
            column.pending[row] = false;
        }
}

void FlexGridModel::setTextSource(int col, int first, int last, TextSource source) {
    checkCol(col);
    if (first > last) return;
    checkRow(first);
    checkRow(last);
    Column& column = columns_[col];
    makePending(column);
    column.source = std::move(source);
    column.pending.assign(rows_, false);
    std::fill(column.pending.begin() + first, column.pending.begin() + last + 1, true);
    changed({first, col, last, col}, TextRoles);
}

rt::OleDate FlexGridModel::rowDate(int row) const {
    checkRow(row);
    return rowDates_[row];
}

void FlexGridModel::setRowDate(int row, rt::OleDate date) {
    checkRow(row);
    rowDates_[row] = date;
}

uint64_t FlexGridModel::cellKey(int row, int col) {
    return (static_cast<uint64_t>(row) << 32) | static_cast<uint32_t>(col);
}

int32_t FlexGridModel::lookUp(const CellMap& map, int row, int col, int32_t missing) {
    const auto found = map.find(cellKey(row, col));
    return found == map.end() ? missing : found->second;
}

void FlexGridModel::setInRange(CellMap& map, const CellRange& range, int32_t value, int32_t none) {
    if (value == none) {
        for (int r = range.row1; r <= range.row2; ++r)
            map.erase(map.lower_bound(cellKey(r, range.col1)),
                      map.upper_bound(cellKey(r, range.col2)));
        return;
    }
    // The keys come in their order: each goes in next to the one before.
    auto hint = map.lower_bound(cellKey(range.row1, range.col1));
    for (int r = range.row1; r <= range.row2; ++r)
        for (int c = range.col1; c <= range.col2; ++c)
            hint = std::next(map.insert_or_assign(hint, cellKey(r, c), value));
}

void FlexGridModel::dropRows(CellMap& map, int rows) {
    map.erase(map.lower_bound(cellKey(rows, 0)), map.end());
}

void FlexGridModel::dropCols(CellMap& map, int cols) {
    std::erase_if(map, [cols](const auto& entry) {
        return static_cast<int>(entry.first & 0xFFFFFFFFu) >= cols;
    });
}

int32_t FlexGridModel::cellBackColor(int row, int col) const {
    checkCell(row, col);
    return lookUp(backColors_, row, col, 0);
}

void FlexGridModel::setCellBackColor(const CellRange& range, int32_t rgb) {
    setInRange(backColors_, range, rgb, 0);
    changed(range, {Qt::BackgroundRole});
}

int FlexGridModel::cellAlignment(int row, int col) const {
    checkCell(row, col);
    return lookUp(alignments_, row, col, columns_[col].alignment);
}

void FlexGridModel::setCellAlignment(const CellRange& range, int alignment) {
    checkAlignment(alignment);
    // A cell keeps an alignment of its own even when it equals its column's, so that a later
    // change of the column leaves it as set.
    setInRange(alignments_, range, alignment, -1);
    changed(range, {Qt::TextAlignmentRole});
}

int FlexGridModel::colAlignment(int col) const {
    checkCol(col);
    return columns_[col].alignment;
}

void FlexGridModel::setColAlignment(int col, int alignment) {
    checkAlignment(alignment);
    if (col == -1) {
        for (Column& column : columns_)
            column.alignment = alignment;
        changedAll({Qt::TextAlignmentRole});
        return;
    }
    checkCol(col);
    columns_[col].alignment = alignment;
    changedCols(col, col, {Qt::TextAlignmentRole});
}

void FlexGridModel::setBackColor(int32_t rgb) {
    backColor_ = rgb;
    changedAll({Qt::BackgroundRole});
}

void FlexGridModel::setForeColor(int32_t rgb) {
    foreColor_ = rgb;
    changedAll({Qt::ForegroundRole});
}

void FlexGridModel::setBackColorFixed(int32_t rgb) {
    backColorFixed_ = rgb;
    changedAll({Qt::BackgroundRole});
}

int FlexGridModel::colWidth(int col) const {
    checkCol(col);
    return columns_[col].width;
}

void FlexGridModel::setColWidth(int col, int pixels) {
    checkCol(col);
    columns_[col].width = pixels;
}

bool FlexGridModel::colHidden(int col) const {
    checkCol(col);
    return columns_[col].hidden;
}

void FlexGridModel::setColHidden(int col, bool hidden) {
    checkCol(col);
    columns_[col].hidden = hidden;
}

int FlexGridModel::rowHeight(int row) const {
    checkRow(row);
    const auto found = rowHeights_.find(row);
    return found == rowHeights_.end() ? DefaultSize : found->second;
}

void FlexGridModel::setRowHeight(int row, int pixels) {
    checkRow(row);
    if (pixels == DefaultSize) {
        rowHeights_.erase(row);
    } else {
        rowHeights_[row] = pixels;
    }
}

void FlexGridModel::setMergeCells(int mode) {
    mergeCells_ = mode;
    changedAll({});
}

bool FlexGridModel::mergeRow(int row) const {
    checkRow(row);
    return mergeRows_.contains(row);
}

void FlexGridModel::setMergeRow(int row, bool merge) {
    checkRow(row);
    if (merge) {
        mergeRows_.insert(row);
    } else {
        mergeRows_.erase(row);
    }
    changedRows(row, row, {});
}

std::pair<int, int> FlexGridModel::mergedColumns(int row, int col) const {
    const QString& own = text(row, col);
    if (mergeCells_ == 0 || own.isEmpty() || !mergeRows_.contains(row)) return {col, col};
    const bool fixed = col < fixedCols_;
    const int lowest = fixed ? 0 : fixedCols_;
    const int highest = fixed ? fixedCols_ - 1 : cols() - 1;
    int first = col, last = col;
    while (first > lowest && text(row, first - 1) == own)
        --first;
    while (last < highest && text(row, last + 1) == own)
        ++last;
    return {first, last};
}

void FlexGridModel::changed(const CellRange& range, const QList<int>& roles) {
    if (batching_) return;
    emit dataChanged(index(range.row1, range.col1), index(range.row2, range.col2), roles);
}

void FlexGridModel::changedAll(const QList<int>& roles) {
    if (rows_ > 0 && cols() > 0) changed({0, 0, rows_ - 1, cols() - 1}, roles);
}

void FlexGridModel::changedRows(int first, int last, const QList<int>& roles) {
    if (cols() > 0) changed({first, 0, last, cols() - 1}, roles);
}

void FlexGridModel::changedCols(int first, int last, const QList<int>& roles) {
    if (rows_ > 0) changed({0, first, rows_ - 1, last}, roles);
}

}  // namespace platform
