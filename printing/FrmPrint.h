#pragma once

#include <QImage>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <initializer_list>
#include <vector>

#include "core/ClsInstrument.h"
#include "graph/GraphSurface.h"
#include "graph/uclZvdGraph.h"
#include "platform/AppPaths.h"
#include "platform/Waiting.h"
#include "platform/Dialogs.h"
#include "platform/gui/CellTable.h"
#include "platform/gui/PrinterCatalog.h"
#include "printing/PrintForm.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"

namespace printing {

// Report kinds: the Log_Head.Types of the stored downloads, and 4 the last-calibration list.
enum ReportKind : int32_t {
    KindInterval = 1,
    KindAlarm = 2,
    KindHistory = 3,
    KindLastCalibration = 4,
    KindAlarmEvents = 5,
    KindTroubleEvents = 6,
    KindPowerEvents = 7,
    KindSensorHistory = 8,
};

// What the print form needs of the program.
struct PrintServices {
    platform::PrinterCatalog& printers;
    platform::Dialogs& dialogs;
    platform::AppPaths paths;
};

// The print form: one stored download (or the last-calibration list) as a printed report on
// the printer the user chooses, or in a PDF file. Callers set the properties, load the form
// and call GoPrinter; the properties keep their values from one print to the next. Shown, the
// form is a print preview of the same report.
class FrmPrint : public QWidget, public PrintProperties {
    Q_OBJECT
  public:
    explicit FrmPrint(PrintServices services, QWidget* parent = nullptr);
    ~FrmPrint() override;

    // ---- the properties: those of every print (PrintType 0 the table report, any other
    // value the graph report; Table the caller's sample table for kind 1, the calibration
    // list for kind 4), and the instrument ----
    const core::clsInstrument* InstrumentData = nullptr;

    // The printer choice: the index of the chosen entry, or -1. The dialog by default; tests
    // script it.
    std::function<int(const QStringList& deviceNames, const QString& current)> choosePrinter;

    // ---- the job ----
    // Remembers the current printer; the form is ready to print.
    void Form_Load();
    // Puts the remembered printer back and lets the form go (the properties stay).
    void Form_Unload();
    bool isLoaded() const { return loaded_; }
    // Prints now (loading the form when it is not): the graph filled first for a trend's
    // graph report, then the job. Returns when the job is sent or given up, the form unloaded.
    // While a job runs, another print is refused (the call returns at once).
    void GoPrinter();
    // The job: the printer choice, the page header, the report, the end of the document. The
    // job lets the window's events through now and then, all but the user's input, which
    // waits until the job has ended.
    void cmdPrint_Click();
    // A job runs: the form's properties, columns and graph are the job's.
    bool isPrinting() const { return breathe_ != nullptr; }

    // ---- the page frame ----
    std::array<float, 11> ColumnX{};
    std::array<int32_t, 11> ColumnAlign{};
    void PrintPageHeader(graph::GraphSurface& target);
    // One row: cell i in column first + i.
    void PrintRow(graph::GraphSurface& target, const QStringList& cells, int first = 0);
    // After a data row: on the printer, unless it was the table's last row, a new sheet with
    // the page header when the row reached past 0.95 of the height. Whether it broke.
    bool BreakPage(graph::GraphSurface& target, bool lastRow);

    // ---- the painters ----
    void PrintTrendSummary(graph::GraphSurface& target);
    void PrintDataList(graph::GraphSurface& target);
    void PrintEventReport(graph::GraphSurface& target);
    void PrintCalibrationHistory(graph::GraphSurface& target);
    void PrintLastCalibration(graph::GraphSurface& target);
    // Fills the hidden graph from the trend of the kind.
    void LoadGraph();
    // The report of the kind and PrintType below the page header; the graph report's graph in
    // its box.
    void PrintReport(graph::GraphSurface& target);

    QPushButton* cmdPrint;
    graph::uclZvdGraph* zvdPrint;
    // The preview as last painted.
    const QImage& previewImage() const { return preview_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    class JobScope;
    // The job itself, the form the job's: the printer choice, the report, the form unloaded.
    void printJob();
    // A trend's graph report (not its list, nor a report of another kind).
    bool graphReport() const;
    void blankRow(graph::GraphSurface& target);
    void rule(graph::GraphSurface& target, int width);
    void alignAll(int32_t mode);
    // Columns first, first + 1... at those fractions of the target's width.
    void setColumns(const graph::GraphSurface& target, std::initializer_list<double> at,
                    size_t first = 0);
    // The first n columns aligned by mode.
    void alignFirst(size_t n, int32_t mode);
    // Where a column of a table is narrower than its widest cell (and a gap), the columns after
    // it move right by what is missing (never past the printable width), so that no cell
    // reaches the next; columns wide enough stay where they are. `rows` are the cells the
    // table prints, headings included, cell i in column i.
    void fitColumns(const graph::GraphSurface& target, const std::vector<QStringList>& rows);
    // The PDF file an entry writes to: asked for; nullopt when the user cancels.
    std::optional<QString> pdfFile();
    // Prints the report on the chosen entry; a job that fails is told, never half-kept.
    void printOn(int index);
    // The preview: the report painted on the form.
    void Form_Resize();
    // Paints the report on the form; where the page header ends (the print time's bottom).
    double paintPreview();
    // Sizes the form to the page's proportions, whole on the screen it is on.
    void fitPage(double heightPerWidth);
    // Within a job, lets the window's events through when it is time to.
    void letEventsThrough();

    PrintServices s_;
    bool loaded_ = false;
    QString remembered_;  // the printer current when the form loaded
    bool paintGuard_ = true;
    QImage preview_;
    // The running job's breather (none outside a job): set exactly while a job runs.
    platform::Breather* breathe_ = nullptr;
};

// The chooser of the program: the printer dialog, shown modally.
int ChoosePrinter(const QStringList& deviceNames, const QString& current, QWidget* parent);

}  // namespace printing
