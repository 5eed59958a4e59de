#include "core/ClsInstrument.h"

#include <algorithm>

#include "core/ModMain.h"
#include "runtime/RuntimeError.h"

namespace core {

clsInstrument::clsInstrument() {
    ClearDatas();
}

void clsInstrument::ClearDatas() {
    messageString_.clear();
    commFlags_ = 0;
    userID_ = serialNo_ = dummySerial_ = QStringLiteral("*");
    romNumber_ = 0;
    sysDate_ = sysDateOffset_ = rt::OleDate();
    intervals_ = intermittence_ = 0;
    alarmO2_ = 1;
    lowTemp_ = highTemp_ = -101;
    specType_ = spanOffset_ = QStringLiteral("0");
    for (int g = 0; g < GasCount; ++g) {
        GasChannel& gas = gas_[g];
        gas.GasName.clear();
        gas.GasDesit = 1.0f;
        gas.GasPoint = 0;
        gas.GasEnabled = false;
        gas.Warning = gas.Alarm = gas.Stel = gas.Twa = NoValue;
        gas.CalibBefore = gas.CalibAfter = gas.AutoCalib = gas.ModeChange = NoValue;
        gas.CalibDate = rt::OleDate(EmptyDate);
        gas.Zero = gas.OverScale = 0;
    }
    ClearChangeFlags();
}

void clsInstrument::ClearChangeFlags() {
    flags_.fill(false);
    for (int g = 0; g < GasCount; ++g)
        gas_[g].flags.fill(false);
}

bool clsInstrument::AnyChange() const {
    const auto raised = [](const auto& flags) {
        return std::find(flags.begin(), flags.end(), true) != flags.end();
    };
    if (raised(flags_)) return true;
    for (int g = 0; g < GasCount; ++g)
        if (raised(gas_[g].flags)) return true;
    return false;
}

bool clsInstrument::Change(InstrumentFlag flag) const {
    return flags_[static_cast<size_t>(flag)];
}

void clsInstrument::setChange(InstrumentFlag flag, bool value) {
    flags_[static_cast<size_t>(flag)] = value;
}

bool clsInstrument::Change(GasFlag flag, int index) const {
    return guarded(index) && gas_[index].flags[static_cast<size_t>(flag)];
}

void clsInstrument::setChange(GasFlag flag, int index, bool value) {
    if (guarded(index)) gas_[index].flags[static_cast<size_t>(flag)] = value;
}

// ---- identity in key form ----

QString clsInstrument::UserID() const {
    return EmptyToAsterisk(userID_);
}
void clsInstrument::setUserID(const QString& v) {
    userID_ = EmptyToAsterisk(v);
    raise(InstrumentFlag::Change_UserID);
}
QString clsInstrument::SerialNo() const {
    return EmptyToAsterisk(serialNo_);
}
void clsInstrument::setSerialNo(const QString& v) {
    serialNo_ = EmptyToAsterisk(v);
    raise(InstrumentFlag::Change_SerialNo);
}
QString clsInstrument::DummySerial() const {
    return EmptyToAsterisk(dummySerial_);
}
void clsInstrument::setDummySerial(const QString& v) {
    dummySerial_ = EmptyToAsterisk(v);
    raise(InstrumentFlag::Change_DummySerial);
}

// ---- settings that raise their flag on every assignment ----

#define QM73_RAISING_SETTER(Name, field, Flag) \
    void clsInstrument::set##Name(int16_t v) { \
        field = v;                             \
        raise(InstrumentFlag::Flag);           \
    }
QM73_RAISING_SETTER(AlarmMode, alarmMode_, Change_AlarmMode)
QM73_RAISING_SETTER(DispID, dispID_, Change_DispID)
QM73_RAISING_SETTER(DispCalLimit, dispCalLimit_, Change_DispCalLimit)
QM73_RAISING_SETTER(CalLimit, calLimit_, Change_CalLimit)
QM73_RAISING_SETTER(CalCheck, calCheck_, Change_CalCheck)
QM73_RAISING_SETTER(LunchBreak, lunchBreak_, Change_LunchBreak)
QM73_RAISING_SETTER(AlarmSilence, alarmSilence_, Change_AlarmSilence)
QM73_RAISING_SETTER(Confermation, confermation_, Change_Confermation)
QM73_RAISING_SETTER(LogOverWrite, logOverWrite_, Change_LogOverWrite)
QM73_RAISING_SETTER(LcdBackLight, lcdBackLight_, Change_LcdBackLight)
QM73_RAISING_SETTER(LcdContrast, lcdContrast_, Change_LcdContrast)
QM73_RAISING_SETTER(AlarmO2, alarmO2_, Change_AlarmO2)
QM73_RAISING_SETTER(H2STemperature, h2sTemperature_, Change_H2STemperature)
#undef QM73_RAISING_SETTER

void clsInstrument::setIntervals(int16_t v) {
    if (v == intervals_) return;
    intervals_ = v;
    raise(InstrumentFlag::Change_Interval);
}

void clsInstrument::setIntermittence(int16_t v) {
    if (v == intermittence_) return;
    intermittence_ = v;
    raise(InstrumentFlag::Change_Intermittence);
}

void clsInstrument::setSpecType(const QString& v) {
    specType_ = v;
    raise(InstrumentFlag::Change_SpecType);
}

void clsInstrument::setSpanOffset(const QString& v) {
    spanOffset_ = v;
    raise(InstrumentFlag::Change_SpanOffset);
}

// ---- arrays ----

int16_t clsInstrument::AnalogValue(int index) const {
    if (index < 0 || index >= static_cast<int>(analogValue_.size()))
        throw rt::RuntimeError(rt::ErrSubscript);
    return analogValue_[index];
}

void clsInstrument::setAnalogValue(int index, int16_t v) {
    if (index < 0 || index >= static_cast<int>(analogValue_.size()))
        throw rt::RuntimeError(rt::ErrSubscript);
    analogValue_[index] = v;
}

float clsInstrument::LimitValue(int index) const {
    if (index < 0 || index >= static_cast<int>(limitValue_.size()))
        throw rt::RuntimeError(rt::ErrSubscript);
    return limitValue_[index];
}

void clsInstrument::setLimitValue(int index, float v) {
    if (index < 0 || index >= static_cast<int>(limitValue_.size()))
        throw rt::RuntimeError(rt::ErrSubscript);
    limitValue_[index] = v;
}

// ---- per gas ----

template <class T>
T clsInstrument::getGuarded(int index, T GasChannel::*member) const {
    return guarded(index) ? gas_[index].*member : T{};
}

template <class T>
void clsInstrument::setGuarded(int index, T GasChannel::*member, T value) {
    if (guarded(index)) gas_[index].*member = value;
}

template <class T>
void clsInstrument::setGuardedRaising(int index, T GasChannel::*member, T value, GasFlag flag) {
    if (!guarded(index)) return;
    gas_[index].*member = value;
    gas_[index].flags[static_cast<size_t>(flag)] = true;
}

clsInstrument::GasChannel& clsInstrument::spareInclusive(int index) {
    if (index < 0 || index >= GasRecords) throw rt::RuntimeError(rt::ErrSubscript);
    return gas_[index];
}

const clsInstrument::GasChannel& clsInstrument::spareInclusive(int index) const {
    if (index < 0 || index >= GasRecords) throw rt::RuntimeError(rt::ErrSubscript);
    return gas_[index];
}

void clsInstrument::setSpareInclusive(int index, float GasChannel::*member, float value,
                                      GasFlag flag) {
    GasChannel& gas = spareInclusive(index);
    gas.*member = value;
    gas.flags[static_cast<size_t>(flag)] = true;
}

QString clsInstrument::GasName(int i) const {
    return getGuarded(i, &GasChannel::GasName);
}
void clsInstrument::setGasName(int i, const QString& v) {
    setGuarded(i, &GasChannel::GasName, v);
}
float clsInstrument::GasDesit(int i) const {
    return getGuarded(i, &GasChannel::GasDesit);
}
void clsInstrument::setGasDesit(int i, float v) {
    setGuarded(i, &GasChannel::GasDesit, v);
}
int16_t clsInstrument::GasPoint(int i) const {
    return getGuarded(i, &GasChannel::GasPoint);
}
void clsInstrument::setGasPoint(int i, int16_t v) {
    setGuardedRaising(i, &GasChannel::GasPoint, v, GasFlag::Change_GasPoint);
}
QString clsInstrument::GasUnit(int i) const {
    return getGuarded(i, &GasChannel::GasUnit);
}
void clsInstrument::setGasUnit(int i, const QString& v) {
    setGuarded(i, &GasChannel::GasUnit, v);
}
float clsInstrument::GasFullScale(int i) const {
    return getGuarded(i, &GasChannel::GasFullScale);
}
void clsInstrument::setGasFullScale(int i, float v) {
    setGuarded(i, &GasChannel::GasFullScale, v);
}
bool clsInstrument::GasEnabled(int i) const {
    return getGuarded(i, &GasChannel::GasEnabled);
}
void clsInstrument::setGasEnabled(int i, bool v) {
    setGuardedRaising(i, &GasChannel::GasEnabled, v, GasFlag::Change_GasEnable);
}

float clsInstrument::Warning(int i) const {
    return spareInclusive(i).Warning;
}
void clsInstrument::setWarning(int i, float v) {
    setSpareInclusive(i, &GasChannel::Warning, v, GasFlag::Change_Warn);
}
float clsInstrument::Alarm(int i) const {
    return spareInclusive(i).Alarm;
}
void clsInstrument::setAlarm(int i, float v) {
    setSpareInclusive(i, &GasChannel::Alarm, v, GasFlag::Change_Alarm);
}
float clsInstrument::Stel(int i) const {
    return spareInclusive(i).Stel;
}
void clsInstrument::setStel(int i, float v) {
    setSpareInclusive(i, &GasChannel::Stel, v, GasFlag::Change_Stel);
}
float clsInstrument::Twa(int i) const {
    return spareInclusive(i).Twa;
}
void clsInstrument::setTwa(int i, float v) {
    setSpareInclusive(i, &GasChannel::Twa, v, GasFlag::Change_Twa);
}

rt::OleDate clsInstrument::CalibDate(int i) const {
    return getGuarded(i, &GasChannel::CalibDate);
}
void clsInstrument::setCalibDate(int i, rt::OleDate v) {
    setGuarded(i, &GasChannel::CalibDate, v);
}
float clsInstrument::CalibBefore(int i) const {
    return getGuarded(i, &GasChannel::CalibBefore);
}
void clsInstrument::setCalibBefore(int i, float v) {
    setGuarded(i, &GasChannel::CalibBefore, v);
}
float clsInstrument::CalibAfter(int i) const {
    return getGuarded(i, &GasChannel::CalibAfter);
}
void clsInstrument::setCalibAfter(int i, float v) {
    setGuarded(i, &GasChannel::CalibAfter, v);
}
float clsInstrument::AutoCalib(int i) const {
    return getGuarded(i, &GasChannel::AutoCalib);
}
void clsInstrument::setAutoCalib(int i, float v) {
    setGuardedRaising(i, &GasChannel::AutoCalib, v, GasFlag::Change_AutoCal);
}
int16_t clsInstrument::Zero(int i) const {
    return getGuarded(i, &GasChannel::Zero);
}
void clsInstrument::setZero(int i, int16_t v) {
    setGuardedRaising(i, &GasChannel::Zero, v, GasFlag::Change_Zero);
}
int16_t clsInstrument::OverScale(int i) const {
    return getGuarded(i, &GasChannel::OverScale);
}
void clsInstrument::setOverScale(int i, int16_t v) {
    setGuardedRaising(i, &GasChannel::OverScale, v, GasFlag::Change_OverScale);
}
float clsInstrument::ModeChange(int i) const {
    return getGuarded(i, &GasChannel::ModeChange);
}
void clsInstrument::setModeChange(int i, float v) {
    setGuardedRaising(i, &GasChannel::ModeChange, v, GasFlag::Change_ModeChange);
}
QString clsInstrument::SensorID(int i) const {
    return getGuarded(i, &GasChannel::SensorID);
}
void clsInstrument::setSensorID(int i, const QString& v) {
    setGuarded(i, &GasChannel::SensorID, v);
}
float clsInstrument::LogMax(int i) const {
    return getGuarded(i, &GasChannel::LogMax);
}
void clsInstrument::setLogMax(int i, float v) {
    setGuarded(i, &GasChannel::LogMax, v);
}
float clsInstrument::LogMin(int i) const {
    return getGuarded(i, &GasChannel::LogMin);
}
void clsInstrument::setLogMin(int i, float v) {
    setGuarded(i, &GasChannel::LogMin, v);
}
float clsInstrument::LogAvr(int i) const {
    return getGuarded(i, &GasChannel::LogAvr);
}
void clsInstrument::setLogAvr(int i, float v) {
    setGuarded(i, &GasChannel::LogAvr, v);
}
rt::OleDate clsInstrument::LogMaxDate(int i) const {
    return getGuarded(i, &GasChannel::LogMaxDate);
}
void clsInstrument::setLogMaxDate(int i, rt::OleDate v) {
    setGuarded(i, &GasChannel::LogMaxDate, v);
}
rt::OleDate clsInstrument::LogMinDate(int i) const {
    return getGuarded(i, &GasChannel::LogMinDate);
}
void clsInstrument::setLogMinDate(int i, rt::OleDate v) {
    setGuarded(i, &GasChannel::LogMinDate, v);
}

}  // namespace core
