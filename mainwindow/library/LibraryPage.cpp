#include "mainwindow/library/LibraryPage.h"

#include <QHeaderView>

#include "mainwindow/library/LibraryIcons.h"

namespace library {

LibraryPage::LibraryPage(QWidget* page, mainwindow::ControlFactory& factory) {
    const platform::ImageList images = LibraryImages();
    tvwLog = factory.make<platform::KeyedTree>(page, QStringLiteral("tvwLog"));
    tvwLog->images = images;
    fraLog = factory.make<QGroupBox>(page, QStringLiteral("fraLog"));
    fraLogCenter = factory.make<QFrame>(fraLog, QStringLiteral("fraLogCenter"));
    chkLog.make(factory, fraLogCenter, QStringLiteral("chkLog"), 3);
    cmdLogInst = factory.make<platform::CommandButton>(fraLogCenter, QStringLiteral("cmdLogInst"));
    lvwLog = factory.make<platform::KeyedList>(page, QStringLiteral("lvwLog"));
    lvwLog->images = images;
    mnuDeletes = new QMenu(page);
    mnuDeletes->setObjectName(QStringLiteral("mnuDeletes"));
    mnuDelete = mnuDeletes->addAction(QString());
    mnuDelete->setObjectName(QStringLiteral("mnuDelete"));
    vfgLog = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgLog"));
    vfgLog->setExtendLastCol(true);  // the values take the width the captions leave
    cmdDetail = factory.make<platform::CommandButton>(page, QStringLiteral("cmdDetail"));
}

LastCalibrationPage::LastCalibrationPage(QWidget* page, mainwindow::ControlFactory& factory) {
    optHistory.make(factory, page, QStringLiteral("optHistory"), 3);
    vfgHistory = factory.make<platform::FlexGrid>(page, QStringLiteral("vfgHistory"));
    cmdLastCal = factory.make<platform::CommandButton>(page, QStringLiteral("cmdLastCal"));
    mnuHistDels = new QMenu(page);
    mnuHistDels->setObjectName(QStringLiteral("mnuHistDels"));
    mnuHistDel = mnuHistDels->addAction(QString());
    mnuHistDel->setObjectName(QStringLiteral("mnuHistDel"));
}

}  // namespace library
