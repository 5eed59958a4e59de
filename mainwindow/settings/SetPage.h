#pragma once

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "mainwindow/common/Controls.h"
#include "platform/gui/ColorButton.h"
#include "platform/gui/CommandButton.h"
#include "platform/gui/FlexGrid.h"

namespace settings {

// The periods the trend lists offer (seconds), in list order.
inline constexpr int IntervalSeconds[] = {10, 20, 30, 60, 180, 300, 600};
inline constexpr int IntermittenceSeconds[] = {30, 60, 120, 180, 240, 300};

// The Set page (fraMenu(5)): display font and colours with the service lists, the instrument's
// settings or, in the calibration view, the calibration grid, and the alarm-point grid.
class SetPage {
  public:
    SetPage(QWidget* page, mainwindow::ControlFactory& factory);

    // 0 font and colour, 1 the instrument's settings, 2 calibration.
    mainwindow::ControlArray<QGroupBox> fraOption;
    QFrame* fraOptionCenter0;
    QFrame* fraOptionCenter1;
    // 0 the display font, 1 to 5 the graph colours, 6, 8 and 9 the dump lists, 7 the factory
    // settings.
    mainwindow::ControlArray<platform::ColorButton> cmdOptionDisp;
    // 0 to 4, 7 and 8 captions; 5 and 6 the computer's and the instrument's clock.
    mainwindow::ControlArray<QLabel> lblOption;
    // 0 the serial number, 2 the user ID (1, the station, is not edited here).
    mainwindow::ControlArray<QLineEdit> txtOption;
    // The interval trend's and the alarm trend's periods (seconds).
    QComboBox* cmbInterval;
    QComboBox* cmbIntermittence;
    mainwindow::ControlArray<platform::CommandButton> cmdOption;
    platform::FlexGrid* vfgOption;
    platform::FlexGrid* vfgCal;
    mainwindow::ControlArray<platform::CommandButton> cmdCal;
};

}  // namespace settings
