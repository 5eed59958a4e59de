#include "records/ClsIntervals.h"

#include "core/ModMain.h"

namespace records {

namespace {

// An interval line names its own record when its code begins with "A".
bool startsIntervalRecord(const QString& rest) {
    return rest.mid(2, 1) == QLatin1String("A");
}

}  // namespace

bool clsIntervals::SetDatas(const QString& vData, bool testFlag) {
    const FramedLine f = routing_.frame(core::StripControlChars(vData), startsIntervalRecord);
    clsInterval* record = &recordOf(f.number);
    if (!testFlag) TurnTrendFileTo(*this, writing_, *record);

    bool result = true;
    const QString& tt = f.code;
    const qsizetype length = f.line.size();
    if (tt == QLatin1String("AD")) {
        result = length >= 24 && record->SetDataAD(f.line, testFlag);
        if (result && !testFlag && !record->Duplicate() && core::DebugMode)
            messageString_ = core::LoadResText(4001, {record->GasBaseInfo(0)});
    } else if (tt == QLatin1String("AE") || tt == QLatin1String("AF") ||
               tt == QLatin1String("AG") || tt == QLatin1String("AH") ||
               tt == QLatin1String("AI")) {
        result = length >= 24 && record->SetDataAE(f.line, testFlag);
    } else if (tt.size() == 2 && tt.at(0) == QLatin1Char('A') && tt.at(1) >= QLatin1Char('0') &&
               tt.at(1) <= QLatin1Char('7')) {
        result = record->SetDataA0(f.line, testFlag, f.compress);
        if (record->Error() && core::DebugMode)
            messageString_ = QStringLiteral("<<< error catch in SetDataA0() >>>");
    } else if (tt == QLatin1String("AC")) {
        result = length >= 24 && record->SetDataAC(f.line, testFlag);
    } else if (tt == QLatin1String("AB")) {
        result = length >= 16;
        if (result && !testFlag) {
            record->setGasBaseInfo(4, core::EmptyToAsterisk(f.line.mid(4, 12)));
            record->setGasBaseInfo(7, f.line.mid(22, 1));
        }
    } else if (tt == QLatin1String("AA")) {
        result = length >= 24;
        if (result && !testFlag) {
            record->setGasBaseInfo(2, core::EmptyToAsterisk(f.line.mid(4, 10)));
            record->setGasBaseInfo(3, core::EmptyToAsterisk(f.line.mid(14, 10)));
        }
    }
    if (testFlag && !result) failLine_ += QStringLiteral("\r\n") + f.line;
    routing_.remember(f);
    return result;
}

}  // namespace records
