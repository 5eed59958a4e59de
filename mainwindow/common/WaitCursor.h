#pragma once

#include "platform/gui/WaitCursor.h"

namespace mainwindow {

using platform::WaitCursor;

}  // namespace mainwindow
