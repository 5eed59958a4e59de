#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QSessionManager>
#include <QTimer>

#include "core/ModMain.h"
#include "core/Settings.h"
#include "mainwindow/shell/FrmMain.h"

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

void FrmMain::Terminate() {
    // A second request (Ctrl+C pressed again) changes nothing: ending at once would lose the
    // settings, and a cancelled command ends by itself.
    if (fields.Terminating) return;
    fields.Terminating = true;
    // Whatever the running work waits for (a print system that does not answer, a long
    // export), the program ends in time: with its settings saved while the window thread still
    // lets its events through, and at once should that thread not come back at all.
    QTimer::singleShot(terminationGraceMs, this, [this] { endNow(); });
    endDeadline_ =
        std::make_unique<platform::EndDeadline>(terminationLimitMs, [this] { endProcess(0); });
    dismissOpenDialogs();
    if (busy.busy()) cancelRunningCommand();
    // From the event loop, so that a dialog just dismissed returns to its caller first; while
    // a command runs, the busy counter's idle listener calls again when it has ended.
    QMetaObject::invokeMethod(
        this, [this] { finishTermination(); }, Qt::QueuedConnection);
}

void FrmMain::finishTermination() {
    if (!fields.Terminating || busy.busy() || endDeadline_ == nullptr) return;
    endDeadline_.reset();
    unloadAtTheEnd();
    close();
    emit terminated();
}

void FrmMain::unloadAtTheEnd() {
    if (loaded_ && !unloaded_) {
        try {
            Form_Unload();
        } catch (const std::exception& e) {
            // Nobody is there to answer a box: the reason goes to the program's warnings.
            qWarning("The settings could not be saved at the end: %s", e.what());
        }
    }
    unloaded_ = true;
}

void FrmMain::endNow() {
    // Ended as asked meanwhile.
    if (endDeadline_ == nullptr) return;
    qWarning("The running work did not end in time: the program ends without it");
    unloadAtTheEnd();
    endProcess(0);
}

void FrmMain::cancelRunningCommand() {
    if (frmUpload->isLoaded()) frmUpload->cmdUpload_Click();
    uclVY5103.setCancel(true);
}

void FrmMain::dismissOpenDialogs() {
    // Innermost first; a dismissed dialog answers as if the user had closed it. A window that
    // refuses to close is left as it is.
    for (QWidget *popup = nullptr, *last = nullptr;
         (popup = QApplication::activePopupWidget()) && popup != last; last = popup)
        popup->close();
    for (QWidget *modal = nullptr, *last = nullptr;
         (modal = QApplication::activeModalWidget()) && modal != last; last = modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
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
