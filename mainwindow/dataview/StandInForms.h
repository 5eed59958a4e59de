#pragma once

#include <QDialog>
#include <QLabel>
#include <vector>

#include "mainwindow/common/ReportForms.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"

namespace dataview {

// The alarm-trend window until it comes: it loads the trend the opening values name and shows
// its caption and size, modally.
class FrmIntermittence : public QDialog, public mainwindow::TrendWindow {
    Q_OBJECT
  public:
    explicit FrmIntermittence(QWidget* parent = nullptr);
    void ShowModal() override;
    // Reads the opening values and reloads the trend they name.
    void LoadTrend();
    QString Caption() const { return caption_; }

    records::clsInterval interval;
    records::clsAlarm alarm;

  private:
    QLabel* text_;
    QString caption_;
};

}  // namespace dataview
