#pragma once

#include <QHash>
#include <QTreeWidget>

#include "platform/gui/ImageList.h"

namespace platform {

// What the keyed tree and the keyed list share: each item keeps its key, one item at most is
// selected, and a mouse press reaches `MouseDown` before the item's click is handled.
class KeyedView : public QTreeWidget {
    Q_OBJECT
  public:
    using QTreeWidget::QTreeWidget;

    QString KeyOf(const QTreeWidgetItem* item) const;
    // The item under a point of the viewport, or none.
    QTreeWidgetItem* HitTest(const QPoint& point) const { return itemAt(point); }

  signals:
    void MouseDown(int button, int shift, const QPoint& point);

  protected:
    // The item data role of the key; the derived views keep theirs after it.
    static constexpr int KeyRole = Qt::UserRole + 1;
    QTreeWidgetItem* selected() const;
    void select(QTreeWidgetItem* item);
    void mousePressEvent(QMouseEvent* event) override;
};

// A tree whose nodes are found by key: one column, no header, each node with a text, a
// picture and a picture for when it is selected. A mouse press reaches `MouseDown` before the
// node's click is handled (`NodeClick`, after the press and release).
class KeyedTree : public KeyedView {
    Q_OBJECT
  public:
    explicit KeyedTree(QWidget* parent = nullptr);

    ImageList images;

    // Removes every node.
    void ClearNodes();
    // Adds a node under the one of `parentKey` (the top level when empty), after its last
    // child. A key already in the tree, or a parent not in it, is refused (logged): false.
    bool AddNode(const QString& parentKey, const QString& key, const QString& text,
                 const QString& image, const QString& selectedImage);
    QTreeWidgetItem* Node(const QString& key) const { return nodes_.value(key); }
    // The key of the node's parent; empty for a top-level node or an unknown key.
    QString ParentKey(const QString& key) const;
    QTreeWidgetItem* SelectedNode() const { return selected(); }
    void SelectNode(QTreeWidgetItem* node) { select(node); }
    // The indentation of each level, in twips.
    void setIndentationTwips(int twips);

  signals:
    void NodeClick(QTreeWidgetItem* node);

  private:
    void showSelection();
    QHash<QString, QTreeWidgetItem*> nodes_;
    QTreeWidgetItem* shownSelected_ = nullptr;  // the node that shows its selected picture
};

}  // namespace platform
