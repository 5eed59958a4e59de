#include "platform/gui/KeyedList.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace platform {

namespace {

// After the key's role (KeyedView::KeyRole).
enum Role : int { IconRole = Qt::UserRole + 2, SmallIconRole };

}  // namespace

KeyedList::KeyedList(QWidget* parent) : KeyedView(parent) {
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int column) { emit ColumnClick(column); });
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { emit ItemClick(item); });
    ClearColumns();
}

void KeyedList::ClearColumns() {
    columns_.clear();
    setColumnCount(0);
    setHeaderLabels({});
}

void KeyedList::AddColumn(const QString& text, double fraction) {
    columns_.push_back({text, fraction});
    setColumnCount(ColumnCount());
    QStringList labels;
    for (const Column& c : columns_)
        labels << c.text;
    setHeaderLabels(labels);
    applyWidths();
}

void KeyedList::setColumnText(int column, const QString& text) {
    if (column < 0 || column >= ColumnCount()) return;
    columns_[static_cast<size_t>(column)].text = text;
    headerItem()->setText(column, text);
}

QString KeyedList::ColumnText(int column) const {
    return column >= 0 && column < ColumnCount() ? columns_[static_cast<size_t>(column)].text
                                                 : QString();
}

void KeyedList::applyWidths() {
    const int width = viewport()->width();
    for (int i = 0; i < ColumnCount(); ++i)
        setColumnWidth(i, static_cast<int>(width * columns_[static_cast<size_t>(i)].fraction));
}

void KeyedList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    applyWidths();
}

void KeyedList::ClearItems() {
    clear();
    items_.clear();
}

QTreeWidgetItem* KeyedList::AddItem(const QString& key, const QString& text, const QString& icon,
                                    const QString& smallIcon) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setData(0, KeyRole, key);
    item->setData(0, IconRole, icon);
    item->setData(0, SmallIconRole, smallIcon);
    item->setIcon(0, images.icon(smallIcon));  // the report view shows the small picture
    int at = topLevelItemCount();
    if (sorted_) {
        // Its place in the order (after the items it equals).
        int low = 0, high = at;
        while (low < high) {
            const int mid = (low + high) / 2;
            if (before(item, topLevelItem(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        at = low;
    }
    insertTopLevelItem(at, item);
    items_.insert(key, item);
    return item;
}

void KeyedList::RemoveItem(const QString& key) {
    delete items_.take(key);
}

void KeyedList::setSubItem(QTreeWidgetItem* item, int index, const QString& text) {
    if (item && index >= 1) item->setText(index, text);
}

QString KeyedList::IconOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, IconRole).toString() : QString();
}

QString KeyedList::SmallIconOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, SmallIconRole).toString() : QString();
}

bool KeyedList::before(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const {
    const int c = QString::compare(a->text(0), b->text(0), Qt::CaseInsensitive);
    return order_ == Ascending ? c < 0 : c > 0;
}

void KeyedList::sortNow() {
    // Taken out and put back in one piece each (one at a time costs a model signal per item);
    // the selected item stays selected.
    QTreeWidgetItem* selected = SelectedItem();
    QList<QTreeWidgetItem*> all = invisibleRootItem()->takeChildren();
    std::stable_sort(
        all.begin(), all.end(),
        [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return before(a, b); });
    addTopLevelItems(all);
    if (selected) SelectItem(selected);
}

void KeyedList::setSorted(bool sorted) {
    sorted_ = sorted;
    if (sorted_) sortNow();
}

void KeyedList::setSortOrder(SortOrders order) {
    order_ = order;
    if (sorted_) sortNow();
}

void KeyedList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    emit DblClick();
}

}  // namespace platform
