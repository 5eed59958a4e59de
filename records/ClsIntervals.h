#pragma once

#include "records/ClsInterval.h"
#include "records/RecordCollection.h"

namespace records {

// The records of an interval-trend download, fed one record line at a time.
class clsIntervals : public RoutedCollection<clsInterval> {
  public:
    core::LogKind Kind() const override { return core::LogKind::IntervalTrend; }
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
