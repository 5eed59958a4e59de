#include "mainwindow/settings/FrmFsDialog.h"

#include <QFontMetrics>
#include <QStyle>
#include <algorithm>

#include "core/ModMain.h"
#include "mainwindow/settings/SettingsRecord.h"
#include "platform/Twips.h"
#include "platform/gui/Fonts.h"
#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/Strings.h"

namespace settings {

namespace {

enum Text : int {
    TextSensorSerial = 8002,
    TextManufacture = 8003,
    TextAlarmPattern = 8004,
    TextRestart = 8005,
    TextKeep = 8006,
    TextCalLimit = 8007,
    TextBeep = 8008,
    TextOverWrite = 8009,
    TextLimitDisplay = 8010,
    TextLimitCheck = 8011,
    TextConfirm = 8012,
    TextCannot = 8013,
    TextNone = 8014,
    TextDestination = 8015,
    TextDomestic = 8016,
    TextForeign = 8017,
    TextSpan = 8018,
    TextTitle = 5797,
    TextProperty = 5604,
    TextValue = 5605,
    TextOK = 7003,
    TextCancel = 7004,
};

// The texts of the caption column: the title row's and those of rows 1 to 10.
constexpr int CaptionTexts[] = {TextProperty,    TextManufacture, TextAlarmPattern, TextBeep,
                                TextOverWrite,   TextCalLimit,    TextLimitDisplay, TextLimitCheck,
                                TextDestination, TextSpan,        TextSensorSerial};

enum Row : int {
    RowManufacture = 1,
    RowPattern,
    RowBeep,
    RowOverWrite,
    RowLimit,
    RowLimitDisplay,
    RowLimitCheck,
    RowDestination,
    RowSpan,
    RowSensor,
};

constexpr int KindText = 0, KindCheck = 1, KindList = 2;
constexpr int32_t OffLook = rt::RGB(192, 192, 192);

QString res(int id) {
    return core::LoadResText(id);
}

// The value of a number row (seconds, days): its numeric text rounded to a whole number as the
// runtime's CInt rounds (halves to even), so that "120.0" is 120; an empty cell is 0. The
// validation has kept the text numeric and in range.
int16_t wholeNumber(const QString& text) {
    const QString trimmed = rt::Trim(text);
    if (!rt::IsNumeric(trimmed)) return 0;
    return rt::CInt(rt::CDbl(trimmed));
}

}  // namespace

FsDialogLayout LayOutFsDialog(double captionWidth) {
    FsDialogLayout l;
    // A caption column wider than the design's widens the dialog by as much: the value column
    // keeps its width.
    l.captionWidth = std::max(captionWidth, 2900.0);
    l.width = 5640 + (l.captionWidth - 2900);
    l.grid = {120, 120, l.width - 240, 3500};
    constexpr double buttonWidth = 1215, buttonHeight = 375;
    const double top = l.grid.bottom() + 180;
    l.cancel = {l.width - 120 - buttonWidth, top, buttonWidth, buttonHeight};
    l.ok = {l.cancel.left - 120 - buttonWidth, top, buttonWidth, buttonHeight};
    l.height = top + buttonHeight + 150;
    l.valueWidth = l.grid.width - l.captionWidth - 100;
    return l;
}

FrmFsDialog::FrmFsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFsDialog"));
    setWindowTitle(res(TextTitle));
    setModal(true);
    setFont(platform::DisplayFont(core::SettingsFont.name, core::SettingsFont.size,
                                  core::SettingsFont.bold));
    vfgDatas = new platform::FlexGrid(this);
    vfgDatas->setObjectName(QStringLiteral("vfgDatas"));
    vfgDatas->setEditable(true);
    cmdOK = new QPushButton(res(TextOK), this);
    cmdCancel = new QPushButton(res(TextCancel), this);
    const FsDialogLayout l = LayOutFsDialog(captionColumnWidth());
    platform::placeWidget(vfgDatas, l.grid);
    platform::placeWidget(cmdOK, l.ok);
    platform::placeWidget(cmdCancel, l.cancel);
    setFixedSize(platform::toPixels({0, 0, l.width, l.height}).size());
    connect(cmdOK, &QPushButton::clicked, this, &FrmFsDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmFsDialog::cmdCancel_Click);
    connect(vfgDatas, &platform::FlexGrid::BeforeEdit, this, &FrmFsDialog::vfgDatas_BeforeEdit);
    connect(vfgDatas, &platform::FlexGrid::KeyPressEdit, this, &FrmFsDialog::vfgDatas_KeyPressEdit);
    connect(vfgDatas, &platform::FlexGrid::ValidateEdit, this, &FrmFsDialog::vfgDatas_ValidateEdit);
}

FrmFsDialog::~FrmFsDialog() {
    vfgDatas->CancelEditing();
}

double FrmFsDialog::captionColumnWidth() const {
    // The longest caption in the grid's font, with the cell's text margins and its grid line.
    const QFontMetrics metrics = vfgDatas->fontMetrics();
    int widest = 0;
    for (int id : CaptionTexts)
        widest = std::max(widest, metrics.horizontalAdvance(res(id)));
    const int margin = vfgDatas->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
    return platform::pixelsToTwips(widest + 2 * margin + 2);
}

void FrmFsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Form_Activate();
}

void FrmFsDialog::Form_Activate() {
    if (copy_ || !Instrument) return;
    copy_ = std::make_unique<core::clsInstrument>(*Instrument);
    copy_->ClearChangeFlags();
    FillGrid();
}

void FrmFsDialog::FillGrid() {
    platform::FlexGrid& g = *vfgDatas;
    const core::clsInstrument& c = *copy_;
    g.setRedraw(false);
    g.Clear();
    g.setCols(3);
    g.setRows(11);
    g.setFixedRows(1);
    g.setFixedCols(1);
    g.setColHidden(2, true);
    const FsDialogLayout l = LayOutFsDialog(captionColumnWidth());
    g.setTextMatrix(0, 0, res(TextProperty));
    g.setTextMatrix(0, 1, res(TextValue));
    g.setColWidth(0, static_cast<int>(l.captionWidth));
    g.setColWidth(1, static_cast<int>(l.valueWidth));
    const QString offOn = QStringLiteral("Off|On");
    SetGridRow(RowManufacture, res(TextManufacture), c.DummySerial(), KindText);
    SetGridRow(RowPattern, res(TextAlarmPattern), QString::number(c.AlarmMode()), KindList,
               res(TextRestart) + QLatin1Char('|') + res(TextKeep));
    SetGridRow(RowBeep, res(TextBeep), QString::number(c.Confermation()), KindText);
    SetGridRow(RowOverWrite, res(TextOverWrite), QString::number(c.LogOverWrite()), KindList,
               offOn);
    SetGridRow(RowLimit, res(TextCalLimit), QString::number(c.CalLimit()), KindText);
    SetGridRow(RowLimitDisplay, res(TextLimitDisplay), QString::number(c.DispCalLimit()),
               KindCheck);
    SetGridRow(
        RowLimitCheck, res(TextLimitCheck), QString::number(c.CalCheck()), KindList,
        res(TextConfirm) + QLatin1Char('|') + res(TextCannot) + QLatin1Char('|') + res(TextNone));
    SetGridRow(RowDestination, res(TextDestination), QString::number(SettingNumber(c.SpecType())),
               KindList, res(TextDomestic) + QLatin1Char('|') + res(TextForeign));
    SetGridRow(RowSpan, res(TextSpan), QString::number(SettingNumber(c.SpanOffset())), KindList,
               offOn);
    SetGridRow(RowSensor, res(TextSensorSerial), c.SensorID(3), KindText);
    // The sensor's serial number is shown, not edited.
    g.setRow(RowSensor);
    g.setCol(1);
    g.setCellBackColor(g.BackColorFixed());
    markLimitRows(c.CalLimit() == 0);
    g.setRedraw(true);
    g.setRow(RowManufacture);
    g.setCol(1);
}

void FrmFsDialog::SetGridRow(int row, const QString& caption, const QString& value, int kind,
                             const QString& list) {
    platform::FlexGrid& g = *vfgDatas;
    if (row <= 0 || row >= g.Rows()) return;
    g.setRow(row);
    g.setTextMatrix(row, 0, caption);
    g.setComboList(QString());
    switch (kind) {
        case KindCheck:
            g.setCellChecked(row, 1, SettingNumber(value) != 0 ? 1 : 2);
            break;
        case KindList: {
            g.setTextMatrix(row, 2, list);
            const QStringList items = list.split(QLatin1Char('|'));
            g.setTextMatrix(row, 1, items.value(SettingNumber(value)));
            break;
        }
        default:
            g.setTextMatrix(row, 1, value);
            break;
    }
}

int FrmFsDialog::GridValueCode(int row) const {
    const QString text = rt::Trim(vfgDatas->TextMatrix(row, 1)).toUpper();
    switch (row) {
        case RowPattern:
            return text == res(TextRestart).toUpper() ? 0 : 1;
        case RowOverWrite:
        case RowSpan:
            return text == QLatin1String("OFF") ? 0 : 1;
        case RowLimitCheck:
            if (text == res(TextConfirm).toUpper()) return 0;
            return text == res(TextCannot).toUpper() ? 1 : 2;
        case RowDestination:
            return text == res(TextDomestic).toUpper() ? 0 : 1;
        default:
            return -1;
    }
}

void FrmFsDialog::GridToInstrument() {
    core::clsInstrument& c = *copy_;
    const platform::FlexGrid& g = *vfgDatas;
    const QString serial = g.TextMatrix(RowManufacture, 1);
    if (serial != c.DummySerial()) c.setDummySerial(serial);
    if (GridValueCode(RowPattern) != c.AlarmMode())
        c.setAlarmMode(static_cast<int16_t>(GridValueCode(RowPattern)));
    const int16_t limit = wholeNumber(g.TextMatrix(RowLimit, 1));
    if (limit != c.CalLimit()) c.setCalLimit(limit);
    const int16_t beep = wholeNumber(g.TextMatrix(RowBeep, 1));
    if (beep != c.Confermation()) c.setConfermation(beep);
    if (GridValueCode(RowOverWrite) != c.LogOverWrite())
        c.setLogOverWrite(static_cast<int16_t>(GridValueCode(RowOverWrite)));
    const int16_t display = g.CellChecked(RowLimitDisplay, 1) == 1 ? 1 : 0;
    if ((display != 0) != (c.DispCalLimit() != 0)) c.setDispCalLimit(display);
    if (GridValueCode(RowLimitCheck) != c.CalCheck())
        c.setCalCheck(static_cast<int16_t>(GridValueCode(RowLimitCheck)));
    if (GridValueCode(RowDestination) != SettingNumber(c.SpecType()))
        c.setSpecType(QString::number(GridValueCode(RowDestination)));
    if (GridValueCode(RowSpan) != SettingNumber(c.SpanOffset()))
        c.setSpanOffset(QString::number(GridValueCode(RowSpan)));
}

void FrmFsDialog::cmdOK_Click() {
    if (copy_) {
        vfgDatas->EndEditing();
        GridToInstrument();
        // Only the options changed here go back, each through its setter (which raises its
        // flag): what the caller held and flagged beside them stays as it was.
        using F = core::InstrumentFlag;
        const core::clsInstrument& c = *copy_;
        core::clsInstrument& i = *Instrument;
        if (c.Change(F::Change_DummySerial)) i.setDummySerial(c.DummySerial());
        if (c.Change(F::Change_AlarmMode)) i.setAlarmMode(c.AlarmMode());
        if (c.Change(F::Change_Confermation)) i.setConfermation(c.Confermation());
        if (c.Change(F::Change_LogOverWrite)) i.setLogOverWrite(c.LogOverWrite());
        if (c.Change(F::Change_CalLimit)) i.setCalLimit(c.CalLimit());
        if (c.Change(F::Change_DispCalLimit)) i.setDispCalLimit(c.DispCalLimit());
        if (c.Change(F::Change_CalCheck)) i.setCalCheck(c.CalCheck());
        if (c.Change(F::Change_SpecType)) i.setSpecType(c.SpecType());
        if (c.Change(F::Change_SpanOffset)) i.setSpanOffset(c.SpanOffset());
    }
    accept();
}

void FrmFsDialog::cmdCancel_Click() {
    reject();
}

void FrmFsDialog::vfgDatas_BeforeEdit(int row, int, bool&) {
    // The sensor's row never gets here: its cell has the fixed cells' colour.
    const QString list = vfgDatas->TextMatrix(row, 2);
    if (!list.isEmpty()) vfgDatas->setComboList(list);
}

void FrmFsDialog::vfgDatas_KeyPressEdit(int row, int, int& keyAscii) {
    if (row != RowManufacture) return;
    // Backspace always: a full number must be correctable.
    if (keyAscii == 8) return;
    // A dropped key beeps in the grid.
    if (!core::IsAllowedKeyChar(keyAscii) || vfgDatas->EditText().size() >= 12) keyAscii = 0;
}

void FrmFsDialog::vfgDatas_ValidateEdit(int row, int col, bool& cancel) {
    if (col != 1 || !copy_) return;
    const QString text = rt::Trim(vfgDatas->EditText());
    if (text.isEmpty()) return;
    const auto inRange = [&text](int high) {
        if (!rt::IsNumeric(text)) return false;
        const double v = rt::CDbl(text);
        return v >= 0 && v <= high;
    };
    // A number row shows the whole number that is stored and sent.
    const auto showWhole = [this, &text] {
        vfgDatas->setEditText(QString::number(wholeNumber(text)));
    };
    switch (row) {
        case RowManufacture: {
            // Pasted text gets past the key filter: the same characters are checked here.
            const bool allowed = std::all_of(text.begin(), text.end(), core::IsAllowedTextChar);
            if (text.size() >= 13 || !allowed) cancel = true;
            break;
        }
        case RowBeep:
            if (!inRange(3600)) {
                cancel = true;
                break;
            }
            showWhole();
            break;
        case RowLimit:
            if (!inRange(365)) {
                cancel = true;
                break;
            }
            copy_->setChange(core::InstrumentFlag::Change_CalLimit, true);
            showWhole();
            markLimitRows(wholeNumber(text) == 0);
            break;
        default:
            break;
    }
}

void FrmFsDialog::markLimitRows(bool off) {
    vfgDatas->setCell(platform::FlexProperty::BackColor, RowLimitDisplay, 1, RowLimitCheck, 1,
                      off ? OffLook : 0);
}

void ShowOptionDialog(core::clsInstrument& instrument, QWidget* parent) {
    FrmFsDialog dialog(parent);
    dialog.Instrument = &instrument;
    dialog.exec();
}

}  // namespace settings
