#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "mainwindow/common/ReportForms.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/library/LibraryPage.h"
#include "mainwindow/library/LogLibrary.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"

namespace library {

struct CalibrationListWiring {
    LastCalibrationPage& page;
    QWidget* frame;  // fraMenu(4)
    mainwindow::WindowFields& fields;
    platform::Dialogs& dialogs;
    platform::AppPaths paths;
    // The settings password asked of the user: true when it was given.
    const std::function<bool()>& askPassword;
    LibraryHost& host;
    const mainwindow::PrintForms& printForms;
};

// The Last Calibration page: every instrument's latest calibration with its due state, in
// three views (0 the calibration dates, 1 the calibration values and the days left, 2 only the
// instruments whose calibration is due), and the deletion of one instrument's row.
class CalibrationList {
  public:
    explicit CalibrationList(CalibrationListWiring wiring);

    void ShowCalibrationHistory();
    void optHistory_Click(int index);
    void vfgHistory_MouseDown(int button, int row);
    // The marked row follows the current one.
    void vfgHistory_RowColChange();
    void mnuHistDel_Click();
    // "Print": the last-calibration report of the list, when a data row is the current one.
    void cmdLastCal_Click();

  private:
    int view() const;
    CalibrationListWiring w_;
    // The key of the stored row each line of the list shows, from line 1: a deletion takes the
    // row the user was asked about, whatever is stored meanwhile for the same instrument.
    std::vector<int64_t> rowKeys_;
};

}  // namespace library
