#pragma once

#include "printing/PrintForm.h"

namespace mainwindow {

// The print form and its maker (the printing library's caller interface).
using printing::PrintForm;
using printing::PrintForms;

// The alarm-trend window: one for the program, shown modally. It reads the opening values
// (TrendSelSeqNo, TrendSelMode, TrendSelBaseDate) as it loads.
class TrendWindow {
  public:
    virtual ~TrendWindow() = default;
    // Returns when the user has closed the window.
    virtual void ShowModal() = 0;
};

}  // namespace mainwindow
