#include <QDateTime>
#include <cmath>
#include <limits>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace comm {

namespace {

using core::GasFlag;
using core::InstrumentFlag;

std::optional<int32_t> decimal(const QString& text) {
    const QString t = rt::Trim(text);
    if (!rt::IsNumeric(t)) return std::nullopt;
    return rt::CLng(t);
}

std::optional<int32_t> hex(const QString& text) {
    const QString t = rt::Trim(text);
    if (!rt::IsNumeric(QStringLiteral("&H") + t)) return std::nullopt;
    return rt::CLng(QStringLiteral("&H") + t);
}

// The settings read into one Integer member from token 0.
struct NumberSetting {
    const char* key;
    bool hexadecimal;
    void (core::clsInstrument::*set)(int16_t);
    InstrumentFlag flag;
};

const NumberSetting NumberSettings[] = {
    {"AP", false, &core::clsInstrument::setAlarmMode, InstrumentFlag::Change_AlarmMode},
    {"SC", true, &core::clsInstrument::setCalLimit, InstrumentFlag::Change_CalLimit},
    {"XP", true, &core::clsInstrument::setIntervals, InstrumentFlag::Change_Interval},
    {"SM", false, &core::clsInstrument::setCalCheck, InstrumentFlag::Change_CalCheck},
    {"XL", false, &core::clsInstrument::setLunchBreak, InstrumentFlag::Change_LunchBreak},
    {"XA", false, &core::clsInstrument::setAlarmSilence, InstrumentFlag::Change_AlarmSilence},
    {"XB", true, &core::clsInstrument::setConfermation, InstrumentFlag::Change_Confermation},
    {"XW", false, &core::clsInstrument::setLogOverWrite, InstrumentFlag::Change_LogOverWrite},
    {"XT", true, &core::clsInstrument::setLcdBackLight, InstrumentFlag::Change_LcdBackLight},
    {"UL", true, &core::clsInstrument::setLcdContrast, InstrumentFlag::Change_LcdContrast},
    {"CO", false, &core::clsInstrument::setH2STemperature, InstrumentFlag::Change_H2STemperature},
    {"AT", false, &core::clsInstrument::setAlarmO2, InstrumentFlag::Change_AlarmO2},
    {"JN", true, &core::clsInstrument::setIntermittence, InstrumentFlag::Change_Intermittence},
};

// The members the write answers echo, for the comparison.
int16_t (core::clsInstrument::*numberGetter(const QString& command))() const {
    static const std::pair<const char*, int16_t (core::clsInstrument::*)() const> getters[] = {
        {"AP", &core::clsInstrument::AlarmMode},      {"SC", &core::clsInstrument::CalLimit},
        {"XP", &core::clsInstrument::Intervals},      {"SM", &core::clsInstrument::CalCheck},
        {"XL", &core::clsInstrument::LunchBreak},     {"XA", &core::clsInstrument::AlarmSilence},
        {"XB", &core::clsInstrument::Confermation},   {"XW", &core::clsInstrument::LogOverWrite},
        {"XT", &core::clsInstrument::LcdBackLight},   {"UL", &core::clsInstrument::LcdContrast},
        {"CO", &core::clsInstrument::H2STemperature}, {"AT", &core::clsInstrument::AlarmO2},
        {"JN", &core::clsInstrument::Intermittence}};
    for (const auto& [name, getter] : getters)
        if (command == QLatin1String(name)) return getter;
    return nullptr;
}

// The per-channel settings: four tokens, channels 0..3.
struct ChannelSetting {
    const char* key;
    void (core::clsInstrument::*set)(int, float);
    GasFlag flag;
};

const ChannelSetting ChannelSettings[] = {
    {"A1", &core::clsInstrument::setWarning, GasFlag::Change_Warn},
    {"A2", &core::clsInstrument::setAlarm, GasFlag::Change_Alarm},
    {"AS", &core::clsInstrument::setStel, GasFlag::Change_Stel},
    {"AW", &core::clsInstrument::setTwa, GasFlag::Change_Twa},
    {"SA", &core::clsInstrument::setAutoCalib, GasFlag::Change_AutoCal},
    {"XX", &core::clsInstrument::setModeChange, GasFlag::Change_ModeChange},
};

bool channelValue(const QString& token) {
    return token == QLatin1String("*****") || rt::IsNumeric(token);
}

// One channel of the gas table answer, 18 characters.
void notFitted(core::clsInstrument& inst, int g) {
    inst.setGasName(g, QString());
    inst.setGasEnabled(g, false);
    inst.setGasFullScale(g, core::CodeNoValue);
    inst.setGasDesit(g, 0);
    inst.setGasPoint(g, -101);
    inst.setGasUnit(g, QString());
}

void fitted(core::clsInstrument& inst, int g, const QString& name, const QString& token) {
    const QString full = rt::Mid(token, 5, 5), step = rt::Mid(token, 10, 5),
                  unit = rt::Mid(token, 15, 4);
    if (!rt::IsNumeric(full) || !rt::IsNumeric(step))
        throw rt::RuntimeError(rt::ErrTypeMismatch, QStringLiteral("Gas table value is no number"));
    inst.setGasName(g, name);
    inst.setGasEnabled(g, true);
    inst.setGasFullScale(g, rt::CSng(rt::CDbl(full)));
    inst.setGasDesit(g, rt::CSng(rt::CDbl(step)));
    inst.setGasPoint(g, core::DecimalsOf(step));
    inst.setGasUnit(g, unit == QLatin1String(" C  ") ? QStringLiteral("\u00B0C") : rt::Trim(unit));
}

}  // namespace

// The answers of the settings reads.
bool uclVyif::parseSetting(const QString& key) {
    const QString command = key.left(2);
    if (command == QLatin1String("SZ") || command == QLatin1String("S1")) {
        if (fieldCount() == 4) return true;
        AddLog(QStringLiteral("<<< Format error >>>"));
        return false;
    }
    if (!instrument_) return false;
    core::clsInstrument& inst = *instrument_;
    const QString t0 = token(0);

    if (command == QLatin1String("DN")) {
        // Live readings: only channel 3 is refreshed.
        if (fieldCount() != 5) {
            AddLog(QStringLiteral("<<< Format error >>>"));
            return false;
        }
        if (const auto v = rt::ParseNumber(token(3))) {
            // A garbled count beyond the range of a reading is no value, as on the other
            // reading paths; it must not reach the host as an infinity.
            const bool inRange = std::abs(*v) <= std::numeric_limits<float>::max();
            inst.setLimitValue(
                3, inRange ? core::ScaleRawValue(static_cast<float>(*v), inst.GasPoint(3))
                           : core::CodeNoValue);
        }
        const std::array<float, 5> values = {inst.LimitValue(0), inst.LimitValue(1),
                                             inst.LimitValue(2), inst.LimitValue(3),
                                             inst.LimitValue(4)};
        raise(
            [this, values] { emit Densty(values[0], values[1], values[2], values[3], values[4]); });
        return true;
    }

    for (const NumberSetting& s : NumberSettings) {
        if (command != QLatin1String(s.key)) continue;
        const auto value = s.hexadecimal ? hex(t0) : decimal(t0);
        if (!value) return false;
        (inst.*s.set)(rt::CInt(*value));
        inst.setChange(s.flag, false);
        return true;
    }
    for (const ChannelSetting& s : ChannelSettings) {
        if (command != QLatin1String(s.key)) continue;
        if (fieldCount() != 4) return false;
        bool ok = true;
        for (int g = 0; g < 4; ++g) {
            const QString t = rt::Trim(token(g));
            if (!channelValue(t)) {
                ok = false;
                continue;
            }
            (inst.*s.set)(g, core::ParseRawValueOrStatus(t, inst.GasPoint(g)));
            inst.setChange(s.flag, g, false);
        }
        return ok;
    }

    if (command == QLatin1String("VP")) {
        const auto v = decimal(t0);
        if (!v) return false;
        inst.setRomNumber(*v);
        return true;
    }
    if (command == QLatin1String("VS")) {
        if (!hex(t0)) return false;
        inst.setSUM(rt::Trim(t0));
        return true;
    }
    if (command == QLatin1String("IN") || command == QLatin1String("HN") ||
        command == QLatin1String("XZ")) {
        const QString text = rt::Trim(t0);
        if (command == QLatin1String("IN")) {
            inst.setSerialNo(text);
            inst.setChange(InstrumentFlag::Change_SerialNo, false);
        } else if (command == QLatin1String("HN")) {
            inst.setDummySerial(text);
            inst.setChange(InstrumentFlag::Change_DummySerial, false);
        } else {
            inst.setUserID(text);
            inst.setChange(InstrumentFlag::Change_UserID, false);
        }
        return true;
    }
    if (command == QLatin1String("XK")) {
        inst.setSensorID(3, rt::Trim(t0));
        return true;
    }
    if (command == QLatin1String("UJ") || command == QLatin1String("UK")) {
        const QString text = rt::Trim(t0);
        if (text != QLatin1String("0") && text != QLatin1String("1")) return false;
        if (command == QLatin1String("UJ")) {
            inst.setSpecType(text);
            inst.setChange(InstrumentFlag::Change_SpecType, false);
        } else {
            inst.setSpanOffset(text);
            inst.setChange(InstrumentFlag::Change_SpanOffset, false);
        }
        return true;
    }
    if (command == QLatin1String("XI") || command == QLatin1String("SD")) {
        if (!decimal(t0)) return false;
        const int16_t flag = rt::Trim(t0) == QLatin1String("1") ? -1 : 0;
        if (command == QLatin1String("XI")) {
            inst.setDispID(flag);
            inst.setChange(InstrumentFlag::Change_DispID, false);
        } else {
            inst.setDispCalLimit(flag);
            inst.setChange(InstrumentFlag::Change_DispCalLimit, false);
        }
        return true;
    }
    if (command == QLatin1String("AO") || command == QLatin1String("UZ")) {
        const QString flags = rt::Trim(t0);
        if (flags.size() != 4) {
            AddLog(QStringLiteral("<<< Format error >>>"));
            return false;
        }
        const bool overScale = command == QLatin1String("AO");
        for (int g = 0; g < 4; ++g) {
            const QString c = flags.mid(g, 1);
            if (!rt::IsNumeric(c)) continue;
            const int16_t v = c == QLatin1String("1") ? 1 : 0;
            if (overScale) {
                inst.setOverScale(g, v);
                inst.setChange(GasFlag::Change_OverScale, g, false);
            } else {
                inst.setZero(g, v);
                inst.setChange(GasFlag::Change_Zero, g, false);
            }
        }
        return true;
    }
    if (command == QLatin1String("HC")) {
        const QString t = rt::Trim(t0);
        std::optional<rt::OleDate> clock;
        if (t.size() == 12)
            clock = rt::OleDate::fromCivil(2000 + t.mid(0, 2).toInt(), t.mid(2, 2).toInt(),
                                           t.mid(4, 2).toInt(), t.mid(6, 2).toInt(),
                                           t.mid(8, 2).toInt(), t.mid(10, 2).toInt());
        bool digits = t.size() == 12;
        for (QChar c : t)
            digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digits || !clock) {
            inst.setFailLine(QStringLiteral("HC,R"));
            AddLog(QStringLiteral("<<< improper date at HC >>> ") + t0);
            return false;
        }
        inst.setSysDate(*clock);
        inst.setSysDateOffset(rt::OleDate(rt::OleDate::now().value() - clock->value()));
        return true;
    }
    if (command == QLatin1String("HA")) {
        if (fieldCount() != 8) {
            AddLog(QStringLiteral("<<< Response error >>>"));
            return false;
        }
        for (int i = 0; i < 8; ++i)
            if (const auto v = hex(token(i))) inst.setAnalogValue(i, static_cast<int16_t>(*v));
        return true;
    }
    if (command == QLatin1String("CZ")) {
        if (resultChar_ == NAK) {
            inst.setHighTemp(-101);
            inst.setLowTemp(-101);
            return true;
        }
        const auto high = decimal(t0), low = decimal(token(1));
        if (!high || !low) return false;
        inst.setHighTemp(rt::CInt(*high));
        inst.setLowTemp(rt::CInt(*low));
        return true;
    }
    if (command == QLatin1String("GJ")) {
        if (fieldCount() != 5) {
            AddLog(QStringLiteral("<<< Format error >>>"));
            return false;
        }
        for (int i = 0; i < 5; ++i)
            if (token(i).size() != 18) return false;
        for (int g = 0; g < 3; ++g)
            notFitted(inst, g);
        inst.setChange(GasFlag::Change_GasEnable, 4, false);
        if (token(3).contains(QLatin1Char('*'))) {
            notFitted(inst, 3);
            notFitted(inst, 4);
        } else {
            QString name;
            for (int i = 0; i < 4; ++i)
                name += rt::Trim(token(i).left(3));
            fitted(inst, 3, name, token(3));
            fitted(inst, 4, rt::Trim(token(4).left(4)), token(4));
        }
        return true;
    }
    if (command == QLatin1String("SO")) {
        if (fieldCount() != 4) return false;
        bool ok = true;
        for (int g = 0; g < 4; ++g) {
            const QString t = token(g);
            if (t.size() != 22) {
                ok = false;
                continue;
            }
            const auto number = [&t](int p) { return t.mid(p - 1, 2); };
            if (!rt::IsNumeric(number(1)) || !rt::IsNumeric(number(3)) ||
                !rt::IsNumeric(number(5))) {
                ok = false;
                continue;
            }
            rt::OleDate date = rt::OleDate::DateSerial(2000 + rt::CInt(number(1)),
                                                       rt::CInt(number(3)), rt::CInt(number(5)));
            if (rt::IsNumeric(number(7)) && rt::IsNumeric(number(9)) && rt::IsNumeric(number(11)))
                date = date.addSeconds(rt::CInt(number(7)) * 3600 + rt::CInt(number(9)) * 60 +
                                       rt::CInt(number(11)));
            inst.setCalibDate(g, date);
            const auto reading = [](const QString& field) {
                return field.contains(QLatin1Char('-')) || !rt::IsNumeric(field)
                           ? core::CodeNoValue
                           : rt::CSng(rt::CDbl(field));
            };
            inst.setCalibBefore(g, reading(t.mid(12, 5)));
            inst.setCalibAfter(g, reading(t.mid(17, 5)));
        }
        return ok;
    }
    return false;
}

// The answers of live readings, calibrations, clear, power off and settings writes.
bool uclVyif::parseWrite(const QString& key, const QString& frame, QChar resultChar) {
    const QString command = key.left(2);
    const QString t0 = token(0);
    const auto responseError = [this] {
        AddLog(QStringLiteral("<<< Response error >>>"));
        return false;
    };
    if (key == QLatin1String("SZ,W") || key == QLatin1String("S2,W"))
        return resultChar == ACK || responseError();
    if (key == QLatin1String("S1,W")) return rt::Trim(t0).size() == 4;
    if (key == QLatin1String("SZ,C")) {
        const QString t = rt::Trim(t0);
        if (t.size() == 4) {
            zeroResult_ = t;
            return true;
        }
        if (resultChar == SUB) {
            zeroResult_.clear();
            return true;
        }
        return responseError();
    }
    if (key == QLatin1String("S2,C")) {
        const QString t = rt::Trim(t0);
        spanResult_ = t.size() == 4 ? t : QString();
        return true;
    }
    if (key == QLatin1String("XC,W") || key == QLatin1String("RO,W") ||
        key == QLatin1String("UX,W") || key == QLatin1String("UD,W") ||
        key == QLatin1String("UP,W") || key == QLatin1String("DW,W"))
        return resultChar == ACK || responseError();
    if (key == QLatin1String("XC,C")) {
        clearDone_ = resultChar == ACK;
        return true;
    }
    if (key == QLatin1String("HC,W") || key == QLatin1String("GJ,W"))
        return frame == lastFrame_ || responseError();
    if (key == QLatin1String("UZ,W")) return rt::Trim(t0).size() == 4 || responseError();
    if (key == QLatin1String("AO,W")) return rt::Trim(t0).size() == 4;
    for (const ChannelSetting& s : ChannelSettings) {
        if (command != QLatin1String(s.key) || !key.endsWith(QLatin1String(",W"))) continue;
        if (fieldCount() != 4) return false;
        bool ok = true;
        for (int g = 0; g < 4; ++g)
            ok = channelValue(rt::Trim(token(g))) && ok;
        return ok;
    }

    if (!instrument_ || !key.endsWith(QLatin1String(",W"))) return false;
    const core::clsInstrument& inst = *instrument_;
    const QString echo = rt::Trim(t0);
    // Compared with what was sent: the text cut to the width of its field.
    if (command == QLatin1String("IN")) return echo == rt::Trim(inst.SerialNo().left(SerialField));
    if (command == QLatin1String("HN"))
        return echo == rt::Trim(inst.DummySerial().left(SerialField));
    if (command == QLatin1String("XZ")) return echo == rt::Trim(inst.UserID().left(UserIDField));
    if (command == QLatin1String("UJ")) return t0 == inst.SpecType();
    if (command == QLatin1String("UK")) return t0 == inst.SpanOffset();
    if (command == QLatin1String("XI") || command == QLatin1String("SD")) {
        if (!decimal(t0)) return false;
        const int16_t member = command == QLatin1String("XI") ? inst.DispID() : inst.DispCalLimit();
        return echo == (member != 0 ? QLatin1String("1") : QLatin1String("0"));
    }
    for (const NumberSetting& s : NumberSettings) {
        if (command != QLatin1String(s.key)) continue;
        const auto value = s.hexadecimal ? hex(t0) : decimal(t0);
        const auto getter = numberGetter(command);
        if (!value || !getter) return false;
        // The contrast goes out as its low two hex digits: the echo is compared with that.
        const int32_t sent = (inst.*getter)();
        if (command == QLatin1String("UL")) return (*value & 0xFF) == (sent & 0xFF);
        return *value == sent;
    }
    return false;
}

}  // namespace comm
