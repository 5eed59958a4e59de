#pragma once

#include <QWidget>
#include <utility>
#include <vector>

namespace mainwindow {

// Widgets switched off for as long as the lock lives: a command that waits for the instrument
// keeps the user from starting another. Each widget gets back the state it had, however the
// command ends.
class WidgetLock {
  public:
    // Every widget's state is taken before any is switched off.
    template <typename... Ranges>
    explicit WidgetLock(const Ranges&... ranges) {
        (keep(ranges), ...);
        for (const auto& [widget, enabled] : former_)
            widget->setEnabled(false);
    }
    ~WidgetLock() {
        for (const auto& [widget, enabled] : former_)
            widget->setEnabled(enabled);
    }
    WidgetLock(const WidgetLock&) = delete;
    WidgetLock& operator=(const WidgetLock&) = delete;

  private:
    template <typename Range>
    void keep(const Range& widgets) {
        for (QWidget* widget : widgets)
            former_.emplace_back(widget, widget->isEnabled());
    }
    std::vector<std::pair<QWidget*, bool>> former_;
};

}  // namespace mainwindow
