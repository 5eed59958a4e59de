#pragma once

#include <QWidget>

#include "link/uclVyif.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/download/DownloadHost.h"
#include "mainwindow/download/DownloadPage.h"
#include "mainwindow/download/Downloads.h"
#include "mainwindow/download/FrmUpload.h"
#include "mainwindow/download/WindowLogs.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/gui/CommandButton.h"

namespace download {

// What the Download page's commands reach of the whole window.
struct DownloadWiring {
    DownloadPage& page;
    QWidget* settingsMenuButton;                                        // cmdInst(4)
    QWidget* exitButton;                                                // cmdInst(5)
    mainwindow::ControlArray<platform::CommandButton>& setPageButtons;  // cmdOption
    FrmUpload& progress;
    comm::uclVyif& link;
    WindowLogs& logs;
    mainwindow::WindowFields& fields;
    mainwindow::BusyCounter& busy;
    platform::Dialogs& dialogs;
    platform::EventPump& pump;
    DownloadHost& host;
};

// The Set page's writes to the instrument ("Update", "Date/Time Set", "Default Set") are usable
// only while an instrument is connected. "Calibration" is not among them: its view also serves
// without an instrument.
inline void EnableSetPageWrites(mainwindow::ControlArray<platform::CommandButton>& buttons,
                                bool connected) {
    for (int i : {0, 1, 3})
        buttons[i]->setEnabled(connected);
}

// The commands of the Download page, the reset after a power off and the automatic mode. Each
// command runs to its end inside its handler, holding the window's busy counter; the link waits
// for the instrument in a loop that lets events run, so the progress window's Cancel works.
class DownloadCommands {
  public:
    DownloadCommands(DownloadWiring wiring, Downloads& downloads);

    void cmdDown_Click(int index);
    void chkAutoLoad_Click(int index);
    void RunAutomaticDownload();
    void ResetAfterPowerOff();

    void LockCommands();
    void UnlockCommands();
    void EnableAllCommands();
    void CheckClockOffset();

  private:
    void completeDownload();
    void instrumentDownload(bool getAndSave);
    void singleDownload(bool (Downloads::*download)());
    void clearLoggerData();
    void powerOff();
    void initialize();
    void FinishCompleteDownload();
    bool ask(int text, int title);
    // About two seconds: 20 ticks of the window's clock, counted through the event pump.
    void waitTwoSeconds();
    // The automatic-mode boxes usable again: box 1 only while box 0 is ticked.
    void enableAutomaticBoxes();
    void log(int text, int32_t color);
    void serial(int text, std::initializer_list<rt::Variant> arguments = {});

    DownloadWiring w_;
    Downloads& downloads_;
};

}  // namespace download
