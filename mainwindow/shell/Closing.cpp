#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QScopeGuard>
#include <QSessionManager>
#include <QTimer>
#include <algorithm>

#include "core/ModMain.h"
#include "core/Settings.h"
#include "mainwindow/shell/FrmMain.h"
#include "platform/TerminationSignals.h"
#include "platform/gui/QtDialogs.h"

namespace shell {

namespace {

constexpr int TextEndQuestion = 5373;

}  // namespace

bool FrmMain::Form_QueryUnload() {
    // While a long command runs (it waits for the instrument inside a loop that lets events
    // run) the window must not go: it is refused without a question.
    if (busy.busy() || !cmdInst[5]->isEnabled()) return false;
    return services_.dialogs.message(core::LoadResText(TextEndQuestion), QStringLiteral("QM-73"),
                                     platform::MsgIcon::Question,
                                     platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

void FrmMain::Form_Unload() {
    uclVY5103.setTimerEnabled(false);
    SaveDisplaySettings();
    platform::setUnsavedAtTheEnd({});
    unloaded_ = true;
}

void FrmMain::SaveDisplaySettings() {
    const QFont shown = setPage->cmdOptionDisp[0]->font();
    core::SettingsFont.name = shown.family();
    core::SettingsFont.size = shown.pointSizeF();
    core::SettingsFont.bold = shown.bold();
    core::SettingsFont.italic = shown.italic();
    core::SettingsFont.underline = shown.underline();
    for (int i = 0; i < 5; ++i)
        core::GraphColors[i] = setPage->cmdOptionDisp[i + 1]->BackColor();
    ++savingSettings_;
    // The end asked for meanwhile is taken once this save has ended.
    const auto saved = qScopeGuard([this] {
        if (--savingSettings_ == 0 && fields.Terminating && !ended_)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (endAfterSave_)
                        endNow();
                    else
                        finishTermination();
                },
                Qt::QueuedConnection);
    });
    emit aboutToSaveSettings();
    core::SaveSettings(services_.paths.settingsFile(), *this);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    try {
        if (!Form_QueryUnload()) {
            event->ignore();
            return;
        }
        Form_Unload();
    } catch (const std::exception& e) {
        // The settings could not be saved: the user is told, and the program still ends.
        services_.dialogs.message(QString::fromUtf8(e.what()), QStringLiteral("QM-73"),
                                  platform::MsgIcon::Critical);
        unloaded_ = true;
    }
    event->accept();
}

void FrmMain::Terminate(qint64 msSinceSignal) {
    // A second request (Ctrl+C pressed again) changes nothing: ending at once would lose the
    // settings, and a cancelled command ends by itself.
    if (fields.Terminating) return;
    fields.Terminating = true;
    // Whatever the running work waits for (a print system that does not answer, a long
    // export), the settings are saved while the window thread still lets its events through,
    // early enough for the save to have time of its own before the process's limit.
    const qint64 grace = std::max<qint64>(0, terminationGraceMs - msSinceSignal);
    QTimer::singleShot(static_cast<int>(grace), this, [this] { endNow(); });
    dismissOpenDialogs();
    if (busy.busy()) cancelRunningCommand();
    // From the event loop, so that a dialog just dismissed returns to its caller first; while
    // a command runs, the busy counter's idle listener calls again when it has ended.
    QMetaObject::invokeMethod(
        this, [this] { finishTermination(); }, Qt::QueuedConnection);
}

void FrmMain::finishTermination() {
    if (!fields.Terminating || busy.busy() || ended_ || savingSettings_) return;
    ended_ = true;
    unloadAtTheEnd();
    close();
    emit terminated();
}

void FrmMain::unloadAtTheEnd() {
    // A save under way is the save of the end: its outcome counts (the program's status tells
    // when it had not ended).
    if (savingSettings_) return;
    if (loaded_ && !unloaded_) {
        try {
            Form_Unload();
        } catch (const std::exception& e) {
            // Nobody is there to answer a box: the reason goes to the program's warnings, and
            // the program's status tells that the end lost something.
            qWarning("The settings could not be saved at the end: %s", e.what());
        }
    }
    unloaded_ = true;
}

void FrmMain::endNow() {
    // Ended as asked meanwhile.
    if (ended_) return;
    // A save of the settings under way has the rest of the process's limit to end: the end
    // follows it.
    if (savingSettings_) {
        endAfterSave_ = true;
        return;
    }
    ended_ = true;
    qWarning("The running work did not end in time: the program ends without it");
    unloadAtTheEnd();
    endProcess(platform::unsavedAtTheEnd() ? 1 : 0);
}

void FrmMain::cancelRunningCommand() {
    if (frmUpload->isLoaded()) frmUpload->cmdUpload_Click();
    uclVY5103.setCancel(true);
}

void FrmMain::dismissOpenDialogs() {
    platform::DismissOpenDialogs();
}

void FrmMain::sessionCommitData(QSessionManager& manager) {
    if (unloaded_ || !loaded_) return;
    try {
        if (manager.allowsInteraction()) {
            const bool end = Form_QueryUnload();
            manager.release();
            if (!end) {
                manager.cancel();
                return;
            }
        }
        Form_Unload();
    } catch (const std::exception& e) {
        qWarning("Session end: %s", e.what());
    }
}

}  // namespace shell
