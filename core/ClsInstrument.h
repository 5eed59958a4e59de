#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "runtime/OleDate.h"

namespace core {

// Instrument-level change flags, one per writable setting.
enum class InstrumentFlag {
    Change_UserID,
    Change_SerialNo,
    Change_DummySerial,
    Change_AlarmMode,
    Change_Interval,
    Change_DispID,
    Change_DispCalLimit,
    Change_CalLimit,
    Change_CalCheck,
    Change_LunchBreak,
    Change_AlarmSilence,
    Change_Confermation,
    Change_LogOverWrite,
    Change_LcdBackLight,
    Change_LcdContrast,
    Change_AlarmO2,
    Change_Intermittence,
    Change_H2STemperature,
    Change_SpecType,
    Change_SpanOffset,
    Count
};

// Per-gas change flags.
enum class GasFlag {
    Change_GasPoint,
    Change_GasEnable,
    Change_Warn,
    Change_Alarm,
    Change_Stel,
    Change_Twa,
    Change_AutoCal,
    Change_Zero,
    Change_OverScale,
    Change_ModeChange,
    Count
};

// The program's picture of one QM-73: identity, settings, five gas channels and one change
// flag per writable setting. Per-gas members take a gas index 0..4 and ignore any other index
// (reads give the zero value), except Warning/Alarm/Stel/Twa (0..5, spare record 5 included)
// and AnalogValue (0..8) / LimitValue (0..5), which raise error 9 outside their range.
class clsInstrument {
  public:
    static constexpr int GasCount = 5;    // gas channels 0..4
    static constexpr int GasRecords = 6;  // plus the spare record 5
    static constexpr double EmptyDate = -101.0;
    static constexpr float NoValue = -101.0f;

    clsInstrument();

    void ClearDatas();
    void ClearChangeFlags();
    // Whether any change flag is raised, of the instrument or of any gas channel.
    bool AnyChange() const;

    // Fills identity, interval and the gas channels from a stored Log_Head row (no change
    // flag is raised); nothing happens without a database or without that row.
    void LoadDatabase(int32_t seqNo);
    // Replaces the instrument's one row of cLatestHist by its present calibration state, in
    // one transaction.
    void HistoryUpdate() const;

    // ---- change flags ----
    bool Change(InstrumentFlag flag) const;
    void setChange(InstrumentFlag flag, bool value);
    bool Change(GasFlag flag, int index) const;
    void setChange(GasFlag flag, int index, bool value);

    // ---- instrument level ----
    QString MessageString() const { return messageString_; }
    void setMessageString(const QString& v) { messageString_ = v; }
    QString FailLine() const { return failLine_; }
    void setFailLine(const QString& v) { failLine_ = v; }
    int16_t CommFlags() const { return commFlags_; }
    void setCommFlags(int16_t v) { commFlags_ = v; }
    int32_t RomNumber() const { return romNumber_; }
    void setRomNumber(int32_t v) { romNumber_ = v; }
    QString SUM() const { return sum_; }
    void setSUM(const QString& v) { sum_ = v; }

    QString UserID() const;
    void setUserID(const QString& v);
    QString SerialNo() const;
    void setSerialNo(const QString& v);
    QString DummySerial() const;
    void setDummySerial(const QString& v);

    rt::OleDate SysDate() const { return sysDate_; }
    void setSysDate(rt::OleDate v) { sysDate_ = v; }
    rt::OleDate SysDateOffset() const { return sysDateOffset_; }
    void setSysDateOffset(rt::OleDate v) { sysDateOffset_ = v; }

    int16_t AlarmMode() const { return alarmMode_; }
    void setAlarmMode(int16_t v);
    int16_t Intervals() const { return intervals_; }
    void setIntervals(int16_t v);  // raises its flag only on change
    int16_t DispID() const { return dispID_; }
    void setDispID(int16_t v);
    int16_t DispCalLimit() const { return dispCalLimit_; }
    void setDispCalLimit(int16_t v);
    int16_t CalLimit() const { return calLimit_; }
    void setCalLimit(int16_t v);
    int16_t CalCheck() const { return calCheck_; }
    void setCalCheck(int16_t v);
    int16_t LunchBreak() const { return lunchBreak_; }
    void setLunchBreak(int16_t v);
    int16_t AlarmSilence() const { return alarmSilence_; }
    void setAlarmSilence(int16_t v);
    int16_t Confermation() const { return confermation_; }
    void setConfermation(int16_t v);
    int16_t LogOverWrite() const { return logOverWrite_; }
    void setLogOverWrite(int16_t v);
    int16_t LcdBackLight() const { return lcdBackLight_; }
    void setLcdBackLight(int16_t v);
    int16_t LcdContrast() const { return lcdContrast_; }
    void setLcdContrast(int16_t v);
    int16_t AlarmO2() const { return alarmO2_; }
    void setAlarmO2(int16_t v);
    int16_t Intermittence() const { return intermittence_; }
    void setIntermittence(int16_t v);  // raises its flag only on change
    int16_t H2STemperature() const { return h2sTemperature_; }
    void setH2STemperature(int16_t v);
    int16_t LowTemp() const { return lowTemp_; }
    void setLowTemp(int16_t v) { lowTemp_ = v; }
    int16_t HighTemp() const { return highTemp_; }
    void setHighTemp(int16_t v) { highTemp_ = v; }
    QString SpecType() const { return specType_; }
    void setSpecType(const QString& v);
    QString SpanOffset() const { return spanOffset_; }
    void setSpanOffset(const QString& v);
    int16_t FlowValue() const { return flowValue_; }
    void setFlowValue(int16_t v) { flowValue_ = v; }

    int16_t AnalogValue(int index) const;
    void setAnalogValue(int index, int16_t v);
    float LimitValue(int index) const;
    void setLimitValue(int index, float v);

    // ---- per gas ----
    QString GasName(int index) const;
    void setGasName(int index, const QString& v);
    float GasDesit(int index) const;
    void setGasDesit(int index, float v);
    int16_t GasPoint(int index) const;
    void setGasPoint(int index, int16_t v);
    QString GasUnit(int index) const;
    void setGasUnit(int index, const QString& v);
    float GasFullScale(int index) const;
    void setGasFullScale(int index, float v);
    bool GasEnabled(int index) const;
    void setGasEnabled(int index, bool v);
    float Warning(int index) const;
    void setWarning(int index, float v);
    float Alarm(int index) const;
    void setAlarm(int index, float v);
    float Stel(int index) const;
    void setStel(int index, float v);
    float Twa(int index) const;
    void setTwa(int index, float v);
    rt::OleDate CalibDate(int index) const;
    void setCalibDate(int index, rt::OleDate v);
    float CalibBefore(int index) const;
    void setCalibBefore(int index, float v);
    float CalibAfter(int index) const;
    void setCalibAfter(int index, float v);
    float AutoCalib(int index) const;
    void setAutoCalib(int index, float v);
    int16_t Zero(int index) const;
    void setZero(int index, int16_t v);
    int16_t OverScale(int index) const;
    void setOverScale(int index, int16_t v);
    float ModeChange(int index) const;
    void setModeChange(int index, float v);
    QString SensorID(int index) const;
    void setSensorID(int index, const QString& v);
    float LogMax(int index) const;
    void setLogMax(int index, float v);
    float LogMin(int index) const;
    void setLogMin(int index, float v);
    float LogAvr(int index) const;
    void setLogAvr(int index, float v);
    rt::OleDate LogMaxDate(int index) const;
    void setLogMaxDate(int index, rt::OleDate v);
    rt::OleDate LogMinDate(int index) const;
    void setLogMinDate(int index, rt::OleDate v);

  private:
    struct GasChannel {
        QString GasName;
        float GasDesit = 0;
        int16_t GasPoint = 0;
        QString GasUnit;
        float GasFullScale = 0;
        bool GasEnabled = false;
        float Warning = 0, Alarm = 0, Stel = 0, Twa = 0;
        rt::OleDate CalibDate;
        float CalibBefore = 0, CalibAfter = 0, AutoCalib = 0;
        int16_t Zero = 0, OverScale = 0;
        float ModeChange = 0;
        QString SensorID;
        float LogMax = 0, LogMin = 0, LogAvr = 0;
        rt::OleDate LogMaxDate, LogMinDate;
        std::array<bool, static_cast<size_t>(GasFlag::Count)> flags{};
    };

    static bool guarded(int index) { return index >= 0 && index < GasCount; }
    GasChannel& spareInclusive(int index);
    const GasChannel& spareInclusive(int index) const;
    void setSpareInclusive(int index, float GasChannel::*member, float value, GasFlag flag);
    void raise(InstrumentFlag flag) { flags_[static_cast<size_t>(flag)] = true; }
    template <class T>
    void setGuarded(int index, T GasChannel::*member, T value);
    template <class T>
    void setGuardedRaising(int index, T GasChannel::*member, T value, GasFlag flag);
    template <class T>
    T getGuarded(int index, T GasChannel::*member) const;

    QString messageString_;
    QString failLine_;
    int16_t commFlags_ = 0;
    int32_t romNumber_ = 0;
    QString sum_;
    QString userID_, serialNo_;
    rt::OleDate sysDate_, sysDateOffset_;
    QString dummySerial_;
    int16_t alarmMode_ = 0, intervals_ = 0, dispID_ = 0, dispCalLimit_ = 0, calLimit_ = 0,
            calCheck_ = 0, lunchBreak_ = 0, alarmSilence_ = 0, confermation_ = 0, logOverWrite_ = 0,
            lcdBackLight_ = 0, lcdContrast_ = 0, alarmO2_ = 0, intermittence_ = 0,
            h2sTemperature_ = 0, lowTemp_ = 0, highTemp_ = 0;
    QString specType_, spanOffset_;
    std::array<bool, static_cast<size_t>(InstrumentFlag::Count)> flags_{};
    std::array<GasChannel, GasRecords> gas_{};
    std::array<int16_t, 9> analogValue_{};
    std::array<float, 6> limitValue_{};
    int16_t flowValue_ = 0;
};

}  // namespace core
