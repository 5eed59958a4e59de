#include "mainwindow/settings/SettingsCommands.h"

#include <QElapsedTimer>
#include <QScopeGuard>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "mainwindow/common/WidgetLock.h"
#include "mainwindow/download/DownloadCommands.h"
#include "mainwindow/download/StatusLog.h"
#include "mainwindow/settings/FrmFsDialog.h"

namespace settings {

namespace {

enum Text : int {
    TextUpdateReady = 5309,
    TextUpdate = 5310,
    TextComplete = 5311,
    TextCompleteTitle = 5312,
    TextDefaultsReady = 5337,
    TextDefaults = 5338,
    TextOrder = 5361,
    TextOrderTitle = 5362,
    TextNoSensor = 5365,
    TextNoSensorTitle = 5366,
    TextNoResponse = 5409,
    TextUploadStart = 5428,
    TextUploadDone = 5429,
    TextUploadSerial = 5535,
    TextUploadCaption = 6057,
    TextDumpRefused = 5367,
    TextDumpRefusedTitle = 5368,
    TextDumpStart = 5463,
    TextDumpFinished = 5464,
    TextDumpFinishedSerial = 5570,
    TextDumpProgress = 6018,
};

// The activity of a write: its progress window offers Cancel.
constexpr int32_t ActivityWrite = 1;

QString res(int id, std::initializer_list<rt::Variant> arguments = {}) {
    return core::LoadResText(id, arguments);
}

}  // namespace

SettingsCommands::SettingsCommands(SettingsCommandsWiring wiring) : w_(std::move(wiring)) {
    optionDialog = [this](core::clsInstrument& inst) {
        ShowOptionDialog(inst, w_.page.vfgOption->window());
    };
}

bool SettingsCommands::ask(int text, int title) {
    return w_.dialogs.message(res(text), res(title), platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

void SettingsCommands::cmdOption_Click(int index) {
    if (download::ActivityCode == 4 || download::ActivityCode == 7) return;
    core::clsInstrument& inst = w_.logs.instrument();
    switch (index) {
        case 0: {
            for (int16_t gas = 0; gas <= 3; ++gas) {
                if (!w_.settings.IsAlarmOrderValid(gas)) {
                    w_.dialogs.message(res(TextOrder), res(TextOrderTitle),
                                       platform::MsgIcon::Critical);
                    return;
                }
            }
            bool sensor = false;
            for (int gas = 0; gas <= 3; ++gas)
                sensor = sensor || inst.GasEnabled(gas);
            if (!sensor) {
                w_.dialogs.message(res(TextNoSensor), res(TextNoSensorTitle),
                                   platform::MsgIcon::Exclamation);
                return;
            }
            if (!ask(TextUpdateReady, TextUpdate)) return;
            const bool changes = inst.AnyChange();
            runWrite(
                [this, &inst] {
                    const bool ok = w_.link.SetInstrument(inst);
                    if (ok && core::SwitchR) w_.host.deviceUpdateLog(inst);
                    return ok;
                },
                changes);
            return;
        }
        case 1:
            if (!ask(TextUpdateReady, TextUpdate)) return;
            runWrite(
                [this, &inst] {
                    // The instrument's clock follows the computer's from now on.
                    inst.setSysDateOffset(rt::OleDate(0));
                    return w_.link.SetDateTime(rt::OleDate::now());
                },
                true);
            return;
        case 2:
            w_.calibration.Open();
            return;
        case 3:
            if (!ask(TextDefaultsReady, TextDefaults)) return;
            if (!ask(TextUpdateReady, TextUpdate)) return;
            runWrite(
                [this, &inst] {
                    const bool ok = w_.link.SetInitValue(inst) && w_.link.GetInstrument(inst);
                    w_.host.RefreshInstrumentPages();
                    return ok;
                },
                true);
            return;
        default:
            return;
    }
}

void SettingsCommands::keepWritesToTheLink() {
    if (!w_.link.Connected()) download::EnableSetPageWrites(w_.page.cmdOption, false);
}

mainwindow::WidgetLock SettingsCommands::lockButtons() const {
    return mainwindow::WidgetLock(w_.page.cmdOption, w_.page.cmdOptionDisp, w_.cmdInst);
}

void SettingsCommands::runWrite(const std::function<bool()>& write, bool sent) {
    const mainwindow::BusyScope running(w_.busy, platform::UserInput::Allowed);
    bool keepProgress = false;
    const auto restore = qScopeGuard([&] {
        if (!keepProgress) w_.progress.Unload();
        if (download::ActivityCode == ActivityWrite) download::ActivityCode = 0;
        keepWritesToTheLink();
    });
    // The page's buttons and the menu wait for the write; all comes back however it ends
    // (before the progress window goes).
    const mainwindow::WidgetLock buttons = lockButtons();
    download::ActivityCode = ActivityWrite;
    // Loading for a write shows the uploading text already.
    w_.progress.Load(ActivityWrite);
    w_.progress.setCaption(res(TextUploadCaption));
    w_.progress.Show(ActivityWrite);
    w_.link.AddLog(res(TextUploadSerial, {comm::NowText()}));
    w_.host.AppendStatusLog(res(TextUploadStart), download::ColorStatusProgress);
    const bool ok = write();
    if (ok)
        w_.host.AppendStatusLog(res(TextUploadDone), download::ColorStatusProgress);
    else if (sent)
        w_.host.AppendStatusLog(res(TextNoResponse), download::ColorStatusFailed);
    if (download::ActivityCode == 4 || download::ActivityCode == 7) {
        keepProgress = true;
        return;
    }
    w_.progress.Unload();
    if (ok)
        w_.dialogs.message(res(TextComplete), res(TextCompleteTitle),
                           platform::MsgIcon::Information);
}

void SettingsCommands::cmdOptionDisp_Click(int index) {
    // Off while an adjustment runs; a click that got through all the same is refused.
    if (w_.calibration.CalibrationBusy) return;
    platform::ColorButton* button = index >= 0 && index < w_.page.cmdOptionDisp.count()
                                        ? w_.page.cmdOptionDisp[index]
                                        : nullptr;
    if (index == 0) {
        if (const std::optional<QFont> font = w_.dialogs.chooseFont(button->font())) {
            button->setFont(*font);
            QString caption = QStringLiteral("%1(%2)").arg(font->family()).arg(font->pointSizeF());
            button->setText(caption.replace(QLatin1Char('&'), QLatin1String("&&")));
        }
        return;
    }
    if (index >= 1 && index <= 5) {
        if (const std::optional<int32_t> colour = w_.dialogs.chooseColor(button->BackColor()))
            button->setBackColor(*colour);
        return;
    }
    if (index == 6 || index == 8 || index == 9) dumpList(index);
    if (index == 7) {
        optionDialog(w_.logs.instrument());
        w_.settings.ShowSettingsGrid();
    }
}

void SettingsCommands::dumpList(int index) {
    if (w_.link.RunDensty() || download::ActivityCode == 4 || download::ActivityCode == 7) {
        w_.dialogs.message(res(TextDumpRefused), res(TextDumpRefusedTitle),
                           platform::MsgIcon::Exclamation);
        return;
    }
    const QString kind = index == 6   ? QStringLiteral("EP")
                         : index == 8 ? QStringLiteral("EF")
                                      : QStringLiteral("ES");
    const QString suffix = index == 6 ? QString() : QStringLiteral(" (%1)").arg(kind);
    if (w_.dialogs.message(QStringLiteral("Ready?\r\nDump List Download") + suffix,
                           QStringLiteral("DumpList"), platform::MsgIcon::Question,
                           platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
        return;
    const mainwindow::BusyScope running(w_.busy, platform::UserInput::Allowed);
    const auto restore = qScopeGuard([&] {
        w_.progress.Unload();
        download::ActivityCode = 0;
        keepWritesToTheLink();
    });
    const mainwindow::WidgetLock buttons = lockButtons();
    download::ActivityCode = ActivityWrite;
    w_.progress.Load(ActivityWrite);
    w_.progress.lblUpload->setText(res(TextDumpProgress));
    w_.progress.Show(ActivityWrite);
    w_.host.AppendStatusLog(res(TextDumpStart, {comm::NowText()}), download::ColorStatusProgress);
    QElapsedTimer started;
    started.start();
    const QString file = w_.paths.file(index == 6 ? QStringLiteral("Dump.dat")
                                                  : QStringLiteral("Dump%1.dat").arg(kind));
    // The link writes its own start line into the serial log.
    if (!w_.link.GetRomDump(file, kind)) {
        w_.host.AppendStatusLog(res(TextNoResponse), download::ColorStatusFailed);
        return;
    }
    w_.link.AddLog(
        res(TextDumpFinishedSerial, {comm::NowText(), comm::ElapsedText(started.elapsed())}));
    if (index == 8)
        w_.host.AppendStatusLog(res(TextDumpFinished, {comm::NowText()}),
                                download::ColorStatusProgress);
}

}  // namespace settings
