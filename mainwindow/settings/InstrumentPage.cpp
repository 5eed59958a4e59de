#include "mainwindow/settings/InstrumentPage.h"

namespace settings {

InstrumentPage::InstrumentPage(QWidget* page, mainwindow::ControlFactory& factory) {
    fraInst = factory.make<QGroupBox>(page, QStringLiteral("fraInst"));
    fraInstCeneter = factory.make<QFrame>(fraInst, QStringLiteral("fraInstCeneter"));
    lblInst.make(factory, fraInstCeneter, QStringLiteral("lblInst"), 10);
    for (int value : {3, 4, 5, 7, 9})
        lblInst[value]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    vfgInst = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgInst"));
    vfgInstSensor = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgInstSensor"));
}

}  // namespace settings
