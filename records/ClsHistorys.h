#pragma once

#include "records/ClsHistory.h"
#include "records/RecordCollection.h"

namespace records {

// The calibration history of one download: every line goes to the one record "01 L".
class clsHistorys : public RecordCollection<clsHistory> {
  public:
    core::LogKind Kind() const override { return core::LogKind::CalibrationHistory; }
    // One history line of gas `gasNo`; False only for a line shorter than 21 characters.
    bool SetDatas(int16_t gasNo, const QString& vData, bool testFlag);
    bool SetRecordLine(int16_t requestNo, const QString& line, bool testFlag) override {
        return SetDatas(requestNo, line, testFlag);
    }
};

}  // namespace records
