#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <cstdint>

#include "alarmtrend/TrendLayout.h"
#include "graph/uclZvdGraph.h"
#include "platform/Dialogs.h"
#include "platform/gui/FlexGrid.h"
#include "printing/PrintForm.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"
#include "trendview/BrowseGraph.h"

namespace alarmtrend {

// What the window takes over from the main window as it opens: its outer size, the data page's
// view, boxes and summary, the pictures of the trend kinds, and the channel names of the
// program's instrument.
class MainWindowView {
  public:
    virtual ~MainWindowView() = default;
    virtual double Width() const = 0;  // outer, twips
    virtual double Height() const = 0;
    virtual bool summaryVisible() const = 0;
    virtual bool optBrowse(int index) const = 0;  // 0 Table, 1 Graph
    virtual bool chkBrowse(int index) const = 0;  // 0..6
    // "IntervalG", "AlarmG" (table) and "Interval0", "Alarm0" (graph).
    virtual QPixmap picture(const QString& name) const = 0;
    virtual QString gasName(int gas) const = 0;  // 0..4
};

// What the window needs of the system: message boxes and the save dialog, the program folder
// (where the first export is proposed) and the print form.
struct TrendWindowServices {
    platform::Dialogs& dialogs;
    QString programFolder;
    printing::PrintForms printForms;
};

// The alarm-trend window: one stored trend (the opening values TrendSelSeqNo, TrendSelMode and
// TrendSelBaseDate name it) as a table with its summary or as a graph, printed, copied and
// exported. One window lives as long as the main window and is shown modally, so the records
// and the last export's name carry over from one opening to the next.
class FrmIntermittence : public QDialog {
    Q_OBJECT
  public:
    FrmIntermittence(MainWindowView& main, TrendWindowServices services, QWidget* parent = nullptr);
    ~FrmIntermittence() override;

    // Loads the window on the opening values and shows it; returns when it is closed.
    void ShowModal();

    // ---- loading ----
    // Fonts, title, size and place, captions, the data page's view, then the trend. Each step
    // goes on whatever the one before met.
    void Form_Load();
    // Loads the trend of the opening values and fills the table, and the graph when the trend
    // has five samples or more.
    void LoadTrend();

    // ---- the views ----
    void ShowBrowseTable();
    void chkEvent_Click();
    void ShowBrowseGraph();
    void chkBrowse_Click(int index);
    void cmbBrowse_Click();
    // Shows the view that optBrowse(0) selects (the index is not looked at).
    void optBrowse_Click(int index);
    // Lays the window out for its size, view and summary.
    void Form_Resize();

    // ---- commands: 0 Print, 1 To clipboard, 2 Export, 3 Summary, 4 Return ----
    void cmdBrowse_Click(int index);
    // The export text of the shown trend, every line ending in CR LF.
    QString ExportBrowseData(const QString& separator) const;

    // 1 interval trend, 2 alarm trend (the kind of the last load).
    int32_t TrendKind = 0;
    records::clsInterval IntervalRecord;
    records::clsAlarm AlarmRecord;
    // The last file Export wrote ("" before the first).
    QString LastExportFile;

    // ---- controls ----
    QGroupBox* fraMenu;
    std::array<QRadioButton*, 2> optBrowse{};  // 0 Table, 1 Graph
    std::array<QCheckBox*, 7> chkBrowse{};     // 0..4 gases, 5 event marks, 6 cursor
    QLabel* lblTitle1;
    QComboBox* cmbBrowse;
    std::array<QPushButton*, 5> cmdBrowse{};
    QCheckBox* chkEvent;
    platform::FlexGrid* vfgBrowse;
    platform::FlexGrid* vfgSummary;
    graph::uclZvdGraph* zvdGraph;

    // Where the last layout put everything (twips).
    const TrendLayout& geometry() const { return layout_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    trendview::GraphView graphView() const;
    bool tableView() const { return optBrowse[0]->isChecked(); }
    // The graph drawn again and given the focus, when it is shown.
    void refreshGraph();
    void centreAlarmRowLater();
    void print();
    void copyToClipboard();
    // False when the dialog was cancelled or the file could not be written.
    bool exportText();
    bool exportBitmap();
    void applyDisplayFont();
    void placeOnScreen(double outerWidth, double outerHeight);
    void setCaptions();
    void takeOverView();

    MainWindowView& main_;
    TrendWindowServices services_;
    TrendLayout layout_;
    bool layingOut_ = false;
    // The alarm table was filled before the window was on screen: its rows are centred on the
    // alarm once the table has its size.
    bool centrePending_ = false;
    // The graph was filled as the trend loaded, and has not been shown since.
    bool graphFresh_ = false;
};

}  // namespace alarmtrend
