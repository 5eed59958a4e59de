#include "mainwindow/shell/LayoutApply.h"

#include <algorithm>

#include "platform/gui/FlexGrid.h"

namespace shell {

void ApplyLayout(const LayoutModel& model, const LayoutResult& result,
                 const mainwindow::ControlRegistry& controls) {
    for (const auto& [key, rect] : model.rects()) {
        QWidget* widget = controls.find(key);
        if (!widget) continue;
        platform::placeWidget(
            widget, {rect.left, rect.top, std::max(rect.width, 0.0), std::max(rect.height, 0.0)});
    }
    for (const auto& [key, visible] : result.visibilityChanges)
        if (QWidget* widget = controls.find(key)) widget->setVisible(visible);
    for (const auto& [grid, widths] : result.columnWidths) {
        auto* flexGrid = controls.get<platform::FlexGrid>(grid);
        for (const auto& [column, width] : widths)
            flexGrid->setColWidth(column, static_cast<int>(width));
    }
}

}  // namespace shell
