#include "link/Frame.h"
#include "link/uclVyif.h"

namespace comm {

const std::array<uclVyif::ReadCommand, 40>& uclVyif::ReadCommandTable() {
    static const std::array<ReadCommand, 40> table = [] {
        std::array<ReadCommand, 40> t;
        const std::pair<int, const char*> commands[] = {
            {0, "VP,R,"},  {1, "XZ,R,"},  {3, "IN,R,"},  {4, "HN,R,"},  {5, "HC,R,"},
            {7, "AP,R,"},  {8, "XP,R,"},  {9, "XI,R,"},  {10, "SD,R,"}, {11, "SM,R,"},
            {12, "SC,R,"}, {13, "XL,R,"}, {14, "XA,R,"}, {15, "XB,R,"}, {16, "XW,R,"},
            {17, "XT,R,"}, {18, "UL,R,"}, {20, "GJ,R,"}, {21, "A1,R,"}, {22, "A2,R,"},
            {23, "AS,R,"}, {24, "AW,R,"}, {25, "HA,R,"}, {26, "VS,R,"}, {28, "SA,R,"},
            {31, "AO,R,"}, {35, "CZ,R,"}, {36, "XK,R,"}, {37, "UJ,R,"}, {38, "UK,R,"}};
        for (const auto& [index, command] : commands)
            t[index].command = QString::fromLatin1(command);
        return t;
    }();
    return table;
}

void uclVyif::exchange(const QString& command, int32_t waiting,
                       const std::function<QString()>& message,
                       const std::function<void(const QString&)>& emitMessage) {
    if (!linkReady()) return;
    status_ = waiting;
    DataSend(BuildFrame(command, EOT), true);
    awaitAnswer(waiting, [&] {
        const QString text = message();
        if (!text.isEmpty()) emitMessage(text);
    });
}

bool uclVyif::GetInstrument(core::clsInstrument& inst) {
    if (!linkReady()) return false;
    cancel_ = false;
    operationOk_ = true;
    bool result = true;
    instrument_ = &inst;
    inst.ClearDatas();
    inst.setFailLine(QString());
    for (const ReadCommand& entry : ReadCommandTable()) {
        if (entry.command.isEmpty() || !result) continue;
        if (!(inst.RomNumber() > entry.minimumRom)) continue;
        exchange(
            entry.command, StatusSingleRead, [&inst] { return inst.MessageString(); },
            [this, &inst](const QString& text) {
                inst.setMessageString(QString());
                raise([this, text] { emit InstMessage(text); });
            });
        if (status_ != StatusDone) result = false;
    }
    return result;
}

bool uclVyif::download(core::RecordLines& lines, core::LogKind kind, core::RecordLines*& binding,
                       const QString& command, bool alarmMessages) {
    // A collection of another log is refused before anything is sent or emptied.
    if (lines.Kind() != kind) return false;
    if (!linkReady()) return false;
    binding = &lines;
    lines.Clear();
    lines.setFailLine(QString());
    operationOk_ = true;
    cancel_ = false;
    exchange(
        command, StatusMultiRead, [&lines] { return lines.MessageString(); },
        [this, &lines, alarmMessages](const QString& text) {
            lines.setMessageString(QString());
            if (alarmMessages)
                raise([this, text] { emit AlarmMessage(text); });
            else
                raise([this, text] { emit InterMessage(text); });
        });
    if (status_ == StatusDone && operationOk_) return true;
    status_ = StatusIdle;
    return false;
}

bool uclVyif::GetInterval(core::RecordLines& intervals) {
    return download(intervals, core::LogKind::IntervalTrend, intervals_, QStringLiteral("DR,R,"),
                    false);
}

bool uclVyif::GetAlarm(core::RecordLines& alarms) {
    return download(alarms, core::LogKind::AlarmTrend, alarms_, QStringLiteral("DJ,R,"), true);
}

bool uclVyif::GetAlarmEvent(core::RecordLines& events) {
    return download(events, core::LogKind::AlarmEvents, alarmEvents_, QStringLiteral("VE,R,"),
                    true);
}

bool uclVyif::GetTroubleEvent(core::RecordLines& events) {
    return download(events, core::LogKind::TroubleEvents, troubleEvents_, QStringLiteral("TV,R,"),
                    true);
}

bool uclVyif::GetPowerEvent(core::RecordLines& events) {
    return download(events, core::LogKind::PowerEvents, powerEvents_, QStringLiteral("DO,R,"),
                    true);
}

bool uclVyif::GetHistory(core::RecordLines& history) {
    if (history.Kind() != core::LogKind::CalibrationHistory) return false;
    if (!linkReady()) return false;
    history_ = &history;
    history.Clear();
    bool result = true;
    // One pass, for the history of gas 4 (request number 3).
    for (historyRequestNo_ = 3; historyRequestNo_ <= 3; ++historyRequestNo_) {
        operationOk_ = true;
        cancel_ = false;
        exchange(
            QStringLiteral("IH,R,%1,").arg(historyRequestNo_ + 1), StatusMultiRead,
            [&history] { return history.MessageString(); },
            [this, &history](const QString& text) {
                history.setMessageString(QString());
                raise([this, text] { emit InterMessage(text); });
            });
        if (!(status_ == StatusDone && operationOk_)) {
            result = false;
            status_ = StatusIdle;
        }
    }
    historyRequestNo_ = 3;
    return result;
}

bool uclVyif::GetLatestHistory(core::clsInstrument& inst) {
    if (!linkReady()) return false;
    instrument_ = &inst;
    operationOk_ = true;
    // A cancel left over from an earlier download must not swallow this answer.
    cancel_ = false;
    exchange(
        QStringLiteral("SO,R,"), StatusSingleRead, [&inst] { return inst.MessageString(); },
        [this, &inst](const QString& text) {
            inst.setMessageString(QString());
            raise([this, text] { emit InterMessage(text); });
        });
    if (status_ == StatusDone && operationOk_) return true;
    status_ = StatusIdle;
    return false;
}

}  // namespace comm
