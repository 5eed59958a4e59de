#pragma once

#include <QGroupBox>
#include <array>

#include "link/uclVyif.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/download/FrmUpload.h"
#include "mainwindow/download/WindowLogs.h"
#include "mainwindow/settings/InstrumentSettings.h"
#include "platform/Dialogs.h"
#include "platform/gui/CommandButton.h"

namespace settings {

// What the calibration view needs of the rest of the window.
class CalibrationHost {
  public:
    virtual ~CalibrationHost() = default;
    virtual void AppendStatusLog(const QString& text, int32_t color) = 0;
    virtual void Form_Resize() = 0;
};

struct CalibrationWiring {
    SetPage& page;
    mainwindow::ControlArray<platform::CommandButton>& cmdInst;  // the left menu
    mainwindow::WindowFields& fields;
    mainwindow::BusyCounter& busy;
    comm::uclVyif& link;
    download::WindowLogs& logs;
    download::FrmUpload& progress;
    const std::array<float, 6>& liveReadings;
    platform::Dialogs& dialogs;
    InstrumentSettings& settings;
    CalibrationHost& host;
};

// The Set page's calibration view: zero and span adjustments of the connected instrument with
// its live reading shown.
class CalibrationView {
  public:
    explicit CalibrationView(CalibrationWiring wiring);

    // The gases a span adjusts (0 to 5).
    std::array<bool, 6> SpanSelect{};
    // True while a zero or span adjustment runs.
    bool CalibrationBusy = false;

    // The Set page's "Calibration": the view opens and the live readings start.
    void Open();
    // 0 zero, 1 span, 2 close.
    void cmdCal_Click(int index);
    // The span argument: the selected gases' flags, then each gas's span value in counts.
    QString SpanArgument() const;

  private:
    void zero();
    void span();
    void close();
    // The per-gas outcome of a completed adjustment.
    QString results(bool span) const;
    // Buttons off, the activity, the progress window with the activity's text, the poll
    // stopped.
    void beginRun(int32_t activity);
    // Buttons, poll, activity, progress window and busy guard as they were, however a run
    // ends.
    void endRun();

    CalibrationWiring w_;
};

}  // namespace settings
