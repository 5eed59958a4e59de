#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

#include "mainwindow/common/Controls.h"
#include "platform/gui/FlexGrid.h"

namespace settings {

// The Instrument Information page (fraMenu(1)): the instrument's identity, its calibration
// state and its alarm points.
class InstrumentPage {
  public:
    InstrumentPage(QWidget* page, mainwindow::ControlFactory& factory);

    QGroupBox* fraInst;
    QFrame* fraInstCeneter;
    // Captions 0 serial number, 1 station ID, 2 user ID, 6 ROM number, 8 SUM; their values 3,
    // 4, 5, 7 and 9.
    mainwindow::ControlArray<QLabel> lblInst;
    platform::FlexGrid* vfgInst;
    platform::FlexGrid* vfgInstSensor;
};

}  // namespace settings
