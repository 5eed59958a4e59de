#pragma once

#include "alarmtrend/FrmIntermittence.h"
#include "mainwindow/common/ReportForms.h"
#include "mainwindow/shell/FrmMain.h"

namespace app {

// The main window as the alarm-trend window reads it: its size, the data page's view, boxes,
// summary and pictures, and the channel names of the program's instrument (the connected one
// once its information was read, else the settings file's).
class MainWindowTrendView : public alarmtrend::MainWindowView {
  public:
    explicit MainWindowTrendView(shell::FrmMain& main) : main_(main) {}
    double Width() const override { return main_.Width(); }
    double Height() const override { return main_.Height(); }
    bool summaryVisible() const override;
    bool optBrowse(int index) const override;
    bool chkBrowse(int index) const override;
    QPixmap picture(const QString& name) const override;
    QString gasName(int gas) const override;

  private:
    shell::FrmMain& main_;
};

// The program's alarm-trend window, made once for the main window and opened by its data
// page's trend search.
class AlarmTrendWindow : public mainwindow::TrendWindow {
  public:
    AlarmTrendWindow(shell::FrmMain& main, platform::Dialogs& dialogs,
                     mainwindow::PrintForms printForms);
    void ShowModal() override { form.ShowModal(); }

    MainWindowTrendView view;
    alarmtrend::FrmIntermittence form;
};

}  // namespace app
