#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

namespace platform {

// Pictures by key, for the nodes and items of a tree or a list.
class ImageList {
  public:
    void add(const QString& key, const QIcon& icon) { icons_.insert(key, icon); }
    // An empty picture for a key the list does not hold.
    QIcon icon(const QString& key) const { return icons_.value(key); }

  private:
    QHash<QString, QIcon> icons_;
};

}  // namespace platform
