#include "mainwindow/common/Controls.h"

namespace mainwindow {

QString ControlKey::text() const {
    return index < 0 ? name : QStringLiteral("%1(%2)").arg(name).arg(index);
}

void ControlRegistry::add(const ControlKey& key, QWidget* widget) {
    controls_[key] = widget;
}

QWidget* ControlRegistry::find(const ControlKey& key) const {
    const auto it = controls_.find(key);
    return it == controls_.end() ? nullptr : it->second;
}

}  // namespace mainwindow
