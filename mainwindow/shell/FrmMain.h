#pragma once

#include <QGroupBox>
#include <QMainWindow>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "core/Settings.h"
#include "link/uclVyif.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/dataview/DataView.h"
#include "mainwindow/dataview/DataViewPage.h"
#include "mainwindow/download/DownloadCommands.h"
#include "mainwindow/download/DownloadPage.h"
#include "mainwindow/download/Downloads.h"
#include "mainwindow/download/FrmUpload.h"
#include "mainwindow/download/LinkEvents.h"
#include "mainwindow/download/WindowLogs.h"
#include "mainwindow/library/CalibrationList.h"
#include "mainwindow/library/FrmPassword.h"
#include "mainwindow/library/LibraryPage.h"
#include "mainwindow/library/LogLibrary.h"
#include "mainwindow/settings/CalibrationView.h"
#include "mainwindow/settings/InstrumentInfo.h"
#include "mainwindow/settings/InstrumentPage.h"
#include "mainwindow/settings/InstrumentSettings.h"
#include "mainwindow/settings/SetPage.h"
#include "mainwindow/settings/SettingsCommands.h"
#include "mainwindow/shell/Layout.h"
#include "mainwindow/shell/WindowServices.h"
#include "platform/gui/CommandButton.h"
#include "runtime/RuntimeError.h"

class QSessionManager;

namespace shell {

// The program's main window: six page frames beside a column of menu buttons, one object per
// page holding its controls, the instrument link, and the one layout routine that places it
// all. It keeps the program running until it is closed.
class FrmMain : public QMainWindow,
                public core::SettingsWindow,
                public download::DownloadHost,
                public dataview::DataViewHost,
                public library::LibraryHost,
                public settings::InstrumentInfoHost,
                public settings::InstrumentSettingsHost,
                public settings::CalibrationHost,
                public settings::SettingsCommandsHost {
    Q_OBJECT
    // First, so that the link below is made with the ports.
    WindowServices services_;
    mainwindow::ControlRegistry registry_;

  public:
    // Form_Initialize: the window with its controls, before anything is loaded.
    explicit FrmMain(WindowServices services, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Loads the window on first use and shows it modeless; returns once it is visible.
    void Show();
    bool isLoaded() const { return loaded_; }

    // ---- start-up and the life of the window ----
    // Prepares the folders and the database, the defaults and the settings file, the captions,
    // the link and its port, and the serial log. Every step goes on whatever the one before
    // met.
    void Form_Load();
    // The start-up block runs once per arming (ActivationPending); every activation lays the
    // window out.
    void Form_Activate() override;
    void SetDefaults() override;
    void OpenInstrumentPort() override;
    // The port numbers of the adapters of the instrument's kind plugged in now, looked up
    // again while its port is away; that several are plugged in is told once.
    std::vector<int> LocateInstrumentPort();
    // The link's port set for the adapter at `port`.
    void SelectInstrumentPort(int port);
    void RotateSerialLogs();

    // ---- the menu ----
    void cmdInst_Click(int index) override;
    void UpdateStatusLabels() override;
    void RefreshDataPage();

    // ---- what the pages fill (the least their owners ask for until they come) ----
    void BuildLogTree() override;
    void tvwLog_NodeClick(QTreeWidgetItem* node) override;
    void ShowCalibrationHistory();
    void optHistory_Click(int index);
    void ShowInstrumentInfo(const core::clsInstrument& instrument) override;
    core::clsInstrument& storedInstrument() override;
    void ShowSettingsGrid() override;
    void RefreshInstrumentPages() override;
    void deviceUpdateLog(core::clsInstrument& instrument) override;
    void ShowLiveReading() override;

    // ---- closing ----
    // The close request: refused without a question while a command runs, else asked.
    bool Form_QueryUnload();
    // The accepted close: the link's timer stops, then the display settings are saved.
    void Form_Unload();
    void SaveDisplaySettings() override;
    // The end the system asks for (a termination signal, which came `msSinceSignal` before):
    // the window closes as its accepted close does, without the question. A running command is
    // cancelled first, and the window waits (through the event loop) until it has ended; then
    // the settings are saved and the application quits. A second request while the first
    // one's end is under way changes nothing. The process's own limit (TerminationSignals)
    // ends it whatever this thread does.
    void Terminate(qint64 msSinceSignal = 0);
    // How long after the signal Terminate() lets the running work take before the program ends
    // without it, its settings saved first (while the window thread lets its events through):
    // the save keeps the rest of the limit for itself. How the program ends then (the
    // process's exit, with status 1 when the settings could not be saved; tests record it).
    int terminationGraceMs = 6000;
    std::function<void(int status)> endProcess = [](int status) { std::_Exit(status); };
    // The settings file read again, with the fonts, colours and automatic-mode boxes it holds.
    void ReloadSettings() override;

    // ---- the status log and the clock ----
    void AppendStatusLog(const QString& text, int32_t color) override;
    void tmrInter_Timer();

    // Lays the window out: on every resize, and after a handler changed what a page shows.
    void Form_Resize() override;

    // ---- what the settings file reads and writes of the window ----
    int16_t WindowState() const override;
    void setWindowState(int16_t state) override;
    float Width() const override;
    void setWidth(float twips) override;
    float Height() const override;
    void setHeight(float twips) override;
    int16_t chkLog(int index) const override;
    void setChkLog(int index, int16_t value) override;
    core::GraphColorProperties& zvdGraph() override;

    // Every control by its name and index.
    const mainwindow::ControlRegistry& controls() const { return registry_; }
    // Where the last layout put every control (twips, relative to its container).
    const LayoutModel& geometry() const { return geometry_; }
    QWidget* client() const { return client_; }
    const WindowServices& services() const { return services_; }

    // ---- the window's fields and objects ----
    mainwindow::WindowFields fields;
    mainwindow::BusyCounter busy;
    // The connected instrument (created on first use) and one collection per log.
    download::WindowLogs logs;
    core::clsInstrument& instrument() override { return logs.instrument(); }

    // ---- controls ----
    // 0 Download, 1 instrument information, 2 Data (the library), 3 data view, 4 Last
    // Calibration, 5 Set.
    mainwindow::ControlArray<QGroupBox> fraMenu;
    // 0 Download, 1 Instrument Information, 2 Data, 3 Last Calibration, 4 Set, 5 Exit.
    mainwindow::ControlArray<platform::CommandButton> cmdInst;
    std::unique_ptr<download::DownloadPage> downloadPage;
    std::unique_ptr<settings::InstrumentPage> instrumentPage;
    std::unique_ptr<library::LibraryPage> libraryPage;
    std::unique_ptr<dataview::DataViewPage> dataPage;
    std::unique_ptr<library::LastCalibrationPage> lastCalibrationPage;
    std::unique_ptr<settings::SetPage> setPage;
    // The window's 100 ms clock (started with the defaults).
    QTimer tmrInter;
    // The instrument link; owned by the window, never shown.
    comm::uclVyif uclVY5103;
    // The progress window, the downloads, the Download page's commands and the link's events.
    std::unique_ptr<download::FrmUpload> frmUpload;
    std::unique_ptr<download::Downloads> downloads;
    std::unique_ptr<download::DownloadCommands> downloadCommands;
    std::unique_ptr<download::LinkEvents> linkEvents;
    // The data page's frame: the stored download it shows and the handlers of its controls.
    std::unique_ptr<dataview::DataView> dataView;
    // The Data page's library: the tree, the list and the details of the stored downloads.
    std::unique_ptr<library::LogLibrary> logLibrary;
    // The Last Calibration page's list.
    std::unique_ptr<library::CalibrationList> calibrationList;
    // The Instrument Information page.
    std::unique_ptr<settings::InstrumentInfo> instrumentInfo;
    // The Set page's settings and the calibration view's grid.
    std::unique_ptr<settings::InstrumentSettings> instrumentSettings;
    // The Set page's calibration view.
    std::unique_ptr<settings::CalibrationView> calibrationView;
    // The Set page's commands: upload, clock, calibration, defaults.
    std::unique_ptr<settings::SettingsCommands> settingsCommands;
    // Asks for the settings password before a deletion (the password dialog; tests script it).
    std::function<bool()> askPassword;

  signals:
    // The start-up block of the activation ran.
    void activated();
    // The display settings are taken; the settings file is written next.
    void aboutToSaveSettings();
    // The window has ended at the system's request (Terminate): the program ends with it.
    void terminated();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    LayoutInput layoutInput() const;
    void readLayoutState();
    void applyLayout(const LayoutResult& result);
    // The minimum outer size as the window's minimum: the client area less the frame.
    void enforceMinimumSize();
    // Size (at the first run) and place of the window on its screen.
    void placeOnScreen();
    // The display font on every control, the page frames in bold.
    void applyDisplayFont();
    // The automatic-mode boxes from the settings, without asking the user.
    void showAutomaticMode();
    void readSettingsFile();
    // A database file that cannot be opened (`refusal`) is told in red, with what is wrong
    // with it.
    void tellUnusableDatabase(const QString& path, const rt::RuntimeError& refusal);
    // Each table of the database that lacks columns of the schema is told in red.
    void tellMissingColumns(const platform::Database& db);
    // A symbolic link at one of the program's files (or folders) whose target is missing is the
    // user's, kept as it is: told in red with where it leads. True when it was one.
    bool tellLinkLeadingNowhere(const QString& path);
    void showDisplaySettings();
    void connectDataView();
    void connectLibrary();
    // Runs a handler of a user's action; an error, and the damaged stored data it came upon,
    // are told in one message when the action ends, and the window goes on. A handler that
    // runs inside another (a box that the first one sets) counts as part of that action.
    void guarded(const std::function<void()>& handler);
    void lightPortLamp();
    // The link's port properties for the adapter found (IrCommNum), or no serial link.
    void configureInstrumentPort();
    void sessionCommitData(QSessionManager& manager);
    // The end of Terminate() once no command runs.
    void finishTermination();
    // The window unloaded, its settings saved, once.
    void unloadAtTheEnd();
    // The end of Terminate() when the running work has not ended in time.
    void endNow();
    // As the progress window's Cancel does; a command without that button stops at the link.
    void cancelRunningCommand();
    // The popup menus and modal dialogs that are open, dismissed so that their callers go on.
    void dismissOpenDialogs();
    // Runs one step of the start-up; an error is noted and the next step runs.
    void step(const char* name, const std::function<void()>& work);

    QWidget* client_ = nullptr;
    LayoutModel geometry_;
    bool loaded_ = false;
    bool layingOut_ = false;
    bool relayoutPending_ = false;
    bool placed_ = false;
    bool unloaded_ = false;
    // Saves of the settings under way: a save's sync waits with the window's events going on,
    // and the end's save must not start inside it (both would write the same file).
    int savingSettings_ = 0;
    // The end without the running work came while a save was under way: it follows the save.
    bool endAfterSave_ = false;
    bool severalAdaptersTold_ = false;
    // While Terminate() waits for the running work to end.
    // The end asked for has been taken (saved and closed, or ended without the work).
    bool ended_ = false;
    // The user's actions whose handlers run, one inside a wait of the other: the wait depth
    // each began at, and the errors of its handlers.
    struct Action {
        int depth = 0;
        QStringList errors;
    };
    std::vector<Action> actions_;
};

}  // namespace shell
