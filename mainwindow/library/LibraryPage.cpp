#include "mainwindow/library/LibraryPage.h"

#include <QHeaderView>

namespace library {

LibraryPage::LibraryPage(QWidget* page, mainwindow::ControlFactory& factory) {
    tvwLog = factory.make<QTreeWidget>(page, QStringLiteral("tvwLog"));
    tvwLog->setHeaderHidden(true);
    fraLog = factory.make<QGroupBox>(page, QStringLiteral("fraLog"));
    fraLogCenter = factory.make<QFrame>(fraLog, QStringLiteral("fraLogCenter"));
    chkLog.make(factory, fraLogCenter, QStringLiteral("chkLog"), 3);
    cmdLogInst = factory.make<platform::CommandButton>(fraLogCenter, QStringLiteral("cmdLogInst"));
    lvwLog = factory.make<QTreeWidget>(page, QStringLiteral("lvwLog"));
    lvwLog->setRootIsDecorated(false);
    lvwLog->setHeaderLabels({QString()});  // its columns come with the stored downloads
    lvwLog->setUniformRowHeights(true);
    vfgLog = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgLog"));
    cmdDetail = factory.make<platform::CommandButton>(page, QStringLiteral("cmdDetail"));
}

LastCalibrationPage::LastCalibrationPage(QWidget* page, mainwindow::ControlFactory& factory) {
    optHistory.make(factory, page, QStringLiteral("optHistory"), 3);
    vfgHistory = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgHistory"));
    cmdLastCal = factory.make<platform::CommandButton>(page, QStringLiteral("cmdLastCal"));
}

}  // namespace library
