#pragma once

#include <QGroupBox>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "link/uclVyif.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/dataview/DataViewPage.h"
#include "mainwindow/download/DownloadPage.h"
#include "mainwindow/library/LibraryPage.h"
#include "mainwindow/settings/InstrumentPage.h"
#include "mainwindow/settings/SetPage.h"
#include "mainwindow/shell/Layout.h"
#include "mainwindow/shell/WindowServices.h"
#include "platform/gui/CommandButton.h"

namespace shell {

// The program's main window: six page frames beside a column of menu buttons, one object per
// page holding its controls, the instrument link, and the one layout routine that places it
// all. It keeps the program running until it is closed.
class FrmMain : public QMainWindow {
    Q_OBJECT
    // First, so that the link below is made with the ports.
    WindowServices services_;
    mainwindow::ControlRegistry registry_;

  public:
    explicit FrmMain(WindowServices services, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Loads the window on first use and shows it modeless; returns once it is visible.
    void Show();
    bool isLoaded() const { return loaded_; }

    // Lays the window out: on every resize, and after a handler changed what a page shows.
    void Form_Resize();

    // Every control by its name and index.
    const mainwindow::ControlRegistry& controls() const { return registry_; }
    // Where the last layout put every control (twips, relative to its container).
    const LayoutModel& geometry() const { return geometry_; }
    QWidget* client() const { return client_; }

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

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Form_Load();
    LayoutInput layoutInput() const;
    void readLayoutState();
    void applyLayout(const LayoutResult& result);
    // The minimum outer size as the window's minimum: the client area less the frame.
    void enforceMinimumSize();

    QWidget* client_ = nullptr;
    LayoutModel geometry_;
    bool loaded_ = false;
    bool layingOut_ = false;
};

}  // namespace shell
