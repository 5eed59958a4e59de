#pragma once

#include "records/ClsAlarm.h"
#include "records/RecordCollection.h"
#include "records/RecordLines.h"

namespace records {

// The records of an alarm-trend download ("DJ,R"), fed one record line at a time.
class clsAlarms : public RoutedCollection<clsAlarm> {
  public:
    core::LogKind Kind() const override { return core::LogKind::AlarmTrend; }
    // Routes one record line; True when it was accepted. With testFlag the line is only
    // checked (a refused line is added to FailLine).
    bool SetDatas(const QString& vData, bool testFlag);
    bool SetRecordLine(int16_t, const QString& line, bool testFlag) override {
        return SetDatas(line, testFlag);
    }

  private:
    QString writing_;  // the record whose trend file may be open
};

}  // namespace records
