#include "mainwindow/download/DownloadCommands.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <cmath>

#include "core/ModMain.h"
#include "link/Frame.h"

namespace download {

namespace {

enum Text : int {
    TextSelectAutomatic = 5303,
    TextSelectAutomaticTitle = 5304,
    TextDeselectAutomatic = 5305,
    TextDeselectAutomaticTitle = 5306,
    TextUploadComplete = 5311,
    TextUploadCompleteTitle = 5312,
    TextRemoveAfterDownload = 5333,
    TextRemoveAfterDownloadTitle = 5334,
    TextClearReady = 5343,
    TextClearTitle = 5344,
    TextPowerOffReady = 5347,
    TextPowerOffTitle = 5348,
    TextInitializeReady = 5363,
    TextInitializeTitle = 5364,
    TextAutomaticStart = 5401,
    TextPowerOff = 5406,
    TextPowerOffComplete = 5407,
    TextPowerOffNoResponse = 5409,
    TextAutomaticComplete = 5410,
    TextAutomaticFailed = 5411,
    TextUpload = 5428,
    TextUploadDone = 5429,
    TextRemovalStart = 5433,
    TextRemovalComplete = 5434,
    TextRemovalFailed = 5435,
    TextRemovalNoResponse = 5436,
    TextInitializeFailed = 5494,
    TextAutomaticStartSerial = 5501,
    TextAutomaticCompleteSerial = 5510,
    TextAutomaticFailedSerial = 5511,
    TextAllStartSerial = 5554,
    TextAllFinishedSerial = 5555,
    TextRemovalFinishedSerial = 5557,
    TextRemovalFailedSerial = 5558,
    TextRemovalNoResponseSerial = 5559,
    TextClockOffset = 5591,
    TextProgressDownload = 6056,
    TextProgressUpload = 6057,
    TextUploading = 6001,
};

constexpr const char* FormerEnabled = "Tag";

void keepEnabled(QWidget* w) {
    w->setProperty(FormerEnabled, w->isEnabled());
    w->setEnabled(false);
}

void restoreEnabled(QWidget* w, bool allowed = true) {
    const QVariant former = w->property(FormerEnabled);
    w->setEnabled(allowed && (!former.isValid() || former.toBool()));
}

}  // namespace

DownloadCommands::DownloadCommands(DownloadWiring wiring, Downloads& downloads)
    : w_(wiring), downloads_(downloads) {}

void DownloadCommands::log(int text, int32_t color) {
    w_.page.statusLog().append(core::LoadResText(text), color);
}

void DownloadCommands::serial(int text, std::initializer_list<rt::Variant> arguments) {
    w_.link.AddLog(core::LoadResText(text, arguments));
}

bool DownloadCommands::ask(int text, int title) {
    return w_.dialogs.message(core::LoadResText(text), core::LoadResText(title),
                              platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

// ---- the frame of every command --------------------------------------------------------

void DownloadCommands::LockCommands() {
    keepEnabled(w_.settingsMenuButton);
    // The Exit button too: the window must not close while a command waits for the instrument.
    keepEnabled(w_.exitButton);
    for (QWidget* button : w_.page.cmdDown)
        keepEnabled(button);
    for (QWidget* box : w_.page.chkAutoLoad)
        box->setEnabled(false);
}

void DownloadCommands::enableAutomaticBoxes() {
    w_.page.chkAutoLoad[0]->setEnabled(true);
    w_.page.chkAutoLoad[1]->setEnabled(w_.page.chkAutoLoad[0]->isChecked());
}

void DownloadCommands::UnlockCommands() {
    restoreEnabled(w_.settingsMenuButton);
    restoreEnabled(w_.exitButton);
    // A download button is usable again only with an instrument to talk to.
    const bool connected = w_.link.Connected();
    for (QWidget* button : w_.page.cmdDown)
        restoreEnabled(button, connected);
    enableAutomaticBoxes();
}

void DownloadCommands::EnableAllCommands() {
    w_.settingsMenuButton->setEnabled(true);
    restoreEnabled(w_.exitButton);
    const bool connected = w_.link.Connected();
    for (QWidget* button : w_.page.cmdDown)
        button->setEnabled(connected);
    enableAutomaticBoxes();
}

void DownloadCommands::CheckClockOffset() {
    if (std::abs(w_.logs.instrument().SysDateOffset().value()) > 1.0)
        log(TextClockOffset, ColorStatusFailed);
}

// ---- the buttons ---------------------------------------------------------------------------

void DownloadCommands::cmdDown_Click(int index) {
    mainwindow::BusyScope running(w_.busy, platform::UserInput::Allowed);
    switch (index) {
        case 0:
            completeDownload();
            return;
        case 1:
        case 10:
            instrumentDownload(index == 10);
            return;
        case 2:
            singleDownload(&Downloads::DownloadIntervalTrend);
            return;
        case 3:
            singleDownload(&Downloads::DownloadAlarmTrend);
            return;
        case 4:
            singleDownload(&Downloads::DownloadAlarmEvents);
            return;
        case 5:
            singleDownload(&Downloads::DownloadTroubleEvents);
            return;
        case 6:
            singleDownload(&Downloads::DownloadPowerEvents);
            return;
        case 7:
            clearLoggerData();
            return;
        case 8:
            powerOff();
            return;
        case 9:
            initialize();
            return;
        default:
            CheckClockOffset();
            return;
    }
}

void DownloadCommands::FinishCompleteDownload() {
    serial(TextAllFinishedSerial, {comm::NowText()});
    w_.fields.LogTreeDirty = true;
    w_.progress.Unload();
    ActivityCode = 0;
    UnlockCommands();
}

void DownloadCommands::completeDownload() {
    LockCommands();
    ActivityCode = 5;
    w_.progress.Load(ActivityCode);
    w_.progress.setCaption(core::LoadResText(TextProgressDownload));
    w_.progress.Show(ActivityCode);
    serial(TextAllStartSerial, {comm::NowText()});
    std::vector<bool (Downloads::*)()> steps = {
        &Downloads::DownloadIntervalTrend, &Downloads::DownloadAlarmTrend,
        &Downloads::DownloadAlarmEvents, &Downloads::DownloadTroubleEvents};
    if (core::SwitchR) steps.push_back(&Downloads::DownloadPowerEvents);
    bool ok = downloads_.DownloadInstrument();
    for (size_t i = 0;; ++i) {
        if (w_.progress.Canceled()) {
            FinishCompleteDownload();
            CheckClockOffset();
            return;
        }
        if (i == steps.size()) break;
        if (ok) ok = (downloads_.*steps[i])();
    }
    if (ok) {
        EnableAllCommands();
        serial(TextAllFinishedSerial, {comm::NowText()});
        w_.fields.LogTreeDirty = true;
    } else {
        UnlockCommands();
    }
    w_.progress.Unload();
    ActivityCode = 0;
    CheckClockOffset();
}

void DownloadCommands::instrumentDownload(bool getAndSave) {
    LockCommands();
    w_.progress.Load(ActivityCode);
    w_.progress.setCaption(core::LoadResText(TextProgressDownload));
    w_.progress.Show(ActivityCode);
    if (downloads_.DownloadInstrument()) {
        EnableAllCommands();
        if (getAndSave) w_.host.deviceUpdateLog(w_.logs.instrument());
    } else {
        UnlockCommands();
    }
    w_.progress.Unload();
    CheckClockOffset();
}

void DownloadCommands::singleDownload(bool (Downloads::*download)()) {
    LockCommands();
    ActivityCode = 1;
    w_.progress.Load(ActivityCode);
    w_.progress.setCaption(core::LoadResText(TextProgressDownload));
    w_.progress.Show(ActivityCode);
    (downloads_.*download)();
    UnlockCommands();
    w_.progress.Unload();
    ActivityCode = 0;
    CheckClockOffset();
}

void DownloadCommands::clearLoggerData() {
    LockCommands();
    if (!ask(TextClearReady, TextClearTitle)) {
        UnlockCommands();
        return;
    }
    if (!w_.link.Connected()) {
        log(TextRemovalNoResponse, ColorStatusFailed);
        serial(TextRemovalNoResponseSerial);
    } else {
        log(TextRemovalStart, ColorStatusProgress);
        if (w_.link.BodyDataClear()) {
            log(TextRemovalComplete, ColorStatusProgress);
        } else {
            // A clear that did not happen is never shown as done.
            log(TextRemovalFailed, ColorStatusFailed);
            serial(TextRemovalNoResponseSerial);
        }
    }
    UnlockCommands();
    CheckClockOffset();
}

void DownloadCommands::powerOff() {
    LockCommands();
    if (!ask(TextPowerOffReady, TextPowerOffTitle)) {
        UnlockCommands();
        return;
    }
    if (!w_.link.Connected()) {
        log(TextPowerOffNoResponse, ColorStatusFailed);
        UnlockCommands();
        CheckClockOffset();
        return;
    }
    w_.exitButton->setEnabled(false);
    log(TextPowerOff, ColorStatusProgress);
    w_.link.BodyPowerOff();
    ResetAfterPowerOff();
    restoreEnabled(w_.settingsMenuButton);
    w_.exitButton->setEnabled(true);
    CheckClockOffset();
}

void DownloadCommands::initialize() {
    LockCommands();
    const auto done = qScopeGuard([this] {
        UnlockCommands();
        CheckClockOffset();
    });
    if (!ask(TextInitializeReady, TextInitializeTitle)) return;
    w_.progress.Show(ActivityCode);
    w_.progress.setCaption(core::LoadResText(TextProgressUpload));
    w_.progress.lblUpload->setText(core::LoadResText(TextUploading));
    bool ok = false;
    if (w_.link.Connected()) {
        log(TextUpload, ColorStatusProgress);
        ok = w_.link.SetInitValue(core::DefaultInstrument);
        if (ok)
            log(TextUploadDone, ColorStatusProgress);
        else
            log(TextInitializeFailed, ColorStatusFailed);
    } else {
        log(TextPowerOffNoResponse, ColorStatusFailed);
    }
    w_.progress.Unload();
    // "Upload Complete." only for an upload that did complete.
    if (ok)
        w_.dialogs.message(core::LoadResText(TextUploadComplete),
                           core::LoadResText(TextUploadCompleteTitle),
                           platform::MsgIcon::Information, platform::MsgButtons::OK);
}

// ---- the reset after a power off -----------------------------------------------------------

void DownloadCommands::ResetAfterPowerOff() {
    log(TextPowerOffComplete, ColorStatusProgress);
    w_.logs.instrument().setCommFlags(0);
    // Each step of the reset runs, whatever the one before met: the window must come back.
    const auto step = [](const char* name, const std::function<void()>& work) {
        try {
            work();
        } catch (const std::exception& e) {
            qWarning("Reset after the power off, %s: %s", name, e.what());
        }
    };
    step("display settings", [this] { w_.host.SaveDisplaySettings(); });
    step("defaults", [this] { w_.host.SetDefaults(); });
    step("settings file", [this] { w_.host.ReloadSettings(); });
    step("status labels", [this] { w_.host.UpdateStatusLabels(); });
    w_.fields.ActivationPending = true;
    enableAutomaticBoxes();
    step("activation", [this] { w_.host.Form_Activate(); });
    step("port", [this] { w_.host.OpenInstrumentPort(); });
}

// ---- the automatic mode --------------------------------------------------------------------

void DownloadCommands::chkAutoLoad_Click(int index) {
    if (!w_.fields.AutoLoadClickEnabled) return;
    // An instrument that connects while the question is open is handled once it is answered,
    // in the mode the answer chose.
    mainwindow::BusyScope asking(w_.busy, platform::UserInput::Held);
    w_.fields.AutoLoadClickEnabled = false;
    const auto armed = qScopeGuard([this] { w_.fields.AutoLoadClickEnabled = true; });
    QCheckBox* load = w_.page.chkAutoLoad[0];
    QCheckBox* removal = w_.page.chkAutoLoad[1];
    if (index == 0 && load->isChecked()) {
        const bool yes = ask(TextSelectAutomatic, TextSelectAutomaticTitle);
        core::AutoLoadMode = yes;
        removal->setEnabled(yes);
        if (!yes) load->setChecked(false);
    } else if (index == 0) {
        const bool yes = ask(TextDeselectAutomatic, TextDeselectAutomaticTitle);
        if (yes) {
            core::AutoLoadMode = false;
            core::AutoRemoveData = false;
            removal->setChecked(false);
            removal->setEnabled(false);
        } else {
            core::AutoLoadMode = true;
            removal->setEnabled(true);
            load->setChecked(true);
        }
    } else if (index == 1 && removal->isChecked()) {
        const bool yes = ask(TextRemoveAfterDownload, TextRemoveAfterDownloadTitle);
        core::AutoRemoveData = yes;
        if (!yes) removal->setChecked(false);
    } else if (index == 1) {
        core::AutoRemoveData = false;
    }
}

void DownloadCommands::waitTwoSeconds() {
    w_.fields.TimerTicks = 0;
    QElapsedTimer waited;
    waited.start();
    // Counted on the window's clock; the wall clock only ends a wait whose clock has stopped.
    w_.pump.waitWhile(
        [this, &waited] { return w_.fields.TimerTicks < 20 && waited.elapsed() < 10000; });
}

void DownloadCommands::RunAutomaticDownload() {
    mainwindow::BusyScope running(w_.busy, platform::UserInput::Allowed);
    for (QWidget* box : w_.page.chkAutoLoad)
        box->setEnabled(false);
    ActivityCode = 6;
    w_.progress.Show(ActivityCode);
    // The boxes, the progress window and the activity come back on every way out.
    const auto restore = qScopeGuard([this] {
        enableAutomaticBoxes();
        w_.progress.Unload();
        ActivityCode = 0;
    });
    log(TextAutomaticStart, ColorStatusStart);
    serial(TextAutomaticStartSerial, {comm::NowText()});
    downloads_.StartRun();

    std::vector<bool (Downloads::*)()> steps = {
        &Downloads::DownloadIntervalTrend, &Downloads::DownloadAlarmTrend,
        &Downloads::DownloadAlarmEvents, &Downloads::DownloadTroubleEvents};
    if (core::SwitchR) steps.push_back(&Downloads::DownloadPowerEvents);
    bool ok = downloads_.DownloadInstrument();
    if (w_.progress.Canceled()) ok = false;
    for (auto step : steps) {
        if (!ok) break;
        ok = (downloads_.*step)();
        if (w_.progress.Canceled()) ok = false;
    }
    // The instrument's data are erased only after everything was downloaded and stored whole,
    // and only when no Cancel came, in the pause before the removal too: the removal lowers the
    // link's cancel flag as it starts, so the progress window's flag is the one that tells.
    if (ok && core::AutoRemoveData && downloads_.RunWhole()) {
        waitTwoSeconds();
        if (w_.progress.Canceled()) {
            ok = false;
        } else if (w_.link.BodyDataClear()) {
            log(TextRemovalComplete, ColorStatusProgress);
            serial(TextRemovalFinishedSerial);
        } else {
            log(TextRemovalFailed, ColorStatusFailed);
            serial(TextRemovalFailedSerial);
            ok = false;
        }
    }
    waitTwoSeconds();
    w_.link.BodyPowerOff();
    // A Cancel at any moment of the run, the pauses included, fails it.
    if (w_.progress.Canceled()) ok = false;
    ResetAfterPowerOff();
    if (ok) {
        log(TextAutomaticComplete, ColorStatusDone);
        serial(TextAutomaticCompleteSerial, {comm::NowText()});
    } else {
        log(TextAutomaticFailed, ColorStatusFailed);
        serial(TextAutomaticFailedSerial, {comm::NowText()});
    }
    w_.fields.LogTreeDirty = true;
}

}  // namespace download
