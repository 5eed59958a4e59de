#pragma once

#include <QGroupBox>
#include <QTreeWidget>
#include <memory>

#include "core/ClsInstrument.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/dataview/BrowseGraph.h"
#include "mainwindow/dataview/BrowseTable.h"
#include "mainwindow/dataview/DataViewPage.h"
#include "platform/Dialogs.h"
#include "records/ClsAlarm.h"
#include "records/ClsHistory.h"
#include "records/ClsInterval.h"
#include "records/EventRecords.h"

namespace dataview {

// What the data page needs of the rest of the window.
class DataViewHost {
  public:
    virtual ~DataViewHost() = default;
    virtual core::clsInstrument& instrument() = 0;
    virtual void Form_Resize() = 0;
    virtual void BuildLogTree() = 0;
    virtual void tvwLog_NodeClick(QTreeWidgetItem* node) = 0;
};

// The record of each kind of stored download that the page shows, made on first use and kept:
// the table, graph, export, print and trend search read the one of the selected kind.
class BrowseRecords {
  public:
    records::clsInterval& interval();
    records::clsAlarm& alarm();
    records::clsHistory& history();
    records::clsAlarmEvent& alarmEvent();
    records::clsTroubleEvent& troubleEvent();
    records::clsPowerEvent& powerEvent();

  private:
    std::unique_ptr<records::clsInterval> interval_;
    std::unique_ptr<records::clsAlarm> alarm_;
    std::unique_ptr<records::clsHistory> history_;
    std::unique_ptr<records::clsAlarmEvent> alarmEvent_;
    std::unique_ptr<records::clsTroubleEvent> troubleEvent_;
    std::unique_ptr<records::clsPowerEvent> powerEvent_;
};

// The wiring of the data page into the window.
struct DataViewWiring {
    DataViewPage& page;
    QGroupBox* frame;  // fraMenu(3)
    QTreeWidget* tvwLog;
    mainwindow::WindowFields& fields;
    platform::Dialogs& dialogs;
    QString database;
    DataViewHost& host;
};

// The data page's frame: it shows the download the library selected as a table with its
// summary, or (a trend) as a graph, and handles the page's small controls.
class DataView {
  public:
    explicit DataView(DataViewWiring wiring);

    // The stored download shown (Log_Head.Types and SeqNo; 0: nothing selected).
    int32_t SelectedLogType = 0;
    int32_t SelectedLogSeqNo = 0;
    // False after each ShowDataView: the first switch of the view fills it again.
    bool BrowseViewRefilled = false;
    BrowseRecords records;

    void ShowDataView();
    void optBrowse_Click(int index);
    void chkEvent_Click();
    void chkOutline_Click();
    void chkLog_Click(int index);
    void chkBrowse_Click(int index);
    void cmbBrowse_Click();

    // The table and the graph of the download shown.
    void ShowBrowseTable();
    void ShowBrowseGraph();
    GraphView graphView() const;
    BrowseSource source();

  private:
    DataViewWiring w_;
};

}  // namespace dataview
