#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "platform/gui/Geometry.h"

namespace printing {

// Where the printer choice places its controls (twips), and its client size.
struct SetPrinterLayout {
    platform::TwipsRect title, list, ok, cancel;
    double width = 4200, height = 870;
};
SetPrinterLayout LayOutSetPrinter();

// The printer choice before every print: the printers' names, the current one preselected.
// `SelNo` is the chosen entry's index, -1 unless OK was pressed with an entry selected.
class FrmSetPrinter : public QDialog {
    Q_OBJECT
  public:
    explicit FrmSetPrinter(QWidget* parent = nullptr);

    // Form_Load: the entries, the last one named as the current printer selected.
    void Load(const QStringList& deviceNames, const QString& currentName);
    int SelNo() const { return selNo_; }

    QLabel* lblTitle;
    QComboBox* cmbList;
    QPushButton* cmdOk;
    QPushButton* cmdCan;

    void cmdOk_Click();
    void cmdCan_Click();

  private:
    int selNo_ = -1;
};

}  // namespace printing
