#include "app/TrendWindow.h"

#include "core/ModMain.h"

namespace app {

bool MainWindowTrendView::summaryVisible() const {
    return !main_.dataPage->vfgSummary->isHidden();
}

bool MainWindowTrendView::optBrowse(int index) const {
    return main_.dataPage->optBrowse[index]->isChecked();
}

bool MainWindowTrendView::chkBrowse(int index) const {
    return main_.dataPage->chkBrowse[index]->isChecked();
}

QPixmap MainWindowTrendView::picture(const QString& name) const {
    const dataview::DataViewPage& page = *main_.dataPage;
    QLabel* label = name == QLatin1String("IntervalG")   ? page.IntervalG
                    : name == QLatin1String("AlarmG")    ? page.AlarmG
                    : name == QLatin1String("Interval0") ? page.Interval0
                                                         : page.Alarm0;
    return label->pixmap();
}

QString MainWindowTrendView::gasName(int gas) const {
    const core::clsInstrument& connected = main_.instrument();
    return connected.CommFlags() != 0 ? connected.GasName(gas)
                                      : core::DefaultInstrument.GasName(gas);
}

AlarmTrendWindow::AlarmTrendWindow(shell::FrmMain& main, platform::Dialogs& dialogs,
                                   mainwindow::PrintForms printForms)
    : view(main),
      form(view, {dialogs, main.services().paths.programFolder(), std::move(printForms)}, &main) {
    main.dataView->trendWindow = this;
}

}  // namespace app
