#include "mainwindow/download/DownloadPage.h"

namespace download {

DownloadPage::DownloadPage(QWidget* page, mainwindow::ControlFactory& factory) {
    fraDown.make(factory, page, QStringLiteral("fraDown"), 4);
    for (int i = 0; i < 4; ++i)
        shpStatus.add(
            factory.make<platform::StatusLamp>(fraDown[0], QStringLiteral("shpStatus"), i));
    lblTitle0 = factory.make<QLabel>(page, QStringLiteral("lblTitle"), 0);
    rtbLog = factory.make<QTextEdit>(page, QStringLiteral("rtbLog"));
    rtbLog->setReadOnly(true);
    rtbLog->setLineWrapMode(QTextEdit::WidgetWidth);
    chkAutoLoad.make(factory, fraDown[1], QStringLiteral("chkAutoLoad"), 2);
    cmdDown.make(factory, fraDown[2], QStringLiteral("cmdDown"), 11);
    fraDown3Ceneter = factory.make<QFrame>(fraDown[3], QStringLiteral("fraDown3Ceneter"));
    picOptionToZevra = factory.make<QFrame>(fraDown[3], QStringLiteral("picOptionToZevra"));

    // The labels by their containers: the lamp labels in the status frame, the identity in the
    // centred frame, the suffix caption beside its text box.
    for (int i = 0; i < 12; ++i) {
        QWidget* container = fraDown3Ceneter;
        if (i == 0 || i == 1 || i == 8 || i == 9) container = fraDown[0];
        if (i == 11) container = picOptionToZevra;
        lblStatus.add(factory.make<QLabel>(container, QStringLiteral("lblStatus"), i));
    }
    for (int i : {3, 6, 10})
        lblStatus[i]->hide();
    for (int i : {5, 7}) {
        lblStatus[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        lblStatus[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    txtSuffix = factory.make<QLineEdit>(picOptionToZevra, QStringLiteral("txtSuffix"));
}

}  // namespace download
