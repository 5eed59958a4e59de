#include "records/ClsAlarm.h"

#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

bool rowInRange(int index) {
    return index >= 0 && index < clsAlarm::Rows;
}

}  // namespace

clsAlarm::clsAlarm() {
    ClearDatas();
}

void clsAlarm::ClearDatas() {
    trend_.discard();
    sampleCount_.fill(0);
    error_ = false;
    trendPathDamaged_ = false;
    duplicate_ = false;
    mending_ = false;
    key_.clear();
    clearHeader();
    dataCount_ = 0;
    for (int g = 0; g < 5; ++g)
        ClearTrendGas(gas_[g], true);
    for (int i = 0; i < Rows; ++i) {
        rows_[i].rowNo = 0;
        rows_[i].values.fill(0.0f);
    }
}

namespace {
constexpr unsigned AlarmHeader = 0x1F7;  // fields 0..8 but 3
}  // namespace

rt::Variant clsAlarm::GasBaseInfo(int types) const {
    return headerField(types, AlarmHeader, false, rt::Variant());
}

void clsAlarm::setGasBaseInfo(int types, const rt::Variant& value) {
    setHeaderField(types, value, AlarmHeader);
}

rt::Variant clsAlarm::GasListInfo(int gasNo, int types) const {
    if (gasNo < 0 || gasNo >= 5) return rt::Variant();
    if (types == 4) return gas_[gasNo].warning;
    if (types == 5) return gas_[gasNo].alarm;
    return TrendGasField(gas_[gasNo], types);
}

void clsAlarm::setGasListInfo(int gasNo, int types, const rt::Variant& value) {
    if (gasNo < 0 || gasNo >= 5) return;
    Gas& g = gas_[gasNo];
    if (types == 0) {
        g.name = value.toText();
    } else if (types == 14) {
        g.unit = value.toText();
    } else if (types == 13) {
        g.enabled = value.toBool();
    } else if (types == 11 || types == 12) {
        if (value.isDate()) (types == 11 ? g.maxDate : g.minDate) = value.toDate();
    } else if (types == 3) {
        if (value.isNumeric()) g.point = value.toInteger();
    } else {
        float* field = nullptr;
        switch (types) {
            case 1:
                field = &g.fullScale;
                break;
            case 2:
                field = &g.desit;
                break;
            case 4:
                field = &g.warning;
                break;
            case 5:
                field = &g.alarm;
                break;
            case 8:
                field = &g.maximum;
                break;
            case 9:
                field = &g.minimum;
                break;
            case 10:
                field = &g.average;
                break;
            default:
                return;
        }
        if (value.isNumeric()) *field = value.toSingle();
    }
}

rt::OleDate clsAlarm::DateTimes(int i) const {
    return rowInRange(i) ? rows_[i].date : rt::OleDate();
}

void clsAlarm::setDateTimes(int i, rt::OleDate date) {
    if (rowInRange(i)) rows_[i].date = date;
}

float clsAlarm::Value(int gasNo, int i) const {
    return rowInRange(i) && gasNo >= 0 && gasNo < 5 ? rows_[i].values[gasNo] : 0.0f;
}

void clsAlarm::setValue(int gasNo, int i, float value) {
    if (rowInRange(i) && gasNo >= 0 && gasNo < 5) rows_[i].values[gasNo] = value;
}

void clsAlarm::setDataCount(int16_t count) {
    dataCount_ = std::min<int16_t>(count, Rows);
}

QString clsAlarm::TrendFilePath() const {
    return TrendFileOf(folderID_, name_);
}

bool clsAlarm::FindDuplicate() const {
    return TrendHeaderStored(date_, userID_, serialNo_, core::LogKind::AlarmTrend);
}

void clsAlarm::WriteSerialLog(const QString& text) const {
    core::AppendRawLogLine(core::SerialLogPath(), text);
}

}  // namespace records
