#include "app/PrintForms.h"

namespace app {

namespace {

class PrintFormHandle : public mainwindow::PrintForm {
  public:
    explicit PrintFormHandle(printing::FrmPrint& form) : form_(form) {
        PrintType = form.PrintType;
        DataType = form.DataType;
        SeqNo = form.SeqNo;
        IntervalData = form.IntervalData;
        AlarmData = form.AlarmData;
        Table = form.Table;
    }

    void GoPrinter() override {
        form_.PrintType = PrintType;
        form_.DataType = DataType;
        form_.SeqNo = SeqNo;
        form_.IntervalData = IntervalData;
        form_.AlarmData = AlarmData;
        form_.Table = Table;
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
