#include "mainwindow/library/FrmPassword.h"

#include "core/ModMain.h"
#include "platform/gui/Fonts.h"

namespace library {

namespace {

enum Text : int {
    TextTitle = 7001,
    TextPrompt = 7002,
    TextOK = 7003,
    TextCancel = 7004,
    TextWrong = 7100,
    TextWrongTitle = 7101,
};

}  // namespace

PasswordLayout LayOutPassword() {
    PasswordLayout l;
    l.width = 4800;
    l.label = {180, 180, l.width - 360, 315};
    l.field = {180, l.label.bottom() + 120, l.width - 360, 345};
    constexpr double buttonWidth = 1215, buttonHeight = 375;
    const double top = l.field.bottom() + 240;
    l.cancel = {l.width - 180 - buttonWidth, top, buttonWidth, buttonHeight};
    l.ok = {l.cancel.left - 120 - buttonWidth, top, buttonWidth, buttonHeight};
    l.height = top + buttonHeight + 180;
    return l;
}

FrmPassword::FrmPassword(platform::Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("frmPassword"));
    setWindowTitle(core::LoadResText(TextTitle));
    setModal(true);
    setFont(platform::DisplayFont(core::SettingsFont.name, core::SettingsFont.size,
                                  core::SettingsFont.bold));
    lblPassword = new QLabel(core::LoadResText(TextPrompt), this);
    txtPassword = new QLineEdit(this);
    txtPassword->setEchoMode(QLineEdit::Password);
    cmdOK = new QPushButton(core::LoadResText(TextOK), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(core::LoadResText(TextCancel), this);
    const PasswordLayout l = LayOutPassword();
    platform::placeWidget(lblPassword, l.label);
    platform::placeWidget(txtPassword, l.field);
    platform::placeWidget(cmdOK, l.ok);
    platform::placeWidget(cmdCancel, l.cancel);
    setFixedSize(platform::toPixels({0, 0, l.width, l.height}).size());
    connect(cmdOK, &QPushButton::clicked, this, &FrmPassword::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmPassword::cmdOK_Click() {
    // Compared exactly: the settings password is case-sensitive.
    if (txtPassword->text() == core::SettingsPassword) {
        accept();
        return;
    }
    dialogs_.message(core::LoadResText(TextWrong), core::LoadResText(TextWrongTitle),
                     platform::MsgIcon::Exclamation);
    txtPassword->clear();
    txtPassword->setFocus();
}

bool AskSettingsPassword(platform::Dialogs& dialogs, QWidget* parent) {
    FrmPassword dialog(dialogs, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace library
