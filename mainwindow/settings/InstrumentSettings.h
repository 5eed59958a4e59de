#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <memory>

#include "core/ClsInstrument.h"
#include "link/uclVyif.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/settings/SetPage.h"

namespace settings {

// What the Set page needs of the rest of the window.
class InstrumentSettingsHost {
  public:
    virtual ~InstrumentSettingsHost() = default;
    // The connected instrument's object (made when missing).
    virtual core::clsInstrument& instrument() = 0;
};

struct InstrumentSettingsWiring {
    SetPage& page;
    QLineEdit* txtSuffix;  // on the Download page
    mainwindow::WindowFields& fields;
    comm::uclVyif& link;
    // The last live readings of gases 0 to 4 (the link's events keep them).
    const std::array<float, 6>& liveReadings;
    InstrumentSettingsHost& host;
};

// The Set page's settings of the connected instrument: the serial number, the user ID, the
// trend periods and the alarm points and span gas value of gas 3, edited straight into the
// instrument's object (whose setters raise the change flags) and checked as typed; and the
// calibration view's grid.
class InstrumentSettings {
  public:
    explicit InstrumentSettings(InstrumentSettingsWiring wiring);

    void ShowSettingsGrid();
    void SaveAutoCalibFlags();
    bool IsAlarmOrderValid(int16_t gas);
    bool IsAtWarningLevel(int16_t gas, float value);

    void txtOption_KeyPress(int index, int& keyAscii);
    // Every change of the serial number's or the user ID's text, whatever its way (keys, paste,
    // drop, input method): characters a key may not give are dropped and the text is cut at the
    // box's length, with one beep.
    void txtOption_Change(int index);
    void txtOption_Validate(int index);
    void txtSuffix_Validate();
    void cmbInterval_Click();
    void cmbIntermittence_Click();
    void vfgOption_BeforeEdit(int row, int col, bool& cancel);
    void vfgOption_ValidateEdit(int row, int col, bool& cancel);

    // The calibration view's grid: the span gas value and the live reading of gas 3.
    void SetupCalibrationGrid();
    void ShowLiveReading();
    void vfgCal_BeforeEdit(int row, int col, bool& cancel);
    void vfgCal_ValidateEdit(int row, int col, bool& cancel);

  private:
    void connectControls();
    bool instrumentPresent();
    // The value a setting takes: on its step, or (a channel without a usable step) rounded
    // to the gas's decimals.
    float stepped(float value);
    InstrumentSettingsWiring w_;
    std::unique_ptr<QObject> keyFilter_;
};

}  // namespace settings
