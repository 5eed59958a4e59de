#include "platform/gui/KeyedTree.h"

#include <QMouseEvent>

#include "platform/Twips.h"
#include "platform/gui/KeyCodes.h"

namespace platform {

namespace {

// After the key's role (KeyedView::KeyRole).
enum Role : int { ImageRole = Qt::UserRole + 2, SelectedImageRole };

}  // namespace

QString KeyedView::KeyOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, KeyRole).toString() : QString();
}

QTreeWidgetItem* KeyedView::selected() const {
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

void KeyedView::select(QTreeWidgetItem* item) {
    setCurrentItem(item);
    if (item) item->setSelected(true);
}

void KeyedView::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(ButtonOf(event->button()), ShiftOf(event->modifiers()),
                   event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
}

KeyedTree::KeyedTree(QWidget* parent) : KeyedView(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { emit NodeClick(node); });
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] { showSelection(); });
}

void KeyedTree::ClearNodes() {
    shownSelected_ = nullptr;
    clear();
    nodes_.clear();
}

bool KeyedTree::AddNode(const QString& parentKey, const QString& key, const QString& text,
                        const QString& image, const QString& selectedImage) {
    if (nodes_.contains(key)) {
        qWarning("The tree already has a node %s", qPrintable(key));
        return false;
    }
    QTreeWidgetItem* parent = nullptr;
    if (!parentKey.isEmpty()) {
        parent = nodes_.value(parentKey);
        if (!parent) {
            qWarning("The tree has no node %s", qPrintable(parentKey));
            return false;
        }
    }
    // Made whole before it joins the tree: a node of a tree of thousands then costs one
    // insertion, not one change of the shown tree for each of its values.
    auto* node = new QTreeWidgetItem();
    node->setText(0, text);
    node->setData(0, KeyRole, key);
    node->setData(0, ImageRole, image);
    node->setData(0, SelectedImageRole, selectedImage);
    node->setIcon(0, images.icon(image));
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    nodes_.insert(key, node);
    return true;
}

QString KeyedTree::ParentKey(const QString& key) const {
    const QTreeWidgetItem* node = Node(key);
    return node && node->parent() ? KeyOf(node->parent()) : QString();
}

void KeyedTree::setIndentationTwips(int twips) {
    setIndentation(static_cast<int>(twipsToPixels(twips) + 0.5));
}

void KeyedTree::showSelection() {
    // The selected node shows its selected picture; the one before takes its own again.
    const auto show = [this](QTreeWidgetItem* node, int role) {
        if (node) node->setIcon(0, images.icon(node->data(0, role).toString()));
    };
    QTreeWidgetItem* now = SelectedNode();
    if (shownSelected_ != now) show(shownSelected_, ImageRole);
    show(now, SelectedImageRole);
    shownSelected_ = now;
}

}  // namespace platform
