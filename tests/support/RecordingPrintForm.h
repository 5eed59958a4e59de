#pragma once

#include <vector>

#include "mainwindow/common/ReportForms.h"

namespace testsupport {

// What a print form was asked to print.
struct PrintRequest {
    int16_t printType;
    int32_t dataType;
    int32_t seqNo;
    const records::clsInterval* interval;
    const records::clsAlarm* alarm;
    const platform::CellTable* table;
};

// A print form that keeps each request and prints nothing.
class RecordingPrintForm : public mainwindow::PrintForm {
  public:
    explicit RecordingPrintForm(std::vector<PrintRequest>& requests) : requests_(requests) {}
    void GoPrinter() override {
        requests_.push_back({PrintType, DataType, SeqNo, IntervalData, AlarmData, Table});
    }

  private:
    std::vector<PrintRequest>& requests_;
};

}  // namespace testsupport
