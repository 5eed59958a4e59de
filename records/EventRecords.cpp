#include "records/EventRecords.h"

#include <QFileInfo>

#include "core/ClsInstrument.h"
#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "core/SerialLog.h"
#include "core/StoredDamage.h"
#include "platform/Database.h"
#include "records/TrendLines.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace records {

namespace {

bool elementInRange(int index, int limit) {
    return index >= 0 && index < limit;
}

// The single-event accessors reach elements 0..4, the lists elements 0..119.
constexpr int SingleEventLimit = 5;
constexpr int ListLimit = 120;

}  // namespace

// ---- header and gas table ----------------------------------------------------------------

void EventRecord::clearCommon() {
    clearHeader();
    dataCount_ = 0;
    for (int g = 0; g < 4; ++g)
        ClearTrendGas(gas_[g], true);
}

namespace {
constexpr unsigned EventHeader = 0x177;  // fields 0..8 but 3 and 7
}  // namespace

rt::Variant EventRecord::GasBaseInfo(int types) const {
    return headerField(types, EventHeader, true, rt::Variant());
}

void EventRecord::setGasBaseInfo(int types, const rt::Variant& value) {
    setHeaderField(types, value, EventHeader);
}

rt::Variant EventRecord::GasListInfo(int gasNo, int types) const {
    if (gasNo < 0 || gasNo >= 5) return rt::Variant();
    const Gas& g = gas_[gasNo];
    switch (types) {
        // The alarm record holds Desit as a whole number and Point as a Single.
        case 2:
            return wholeDesit() ? rt::Variant(rt::CInt(g.desit)) : rt::Variant(g.desit);
        case 3:
            return wholeDesit() ? rt::Variant(static_cast<float>(g.point)) : rt::Variant(g.point);
        case 4:
            return g.warning;
        case 5:
            return g.alarm;
        default:
            return TrendGasField(g, types);
    }
}

void EventRecord::setGasListInfo(int gasNo, int types, const rt::Variant& value) {
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
    } else if (value.isNumeric()) {
        switch (types) {
            case 1:
                g.fullScale = value.toSingle();
                break;
            // Desit is a whole number in the alarm record, Point one in the others.
            case 2:
                g.desit = wholeDesit() ? value.toInteger() : value.toSingle();
                break;
            case 3:
                g.point = wholeDesit() ? value.toSingle() : value.toInteger();
                break;
            case 4:
                g.warning = value.toSingle();
                break;
            case 5:
                g.alarm = value.toSingle();
                break;
            case 8:
                g.maximum = value.toSingle();
                break;
            case 9:
                g.minimum = value.toSingle();
                break;
            case 10:
                g.average = value.toSingle();
                break;
            default:
                break;
        }
    }
}

// ---- shared line decoders ----------------------------------------------------------------

bool EventRecord::decodeGasList(const QString& vData, bool testFlag) {
    if (vData.size() < 69) return false;
    return ApplyGasListLine(vData, testFlag, gas_[3], gas_[4], wholeDesit());
}

bool EventRecord::decodeCount(const QString& vData, bool testFlag) {
    if (!testFlag) serialNo_ = core::EmptyToAsterisk(LineText(vData, 5, 12));
    const auto count = LongField(LineText(vData, 18, 4));
    if (!count) return false;
    if (!testFlag) dataCount_ = *count;
    return true;
}

bool EventRecord::decodeDate(const QString& vData, bool testFlag, const QString& prefix,
                             bool strictTime) {
    const auto date = LineDate(vData, 5);
    if (!date) error_ = true;
    std::optional<int> seconds;
    if (strictTime) {
        seconds = LineTime(vData, 11);
    } else {
        // Each of the three pairs numeric is enough; the parts are added as they are.
        const QString h = LineText(vData, 11, 2), n = LineText(vData, 13, 2),
                      s = LineText(vData, 15, 2);
        if (rt::IsNumeric(h) && rt::IsNumeric(n) && rt::IsNumeric(s))
            seconds = rt::CInt(h) * 3600 + rt::CInt(n) * 60 + rt::CInt(s);
    }
    if (!seconds) error_ = true;
    if (testFlag) return true;
    if (date) date_ = *date;
    if (seconds) date_ = date_.addSeconds(*seconds);
    name_ = prefix + rt::FormatDate(date_, QStringLiteral("ddhhnnss"));
    folderID_ = rt::FormatDate(date_, QStringLiteral("mm/yy"));
    return true;
}

// ---- storage -----------------------------------------------------------------------------

QString EventRecord::headerUserID() const {
    return core::EmptyToAsterisk(userID_);
}
QString EventRecord::headerSerialNo() const {
    return core::EmptyToAsterisk(serialNo_);
}

void EventRecord::headerGas(int g, QString& name, float& full, float& desit, float& point) const {
    const Gas& gas = gas_[g];
    name = gas.name;
    full = gas.fullScale;
    desit = gas.desit;
    point = gas.point;
}

int32_t EventRecord::FindEventHead() const {
    if (!QFileInfo::exists(core::DatabasePath())) return 0;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    const platform::ResultSet r = db.query(
        QStringLiteral("Select SeqNo, Names From Log_Head Where UserID=? And SerialNo=? And "
                       "Types=? Order By SeqNo;"),
        {headerUserID(), headerSerialNo(), static_cast<int32_t>(kind())});
    return HeadToAddTo(r, headerSerialNo(), headerUserID());
}

void EventRecord::Update() {
    if (dataCount_ <= 0) return;
    const core::clsInstrument* inst = instrument_;
    if (!inst)
        throw rt::RuntimeError(rt::ErrInvalidCall, QStringLiteral("The record has no instrument"));
    const platform::Database db = platform::Database::open(core::DatabasePath());
    platform::Transaction transaction(db);
    int32_t head = FindEventHead();
    // Also a faulty record gets its header: its rows must never point at no header.
    if (head < 0) {
        head = db.MaxSeq(QStringLiteral("Log_Head"));
        QStringList columns = {"SeqNo", "Names",  "Dates",    "UserID",   "SerialNo",
                               "Types", "RomNum", "Interval", "FolderID", "Dcount"};
        std::vector<platform::DbParam> values = {head,
                                                 core::LogKindHeaderName(kind()),
                                                 inst->SysDate(),
                                                 headerUserID(),
                                                 headerSerialNo(),
                                                 static_cast<int32_t>(kind()),
                                                 inst->RomNumber(),
                                                 headerInterval(),
                                                 QStringLiteral("-----"),
                                                 dataCount_};
        for (int g = 0; g < 4; ++g) {
            QString name;
            float full, desit, point;
            headerGas(g, name, full, desit, point);
            const Gas& gas = gas_[g];
            columns << GasColumns(
                g + 1, {"Name", "Full", "Desit", "Enable", "Point", "Max", "Avr", "Min", "MaxDate",
                        "MinDate", "Warn", "Alarm", "Stel", "Twa", "Mode"});
            values.insert(values.end(),
                          {OrBlank(name), full, desit, inst->GasEnabled(g), point, gas.maximum,
                           gas.average, gas.minimum, gas.maxDate, gas.minDate, inst->Warning(g),
                           inst->Alarm(g), inst->Stel(g), inst->Twa(g), inst->ModeChange(g)});
        }
        db.exec(InsertStatement(QStringLiteral("Log_Head"), columns), values);
    }
    writeEvents(db, head);
    transaction.commit();
}

void EventRecord::ReLoad() {
    if (!QFileInfo::exists(core::DatabasePath())) return;
    const platform::Database db = platform::Database::open(core::DatabasePath());
    // What cannot be read is left as when nothing is stored, and the download is told
    // damaged; the rest loads.
    const platform::ResultSet r =
        db.query(QStringLiteral("Select * From Log_Head Where SeqNo=?;"), {seqNo_}).lenient();
    if (r.rowCount() == 0) return;
    name_ = r.text(0, QStringLiteral("Names"), QStringLiteral("Name None"));
    // A download time that is Null or cannot be read is none, never the time now.
    date_ = r.requiredDate(0, QStringLiteral("Dates"));
    dateRead_ = !r.unreadable(0, QStringLiteral("Dates"));
    userID_ = core::EmptyToAsterisk(r.text(0, QStringLiteral("UserID"), QStringLiteral(" ")));
    serialNo_ = core::EmptyToAsterisk(r.text(0, QStringLiteral("SerialNo"), QStringLiteral(" ")));
    interval_ = r.longValue(0, QStringLiteral("Interval"), 0);
    folderID_ = r.text(0, QStringLiteral("FolderID"), QStringLiteral("00/00"));
    bool damaged = false;
    for (int g = 0; g < 4; ++g) {
        const QString unit = gas_[g].unit;  // not read back
        LoadTrendGas(r, g, true, gas_[g]);
        gas_[g].unit = unit;
        // A step that is no Integer cannot be read either.
        if (!wholeDesit()) continue;
        const std::optional<int16_t> desit = IntegerValue(gas_[g].desit);
        gas_[g].desit = desit ? *desit : core::CodeNoValue;
        damaged = damaged || !desit;
    }
    if (damaged || r.anyUnreadable()) core::NoteDamagedDownload(name_);
}

// ---- single events -----------------------------------------------------------------------

rt::OleDate SingleEventRecord::Dates(int i) const {
    return elementInRange(i, SingleEventLimit) ? elements_[i].date : rt::OleDate::now();
}
void SingleEventRecord::setDates(int i, rt::OleDate date) {
    if (elementInRange(i, SingleEventLimit)) elements_[i].date = date;
}
int16_t SingleEventRecord::Events(int i) const {
    return elementInRange(i, SingleEventLimit) ? elements_[i].events : 0;
}
void SingleEventRecord::setEvents(int i, int16_t v) {
    if (elementInRange(i, SingleEventLimit)) elements_[i].events = v;
}
int16_t SingleEventRecord::GasNo(int i) const {
    return elementInRange(i, SingleEventLimit) ? elements_[i].gasNo : 0;
}
void SingleEventRecord::setGasNo(int i, int16_t v) {
    if (elementInRange(i, SingleEventLimit)) elements_[i].gasNo = v;
}
int16_t SingleEventRecord::NowEvent(int i) const {
    return elementInRange(i, SingleEventLimit) ? elements_[i].nowEvent : 0;
}
void SingleEventRecord::setNowEvent(int i, int16_t v) {
    if (elementInRange(i, SingleEventLimit)) elements_[i].nowEvent = v;
}
int16_t SingleEventRecord::NowCalib(int i) const {
    return elementInRange(i, SingleEventLimit) ? elements_[i].nowCalib : 0;
}
void SingleEventRecord::setNowCalib(int i, int16_t v) {
    if (elementInRange(i, SingleEventLimit)) elements_[i].nowCalib = v;
}

void SingleEventRecord::clearElements(bool resetDates) {
    const rt::OleDate now = rt::OleDate::now();
    for (int i = 0; i < ListLimit; ++i) {
        Element& e = elements_[i];
        e.events = e.gasNo = e.nowEvent = e.nowCalib = 0;
        if (resetDates) e.date = now;
    }
}

bool SingleEventRecord::decodeEvent(const QString& vData, bool testFlag) {
    const QString digit = LineText(vData, 4, 1);
    if (digit == QLatin1String("0")) return false;
    if (testFlag) return true;
    Element& e = elements_[0];
    e.gasNo = static_cast<int16_t>(digit.toInt() - 1);
    e.events = core::StatusNumberToCode(LineText(vData, 5, 2));
    e.nowEvent = LineText(vData, 7, 1) == QLatin1String("1") ? 1 : 0;
    e.nowCalib = LineText(vData, 8, 1) == QLatin1String("1") ? 1 : 0;
    dataCount_ = 1;
    return true;
}

QString SingleEventRecord::rowGasName(int16_t gasNo) const {
    if (gasNo < 0 || gasNo > 5) throw rt::RuntimeError(rt::ErrSubscript);
    return gas_[gasNo].name;
}

void SingleEventRecord::writeEvents(const platform::Database& db, int32_t head) const {
    const QString table = kind() == core::LogKind::AlarmEvents ? QStringLiteral("Alarm_Event")
                                                               : QStringLiteral("Trouble_Event");
    const Element& e = elements_[0];
    if (db.query(QStringLiteral("Select SeqNo From %1 Where RelNo=? And GasNo=? And Dates=?;")
                     .arg(table),
                 {head, e.gasNo, date_})
            .rowCount() > 0)
        return;
    db.exec(InsertStatement(table, {"SeqNo", "RelNo", "GasNo", "GasName", "Alarm_Type", "Dates",
                                    "NowEv", "NowCl"}),
            {db.MaxSeq(table), head, e.gasNo, rowGasName(e.gasNo), e.events, date_, e.nowEvent,
             e.nowCalib});
}

clsAlarmEvent::clsAlarmEvent() {
    ClearDatas();
}

void clsAlarmEvent::ClearDatas() {
    clearCommon();
    clearElements(false);
}

bool clsAlarmEvent::SetDataBD(const QString& v, bool t) {
    return decodeDate(v, t, QStringLiteral("ae"), false);
}
bool clsAlarmEvent::SetDataBB(const QString& v, bool t) {
    return decodeCount(v, t);
}
bool clsAlarmEvent::SetDataBC(const QString& v, bool t) {
    return decodeGasList(v, t);
}
bool clsAlarmEvent::SetDataB0(const QString& v, bool t) {
    return decodeEvent(v, t);
}

clsTroubleEvent::clsTroubleEvent() {
    ClearDatas();
}

void clsTroubleEvent::ClearDatas() {
    clearCommon();
    clearElements(true);
}

rt::OleDate clsTroubleEvent::DateTimes(int i) const {
    return elementInRange(i, ListLimit) ? elements_[i].date : rt::OleDate();
}
void clsTroubleEvent::setDateTimes(int i, rt::OleDate date) {
    if (elementInRange(i, ListLimit)) elements_[i].date = date;
}

bool clsTroubleEvent::SetDataDD(const QString& v, bool t) {
    return decodeDate(v, t, QStringLiteral("te"), true);
}
bool clsTroubleEvent::SetDataDB(const QString& v, bool t) {
    return decodeCount(v, t);
}
bool clsTroubleEvent::SetDataDC(const QString& v, bool t) {
    return decodeGasList(v, t);
}
bool clsTroubleEvent::SetDataD0(const QString& v, bool t) {
    return decodeEvent(v, t);
}

QString clsTroubleEvent::rowGasName(int16_t gasNo) const {
    // Gas 5 of a trouble event is the instrument body.
    if (gasNo == 4 || gasNo == 5) return QStringLiteral("Body");
    return SingleEventRecord::rowGasName(gasNo);
}

// ---- power events ------------------------------------------------------------------------

clsPowerEvent::clsPowerEvent() {
    ClearDatas();
}

void clsPowerEvent::ClearDatas() {
    clearCommon();
    const rt::OleDate now = rt::OleDate::now();
    for (int i = 0; i < ListLimit; ++i) {
        elements_[i].on = false;
        elements_[i].date = now;
    }
    error_ = false;
}

rt::OleDate clsPowerEvent::Dates(int i) const {
    return elementInRange(i, ListLimit) ? elements_[i].date : rt::OleDate();
}
void clsPowerEvent::setDates(int i, rt::OleDate date) {
    if (elementInRange(i, ListLimit)) elements_[i].date = date;
}
bool clsPowerEvent::Flags(int i) const {
    return elementInRange(i, ListLimit) && elements_[i].on;
}
void clsPowerEvent::setFlags(int i, bool on) {
    if (elementInRange(i, ListLimit)) elements_[i].on = on;
}

bool clsPowerEvent::SetDataF0(const QString& vData, bool testFlag) {
    if (testFlag) return true;
    const int32_t n = dataCount_;
    if (n >= Elements) {
        // The record is full: the event is left out, and the log says so.
        core::AppendRawLogLine(
            core::SerialLogPath(),
            QStringLiteral("<<< no room for the event in SetDataF0() >>> ") + vData);
        return true;
    }
    Element& e = elements_[n];
    bool improper = false;
    if (const auto date = LineDate(vData, 5)) {
        e.date = *date;
    } else {
        improper = true;
        e.date = rt::OleDate();
    }
    const auto time = LineTime(vData, 11);
    if (e.date == rt::OleDate() || !time) {
        improper = true;
        e.date = rt::OleDate();
    } else {
        e.date = e.date.addSeconds(*time);
    }
    e.on = LineText(vData, 17, 4) == QLatin1String("1111");
    dataCount_ = n + 1;
    if (improper) {
        error_ = true;
        core::AppendRawLogLine(core::SerialLogPath(),
                               QStringLiteral("<<< improper date in SetDataF0() >>> ") + vData);
    }
    return true;
}

QString clsPowerEvent::headerUserID() const {
    return core::EmptyToAsterisk(instrument_->UserID());
}
QString clsPowerEvent::headerSerialNo() const {
    return core::EmptyToAsterisk(instrument_->SerialNo());
}
int32_t clsPowerEvent::headerInterval() const {
    return instrument_->Intervals();
}

void clsPowerEvent::headerGas(int g, QString& name, float& full, float& desit, float& point) const {
    name = instrument_->GasName(g);
    full = instrument_->GasFullScale(g);
    desit = instrument_->GasDesit(g);
    point = instrument_->GasPoint(g);
}

void clsPowerEvent::writeEvents(const platform::Database& db, int32_t head) const {
    const QString insert =
        InsertStatement(QStringLiteral("Power_Event"), {"SeqNo", "RelNo", "Dates", "Power_Type"});
    platform::NewKeys keys(db, QStringLiteral("Power_Event"));
    for (int i = 0; i < dataCount_ && i < Elements; ++i) {
        const Element& e = elements_[i];
        if (db.query(QStringLiteral("Select SeqNo From Power_Event Where RelNo=? And Dates=?;"),
                     {head, e.date})
                .rowCount() > 0)
            continue;
        db.exec(insert, {keys.next(), head, e.date, e.on});
    }
}

}  // namespace records
