#include "mainwindow/shell/FrmMain.h"

#include "core/ModMain.h"

namespace shell {

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
}

void FrmMain::Form_Load() {
    setWindowTitle(core::LoadResText(5001));
    resize(1024, 720);
    loaded_ = true;
}

void FrmMain::Show() {
    if (!loaded_) Form_Load();
    show();
}

}  // namespace shell
