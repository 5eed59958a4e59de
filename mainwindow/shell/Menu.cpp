#include <QScopeGuard>

#include "core/ModMain.h"
#include "mainwindow/settings/SettingsRecord.h"
#include "mainwindow/shell/FrmMain.h"

namespace shell {

namespace {

// The page frame each menu button shows.
constexpr int PageOfButton[] = {0, 1, 2, 4, 5};

}  // namespace

void FrmMain::cmdInst_Click(int index) {
    if (index < 0) return;
    if (index == 5) {
        close();  // the closing question decides
        return;
    }
    if (index > 5) return;
    switch (index) {
        case 0:
            UpdateStatusLabels();
            uclVY5103.setEnabled(true);
            break;
        case 1:
            ShowInstrumentInfo(instrument());
            break;
        case 2: {
            cmdInst[2]->setEnabled(false);
            const auto enabled = qScopeGuard([this] { cmdInst[2]->setEnabled(true); });
            BuildLogTree();
            RefreshDataPage();
            break;
        }
        case 3:
            ShowCalibrationHistory();
            break;
        default:
            ShowSettingsGrid();
            uclVY5103.setEnabled(true);
            break;
    }
    for (QGroupBox* frame : fraMenu)
        frame->hide();
    QGroupBox* shown = fraMenu[PageOfButton[index]];
    shown->show();
    shown->repaint();
    if (index == 2) libraryPage->lvwLog->setFocus();
    Form_Resize();
}

void FrmMain::UpdateStatusLabels() {
    QGroupBox* page = fraMenu[0];
    const bool wasShown = !page->isHidden();
    page->hide();
    const int32_t status = uclVY5103.Status();
    core::clsInstrument& inst = instrument();
    if (status == 0 || status == 1 || inst.CommFlags() == 0) {
        downloadPage->lblStatus[5]->clear();
        downloadPage->lblStatus[7]->clear();
    } else {
        downloadPage->lblStatus[5]->setText(inst.SerialNo());
        downloadPage->lblStatus[7]->setText(inst.UserID());
    }
    page->setVisible(wasShown);
    downloadPage->txtSuffix->setText(core::FactoryRecordSuffix);
}

void FrmMain::RefreshDataPage() {
    QGroupBox* page = fraMenu[2];
    const bool wasShown = !page->isHidden();
    page->hide();
    libraryPage->tvwLog->update();
    libraryPage->lvwLog->update();
    libraryPage->vfgLog->Refresh();
    page->setVisible(wasShown);
}

// ---- the pages' fillers: what the menu and the start-up need until the pages come ---------

void FrmMain::BuildLogTree() {
    logLibrary->BuildLogTree();
}

void FrmMain::tvwLog_NodeClick(QTreeWidgetItem* node) {
    logLibrary->tvwLog_NodeClick(node);
}

void FrmMain::ShowCalibrationHistory() {
    calibrationList->ShowCalibrationHistory();
}

void FrmMain::optHistory_Click(int index) {
    calibrationList->optHistory_Click(index);
}

void FrmMain::ShowInstrumentInfo(const core::clsInstrument& instrument) {
    instrumentInfo->ShowInstrumentInfo(instrument);
}

core::clsInstrument& FrmMain::storedInstrument() {
    return instrumentInfo->StoredInstrument;
}

void FrmMain::ShowSettingsGrid() {
    instrumentSettings->ShowSettingsGrid();
}

void FrmMain::deviceUpdateLog(core::clsInstrument& instrument) {
    const QString path =
        settings::SettingsRecordPath(services_.paths.programFolder(), core::FactoryRecordSuffix);
    QString error;
    // A record that cannot be written is told; what called it has still succeeded.
    if (!settings::AppendSettingsRecord(path, instrument, rt::OleDate::now(), &error))
        AppendStatusLog(core::LoadResText(5796, {path, error}), download::ColorStatusFailed);
}

void FrmMain::ShowLiveReading() {
    instrumentSettings->ShowLiveReading();
}

void FrmMain::RefreshInstrumentPages() {
    instrumentInfo->RefreshInstrumentPages();
}

}  // namespace shell
