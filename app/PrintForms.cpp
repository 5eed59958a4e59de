#include "app/PrintForms.h"

namespace app {

namespace {

class PrintFormHandle : public mainwindow::PrintForm {
  public:
    explicit PrintFormHandle(printing::FrmPrint& form) : form_(form) {
        static_cast<printing::PrintProperties&>(*this) = form;
    }

    void GoPrinter() override {
        // The form is the running job's until it has ended: another print is refused.
        if (form_.isPrinting()) return;
        static_cast<printing::PrintProperties&>(form_) = *this;
        form_.Form_Load();
        form_.GoPrinter();
    }

  private:
    printing::FrmPrint& form_;
};

}  // namespace

mainwindow::PrintForms PrintFormsOf(printing::FrmPrint& form) {
    return [&form] { return std::make_unique<PrintFormHandle>(form); };
}

}  // namespace app
