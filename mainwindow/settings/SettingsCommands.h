#pragma once

#include "link/uclVyif.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WidgetLock.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/download/FrmUpload.h"
#include "mainwindow/download/WindowLogs.h"
#include "mainwindow/settings/CalibrationView.h"
#include "mainwindow/settings/InstrumentSettings.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/gui/CommandButton.h"

namespace settings {

// What the Set page's commands need of the rest of the window.
class SettingsCommandsHost {
  public:
    virtual ~SettingsCommandsHost() = default;
    virtual void AppendStatusLog(const QString& text, int32_t color) = 0;
    virtual void RefreshInstrumentPages() = 0;
    virtual void deviceUpdateLog(core::clsInstrument& instrument) = 0;
};

struct SettingsCommandsWiring {
    SetPage& page;
    mainwindow::ControlArray<platform::CommandButton>& cmdInst;  // the left menu
    mainwindow::BusyCounter& busy;
    comm::uclVyif& link;
    download::WindowLogs& logs;
    download::FrmUpload& progress;
    platform::Dialogs& dialogs;
    platform::AppPaths paths;
    InstrumentSettings& settings;
    CalibrationView& calibration;
    SettingsCommandsHost& host;
};

// The Set page's commands: 0 upload the changed settings, 1 set the instrument's clock, 2 open
// the calibration view, 3 write the default values.
class SettingsCommands {
  public:
    explicit SettingsCommands(SettingsCommandsWiring wiring);
    void cmdOption_Click(int index);
    // The side buttons: 0 chooses the display font, 1 to 5 the graph colours (the buttons keep
    // them until the settings are saved); 6, 8 and 9 read the memory dump lists "EP", "EF" and
    // "ES" into Dump.dat, DumpEF.dat and DumpES.dat of the program folder; 7 opens the option
    // dialog.
    void cmdOptionDisp_Click(int index);
    // The option dialog on an instrument, modal (7); tests replace it.
    std::function<void(core::clsInstrument&)> optionDialog;

  private:
    // The frame of the three writes: the question, the progress window, the log lines, the
    // write itself and its result. `write` returns whether it succeeded; `sent` is whether it
    // sends anything at all.
    void runWrite(const std::function<bool()>& write, bool sent);
    bool ask(int text, int title);
    void dumpList(int index);
    // The page's buttons and the menu off for as long as the returned lock lives.
    mainwindow::WidgetLock lockButtons() const;
    // After the lock: an instrument lost meanwhile leaves the writes off.
    void keepWritesToTheLink();

    SettingsCommandsWiring w_;
};

}  // namespace settings
