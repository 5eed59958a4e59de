#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>

#include "core/ModMain.h"
#include "mainwindow/common/WaitCursor.h"
#include "mainwindow/common/WidgetLock.h"
#include "mainwindow/dataview/DataView.h"
#include "mainwindow/download/WindowLogs.h"
#include "platform/Waiting.h"
#include "runtime/RuntimeError.h"
#include "trendview/ExportFile.h"

namespace dataview {

namespace {

enum Text : int {
    TextTextFilter = 5701,
    TextBitmapFilter = 5712,
};

constexpr int ActivityWriting = 8;

// While an export or a print runs (each lets the window's events through), nothing else can
// start from the window: the page's buttons, the library and the menu are off, and the window
// counts as busy.
class CommandLock {
  public:
    explicit CommandLock(DataViewWiring& w)
        : busy_(w.busy, platform::UserInput::Allowed), widgets_(w.page.cmdBrowse, w.menu, std::array<QWidget*, 1>{w.library}) {}

  private:
    mainwindow::BusyScope busy_;
    mainwindow::WidgetLock widgets_;
};

}  // namespace

void DataView::cmdBrowse_Click(int index) {
    switch (index) {
        case 0:
            print();
            break;
        case 1:
            copyToClipboard();
            break;
        case 2:
            // A cancelled dialog or a failed write ends the command here.
            if (!(w_.page.optBrowse[0]->isChecked() ? exportText() : exportBitmap())) return;
            break;
        case 3:
            w_.page.vfgSummary->setVisible(w_.page.vfgSummary->isHidden());
            w_.host.Form_Resize();
            break;
        case 4:
            w_.host.cmdInst_Click(2);
            break;
        default:
            break;
    }
    finalRefresh();
}

void DataView::finalRefresh() {
    graph::uclZvdGraph* g = w_.page.zvdGraph;
    if (g->isHidden()) return;
    g->Refresh();
    g->setFocus();
}

// ---- print and copy ----------------------------------------------------------------------------

void DataView::print() {
    const mainwindow::WaitCursor wait;
    if (!w_.printForms) return;
    const CommandLock lock(w_);
    const std::unique_ptr<mainwindow::PrintForm> form = w_.printForms();
    form->PrintType = w_.page.optBrowse[0]->isChecked() ? 0 : -1;
    form->DataType = SelectedLogType;
    form->SeqNo = SelectedLogSeqNo;
    if (SelectedLogType != TypeInterval)
        form->AlarmData = &records.alarm();
    else
        form->IntervalData = &records.interval();
    // An interval trend's list is the table as the page shows it.
    form->Table = w_.page.vfgBrowse;
    form->GoPrinter();
}

ExportSource DataView::exportSource() {
    ExportSource s;
    s.type = SelectedLogType;
    s.seqNo = SelectedLogSeqNo;
    s.database = w_.paths.database();
    s.debug = core::DebugMode;
    if (SelectedLogType == TypeInterval) s.interval = &records.interval();
    if (SelectedLogType == TypeAlarm) s.alarm = &records.alarm();
    if (SelectedLogType == TypeHistory) s.history = &records.history();
    return s;
}

void DataView::copyToClipboard() {
    const mainwindow::WaitCursor wait;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    if (w_.page.optBrowse[0]->isChecked())
        clipboard->setText(ExportBrowseData(exportSource(), QStringLiteral("\t"), nullptr));
    else
        clipboard->setImage(w_.page.zvdGraph->Picture());
}

// ---- export ------------------------------------------------------------------------------------

bool DataView::exportText() {
    return RunExport(
        w_.dialogs, w_.fields.LastExportFile, w_.paths.programFolder(), QStringLiteral("csv"),
        TextTextFilter, [this](const QString& path, int filter) {
            const CommandLock lock(w_);
            const mainwindow::WaitCursor wait;
            download::ActivityCode = ActivityWriting;
            w_.progress.Show(ActivityWriting);
            const auto restore = qScopeGuard([this] {
                w_.progress.Unload();
                download::ActivityCode = 0;
            });
            const QString separator = ExportSeparator(filter);
            return WriteExportFile(w_.dialogs, path, [&](LineSink& sink) {
                platform::Breather breathe;
                if (SelectedLogType == TypeInterval)
                    ExportBrowseData(exportSource(), separator, &sink, std::ref(breathe));
                else
                    sink.write(ExportBrowseData(exportSource(), separator, nullptr) +
                               QStringLiteral("\r\n"));
            });
        });
}

bool DataView::exportBitmap() {
    return RunExport(w_.dialogs, w_.fields.LastExportFile, w_.paths.programFolder(),
                     QStringLiteral("bmp"), TextBitmapFilter, [this](const QString& path, int) {
                         return WriteBitmapFile(w_.dialogs, path, w_.page.zvdGraph->Picture());
                     });
}

}  // namespace dataview
