#pragma once

#include "mainwindow/common/Controls.h"
#include "mainwindow/shell/Layout.h"

namespace shell {

// Sets the widgets from the layout's model: every control's place (a size below zero shown as
// nothing), the visibility the pass changed and the column widths it set.
void ApplyLayout(const LayoutModel& model, const LayoutResult& result,
                 const mainwindow::ControlRegistry& controls);

}  // namespace shell
