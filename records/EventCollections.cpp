#include "records/EventCollections.h"

#include "core/ModMain.h"

namespace records {

namespace {

bool codeIn(const QString& code, QChar letter, QChar last) {
    return code.size() == 2 && code.at(0) == letter && code.at(1) >= QLatin1Char('0') &&
           code.at(1) <= last;
}

}  // namespace

bool clsAlarmEvents::route(clsAlarmEvent& r, const QString& code, const QString& line,
                           bool testFlag, bool& announce) {
    const qsizetype length = line.size();
    if (code == QLatin1String("CD")) {
        if (length < 24) return false;
        announce = true;
        return r.SetDataBD(line, testFlag);
    }
    if (codeIn(code, QLatin1Char('C'), QLatin1Char('4')))
        return length >= 25 && r.SetDataB0(line, testFlag);
    if (code == QLatin1String("CC")) return length >= 24 && r.SetDataBC(line, testFlag);
    if (code == QLatin1String("CB")) return length >= 16 && r.SetDataBB(line, testFlag);
    if (code == QLatin1String("CA")) return userLine(r, line, testFlag);
    return true;
}

bool clsTroubleEvents::route(clsTroubleEvent& r, const QString& code, const QString& line,
                             bool testFlag, bool& announce) {
    const qsizetype length = line.size();
    if (code == QLatin1String("DD")) {
        if (length < 24) return false;
        announce = true;
        return r.SetDataDD(line, testFlag);
    }
    if (codeIn(code, QLatin1Char('D'), QLatin1Char('5')))
        return length >= 24 && r.SetDataD0(line, testFlag);
    if (code == QLatin1String("DC")) return length >= 24 && r.SetDataDC(line, testFlag);
    if (code == QLatin1String("DB")) return length >= 16 && r.SetDataDB(line, testFlag);
    if (code == QLatin1String("DA")) return userLine(r, line, testFlag);
    return true;
}

bool clsPowerEvents::route(clsPowerEvent& r, const QString& code, const QString& line,
                           bool testFlag, bool& announce) {
    if (code != QLatin1String("FD")) return true;
    if (line.size() < 24) return false;
    announce = true;
    return r.SetDataF0(line, testFlag);
}

}  // namespace records
