#include "printing/FrmSetPrinter.h"

#include "core/ModMain.h"
#include "platform/gui/Fonts.h"

namespace printing {

SetPrinterLayout LayOutSetPrinter() {
    SetPrinterLayout l;
    l.title = {0, 120, 972, 252};
    l.list = {1080, 120, 3012, 315};
    l.ok = {360, 480, 1452, 372};
    l.cancel = {1920, 480, 1452, 372};
    return l;
}

FrmSetPrinter::FrmSetPrinter(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSetPrinter"));
    // Fixed texts, the same in every language.
    setWindowTitle(QStringLiteral("Printer List"));
    setModal(true);
    setFont(platform::DisplayFont(core::SettingsFont.name, core::SettingsFont.size,
                                  core::SettingsFont.bold));
    lblTitle = new QLabel(QStringLiteral("Printer"), this);
    lblTitle->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    cmbList = new QComboBox(this);
    cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setDefault(true);
    cmdCan = new QPushButton(QStringLiteral("Cancel"), this);
    const SetPrinterLayout l = LayOutSetPrinter();
    platform::placeWidget(lblTitle, l.title);
    platform::placeWidget(cmbList, l.list);
    platform::placeWidget(cmdOk, l.ok);
    platform::placeWidget(cmdCan, l.cancel);
    setFixedSize(platform::toPixels({0, 0, l.width, l.height}).size());
    connect(cmdOk, &QPushButton::clicked, this, &FrmSetPrinter::cmdOk_Click);
    connect(cmdCan, &QPushButton::clicked, this, &FrmSetPrinter::cmdCan_Click);
}

void FrmSetPrinter::Load(const QStringList& deviceNames, const QString& currentName) {
    selNo_ = -1;
    cmbList->clear();
    int current = -1;
    for (int i = 0; i < deviceNames.size(); ++i) {
        cmbList->addItem(deviceNames[i]);
        if (deviceNames[i] == currentName) current = i;  // the last one named so
    }
    cmbList->setCurrentIndex(current);
}

void FrmSetPrinter::cmdOk_Click() {
    selNo_ = cmbList->currentIndex();
    accept();
}

void FrmSetPrinter::cmdCan_Click() {
    selNo_ = -1;
    reject();
}

}  // namespace printing
