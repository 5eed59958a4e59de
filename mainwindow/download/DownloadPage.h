#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include "mainwindow/common/Controls.h"
#include "mainwindow/download/StatusLog.h"
#include "platform/gui/CommandButton.h"
#include "platform/gui/StatusLamp.h"

namespace download {

// The Download page (fraMenu(0)): the status lamps, the status log, the instrument's identity,
// the automatic mode and the download commands.
class DownloadPage {
  public:
    DownloadPage(QWidget* page, mainwindow::ControlFactory& factory);
    // The status log in rtbLog.
    StatusLog statusLog() const { return StatusLog(rtbLog); }

    mainwindow::ControlArray<QGroupBox> fraDown;  // 0 status, 1 automatic mode, 2 commands,
                                                  // 3 instrument
    mainwindow::ControlArray<platform::StatusLamp> shpStatus;
    // 0 "Serial Port", 1 "Connect", 8 and 9 the labels of lamps 2 and 3; 2 and 4 the captions
    // of the serial number and user ID, 5 and 7 their values; 11 the caption of the record
    // file suffix; 3, 6 and 10 are not used.
    mainwindow::ControlArray<QLabel> lblStatus;
    QLabel* lblTitle0;
    QTextEdit* rtbLog;
    mainwindow::ControlArray<QCheckBox> chkAutoLoad;
    mainwindow::ControlArray<platform::CommandButton> cmdDown;
    QFrame* fraDown3Ceneter;
    // Shown with "-R": the suffix of the settings record file.
    QFrame* picOptionToZevra;
    QLineEdit* txtSuffix;
};

}  // namespace download
