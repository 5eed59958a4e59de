#include "records/ClsHistorys.h"

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "records/TrendLines.h"
#include "runtime/Strings.h"

namespace records {

bool clsHistorys::SetDatas(int16_t gasNo, const QString& vData, bool testFlag) {
    if (vData.size() < 21) return false;
    const QString key = RecordKey(QStringLiteral("01"));
    clsHistory* record = Item(key);
    if (!record) {
        record = &Add(key, 0);
        record->setInstrument(instruments_);
    }

    // Dates are checked strictly: a month, day or time out of range is no date.
    const auto date = LineDate(vData, 3);
    const auto time = LineTime(vData, 9);
    // A valid date with an invalid time is kept at midnight of that date; without a valid
    // date the reading cannot be placed and is not stored.
    const bool proper = date && time;
    if (!proper) record->setError(true);

    const QString beforeText = LineText(vData, 15, 5);
    const QString afterText = LineText(vData, 20, 5);
    const float before = core::ParseValueOrStatus(beforeText);
    const float after = core::ParseValueOrStatus(afterText);
    const int16_t decimals = core::DecimalsOf(rt::IsNumeric(beforeText) ? beforeText : afterText);
    const QString gasName = rt::Trim(LineText(vData, 25, 10));

    if (!testFlag) {
        if (date)
            record->AddHistory(gasNo, date->addSeconds(time.value_or(0)), before, after, gasName,
                               decimals);
        if (!proper)
            record->SetSerialLog(QStringLiteral("<<< improper date in clsHistory.SetDatas() >>> ") +
                                 vData);
    }
    return true;
}

}  // namespace records
