#pragma once

#include <QHeaderView>
#include <QScrollBar>
#include <QSize>
#include <QTableView>

#include "platform/gui/FlexGrid.h"

namespace testsupport {

// The window sizes (client area, pixels) the window's layout is checked at.
inline const QSize WindowSizes[] = {{900, 600}, {1200, 800}, {1300, 900}};

// A grid's table sideways: whether it shows a scroll bar, and how much of its inside its
// columns leave free (pixels, negative when they are wider).
struct Sideways {
    bool scrollBar;
    int room;
};

inline Sideways sideways(const platform::FlexGrid& grid) {
    const QTableView& table = *grid.findChild<QTableView*>();
    int columns = table.verticalHeader()->isVisible() ? table.verticalHeader()->width() : 0;
    for (int c = 0; c < grid.Cols(); ++c)
        if (!table.isColumnHidden(c)) columns += table.columnWidth(c);
    const int inside = table.viewport()->geometry().right() + 1 - table.contentsRect().left();
    return {table.horizontalScrollBar()->isVisible(), inside - columns};
}

}  // namespace testsupport
