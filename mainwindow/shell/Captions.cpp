#include "mainwindow/shell/Captions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

#include "core/ModMain.h"
#include "platform/gui/FlexGrid.h"

namespace shell {

namespace {

struct Caption {
    const char* name;
    int index;
    int id;                        // the text; 0 for a gas box (the default instrument's gas name)
    const char* suffix = nullptr;  // added to the text
};

// Every caption from the string table, page by page.
const Caption Captions[] = {
    // The menu column.
    {"cmdInst", 0, 5002},
    {"cmdInst", 1, 5003},
    {"cmdInst", 2, 5004},
    {"cmdInst", 3, 5009},
    {"cmdInst", 4, 5006},
    {"cmdInst", 5, 5007},
    // Download.
    {"fraMenu", 0, 5002},
    {"fraDown", 0, 5021},
    {"lblStatus", 0, 5022},
    {"lblStatus", 1, 5023},
    {"lblTitle", 0, 5012},
    {"fraDown", 3, 5025},
    {"lblStatus", 2, 5026},
    {"lblStatus", 4, 5028},
    {"lblStatus", 11, 5048},
    {"fraDown", 1, 5032},
    {"chkAutoLoad", 0, 5033},
    {"chkAutoLoad", 1, 5034},
    {"fraDown", 2, 5035},
    {"cmdDown", 0, 5036},
    {"cmdDown", 1, 5037},
    {"cmdDown", 2, 5038},
    {"cmdDown", 3, 5039},
    {"cmdDown", 4, 5042},
    {"cmdDown", 5, 5043},
    {"cmdDown", 6, 5045},
    {"cmdDown", 7, 5040},
    {"cmdDown", 8, 5041},
    {"cmdDown", 9, 5044},
    {"cmdDown", 10, 5047},
    // Instrument information.
    {"fraMenu", 1, 5051},
    {"fraInst", -1, 5052},
    {"lblInst", 0, 5053},
    {"lblInst", 1, 5054},
    {"lblInst", 2, 5055},
    {"lblInst", 6, 5056},
    {"lblInst", 8, 5060},
    // Data (the library).
    {"fraMenu", 2, 5101},
    {"chkLog", 0, 5102},
    {"chkLog", 1, 5104},
    {"chkLog", 2, 5103},
    {"cmdDetail", -1, 5005},
    {"cmdLogInst", -1, 5025},
    // Data view: the gas boxes take the default instrument's gas names, whatever the language.
    {"fraMenu", 3, 5151},
    {"optBrowse", 0, 5152},
    {"optBrowse", 1, 5153},
    {"chkBrowse", 0, 0},
    {"chkBrowse", 1, 0},
    {"chkBrowse", 2, 0},
    {"chkBrowse", 3, 0},
    {"chkBrowse", 4, 0},
    {"chkBrowse", 5, 5154},
    {"chkBrowse", 6, 5155},
    {"lblTitle", 1, 5156},
    {"cmdBrowse", 0, 5161},
    {"cmdBrowse", 1, 5157},
    {"cmdBrowse", 2, 5158},
    {"cmdBrowse", 3, 5159},
    {"cmdBrowse", 4, 9101},
    {"chkEvent", -1, 5160},
    {"chkOutline", -1, 5164},
    // Last calibration.
    {"fraMenu", 4, 5254},
    {"optHistory", 0, 5251},
    {"optHistory", 1, 5252},
    {"optHistory", 2, 5253},
    {"cmdLastCal", -1, 5161},
    // Set.
    {"fraMenu", 5, 5201},
    {"fraOption", 0, 5202},
    {"cmdOptionDisp", 4, 5204},
    {"cmdOptionDisp", 5, 5204},
    {"cmdOptionDisp", 6, 5222},
    {"cmdOptionDisp", 8, 5222, "(EF)"},
    {"cmdOptionDisp", 9, 5222, "(ES)"},
    {"fraOption", 1, 5208},
    {"lblOption", 0, 5209},
    {"lblOption", 1, 5210},
    {"lblOption", 2, 5211},
    {"lblOption", 3, 5212},
    {"lblOption", 4, 5213},
    {"lblOption", 7, 5223},
    {"lblOption", 8, 5224},
    {"cmdOption", 0, 5214},
    {"cmdOption", 1, 5215},
    {"cmdOption", 2, 5216},
    {"cmdOption", 3, 5221},
    {"fraOption", 2, 5216},
    {"vfgCal", -1, 5217},  // its column headings
    {"cmdCal", 0, 5218},
    {"cmdCal", 1, 5219},
    {"cmdCal", 2, 5220},
};

}  // namespace

void SetCaption(QWidget* control, const QString& text) {
    // A caption is shown as written: an "&" is no mnemonic mark here.
    QString shown = text;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(shown);
    else if (auto* frame = qobject_cast<QGroupBox*>(control))
        frame->setTitle(shown);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* grid = qobject_cast<platform::FlexGrid*>(control))
        grid->FormatString(text);
}

QString CaptionOf(const QWidget* control) {
    QString text;
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        text = button->text();
    else if (auto* frame = qobject_cast<const QGroupBox*>(control))
        text = frame->title();
    else if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

void SetCaptions(QWidget& window, const mainwindow::ControlRegistry& controls) {
    window.setWindowTitle(core::ProgramTitle());
    for (const Caption& c : Captions) {
        QString text =
            c.id != 0 ? core::LoadResText(c.id) : core::DefaultInstrument.GasName(c.index);
        if (c.suffix) text += QString::fromLatin1(c.suffix);
        SetCaption(controls.get<QWidget>(QString::fromLatin1(c.name), c.index), text);
    }
}

}  // namespace shell
