#pragma once

#include <memory>

#include "mainwindow/common/WindowState.h"
#include "printing/PrintForm.h"

namespace mainwindow {

// The print form and its maker (the printing library's caller interface).
using printing::PrintForm;
using printing::PrintForms;

// The print forms of a window whose prints count as its long commands: a print job lets the
// window's events through, and while it runs the window is not closed under it, nor does a
// command that waits for the window to be idle start.
inline PrintForms CountedAsCommands(PrintForms forms, BusyCounter& busy) {
    if (!forms) return forms;
    class Counted : public PrintForm {
      public:
        Counted(std::unique_ptr<PrintForm> form, BusyCounter& busy)
            : form_(std::move(form)), busy_(busy) {
            static_cast<printing::PrintProperties&>(*this) = *form_;
        }
        void GoPrinter() override {
            static_cast<printing::PrintProperties&>(*form_) = *this;
            const BusyScope printing(busy_, platform::UserInput::Held);
            form_->GoPrinter();
        }

      private:
        std::unique_ptr<PrintForm> form_;
        BusyCounter& busy_;
    };
    return [forms = std::move(forms), &busy] {
        return std::unique_ptr<PrintForm>(std::make_unique<Counted>(forms(), busy));
    };
}

// The alarm-trend window: one for the program, shown modally. It reads the opening values
// (TrendSelSeqNo, TrendSelMode, TrendSelBaseDate) as it loads.
class TrendWindow {
  public:
    virtual ~TrendWindow() = default;
    // Returns when the user has closed the window.
    virtual void ShowModal() = 0;
};

}  // namespace mainwindow
