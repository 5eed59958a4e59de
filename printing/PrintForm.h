#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gui/CellTable.h"

namespace records {
class clsInterval;
class clsAlarm;
}  // namespace records

namespace printing {

// What a print is of: the report's kind and download, the trend record and the table. The
// print form and its callers' handles both carry them, so one hands them on in one copy.
struct PrintProperties {
    int16_t PrintType = 0;  // 0 a trend's list, any other value its graph
    int32_t DataType = 0;   // Log_Head.Types of the report (4: the last calibration)
    int32_t SeqNo = 0;      // the download's Log_Head.SeqNo
    const records::clsInterval* IntervalData = nullptr;
    const records::clsAlarm* AlarmData = nullptr;
    // The table the report copies: the caller's sample table (an interval trend's list), the
    // calibration list (the last-calibration report).
    const platform::CellTable* Table = nullptr;
};

// The print form as its callers use it: the properties of the print, then GoPrinter, which
// asks for the printer, prints and lets the form go.
class PrintForm : public PrintProperties {
  public:
    virtual ~PrintForm() = default;
    virtual void GoPrinter() = 0;
};

// Makes the print form for one print.
using PrintForms = std::function<std::unique_ptr<PrintForm>()>;

}  // namespace printing
