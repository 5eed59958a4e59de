#pragma once

#include <QHash>
#include <QTreeWidget>

#include "platform/gui/ImageList.h"

namespace platform {

// A tree whose nodes are found by key: one column, no header, each node with a text, a
// picture and a picture for when it is selected. A mouse press reaches `MouseDown` before the
// node's click is handled (`NodeClick`, after the press and release).
class KeyedTree : public QTreeWidget {
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
    QString KeyOf(const QTreeWidgetItem* node) const;
    // The key of the node's parent; empty for a top-level node or an unknown key.
    QString ParentKey(const QString& key) const;
    // The node under a point of the viewport, or none.
    QTreeWidgetItem* HitTest(const QPoint& point) const { return itemAt(point); }
    QTreeWidgetItem* SelectedNode() const;
    void SelectNode(QTreeWidgetItem* node);
    // The indentation of each level, in twips.
    void setIndentationTwips(int twips);

  signals:
    void MouseDown(int button, int shift, const QPoint& point);
    void NodeClick(QTreeWidgetItem* node);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void showSelection();
    QHash<QString, QTreeWidgetItem*> nodes_;
    QTreeWidgetItem* shownSelected_ = nullptr;  // the node that shows its selected picture
};

}  // namespace platform
