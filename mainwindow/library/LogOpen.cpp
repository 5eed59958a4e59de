#include "core/ModMain.h"
#include "mainwindow/library/LogLibrary.h"
#include "trendview/BrowseTable.h"

namespace library {

namespace {

enum Text : int {
    TextNoData = 5301,
    TextNoDataTitle = 5302,
    TextNoInstrument = 5359,
    TextNoInstrumentTitle = 5360,
    TextDelete = 5792,
    TextUnusable = 5833,
};
constexpr int InstrumentFrame = 1, DataViewFrame = 3;
constexpr int TypeAlarm = 2;

}  // namespace

LogLibrary::LogLibrary(LibraryWiring wiring) : w_(std::move(wiring)) {
    w_.page.mnuDelete->setText(core::LoadResText(TextDelete));
}

bool LogLibrary::refuseUnusable(int title) {
    if (!unusable_ || w_.dataView.SelectedLogType != 0) return false;
    w_.dialogs.message(
        core::LoadResText(TextUnusable, {unusable_->name, QString::number(unusable_->seqNo)}),
        core::LoadResText(title), platform::MsgIcon::Exclamation);
    return true;
}

void LogLibrary::cmdDetail_Click() {
    dataview::DataView& view = w_.dataView;
    if (refuseUnusable(TextNoDataTitle)) return;
    if (view.SelectedLogType == 0) {
        w_.dialogs.message(core::LoadResText(TextNoData), core::LoadResText(TextNoDataTitle),
                           platform::MsgIcon::Information);
        return;
    }
    dataview::DataViewPage& p = w_.dataPage;
    if (!p.optBrowse[0]->isChecked() && !p.optBrowse[1]->isChecked())
        p.optBrowse[0]->setChecked(true);
    // Interval trends open condensed unless the settings ask for every sample.
    core::OutlineMode = !core::CompletelyView;
    view.ShowDataView();
    showOnly(DataViewFrame);
    if (view.SelectedLogType == TypeAlarm)
        dataview::ScrollToAlarm(view.records.alarm(), *p.vfgBrowse);
}

void LogLibrary::cmdLogInst_Click() {
    dataview::DataView& view = w_.dataView;
    if (refuseUnusable(TextNoInstrumentTitle)) return;
    if (view.SelectedLogType == 0 || view.SelectedLogSeqNo == 0) {
        w_.dialogs.message(core::LoadResText(TextNoInstrument),
                           core::LoadResText(TextNoInstrumentTitle),
                           platform::MsgIcon::Information);
        return;
    }
    // Into the stored instrument's own object: the connected instrument stays as it is.
    core::clsInstrument& stored = w_.host.storedInstrument();
    stored.LoadDatabase(view.SelectedLogSeqNo);
    w_.host.ShowInstrumentInfo(stored);
    showOnly(InstrumentFrame);
}

void LogLibrary::showOnly(int frame) {
    for (QGroupBox* each : w_.fraMenu)
        each->hide();
    w_.fraMenu[frame]->show();
    w_.host.Form_Resize();
}

}  // namespace library
