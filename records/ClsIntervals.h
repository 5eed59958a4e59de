#pragma once

#include <QHash>

#include "records/ClsInterval.h"
#include "records/RecordCollection.h"
#include "records/RecordLines.h"

namespace records {

// The records of an interval-trend download, fed one record line at a time.
class clsIntervals : public RecordCollection<clsInterval> {
  public:
    // Routes one record line; True when it was accepted. With testFlag the line is only
    // checked (a refused line is added to FailLine).
    bool SetDatas(const QString& vData, bool testFlag);

    // The routing state (previous record number and code, each record's previous data-line
    // code) taken when a check pass starts and put back before the apply pass and before a
    // block is asked for again, so a check pass never shifts where the apply pass starts.
    void SaveRoutingState();
    void RestoreRoutingState();

  private:
    LineRouting routing_;
    LineRouting savedRouting_;
    QHash<QString, QString> savedDataCodes_;
};

}  // namespace records
