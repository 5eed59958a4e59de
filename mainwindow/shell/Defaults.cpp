#include <QApplication>
#include <QScopeGuard>

#include "core/ModMain.h"
#include "mainwindow/shell/Captions.h"
#include "mainwindow/shell/FrmMain.h"
#include "runtime/Color.h"

namespace shell {

namespace {

// Gives a setting that is still zero its starting value.
template <class T, class V>
void defaultWhenZero(T& value, V start) {
    if (value == 0) value = static_cast<T>(start);
}

}  // namespace

void FrmMain::SetDefaults() {
    step("graph colours", [] {
        core::GraphColors[3] = rt::RGB(255, 0, 0);
        core::GraphColors[4] = rt::RGB(128, 0, 255);
    });
    step("font", [] {
        // A font of no name takes the one the platform gives.
        if (core::SettingsFont.name.isEmpty())
            core::SettingsFont.name = QApplication::font().family();
        core::SettingsFont.size = 9;
    });
    step("font button", [this] {
        SetCaption(
            setPage->cmdOptionDisp[0],
            QStringLiteral("%1(%2)").arg(core::SettingsFont.name).arg(core::SettingsFont.size));
    });
    step("colour buttons", [this] {
        for (int i = 0; i < 5; ++i)
            setPage->cmdOptionDisp[i + 1]->setBackColor(core::GraphColors[i]);
    });
    step("instrument", [this] { logs.intervals.setInstruments(&instrument()); });
    step("clock", [this] {
        tmrInter.setInterval(100);
        tmrInter.start();
    });
    step("port number", [] { defaultWhenZero(core::IrCommNum, 4); });
    step("lamp colours", [this] {
        fields.LampGreen = {rt::RGB(0, 255, 0), rt::RGB(0, 192, 0)};
        fields.LampGrey = {rt::RGB(160, 160, 160), rt::RGB(128, 128, 128)};
        fields.LampRed = {rt::RGB(254, 0, 0), rt::RGB(192, 0, 0)};
        fields.LampColorWarn = {rt::RGB(255, 255, 0), rt::RGB(192, 192, 0)};
    });
    step("lamps", [this] {
        lightPortLamp();
        for (int i = 1; i < 4; ++i) {
            downloadPage->shpStatus[i]->setFillColor(fields.LampGrey.fill);
            downloadPage->shpStatus[i]->setBorderColor(fields.LampGrey.border);
        }
    });
    // The status log is not emptied: after a power off it holds the lines of the download just
    // made, and at start-up it is empty anyway.
    step("commands", [this] {
        for (QWidget* button : downloadPage->cmdDown)
            button->setEnabled(false);
        // No instrument yet (or it was just switched off): nothing to write to.
        download::EnableSetPageWrites(setPage->cmdOption, false);
    });
    step("lamps 2 and 3", [this] {
        downloadPage->shpStatus[2]->hide();
        downloadPage->shpStatus[3]->hide();
        downloadPage->lblStatus[8]->hide();
        downloadPage->lblStatus[9]->hide();
    });
    step("automatic mode", [this] { showAutomaticMode(); });
    fields.LogTreeDirty = true;
    fields.LastExportFile.clear();
    step("calibration list", [this] { lastCalibrationPage->optHistory[0]->setChecked(true); });
    core::SqlDateFormat = QStringLiteral("mm\"/\"dd\"/\"yyyy hh\":\"nn\":\"ss");
    step("calibration ranges", [] {
        const float starts[] = {50, 71, 151, 100};
        for (int g = 0; g < 4; ++g)
            defaultWhenZero(core::CalibRange[g], starts[g]);
    });
    step("default instrument", [] {
        const float desits[] = {1.0f, 0.1f, 0.5f, 1.0f, 1.0f};
        for (int g = 0; g < 5; ++g)
            if (core::DefaultInstrument.GasDesit(g) == 0)
                core::DefaultInstrument.setGasDesit(g, desits[g]);
        const float fullScales[] = {100.0f, 40.0f, 99.5f, 500.0f};
        for (int g = 0; g < 4; ++g)
            if (core::DefaultInstrument.GasFullScale(g) == 0)
                core::DefaultInstrument.setGasFullScale(g, fullScales[g]);
    });
    step("password", [] {
        if (!core::SettingsPassword.isEmpty()) return;
        core::SettingsPassword = core::LoadResText(101) == QLatin1String("EN")
                                     ? QStringLiteral("pwm")
                                     : QStringLiteral("Lotex");
    });
    step("print widths", [] {
        for (int i = 0; i < 2; ++i)
            if (!(core::PrintLineWidths[i] >= 1.0f && core::PrintLineWidths[i] <= 100.0f))
                core::PrintLineWidths[i] = 1.0f;
    });
    step("calibration waits", [] {
        defaultWhenZero(core::CalSpanOffWait, 45);
        defaultWhenZero(core::CalSpanOnWait, 90);
        defaultWhenZero(core::CalUnitOnWait, 45);
    });
    fields.StoredInfoShown = false;
    fields.CalibrationViewOpen = false;
    core::CompletelyView = true;
}

void FrmMain::showAutomaticMode() {
    // The boxes show the settings; putting values into them is no change of the user's, so
    // their handler does not ask.
    fields.AutoLoadClickEnabled = false;
    const auto armed = qScopeGuard([this] { fields.AutoLoadClickEnabled = true; });
    downloadPage->chkAutoLoad[0]->setChecked(core::AutoLoadMode);
    downloadPage->chkAutoLoad[1]->setChecked(core::AutoRemoveData);
    // The removal follows the automatic download: it can be chosen only while that is on.
    downloadPage->chkAutoLoad[1]->setEnabled(core::AutoLoadMode);
}

}  // namespace shell
