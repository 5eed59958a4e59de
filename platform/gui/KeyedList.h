#pragma once

#include <QHash>
#include <vector>

#include "platform/gui/ImageList.h"
#include "platform/gui/KeyedTree.h"

namespace platform {

// A list in report style whose items are found by key: column headers whose widths are
// fractions of the list's width, items with a picture and sub-items, and a sort by the first
// column, ignoring case, ascending or descending; unsorted, the items keep the order in which
// they were added. A mouse press reaches `MouseDown` before the item's click is handled.
class KeyedList : public KeyedView {
    Q_OBJECT
  public:
    enum SortOrders { Ascending = 0, Descending = 1 };

    explicit KeyedList(QWidget* parent = nullptr);

    ImageList images;

    void ClearColumns();
    // A column whose width is `fraction` of the list's width.
    void AddColumn(const QString& text, double fraction);
    void setColumnText(int column, const QString& text);
    QString ColumnText(int column) const;
    int ColumnCount() const { return static_cast<int>(columns_.size()); }

    void ClearItems();
    QTreeWidgetItem* AddItem(const QString& key, const QString& text, const QString& icon,
                             const QString& smallIcon);
    // Sub-item 1, 2... (the columns after the first).
    void setSubItem(QTreeWidgetItem* item, int index, const QString& text);
    int Count() const { return topLevelItemCount(); }
    QTreeWidgetItem* Item(int index) const { return topLevelItem(index); }
    QTreeWidgetItem* ItemOf(const QString& key) const { return items_.value(key); }
    // Removes the item of this key (nothing when there is none).
    void RemoveItem(const QString& key);
    QString IconOf(const QTreeWidgetItem* item) const;
    QString SmallIconOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* SelectedItem() const { return selected(); }
    void SelectItem(QTreeWidgetItem* item) { select(item); }

    bool Sorted() const { return sorted_; }
    void setSorted(bool sorted);
    SortOrders SortOrder() const { return order_; }
    void setSortOrder(SortOrders order);

  signals:
    void ItemClick(QTreeWidgetItem* item);
    void DblClick();
    void ColumnClick(int column);

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Column {
        QString text;
        double fraction;
    };
    // The widths follow the list's width.
    void applyWidths();
    void sortNow();
    // Whether item a goes before item b in the present order.
    bool before(const QTreeWidgetItem* a, const QTreeWidgetItem* b) const;

    std::vector<Column> columns_;
    QHash<QString, QTreeWidgetItem*> items_;
    bool sorted_ = false;
    SortOrders order_ = Ascending;
};

}  // namespace platform
