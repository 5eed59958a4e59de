#include "core/ModMain.h"
#include "mainwindow/dataview/BrowseTable.h"
#include "mainwindow/library/LogLibrary.h"

namespace library {

namespace {

enum Text : int { TextNoData = 5301, TextNoDataTitle = 5302, TextDelete = 5792 };
constexpr int DataViewFrame = 3;
constexpr int TypeAlarm = 2;

}  // namespace

LogLibrary::LogLibrary(LibraryWiring wiring) : w_(std::move(wiring)) {
    w_.page.mnuDelete->setText(core::LoadResText(TextDelete));
}

void LogLibrary::cmdDetail_Click() {
    dataview::DataView& view = w_.dataView;
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
    for (QGroupBox* frame : w_.fraMenu)
        frame->hide();
    w_.fraMenu[DataViewFrame]->show();
    w_.host.Form_Resize();
    if (view.SelectedLogType == TypeAlarm)
        dataview::ScrollToAlarm(view.records.alarm(), *p.vfgBrowse);
}

}  // namespace library
