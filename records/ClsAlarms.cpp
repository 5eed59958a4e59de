#include "records/ClsAlarms.h"

#include "core/ModMain.h"

namespace records {

namespace {

// Every "/" line of an alarm trend names its own record and code.
bool anyRecordLine(const QString&) {
    return true;
}

}  // namespace

bool clsAlarms::SetDatas(const QString& vData, bool testFlag) {
    // Code 127 is a repeat count of the compressed sample lines: it is kept.
    const FramedLine f = routing_.frame(core::StripControlChars(vData), anyRecordLine);
    // A continuation line before any record line, or of a record the collection no longer
    // holds (it was cleared for a new download), belongs to no record.
    if (f.compress && (f.number.isEmpty() || !Item(RecordKey(f.number)))) return true;
    clsAlarm& record = recordOf(f.number);
    if (!testFlag) TurnTrendFileTo(*this, writing_, record);

    bool result = true;
    const QString& code = f.code;
    const qsizetype length = f.line.size();
    if (code == QLatin1String("BD")) {
        result = length >= 23 && record.SetDataBD(f.line, testFlag);
        if (result && !testFlag && !record.Duplicate() && core::DebugMode)
            messageString_ = core::LoadResText(2001, {record.GasBaseInfo(0)});
    } else if (code.size() == 2 && code.at(0) == QLatin1Char('B') &&
               code.at(1) >= QLatin1Char('1') && code.at(1) <= QLatin1Char('6')) {
        result = record.SetDataB0(f.line, testFlag, f.compress);
        if (record.Error() && core::DebugMode)
            messageString_ = QStringLiteral("<<< error catch in SetDataB0() >>>");
    } else if (code == QLatin1String("BC")) {
        result = length >= 24 && record.SetDataBC(f.line, testFlag);
    } else if (code == QLatin1String("BB")) {
        result = length >= 16 && record.SetDataBB(f.line, testFlag);
    } else if (code == QLatin1String("BA")) {
        result = length >= 24;
        if (result && !testFlag) record.setGasBaseInfo(2, core::EmptyToAsterisk(f.line.mid(4, 10)));
    }
    if (testFlag && !result) failLine_ += QStringLiteral("\r\n") + f.line;
    routing_.remember(f);
    return result;
}

}  // namespace records
