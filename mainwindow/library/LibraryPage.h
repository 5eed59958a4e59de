#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "mainwindow/common/Controls.h"
#include "platform/gui/CommandButton.h"
#include "platform/gui/FlexGrid.h"
#include "platform/gui/KeyedList.h"
#include "platform/gui/KeyedTree.h"

namespace library {

// The Data page (fraMenu(2)): the stored downloads as a tree and a list, the details of the
// selected one, and the buttons that open it.
class LibraryPage {
  public:
    LibraryPage(QWidget* page, mainwindow::ControlFactory& factory);

    platform::KeyedTree* tvwLog;
    QGroupBox* fraLog;
    QFrame* fraLogCenter;
    // How the tree groups the downloads: 0 serial number, 1 station ID, 2 user ID.
    mainwindow::ControlArray<QCheckBox> chkLog;
    platform::CommandButton* cmdLogInst;
    platform::KeyedList* lvwLog;
    // The popup of the tree and the list: delete the stored data under a node or item.
    QMenu* mnuDeletes;
    QAction* mnuDelete;
    platform::FlexGrid* vfgLog;
    platform::CommandButton* cmdDetail;
};

// The Last Calibration page (fraMenu(4)): every instrument's latest calibration.
class LastCalibrationPage {
  public:
    LastCalibrationPage(QWidget* page, mainwindow::ControlFactory& factory);

    // 0 the instruments due, 1 by calibration date, 2 the calibration records.
    mainwindow::ControlArray<QRadioButton> optHistory;
    platform::FlexGrid* vfgHistory;
    platform::CommandButton* cmdLastCal;
    // The grid's popup: delete the calibration row.
    QMenu* mnuHistDels;
    QAction* mnuHistDel;
};

}  // namespace library
