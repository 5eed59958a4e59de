#include "mainwindow/settings/SetPage.h"

namespace settings {

SetPage::SetPage(QWidget* page, mainwindow::ControlFactory& factory) {
    fraOption.make(factory, page, QStringLiteral("fraOption"), 3);
    fraOptionCenter0 = factory.make<QFrame>(fraOption[0], QStringLiteral("fraOptionCenter0"));
    fraOptionCenter1 = factory.make<QFrame>(fraOption[1], QStringLiteral("fraOptionCenter1"));
    cmdOptionDisp.make(factory, fraOptionCenter0, QStringLiteral("cmdOptionDisp"), 10);
    lblOption.make(factory, fraOptionCenter1, QStringLiteral("lblOption"), 9);
    for (int clock : {5, 6})
        lblOption[clock]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    txtOption.make(factory, fraOptionCenter1, QStringLiteral("txtOption"), 3);
    // The station is not edited here: its caption goes with its box.
    txtOption[1]->hide();
    lblOption[1]->hide();
    cmbInterval = factory.make<QComboBox>(fraOptionCenter1, QStringLiteral("cmbInterval"));
    for (int seconds : IntervalSeconds)
        cmbInterval->addItem(QString::number(seconds));
    cmbIntermittence =
        factory.make<QComboBox>(fraOptionCenter1, QStringLiteral("cmbIntermittence"));
    for (int seconds : IntermittenceSeconds)
        cmbIntermittence->addItem(QString::number(seconds));
    cmdOption.make(factory, page, QStringLiteral("cmdOption"), 4);
    vfgOption = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgOption"));
    vfgCal = factory.make<platform::FlexGrid>(fraOption[2], QStringLiteral("vfgCal"));
    cmdCal.make(factory, fraOption[2], QStringLiteral("cmdCal"), 3);
    // The settings view shows first; the calibration view replaces it when opened.
    fraOption[2]->hide();
}

}  // namespace settings
