#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "graph/uclZvdGraph.h"
#include "mainwindow/common/Controls.h"
#include "platform/gui/CommandButton.h"
#include "platform/gui/FlexGrid.h"

namespace dataview {

// The data view (fraMenu(3)): one stored download as a table with an optional summary, or as a
// trend graph with its gases, event marks and zoom.
class DataViewPage {
  public:
    DataViewPage(QWidget* page, mainwindow::ControlFactory& factory);

    mainwindow::ControlArray<QRadioButton> optBrowse;  // 0 table, 1 graph
    QCheckBox* chkEvent;
    QCheckBox* chkOutline;
    platform::FlexGrid* vfgSummary;
    platform::FlexGrid* vfgBrowse;
    // The trend graph; the settings file keeps its colours.
    graph::uclZvdGraph* zvdGraph;
    // 0 to 4 the gases, 5 the event marks, 6 the cursor.
    mainwindow::ControlArray<QCheckBox> chkBrowse;
    QLabel* lblTitle1;
    QComboBox* cmbBrowse;
    // 0 print, 1 to the clipboard, 2 export, 3 summary on or off, 4 back to the library.
    mainwindow::ControlArray<platform::CommandButton> cmdBrowse;
    // The pointers shown over a mark that leads to a trend: over an alarm-trend or an
    // interval-trend mark, in the table and in the graph. Never shown themselves.
    QLabel* Alarm0;
    QLabel* Interval0;
    QLabel* AlarmG;
    QLabel* IntervalG;
};

// The 32 x 32 pointer pictures: an arrow with a badge for the kind of trend, and for the graph
// a small trend line in the badge.
QPixmap TrendPointer(bool alarm, bool graph);

}  // namespace dataview
