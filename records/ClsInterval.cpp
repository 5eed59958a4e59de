#include "records/ClsInterval.h"
#include "records/TrendLines.h"

#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/TrendFile.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

void checkGasIndex(int gasNo) {
    if (gasNo < 0 || gasNo > 5) throw rt::RuntimeError(rt::ErrSubscript);
}

}  // namespace

clsInterval::clsInterval() {
    ClearDatas();
}

void clsInterval::ClearDatas() {
    trend_.discard();
    error_ = false;
    duplicate_ = false;
    mending_ = false;
    trendPathDamaged_ = false;
    key_.clear();
    seqNo_ = 0;
    dataCount_ = 0;
    eventCount_ = 0;
    sampleCounters_.fill(0);
    name_.clear();
    userID_ = stationID_ = serialNo_ = QStringLiteral("*");
    for (Gas& g : gas_)
        ClearTrendGas(g, false);
}

// ---- header and gas table ----------------------------------------------------------------

namespace {
constexpr unsigned IntervalHeader = 0xFF;  // fields 0..7
}  // namespace

rt::Variant clsInterval::GasBaseInfo(int types) const {
    return headerField(types, IntervalHeader, false, rt::Variant::null());
}

void clsInterval::setGasBaseInfo(int types, const rt::Variant& value) {
    setHeaderField(types, value, IntervalHeader);
}

rt::Variant clsInterval::GasListInfo(int gasNo, int types) const {
    if (gasNo < 0 || gasNo >= 5) return rt::Variant();
    return TrendGasField(gas_[gasNo], types);
}

void clsInterval::setGasListInfo(int gasNo, int types, const rt::Variant& value) {
    if (gasNo < 0 || gasNo >= 5) return;
    Gas& g = gas_[gasNo];
    const bool numeric = value.isNumeric();
    switch (types) {
        case 0:
            g.name = value.toText();
            break;
        // These fields take whole numbers through this property, as they always did.
        case 1:
            if (numeric) g.fullScale = value.toInteger();
            break;
        case 8:
            if (numeric) g.maximum = value.toInteger();
            break;
        case 9:
            if (numeric) g.minimum = value.toInteger();
            break;
        case 10:
            if (numeric) g.average = value.toInteger();
            break;
        case 2:
            if (numeric) g.desit = static_cast<float>(value.toLong());
            break;
        case 3:
            if (numeric) g.point = rt::CInt(value.toLong());
            break;
        case 11:
            if (value.isDate()) g.maxDate = value.toDate();
            break;
        case 12:
            if (value.isDate()) g.minDate = value.toDate();
            break;
        case 13:
            g.enabled = value.toBool();
            break;
        case 14:
            g.unit = value.toText();
            break;
        default:
            break;
    }
}

// ---- rows --------------------------------------------------------------------------------

clsInterval::ValueRow& clsInterval::valueRow(int32_t index) {
    if (index < 0 || index > MaxValueRow) throw rt::RuntimeError(rt::ErrSubscript);
    if (static_cast<size_t>(index) >= values_.size()) values_.resize(index + 1);
    return values_[index];
}

clsInterval::EventRow& clsInterval::eventRow(int32_t index) {
    if (index < 0 || index > MaxEventRow) throw rt::RuntimeError(rt::ErrSubscript);
    if (static_cast<size_t>(index) >= events_.size()) events_.resize(index + 1);
    return events_[index];
}

void clsInterval::setDataCount(int32_t count) {
    if (count < 0 || count >= MaxValueRow) return;
    if (count > 0) valueRow(count - 1);
    dataCount_ = count;
}

void clsInterval::setEventCount(int32_t count) {
    // Never more rows than the table holds: the accessors read up to the count.
    count = std::min(count, MaxEventRow + 1);
    if (count > 0) eventRow(count - 1);
    eventCount_ = count;
}

rt::OleDate clsInterval::DateTimes(int32_t i) const {
    return i >= 0 && i < dataCount_ ? values_[i].date : rt::OleDate();
}

void clsInterval::setDateTimes(int32_t i, rt::OleDate date) {
    if (i >= 0 && i < dataCount_) values_[i].date = date;
}

rt::Variant clsInterval::GasValue(int gasNo, int32_t i) const {
    if (i < 0 || i >= dataCount_) return rt::Variant();
    checkGasIndex(gasNo);
    return values_[i].values[gasNo];
}

void clsInterval::setGasValue(int gasNo, int32_t i, const rt::Variant& value) {
    if (i < 0 || i >= dataCount_) return;
    checkGasIndex(gasNo);
    values_[i].values[gasNo] = value.toSingle();
}

int16_t clsInterval::GasNowCalib(int gasNo, int32_t i) const {
    if (i < 0 || i >= dataCount_) return 0;
    checkGasIndex(gasNo);
    return values_[i].nowCalib[gasNo];
}

void clsInterval::setGasNowCalib(int gasNo, int32_t i, int16_t flag) {
    if (i < 0 || i >= dataCount_) return;
    checkGasIndex(gasNo);
    values_[i].nowCalib[gasNo] = flag;
}

rt::OleDate clsInterval::EvtTime(int32_t i) const {
    return i >= 0 && i < dataCount_ ? values_[i].evtTime : rt::OleDate();
}

void clsInterval::setEvtTime(int32_t i, rt::OleDate date) {
    if (i >= 0 && i < dataCount_) values_[i].evtTime = date;
}

rt::OleDate clsInterval::EventDateTimes(int32_t i) const {
    return i >= 0 && i < eventCount_ ? events_[i].date : rt::OleDate();
}

void clsInterval::setEventDateTimes(int32_t i, rt::OleDate date) {
    if (i >= 0 && i < eventCount_) events_[i].date = date;
}

rt::Variant clsInterval::GasEvent(int gasNo, int32_t i) const {
    if (i < 0 || i >= eventCount_) return rt::Variant();
    checkGasIndex(gasNo);
    return events_[i].codes[gasNo];
}

void clsInterval::setGasEvent(int gasNo, int32_t i, const rt::Variant& value) {
    if (i < 0 || i >= eventCount_) return;
    checkGasIndex(gasNo);
    events_[i].codes[gasNo] = value.toSingle();
}

rt::OleDate clsInterval::EventBaseDate(int32_t i) const {
    return i >= 0 && i < eventCount_ ? events_[i].baseDate : rt::OleDate();
}

int16_t clsInterval::AddValue(int gasNo, rt::OleDate dates, float values) {
    checkGasIndex(gasNo);
    int32_t target = -1;
    for (int32_t i = 0; i < dataCount_; ++i)
        if (values_[i].date == dates) target = i;
    if (target < 0) {
        target = dataCount_;
        ValueRow& row = valueRow(target);
        for (int g = 0; g < 5; ++g)
            row.values[g] = core::CodeNoValue;
        ++dataCount_;
    }
    values_[target].date = dates;
    values_[target].values[gasNo] = values;
    return rt::CInt(target);
}

int16_t clsInterval::AddEvents(int gasNo, rt::OleDate dates, int32_t eventNo,
                               rt::OleDate baseDate) {
    checkGasIndex(gasNo);
    int32_t target = -1;
    for (int32_t i = 0; i < eventCount_; ++i)
        if (events_[i].date == dates) target = i;
    if (target < 0) {
        target = eventCount_;
        EventRow& row = eventRow(target);
        for (int g = 0; g < 5; ++g)
            row.codes[g] = core::CodeNoValue;
        ++eventCount_;
    }
    EventRow& row = events_[target];
    row.date = dates;
    row.codes[gasNo] = static_cast<float>(eventNo);
    row.baseDate = baseDate;
    return rt::CInt(target);
}

namespace {

template <class Rows>
int32_t earliestAfter(const Rows& rows, int32_t count, rt::OleDate dates, int32_t from) {
    int32_t best = -1;
    for (int32_t i = std::max(from, 0); i < count; ++i)
        if (rows[i].date > dates && (best < 0 || rows[i].date < rows[best].date)) best = i;
    return best;
}

}  // namespace

int32_t clsInterval::SerchDatas(rt::OleDate dates, int32_t strDim) const {
    return earliestAfter(values_, dataCount_, dates, strDim);
}

int32_t clsInterval::SerchEvent(rt::OleDate dates, int32_t strDim) const {
    return earliestAfter(events_, eventCount_, dates, strDim);
}

int32_t clsInterval::SerchValue(rt::OleDate dates) const {
    const rt::OleDate low = rt::OleDate::DateSerial(1998, 1, 1);
    const rt::OleDate high = rt::OleDate::DateSerial(2199, 1, 1);
    if (!(dates > low && dates < high)) return 0;
    const int32_t i = SerchDatas(dates, 0);
    const int32_t e = SerchEvent(dates, 0);
    const bool value = i >= 0 && values_[i].date > low;
    const bool event = e >= 0 && events_[e].date > low;
    if (value && event) {
        // Compared to the second, as written out.
        const auto text = [](rt::OleDate d) {
            return d.toDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        };
        return text(values_[i].date) >= text(events_[e].date) ? -(e + 1) : i + 1;
    }
    if (value) return i + 1;
    if (event) return -(e + 1);
    return 0;
}

// ---- files -------------------------------------------------------------------------------

QString clsInterval::TrendFilePath() const {
    return TrendFileOf(folderID_, name_);
}

void clsInterval::WriteSerialLog(const QString& text) const {
    core::AppendRawLogLine(core::SerialLogPath(), text);
}

}  // namespace records
