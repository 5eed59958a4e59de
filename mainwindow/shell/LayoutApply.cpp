#include "mainwindow/shell/LayoutApply.h"

#include <algorithm>

#include "platform/gui/FlexGrid.h"

namespace shell {

namespace {

// Columns that add up to the grid's inside must not need scrolling sideways after all: not
// through the rounding to whole pixels, nor through a column the layout leaves alone that was
// sized for another table or another width. The last column shown gives up what is missing.
void keepColumnsInside(platform::FlexGrid& grid) {
    if (grid.ExtendLastCol()) return;  // the last column takes what is there
    int total = 0, last = -1;
    for (int c = 0; c < grid.Cols(); ++c) {
        if (grid.ColHidden(c)) continue;
        total += grid.ColWidth(c);
        last = c;
    }
    const int excess = total - grid.ClientWidth();
    if (last < 0 || excess <= 0) return;
    grid.setColWidth(last, std::max(0, grid.ColWidth(last) - excess));
}

}  // namespace

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
        keepColumnsInside(*flexGrid);
    }
}

}  // namespace shell
