#include <QElapsedTimer>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "runtime/Format.h"

namespace comm {

namespace {

using core::GasFlag;
using core::InstrumentFlag;

QString decimalText(int16_t v) {
    return QString::number(v);
}

// Upper-case hex of the 16-bit value, zero-filled, the rightmost `digits` kept.
QString hexText(int16_t v, int digits) {
    const QString text =
        QStringLiteral("%1").arg(static_cast<uint16_t>(v), 4, 16, QLatin1Char('0')).toUpper();
    return text.right(digits);
}

QString flagText(int16_t v) {
    return v != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

QString fieldText(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '), true);
}

QString levels(const core::clsInstrument& inst, float (core::clsInstrument::*value)(int) const) {
    QStringList fields;
    for (int g = 0; g < 4; ++g)
        fields << core::RawCountText((inst.*value)(g), inst.GasPoint(g));
    return fields.join(QLatin1Char(','));
}

QString digits(const core::clsInstrument& inst, int16_t (core::clsInstrument::*value)(int) const) {
    QString out;
    for (int g = 0; g < 4; ++g)
        out += (QLatin1Char('0') + QString::number((inst.*value)(g))).right(1);
    return out;
}

// One row of the write table: its command, the flags that make it changed, the parameter.
struct WriteRow {
    const char* command;
    std::function<bool(const core::clsInstrument&)> changed;
    std::function<void(core::clsInstrument&)> lower;
    std::function<QString(const core::clsInstrument&)> parameter;
};

WriteRow instrumentRow(const char* command, InstrumentFlag flag,
                       std::function<QString(const core::clsInstrument&)> parameter) {
    return {command, [flag](const core::clsInstrument& i) { return i.Change(flag); },
            [flag](core::clsInstrument& i) { i.setChange(flag, false); }, std::move(parameter)};
}

WriteRow gasRow(const char* command, GasFlag flag,
                std::function<QString(const core::clsInstrument&)> parameter) {
    return {command,
            [flag](const core::clsInstrument& i) {
                for (int g = 0; g < 4; ++g)
                    if (i.Change(flag, g)) return true;
                return false;
            },
            [flag](core::clsInstrument& i) {
                for (int g = 0; g < 4; ++g)
                    i.setChange(flag, g, false);
            },
            std::move(parameter)};
}

const std::vector<WriteRow>& writeTable() {
    using I = core::clsInstrument;
    static const std::vector<WriteRow> rows = {
        instrumentRow("XZ,W,", InstrumentFlag::Change_UserID,
                      [](const I& i) { return fieldText(i.UserID(), uclVyif::UserIDField); }),
        instrumentRow("IN,W,", InstrumentFlag::Change_SerialNo,
                      [](const I& i) { return fieldText(i.SerialNo(), uclVyif::SerialField); }),
        instrumentRow("HN,W,", InstrumentFlag::Change_DummySerial,
                      [](const I& i) { return fieldText(i.DummySerial(), uclVyif::SerialField); }),
        instrumentRow("AP,W,", InstrumentFlag::Change_AlarmMode,
                      [](const I& i) { return decimalText(i.AlarmMode()); }),
        instrumentRow("XI,W,", InstrumentFlag::Change_DispID,
                      [](const I& i) { return flagText(i.DispID()); }),
        instrumentRow("SD,W,", InstrumentFlag::Change_DispCalLimit,
                      [](const I& i) { return flagText(i.DispCalLimit()); }),
        instrumentRow("SM,W,", InstrumentFlag::Change_CalCheck,
                      [](const I& i) { return decimalText(i.CalCheck()); }),
        instrumentRow("XL,W,", InstrumentFlag::Change_LunchBreak,
                      [](const I& i) { return decimalText(i.LunchBreak()); }),
        instrumentRow("XA,W,", InstrumentFlag::Change_AlarmSilence,
                      [](const I& i) { return decimalText(i.AlarmSilence()); }),
        instrumentRow("XB,W,", InstrumentFlag::Change_Confermation,
                      [](const I& i) { return hexText(i.Confermation(), 4); }),
        instrumentRow("XW,W,", InstrumentFlag::Change_LogOverWrite,
                      [](const I& i) { return decimalText(i.LogOverWrite()); }),
        instrumentRow("XT,W,", InstrumentFlag::Change_LcdBackLight,
                      [](const I& i) { return hexText(i.LcdBackLight(), 4); }),
        instrumentRow("UL,W,", InstrumentFlag::Change_LcdContrast,
                      [](const I& i) { return hexText(i.LcdContrast(), 2); }),
        instrumentRow("AT,W,", InstrumentFlag::Change_AlarmO2,
                      [](const I& i) { return decimalText(i.AlarmO2()); }),
        instrumentRow("CO,W,", InstrumentFlag::Change_H2STemperature,
                      [](const I& i) { return decimalText(i.H2STemperature()); }),
        gasRow("A1,W,", GasFlag::Change_Warn, [](const I& i) { return levels(i, &I::Warning); }),
        gasRow("A2,W,", GasFlag::Change_Alarm, [](const I& i) { return levels(i, &I::Alarm); }),
        gasRow("AS,W,", GasFlag::Change_Stel, [](const I& i) { return levels(i, &I::Stel); }),
        gasRow("AW,W,", GasFlag::Change_Twa, [](const I& i) { return levels(i, &I::Twa); }),
        gasRow("SA,W,", GasFlag::Change_AutoCal,
               [](const I& i) { return levels(i, &I::AutoCalib); }),
        instrumentRow("SC,W,", InstrumentFlag::Change_CalLimit,
                      [](const I& i) { return hexText(i.CalLimit(), 4); }),
        instrumentRow("XP,W,", InstrumentFlag::Change_Interval,
                      [](const I& i) { return hexText(i.Intervals(), 4); }),
        gasRow("UZ,W,", GasFlag::Change_Zero, [](const I& i) { return digits(i, &I::Zero); }),
        gasRow("AO,W,", GasFlag::Change_OverScale,
               [](const I& i) { return digits(i, &I::OverScale); }),
        instrumentRow("UJ,W,", InstrumentFlag::Change_SpecType,
                      [](const I& i) { return i.SpecType(); }),
        instrumentRow("UK,W,", InstrumentFlag::Change_SpanOffset,
                      [](const I& i) { return i.SpanOffset(); }),
    };
    return rows;
}

}  // namespace

int32_t uclVyif::sendAndWait(const QString& body) {
    if (!linkReady()) return status_;
    status_ = StatusWrite;
    DataSend(BuildFrame(body, EOT), true);
    awaitAnswer(StatusWrite);
    return status_;
}

bool uclVyif::SetInstrument(core::clsInstrument& inst) {
    if (!linkReady()) return false;
    bool written = false;
    bool allWell = true;
    cancel_ = false;
    operationOk_ = true;
    instrument_ = &inst;
    QElapsedTimer started;
    started.start();
    WriteLog(core::LoadResText(21015, {NowText()}));
    for (const WriteRow& row : writeTable()) {
        if (!row.changed(inst) || !allWell) continue;
        if (sendAndWait(QString::fromLatin1(row.command) + row.parameter(inst)) == StatusDone) {
            written = true;
            // A write that was not acknowledged keeps its flag, so it is sent again next time.
            row.lower(inst);
        } else {
            allWell = false;
        }
    }
    if (written && allWell && sendAndWait(QStringLiteral("DW,W,")) != StatusDone) allWell = false;
    if (allWell)
        WriteLog(core::LoadResText(21016, {NowText(), ElapsedText(started.elapsed())}));
    else
        WriteLog(core::LoadResText(21017, {NowText()}));
    return allWell && written;
}

bool uclVyif::SetDateTime(rt::OleDate date) {
    if (!linkReady()) return false;
    tickCount_ = 0;
    cancel_ = false;
    return sendAndWait(QStringLiteral("HC,W,") +
                       rt::FormatDate(date, QStringLiteral("yymmddhhnnss"))) == StatusDone;
}

bool uclVyif::SetInitValue(core::clsInstrument& inst) {
    if (!linkReady()) return false;
    inst.ClearChangeFlags();
    for (InstrumentFlag f :
         {InstrumentFlag::Change_UserID, InstrumentFlag::Change_SerialNo,
          InstrumentFlag::Change_DummySerial, InstrumentFlag::Change_AlarmMode,
          InstrumentFlag::Change_Interval, InstrumentFlag::Change_DispID,
          InstrumentFlag::Change_DispCalLimit, InstrumentFlag::Change_CalCheck,
          InstrumentFlag::Change_CalLimit, InstrumentFlag::Change_LunchBreak,
          InstrumentFlag::Change_AlarmSilence, InstrumentFlag::Change_Confermation,
          InstrumentFlag::Change_LogOverWrite, InstrumentFlag::Change_LcdBackLight,
          InstrumentFlag::Change_LcdContrast, InstrumentFlag::Change_AlarmO2,
          InstrumentFlag::Change_Intermittence})
        inst.setChange(f, true);
    for (int g = 0; g < 4; ++g)
        for (GasFlag f :
             {GasFlag::Change_GasEnable, GasFlag::Change_Alarm, GasFlag::Change_Warn,
              GasFlag::Change_Stel, GasFlag::Change_Twa, GasFlag::Change_Zero,
              GasFlag::Change_AutoCal, GasFlag::Change_ModeChange, GasFlag::Change_OverScale})
            inst.setChange(f, g, true);
    // Each step stops the run when it fails: the clock write and the memory clear must not go
    // to an instrument that is gone or did not take its settings.
    return SetInstrument(inst) && SetDateTime(rt::OleDate::now()) && BodyDataClear();
}

}  // namespace comm
