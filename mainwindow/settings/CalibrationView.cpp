#include "mainwindow/settings/CalibrationView.h"

#include <QScopeGuard>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "link/Frame.h"
#include "mainwindow/common/WidgetLock.h"
#include "mainwindow/download/DownloadCommands.h"
#include "mainwindow/download/StatusLog.h"

namespace settings {

namespace {

enum Text : int {
    TextNoSensors = 5345,
    TextNoSpan = 5346,
    TextComplete = 5354,
    TextAdjustment = 5355,
    TextCalibrationFail = 5413,
    TextSpanStarted = 5515,
    TextZeroFailed = 5516,
};

constexpr int16_t Gas = 3;
constexpr int32_t ActivityZero = 3, ActivitySpan = 4;
constexpr int SettingsFrame = 1, CalibrationFrame = 2;

QString res(int id, std::initializer_list<rt::Variant> arguments = {}) {
    return core::LoadResText(id, arguments);
}

}  // namespace

CalibrationView::CalibrationView(CalibrationWiring wiring) : w_(std::move(wiring)) {}

void CalibrationView::Open() {
    SetPage& p = w_.page;
    w_.settings.SetupCalibrationGrid();
    p.fraOption[SettingsFrame]->hide();
    p.fraOption[CalibrationFrame]->show();
    // The settings' buttons go with the settings (closing shows them again).
    for (QWidget* button : p.cmdOption) {
        button->setEnabled(false);
        button->hide();
    }
    for (QWidget* button : w_.cmdInst)
        button->setEnabled(false);
    w_.host.Form_Resize();
    w_.fields.CalibrationViewOpen = true;
    w_.link.setRunDensty(true);
}

void CalibrationView::cmdCal_Click(int index) {
    switch (index) {
        case 0:
            zero();
            break;
        case 1:
            span();
            break;
        case 2:
            close();
            break;
        default:
            break;
    }
}

QString CalibrationView::results(bool span) const {
    const core::clsInstrument& inst = w_.logs.instrument();
    QString text;
    for (int gas = 0; gas <= 3; ++gas) {
        if (span ? !SpanSelect[static_cast<size_t>(gas)] : !inst.GasEnabled(gas)) continue;
        const bool ok = span ? w_.link.SpanStatus(gas) : w_.link.ZeroStatus(gas);
        if (ok) {
            text += inst.GasName(gas) + QStringLiteral("  ") + res(TextComplete) +
                    QStringLiteral("\r\n");
        } else {
            text += inst.GasName(gas) + QLatin1Char('(') +
                    core::ValueText(w_.liveReadings[static_cast<size_t>(gas)], inst.GasPoint(gas)) +
                    QStringLiteral(") Failed\r\n");
        }
    }
    return text;
}

void CalibrationView::endRun() {
    for (QWidget* button : w_.page.cmdCal)
        button->setEnabled(true);
    w_.progress.Unload();
    CalibrationBusy = false;
    w_.link.setRunDensty(true);
    download::ActivityCode = 0;
}

void CalibrationView::beginRun(int32_t activity) {
    CalibrationBusy = true;
    for (QWidget* button : w_.page.cmdCal)
        button->setEnabled(false);
    download::ActivityCode = activity;
    // Loading for an adjustment shows its text already.
    w_.progress.Load(activity);
    w_.progress.Show(activity);
    w_.link.setRunDensty(false);
}

void CalibrationView::zero() {
    const mainwindow::BusyScope running(w_.busy, platform::UserInput::Allowed);
    const auto done = qScopeGuard([this] { endRun(); });
    // The page's other buttons wait for the adjustment, as the menu does.
    const mainwindow::WidgetLock others(w_.page.cmdOptionDisp);
    beginRun(ActivityZero);
    const bool ok = w_.link.ZeroCal(QStringLiteral("1111"));
    w_.progress.Unload();
    if (!ok) {
        w_.host.AppendStatusLog(res(TextCalibrationFail), download::ColorStatusFailed);
        w_.link.AddLog(res(TextZeroFailed, {comm::NowText()}));
        return;
    }
    w_.dialogs.message(results(false), res(TextAdjustment), platform::MsgIcon::Information);
}

QString CalibrationView::SpanArgument() const {
    const core::clsInstrument& inst = w_.logs.instrument();
    QString flags, values;
    for (int gas = 0; gas <= 3; ++gas) {
        const bool on = SpanSelect[static_cast<size_t>(gas)];
        flags += on ? QLatin1Char('1') : QLatin1Char('0');
        values +=
            QLatin1Char(',') + (on ? core::RawCountText(inst.AutoCalib(gas), inst.GasPoint(gas))
                                   : QStringLiteral("*****"));
    }
    return flags + values;
}

void CalibrationView::span() {
    platform::FlexGrid& cal = *w_.page.vfgCal;
    // A pending edit of the span value is validated and stored first.
    cal.setCol(1);
    cal.setRow(1);
    core::clsInstrument& inst = w_.logs.instrument();
    SpanSelect[Gas] = inst.GasEnabled(Gas);
    const QString argument = SpanArgument();
    if (argument.startsWith(QLatin1String("0000"))) {
        w_.dialogs.message(res(TextNoSensors), res(TextNoSpan), platform::MsgIcon::Critical);
        download::ActivityCode = 0;
        return;
    }
    const mainwindow::BusyScope running(w_.busy, platform::UserInput::Allowed);
    const auto done = qScopeGuard([this] { endRun(); });
    const mainwindow::WidgetLock others(w_.page.cmdOptionDisp);
    beginRun(ActivitySpan);
    w_.link.AddLog(res(TextSpanStarted, {comm::NowText()}));
    const bool ok = w_.link.SpanCal(argument);
    const QString text = ok ? results(true) : QString();
    if (!ok) w_.host.AppendStatusLog(res(TextCalibrationFail), download::ColorStatusFailed);
    // The instrument's calibration now, stored whatever the adjustment gave.
    if (w_.link.GetLatestHistory(inst)) {
        inst.HistoryUpdate();
        records::clsHistorys& history = w_.logs.history;
        history.setInstruments(&inst);
        // A history that was not read whole is not stored as if it had been.
        if (w_.link.GetHistory(history)) {
            for (int i = 1; i <= history.Count(); ++i) {
                records::clsHistory* record = history.Item(i);
                record->setInstrument(&inst);
                record->HistoryUpdate();
            }
        }
    }
    for (QWidget* button : w_.page.cmdCal)
        button->setEnabled(true);
    w_.progress.Unload();
    if (ok) w_.dialogs.message(text, res(TextAdjustment), platform::MsgIcon::Information);
}

void CalibrationView::close() {
    SetPage& p = w_.page;
    w_.link.setRunDensty(false);
    p.fraOption[SettingsFrame]->show();
    for (QWidget* button : p.cmdOption)
        button->show();
    // "Default Set" belongs to "-R", as on the Set page.
    p.cmdOption[3]->setVisible(core::SwitchR);
    // The writes as the link has them: an instrument lost while the view was open leaves them
    // off.
    p.cmdOption[2]->setEnabled(true);
    download::EnableSetPageWrites(p.cmdOption, w_.link.Connected());
    for (QWidget* button : w_.cmdInst)
        button->setEnabled(true);
    w_.fields.CalibrationViewOpen = false;
    p.fraOption[CalibrationFrame]->hide();
    w_.host.Form_Resize();
}

}  // namespace settings
