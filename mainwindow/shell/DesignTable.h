#pragma once

#include <QString>
#include <map>

#include "mainwindow/common/Controls.h"
#include "platform/gui/Geometry.h"

// Where every control of the main window stands when the window is made (twips, relative to its
// container), and the captions of the window definition that no language changes. The layout
// starts from these sizes and keeps those it does not set.
namespace shell {

const std::map<mainwindow::ControlKey, platform::TwipsRect>& DesignRects();
const std::map<mainwindow::ControlKey, QString>& DesignCaptions();

}  // namespace shell
