#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/Dialogs.h"
#include "platform/gui/Geometry.h"

namespace library {

// Where the password dialog places its controls (twips), and its client size.
struct PasswordLayout {
    platform::TwipsRect label, field, ok, cancel;
    double width = 0, height = 0;
};
PasswordLayout LayOutPassword();

// The modal password dialog in front of every deletion: accepted only when the settings
// password is typed exactly; a wrong one is told and may be typed again.
class FrmPassword : public QDialog {
    Q_OBJECT
  public:
    FrmPassword(platform::Dialogs& dialogs, QWidget* parent = nullptr);

    QLabel* lblPassword;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdOK_Click();

  private:
    platform::Dialogs& dialogs_;
};

// Shows the dialog modally: true when the settings password was given.
bool AskSettingsPassword(platform::Dialogs& dialogs, QWidget* parent);

}  // namespace library
