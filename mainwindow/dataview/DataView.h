#pragma once

#include <QGroupBox>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <vector>

#include "core/ClsInstrument.h"
#include "mainwindow/common/Controls.h"
#include "mainwindow/common/ReportForms.h"
#include "mainwindow/common/WindowState.h"
#include "mainwindow/dataview/DataViewPage.h"
#include "mainwindow/download/FrmUpload.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"
#include "platform/gui/CommandButton.h"
#include "records/ClsAlarm.h"
#include "records/ClsHistory.h"
#include "records/ClsInterval.h"
#include "records/EventRecords.h"
#include "trendview/BrowseGraph.h"
#include "trendview/BrowseTable.h"
#include "trendview/ExportFile.h"
#include "trendview/ExportText.h"

namespace dataview {

// The shared trend views: the table, the summary and the export text.
using trendview::AlignedRowsLimit;
using trendview::BrowseSource;
using trendview::ExportBrowseData;
using trendview::ExportSeparator;
using trendview::ExportSource;
using trendview::GraphSamples;
using trendview::GraphSource;
using trendview::GraphView;
using trendview::LineSink;
using trendview::RunExport;
using trendview::ScrollToAlarm;
using trendview::ShowBrowseTable;
using trendview::TableOptions;
using trendview::TypeAlarm;
using trendview::TypeAlarmEvents;
using trendview::TypeHistory;
using trendview::TypeInterval;
using trendview::TypeNone;
using trendview::TypePowerEvents;
using trendview::TypeSensorHistory;
using trendview::TypeTroubleEvents;
using trendview::ValidSampleCount;
using trendview::WriteBitmapFile;
using trendview::WriteExportFile;

// What the data page needs of the rest of the window.
class DataViewHost {
  public:
    virtual ~DataViewHost() = default;
    virtual core::clsInstrument& instrument() = 0;
    virtual void Form_Resize() = 0;
    virtual void BuildLogTree() = 0;
    virtual void tvwLog_NodeClick(QTreeWidgetItem* node) = 0;
    virtual void cmdInst_Click(int index) = 0;
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
    QGroupBox* frame;    // fraMenu(3)
    QGroupBox* library;  // fraMenu(2)
    QTreeWidget* tvwLog;
    mainwindow::ControlArray<platform::CommandButton>& menu;  // cmdInst
    download::FrmUpload& progress;
    mainwindow::WindowFields& fields;
    mainwindow::BusyCounter& busy;
    platform::Dialogs& dialogs;
    platform::AppPaths paths;
    DataViewHost& host;
    const mainwindow::PrintForms& printForms;
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

    // Print, To clipboard, Export, Summary and Return.
    void cmdBrowse_Click(int index);
    // The trend behind an event mark of the graph or an event cell of the table.
    void zvdGraph_MouseDown(int button, int shift, float x, float y);
    void zvdGraph_MouseMove(int button, int shift, float x, float y);
    void vfgBrowse_MouseDown();
    void vfgBrowse_MouseMove();

    // The alarm-trend window the trend search opens.
    mainwindow::TrendWindow* trendWindow = nullptr;

    // The table and the graph of the download shown.
    void ShowBrowseTable();
    void ShowBrowseGraph();
    GraphView graphView() const;
    BrowseSource source();

  private:
    void print();
    void copyToClipboard();
    // False when the dialog was cancelled or the file could not be written.
    bool exportText();
    bool exportBitmap();
    ExportSource exportSource();
    // The trend behind an event at that moment: opened in the alarm-trend window, or the user
    // is told there is none. `setPointer` sets the pointer of the control clicked.
    void openTrend(rt::OleDate eventDate, const std::function<void(int)>& setPointer);
    void finalRefresh();

    DataViewWiring w_;
};

}  // namespace dataview
