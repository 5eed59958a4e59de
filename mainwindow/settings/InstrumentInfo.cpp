#include "mainwindow/settings/InstrumentInfo.h"

#include "core/CalDue.h"
#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "trendview/GridHelpers.h"

namespace settings {

namespace {

enum Text : int {
    TextNotConnected = 5057,
    TextSample = 5058,
    TextConnected = 5059,
    TextCalibrationBlock = 5626,
    TextGas = 5631,
    TextCalibDate = 5632,
    TextBefore = 5633,
    TextAfter = 5634,
    TextAutoCal = 5635,
    TextDue = 5636,
    TextSensorGas = 5640,
    TextWarning = 5642,
    TextAlarm = 5643,
    TextStel = 5644,
    TextTwa = 5645,
    TextAlarmBlock = 5672,
};

// The calibration gas of the page.
constexpr int16_t Gas = 3;
// Identity values: serial number, station, user, ROM number, SUM.
constexpr int SerialValue = 3, StationValue = 4, UserValue = 5, RomValue = 7, SumValue = 9;
constexpr int AlignLeft = 1, AlignCentre = 4;

QString res(int id) {
    return core::LoadResText(id);
}

// A grid of a title row over the whole width, a caption row and one row of values.
void layOutGrid(platform::FlexGrid& grid, const QString& title, const QStringList& captions,
                int cols) {
    grid.setRedraw(false);
    grid.Clear();
    grid.setRows(3);
    grid.setCols(cols);
    grid.setFixedRows(2);
    grid.setFixedCols(0);
    grid.setCell(platform::FlexProperty::BackColor, 2, 0, 2, cols - 1, 0);
    grid.setMergeCells(2);
    for (int col = 0; col < cols; ++col)
        grid.setTextMatrix(0, col, title);
    grid.setMergeRow(0, true);
    for (int col = 0; col < captions.size(); ++col)
        grid.setTextMatrix(1, col, captions[col]);
    grid.setColAlignment(-1, AlignCentre);
    grid.setCell(platform::FlexProperty::Alignment, 2, 0, 2, 0, AlignLeft);
}

}  // namespace

InstrumentInfo::InstrumentInfo(InstrumentInfoWiring wiring) : w_(std::move(wiring)) {}

void InstrumentInfo::ShowInstrumentInfo(const core::clsInstrument& inst) {
    InstrumentPage& p = w_.page;
    QGroupBox* title = w_.fraMenu[1];
    title->setTitle(res(TextNotConnected));
    layOutGrid(*p.vfgInst, res(TextCalibrationBlock),
               {res(TextGas), res(TextCalibDate), res(TextBefore), res(TextAfter), res(TextAutoCal),
                res(TextDue)},
               6);
    layOutGrid(*p.vfgInstSensor, res(TextAlarmBlock),
               {res(TextSensorGas), res(TextWarning), res(TextAlarm), res(TextStel), res(TextTwa)},
               6);
    const auto drawn = qScopeGuard([&p] {
        p.vfgInst->setRedraw(true);
        p.vfgInstSensor->setRedraw(true);
    });

    const bool stored = &inst == &StoredInstrument;
    const bool connected = !stored && &inst == &w_.host.instrument() && inst.CommFlags() != 0;
    w_.fields.StoredInfoShown = stored;
    for (int value : {SerialValue, StationValue, UserValue, RomValue, SumValue})
        p.lblInst[value]->clear();
    const QString none = QStringLiteral("-----");
    if (!stored && !connected) {
        trendview::FillGridRow(*p.vfgInst, 2, 0, false, {none, none, none, none, none, none});
        trendview::FillGridRow(*p.vfgInstSensor, 2, 0, false, {none, none, none, none, none});
        return;
    }
    title->setTitle(res(stored ? TextSample : TextConnected));
    p.lblInst[SerialValue]->setText(inst.SerialNo());
    p.lblInst[UserValue]->setText(inst.UserID());
    p.lblInst[RomValue]->setText(QString::number(inst.RomNumber()));
    p.lblInst[SumValue]->setText(inst.SUM());

    const int16_t point = inst.GasPoint(Gas);
    const QString caption = core::GasCaption(&inst, Gas, true);
    const rt::OleDate calibrated = inst.CalibDate(Gas);
    // By the connected instrument's calibration interval, without the guard of the Last
    // Calibration page: a never calibrated instrument is overdue.
    const core::CalDueInfo due = core::CalDueOfAnyDate(calibrated, w_.host.instrument().CalLimit());
    trendview::FillGridRow(
        *p.vfgInst, 2, 0, false,
        {caption, core::FormatValidDate(calibrated), core::ValueText(inst.CalibBefore(Gas), point),
         core::ValueText(inst.CalibAfter(Gas), point), core::ValueText(inst.AutoCalib(Gas), point),
         core::CalDueText(due)});
    // The due cell in the Last Calibration page's colours.
    p.vfgInst->setCell(platform::FlexProperty::BackColor, 2, 5, 2, 5, core::CalDueColor(due));
    trendview::FillGridRow(
        *p.vfgInstSensor, 2, 0, false,
        {caption, core::ValueText(inst.Warning(Gas), point),
         core::ValueText(inst.Alarm(Gas), point), core::ValueText(inst.Stel(Gas), point),
         core::ValueText(inst.Twa(Gas), point)});
}

void InstrumentInfo::RefreshInstrumentPages() {
    int shown = 0;
    for (int i = 0; i < w_.fraMenu.count(); ++i)
        if (!w_.fraMenu[i]->isHidden()) shown = i;
    w_.host.UpdateStatusLabels();
    ShowInstrumentInfo(w_.host.instrument());
    w_.host.ShowSettingsGrid();
    w_.fraMenu[shown]->update();
}

}  // namespace settings
