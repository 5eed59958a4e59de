#include "mainwindow/settings/InstrumentSettings.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopeGuard>
#include <functional>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "platform/Twips.h"
#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"
#include "trendview/GridHelpers.h"

namespace settings {

namespace {

enum Text : int {
    TextSensor = 5647,
    TextGas = 5648,
    TextWarning = 5650,
    TextAlarm = 5651,
    TextStel = 5652,
    TextTwa = 5653,
    TextAutoCal = 5654,
    TextCalHeader = 5656,
    TextCalHeaderFactory = 5666,
    TextAlarmBlock = 5672,
};

constexpr int16_t Gas = 3;
constexpr float Off = -101;
constexpr int SerialBox = 0, UserBox = 2;
constexpr int32_t Red = rt::RGB(255, 0, 0);
constexpr int32_t FactoryCell = rt::RGB(192, 255, 255);

QString res(int id) {
    return core::LoadResText(id);
}

// The value of a setting as text: a number, nothing (off) or "--" (off).
enum class Entry { Empty, Number, Dashes, Other };
Entry entryOf(const QString& text, double& value) {
    const QString trimmed = rt::Trim(text);
    if (trimmed.isEmpty()) return Entry::Empty;
    if (rt::IsNumeric(trimmed)) {
        value = rt::CDbl(trimmed);
        return Entry::Number;
    }
    return text.contains(QLatin1String("--")) ? Entry::Dashes : Entry::Other;
}

}  // namespace

namespace {

// The keys typed into a text box, as a KeyPress handler sees them: 0 drops the key.
class KeyPressFilter : public QObject {
  public:
    explicit KeyPressFilter(std::function<void(QObject*, int&)> handler)
        : handler_(std::move(handler)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        int ascii = key->key() == Qt::Key_Backspace ? 8 : 0;
        if (!ascii) {
            const QString text = key->text();
            if (text.size() != 1 || !text.at(0).isPrint()) return false;
            ascii = text.at(0).unicode();
        }
        handler_(watched, ascii);
        return ascii == 0;
    }

  private:
    std::function<void(QObject*, int&)> handler_;
};

}  // namespace

InstrumentSettings::InstrumentSettings(InstrumentSettingsWiring wiring) : w_(std::move(wiring)) {
    w_.page.vfgOption->setEditable(true);
    w_.page.vfgCal->setEditable(true);
    connectControls();
}

void InstrumentSettings::connectControls() {
    SetPage& p = w_.page;
    keyFilter_ = std::make_unique<KeyPressFilter>([this](QObject* box, int& key) {
        txtOption_KeyPress(box == w_.page.txtOption[SerialBox] ? SerialBox : UserBox, key);
    });
    for (int index : {SerialBox, UserBox}) {
        p.txtOption[index]->installEventFilter(keyFilter_.get());
        QObject::connect(p.txtOption[index], &QLineEdit::editingFinished, p.txtOption[index],
                         [this, index] { txtOption_Validate(index); });
        // Pasted, dropped or composed text passes the key filter too, before it is taken. The
        // key handler runs before the key lands; the text as typed is taken here, so an upload
        // started while the box has the focus sends its last key too.
        QObject::connect(p.txtOption[index], &QLineEdit::textEdited, p.txtOption[index],
                         [this, index] {
                             txtOption_Change(index);
                             txtOption_Validate(index);
                         });
    }
    QObject::connect(w_.txtSuffix, &QLineEdit::editingFinished, w_.txtSuffix,
                     [this] { txtSuffix_Validate(); });
    QObject::connect(p.cmbInterval, &QComboBox::currentIndexChanged, p.cmbInterval,
                     [this] { cmbInterval_Click(); });
    QObject::connect(p.cmbIntermittence, &QComboBox::currentIndexChanged, p.cmbIntermittence,
                     [this] { cmbIntermittence_Click(); });
    QObject::connect(p.vfgOption, &platform::FlexGrid::BeforeEdit, p.vfgOption,
                     [this](int r, int c, bool& cancel) { vfgOption_BeforeEdit(r, c, cancel); });
    QObject::connect(p.vfgOption, &platform::FlexGrid::ValidateEdit, p.vfgOption,
                     [this](int r, int c, bool& cancel) { vfgOption_ValidateEdit(r, c, cancel); });
    QObject::connect(p.vfgCal, &platform::FlexGrid::BeforeEdit, p.vfgCal,
                     [this](int r, int c, bool& cancel) { vfgCal_BeforeEdit(r, c, cancel); });
    QObject::connect(p.vfgCal, &platform::FlexGrid::ValidateEdit, p.vfgCal,
                     [this](int r, int c, bool& cancel) { vfgCal_ValidateEdit(r, c, cancel); });
}

bool InstrumentSettings::instrumentPresent() {
    const int32_t status = w_.link.Status();
    return status != 0 && status != 1 && w_.host.instrument().CommFlags() != 0;
}

float InstrumentSettings::stepped(float value) {
    core::clsInstrument& inst = w_.host.instrument();
    try {
        return core::QuantizeToStep(value, inst.GasDesit(Gas));
    } catch (const rt::RuntimeError&) {
        // No usable step: the value as the gas's decimals show it.
        return static_cast<float>(rt::CDbl(core::ValueText(value, inst.GasPoint(Gas))));
    }
}

void InstrumentSettings::SaveAutoCalibFlags() {
    core::clsInstrument& inst = w_.host.instrument();
    for (int gas = 0; gas <= 3; ++gas)
        core::AutoCalibSnapshot[static_cast<size_t>(gas)] = inst.AutoCalib(gas);
}

bool InstrumentSettings::IsAlarmOrderValid(int16_t gas) {
    const core::clsInstrument& inst = w_.host.instrument();
    const float warning = inst.Warning(gas), alarm = inst.Alarm(gas);
    if (warning < 0 || alarm < 0) return true;  // a point that is off
    if (gas == 1 && inst.AlarmO2() != 0) return warning >= alarm;
    return warning <= alarm;
}

bool InstrumentSettings::IsAtWarningLevel(int16_t gas, float value) {
    const core::clsInstrument& inst = w_.host.instrument();
    if (inst.GasName(gas) == QLatin1String("OXY")) {
        const float level = inst.AlarmO2() == 1 ? inst.Alarm(gas) : inst.Warning(gas);
        return value <= level || value == 0;
    }
    return value >= inst.Warning(gas);
}

void InstrumentSettings::ShowSettingsGrid() {
    SetPage& p = w_.page;
    core::clsInstrument& inst = w_.host.instrument();
    p.txtOption[SerialBox]->setText(inst.SerialNo());
    p.txtOption[UserBox]->setText(inst.UserID());
    p.cmbInterval->setCurrentIndex(core::IntervalToIndex(inst.Intervals()));
    p.cmbIntermittence->setCurrentIndex(core::IntermittenceToIndex(inst.Intermittence()));
    // The service buttons belong to "-R".
    p.cmdOption[3]->setVisible(core::SwitchR);
    for (int i : {6, 7, 8, 9})
        p.cmdOptionDisp[i]->setVisible(core::SwitchR);

    platform::FlexGrid& grid = *p.vfgOption;
    grid.setRedraw(false);
    grid.Clear();
    grid.setRows(3);
    grid.setCols(6);
    grid.setFixedRows(2);
    grid.setFixedCols(1);
    grid.setCell(platform::FlexProperty::BackColor, 2, 0, 2, 5, 0);
    grid.setMergeCells(2);
    grid.setMergeRow(0, true);
    if (!core::SwitchR && !core::SwitchU) {
        trendview::FillGridRow(grid, 0, 0, true, {res(TextSensor)});
    } else {
        trendview::FillGridRow(grid, 0, 1, true, {res(TextAlarmBlock)});
        grid.setTextMatrix(0, 5, QString());
    }
    trendview::FillGridRow(grid, 1, 0, false,
                           {res(TextGas), res(TextWarning), res(TextAlarm), res(TextStel),
                            res(TextTwa), res(TextAutoCal)});
    const int16_t point = inst.GasPoint(Gas);
    trendview::FillGridRow(
        grid, 2, 0, false,
        {core::GasCaption(&inst, Gas, true), core::ValueText(inst.Warning(Gas), point),
         core::ValueText(inst.Alarm(Gas), point), core::ValueText(inst.Stel(Gas), point),
         core::ValueText(inst.Twa(Gas), point), core::ValueText(inst.AutoCalib(Gas), point)});
    grid.setColAlignment(-1, 4);
    if (!IsAlarmOrderValid(Gas)) grid.setCell(platform::FlexProperty::BackColor, 2, 1, 2, 2, Red);
    // The calibration grid shows the span value just saved.
    SaveAutoCalibFlags();
    SetupCalibrationGrid();
    grid.setRedraw(true);
    grid.Refresh();
}

// ---- text boxes and lists ----------------------------------------------------------------

void InstrumentSettings::txtOption_KeyPress(int index, int& keyAscii) {
    if (index != SerialBox && index != UserBox) return;
    QLineEdit* box = w_.page.txtOption[index];
    const int limit = index == SerialBox ? 12 : 10;
    if (!core::IsAllowedKeyChar(keyAscii) ||
        (keyAscii != 8 && box->text().size() >= limit && !box->hasSelectedText())) {
        keyAscii = 0;
        QApplication::beep();
        return;
    }
    txtOption_Validate(index);
}

void InstrumentSettings::txtOption_Change(int index) {
    if (index != SerialBox && index != UserBox) return;
    QLineEdit* box = w_.page.txtOption[index];
    const int limit = index == SerialBox ? 12 : 10;
    const QString text = box->text();
    const int cursor = box->cursorPosition();
    QString kept;
    int keptCursor = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (!core::IsAllowedTextChar(text.at(i)) || kept.size() >= limit) continue;
        kept += text.at(i);
        if (i < cursor) ++keptCursor;
    }
    if (kept == text) return;
    box->setText(kept);
    box->setCursorPosition(keptCursor);
    QApplication::beep();
}

void InstrumentSettings::txtOption_Validate(int index) {
    core::clsInstrument& inst = w_.host.instrument();
    if (index == SerialBox) inst.setSerialNo(w_.page.txtOption[SerialBox]->text());
    if (index == UserBox) inst.setUserID(w_.page.txtOption[UserBox]->text());
}

void InstrumentSettings::txtSuffix_Validate() {
    core::FactoryRecordSuffix = w_.txtSuffix->text();
}

void InstrumentSettings::cmbInterval_Click() {
    const int i = w_.page.cmbInterval->currentIndex();
    if (i >= 0 && i < static_cast<int>(std::size(IntervalSeconds)))
        w_.host.instrument().setIntervals(static_cast<int16_t>(IntervalSeconds[i]));
}

void InstrumentSettings::cmbIntermittence_Click() {
    const int i = w_.page.cmbIntermittence->currentIndex();
    if (i >= 0 && i < static_cast<int>(std::size(IntermittenceSeconds)))
        w_.host.instrument().setIntermittence(static_cast<int16_t>(IntermittenceSeconds[i]));
}

// ---- the alarm-point grid ------------------------------------------------------------------

void InstrumentSettings::vfgOption_BeforeEdit(int row, int col, bool& cancel) {
    bool& busy = w_.fields.SettingsGridFilling;
    if (busy) {
        cancel = true;
        return;
    }
    busy = true;
    const auto done = qScopeGuard([&busy] { busy = false; });
    platform::FlexGrid& grid = *w_.page.vfgOption;
    grid.setRow(row);
    grid.setCol(col);
    // The grid itself refuses the cells in the fixed colour; row 1 scrolls until the first fill.
    if (row < 2) cancel = true;
}

void InstrumentSettings::vfgOption_ValidateEdit(int, int col, bool& cancel) {
    bool& busy = w_.fields.SettingsGridFilling;
    if (busy || col < 1 || col > 5) return;
    busy = true;
    platform::FlexGrid& grid = *w_.page.vfgOption;
    core::clsInstrument& inst = w_.host.instrument();
    const auto refill = qScopeGuard([this, &busy] {
        busy = false;
        ShowSettingsGrid();
    });
    const auto store = [&inst, col](float v) {
        switch (col) {
            case 1:
                inst.setWarning(Gas, v);
                break;
            case 2:
                inst.setAlarm(Gas, v);
                break;
            case 3:
                inst.setStel(Gas, v);
                break;
            case 4:
                inst.setTwa(Gas, v);
                break;
            default:
                inst.setAutoCalib(Gas, v);
                break;
        }
    };
    double v = 0;
    switch (entryOf(grid.EditText(), v)) {
        case Entry::Empty:
        case Entry::Dashes:
            store(Off);
            grid.setEditText(core::ValueText(Off, 0));
            return;
        case Entry::Number: {
            if (v < 0 || v > inst.GasFullScale(Gas) ||
                (col == 5 && !IsAtWarningLevel(Gas, static_cast<float>(v)))) {
                cancel = true;
                return;
            }
            const float value = stepped(static_cast<float>(v));
            store(value);
            grid.setEditText(core::ValueText(value, inst.GasPoint(Gas)));
            return;
        }
        case Entry::Other:
            cancel = true;
            return;
    }
}

// ---- the calibration view's grid -------------------------------------------------------------

void InstrumentSettings::SetupCalibrationGrid() {
    platform::FlexGrid& grid = *w_.page.vfgCal;
    core::clsInstrument& inst = w_.host.instrument();
    const bool present = instrumentPresent();
    const int16_t point = inst.GasPoint(Gas);
    grid.setRedraw(false);
    grid.Clear();
    grid.setCols(3);
    grid.setRows(2);
    grid.setFixedRows(1);
    grid.setFixedCols(1);
    grid.setCell(platform::FlexProperty::BackColor, 1, 0, 1, 2, 0);
    grid.setTextMatrix(
        1, 0,
        core::GasCaptionFrom(inst.GasName(Gas), inst.GasUnit(Gas), inst.GasFullScale(Gas), point));
    grid.FormatString(res(core::SwitchR ? TextCalHeaderFactory : TextCalHeader));
    if (core::SwitchR) {
        grid.setTextMatrix(1, 1, core::ValueText(core::AutoCalibSnapshot[Gas], point));
        grid.setCell(platform::FlexProperty::BackColor, 1, present ? 1 : 2, 1, present ? 1 : 2,
                     FactoryCell);
    } else {
        grid.setTextMatrix(
            1, 1, present ? core::ValueText(inst.AutoCalib(Gas), point) : QStringLiteral("-----"));
    }
    const double width = platform::pixelsToTwips(grid.width());
    grid.setColWidth(0, static_cast<int>(width * 3 / 10));
    grid.setColWidth(1, static_cast<int>(width / 10));
    grid.setColWidth(2, static_cast<int>(width * 3 / 10));
    grid.setRedraw(true);
    grid.Refresh();
}

void InstrumentSettings::ShowLiveReading() {
    platform::FlexGrid& grid = *w_.page.vfgCal;
    if (grid.Rows() < 2 || grid.Cols() < 3) return;
    grid.setTextMatrix(1, 2,
                       core::ValueText(w_.liveReadings[Gas], w_.host.instrument().GasPoint(Gas)));
    grid.Refresh();
}

void InstrumentSettings::vfgCal_BeforeEdit(int, int col, bool& cancel) {
    if (col == 2) cancel = true;
}

void InstrumentSettings::vfgCal_ValidateEdit(int, int col, bool& cancel) {
    bool& busy = w_.fields.SettingsGridFilling;
    busy = true;
    const auto done = qScopeGuard([&busy] { busy = false; });
    if (col != 1) return;
    platform::FlexGrid& grid = *w_.page.vfgCal;
    core::clsInstrument& inst = w_.host.instrument();
    const int16_t point = inst.GasPoint(Gas);
    const auto store = [&inst](float v) {
        if (core::SwitchR)
            core::AutoCalibSnapshot[Gas] = v;
        else
            inst.setAutoCalib(Gas, v);
    };
    const auto stored = [&inst] {
        return core::SwitchR ? core::AutoCalibSnapshot[Gas] : inst.AutoCalib(Gas);
    };
    double v = 0;
    switch (entryOf(grid.EditText(), v)) {
        case Entry::Empty:
            store(Off);
            w_.page.vfgOption->setTextMatrix(2, 5, QStringLiteral("-----"));
            return;
        case Entry::Number:
            if (v < 0 || v > inst.GasFullScale(Gas) ||
                !IsAtWarningLevel(Gas, static_cast<float>(v)))
                cancel = true;
            else
                store(stepped(static_cast<float>(v)));
            break;
        case Entry::Dashes:
            store(0);
            break;
        case Entry::Other:
            cancel = true;
            break;
    }
    grid.setEditText(core::ValueText(stored(), point));
    if (!core::SwitchR)
        w_.page.vfgOption->setTextMatrix(2, 5, core::ValueText(inst.AutoCalib(Gas), point));
}

}  // namespace settings
