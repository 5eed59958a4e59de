#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "mainwindow/settings/FrmFsDialog.h"
#include "runtime/Color.h"
#include "tests/mainwindow/SetPageWindow.h"
#include "tests/support/GlobalsSnapshot.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/Pictures.h"

namespace {

using F = core::InstrumentFlag;
using settings::FrmFsDialog;

core::clsInstrument instrument() {
    core::clsInstrument i;
    i.setDummySerial("M1");
    i.setAlarmMode(0);
    i.setConfermation(30);
    i.setLogOverWrite(0);
    i.setCalLimit(180);
    i.setDispCalLimit(1);
    i.setCalCheck(2);
    i.setSpecType("0");
    i.setSpanOffset("1");
    i.setSensorID(3, "SENS-9");
    i.ClearChangeFlags();
    return i;
}

struct Dialog {
    testsupport::GlobalsSnapshot globals;
    core::clsInstrument inst = instrument();
    FrmFsDialog dialog;
    Dialog() {
        dialog.Instrument = &inst;
        dialog.show();
        QApplication::processEvents();
    }
    platform::FlexGrid& grid() { return *dialog.vfgDatas; }
    bool enter(int row, const QString& text) {
        grid().setRow(row);
        grid().setCol(1);
        if (!grid().EditCell()) return false;
        grid().setEditText(text);
        const bool taken = grid().FinishEditing();
        if (!taken) grid().CancelEditing();
        return taken;
    }
};

TEST(OptionDialog, TheRowsAsFilled) {
    Dialog d;
    QStringList values;
    for (int row = 1; row <= 10; ++row)
        values << d.grid().TextMatrix(row, 1);
    EXPECT_EQ(values, QStringList({"M1", "Restart", "30", "Off", "180", "", "None", "Domestic",
                                   "On", "SENS-9"}));
    EXPECT_EQ(d.grid().CellChecked(6, 1), 1);
    EXPECT_EQ(d.grid().TextMatrix(1, 0), "Manufacture number");
    EXPECT_EQ(d.grid().TextMatrix(10, 0), "Sensor Serial No");
    // A second activation does not refill.
    d.grid().setTextMatrix(1, 1, "changed");
    d.dialog.Form_Activate();
    EXPECT_EQ(d.grid().TextMatrix(1, 1), "changed");
}

TEST(OptionDialog, EntriesAcceptedAndRefused) {
    Dialog d;
    const struct {
        int row;
        const char* text;
        bool taken;
    } cases[] = {
        {1, "ABCDEFGHIJKL", true}, {1, "ABCDEFGHIJKLM", false},
        {1, "AB_CD", false},       {1, "AB/CD", false},  // pasted past the key filter
        {3, "3600", true},         {3, "3601", false},
        {3, "abc", false},         {3, "0", true},
        {5, "365", true},          {5, "366", false},
        {5, "-1", false},          {5, "0", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d.enter(c.row, c.text), c.taken) << c.row << " " << c.text;
    // A limit of 0 marks the rows that then have no effect.
    EXPECT_NE(d.grid().Cell(platform::FlexProperty::BackColor, 6, 1), 0);
    EXPECT_NE(d.grid().Cell(platform::FlexProperty::BackColor, 7, 1), 0);
    EXPECT_TRUE(d.enter(5, "90"));
    EXPECT_EQ(d.grid().Cell(platform::FlexProperty::BackColor, 6, 1), 0);
    // The sensor's serial number is not edited.
    d.grid().setRow(10);
    d.grid().setCol(1);
    EXPECT_FALSE(d.grid().EditCell());
}

// A number row takes a number written with a decimal point as the whole number it rounds to
// (halves to even): the cell shows it, OK stores it.
TEST(OptionDialog, NumbersWithADecimalPointAreStoredAsTheyRound) {
    const struct {
        int row;
        const char* text;
        int16_t stored;
    } cases[] = {
        {3, "45.0", 45},   {3, "45.5", 46},   {3, "44.5", 44},  {3, "3600.0", 3600},
        {5, "120.0", 120}, {5, "364.5", 364}, {5, " 7.25 ", 7}, {5, "0.4", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << " '" << c.text << "'");
        Dialog d;
        ASSERT_TRUE(d.enter(c.row, c.text));
        EXPECT_EQ(d.grid().TextMatrix(c.row, 1), QString::number(c.stored));
        d.dialog.cmdOK->click();
        EXPECT_EQ(c.row == 3 ? d.inst.Confermation() : d.inst.CalLimit(), c.stored);
        EXPECT_TRUE(d.inst.Change(c.row == 3 ? F::Change_Confermation : F::Change_CalLimit));
    }
    // A limit that rounds to 0 switches the check off: the rows that then have no effect look so.
    Dialog d;
    ASSERT_TRUE(d.enter(5, "0.4"));
    EXPECT_NE(d.grid().Cell(platform::FlexProperty::BackColor, 6, 1), 0);
}

// Typed into the real dialog opened from the Set page, a limit of "120.0" and a beep of "45.0"
// reach the instrument as 120 and 45.
TEST(OptionDialog, ANumberWithADecimalPointIsTheNumberSent) {
    testsupport::SetPageWindow w(true);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<FrmFsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        platform::FlexGrid& g = *d->vfgDatas;
        for (const auto& [row, text] : {std::pair{5, "120.0"}, std::pair{3, "45.0"}}) {
            g.setRow(row);
            g.setCol(1);
            QTest::keyClicks(g.focusProxy(), QString(text).left(1));
            ASSERT_TRUE(g.isEditing());
            QLineEdit* editor = nullptr;
            for (QLineEdit* e : g.findChildren<QLineEdit*>())
                if (e->isVisible()) editor = e;
            ASSERT_NE(editor, nullptr);
            QTest::keyClicks(editor, QString(text).mid(1));
            QTest::keyClick(editor, Qt::Key_Return);
            EXPECT_FALSE(g.isEditing());
        }
        d->cmdOK->click();
    });
    w.page().cmdOptionDisp[7]->click();
    EXPECT_EQ(w.inst().CalLimit(), 120);
    EXPECT_EQ(w.inst().Confermation(), 45);
    w.rig.dialogs.answers.push_back(platform::MsgAnswer::Yes);
    w.page().cmdOption[0]->click();
    w.settle();
    EXPECT_EQ(w.requests.filter("SC,W,"), QStringList({"SC,W,0078"}));
    EXPECT_EQ(w.requests.filter("XB,W,"), QStringList({"XB,W,002D"}));
    EXPECT_EQ(w.fake.calLimit, "0078");
}

TEST(OptionDialog, KeysOfTheManufactureNumber) {
    Dialog d;
    d.grid().setRow(1);
    d.grid().setCol(1);
    ASSERT_TRUE(d.grid().EditCell());
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : d.grid().findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "AB!C_DEFGHIJKLMN");
    EXPECT_EQ(d.grid().EditText(), "ABCDEFGHIJKL");  // refused keys and the 13th dropped
    QTest::keyClick(editor, Qt::Key_Backspace);
    EXPECT_EQ(d.grid().EditText(), "ABCDEFGHIJK");
}

TEST(OptionDialog, OkWritesOnlyWhatChangedHereAndCancelNothing) {
    Dialog d;
    d.inst.setWarning(3, 15);  // a Set-page edit made before, not yet uploaded
    // A list row, a check row and a number.
    d.grid().setRow(2);
    d.grid().setCol(1);
    ASSERT_TRUE(d.grid().EditCell());
    d.grid().setEditText("Keep");
    ASSERT_TRUE(d.grid().FinishEditing());
    d.grid().setRow(6);
    ASSERT_TRUE(d.grid().EditCell());  // toggles the box
    EXPECT_TRUE(d.enter(3, "45"));
    d.dialog.cmdOK->click();
    EXPECT_EQ(d.inst.AlarmMode(), 1);
    EXPECT_EQ(d.inst.DispCalLimit(), 0);
    EXPECT_EQ(d.inst.Confermation(), 45);
    EXPECT_TRUE(d.inst.Change(F::Change_AlarmMode));
    EXPECT_TRUE(d.inst.Change(F::Change_DispCalLimit));
    EXPECT_TRUE(d.inst.Change(F::Change_Confermation));
    EXPECT_FALSE(d.inst.Change(F::Change_CalLimit));
    EXPECT_FALSE(d.inst.Change(F::Change_SpecType));
    EXPECT_TRUE(d.inst.Change(core::GasFlag::Change_Warn, 3));  // still to be sent
    EXPECT_EQ(d.inst.Warning(3), 15);

    Dialog c;
    const core::clsInstrument before = c.inst;
    EXPECT_TRUE(c.enter(1, "OTHER"));
    c.dialog.cmdCancel->click();
    EXPECT_EQ(c.inst.DummySerial(), before.DummySerial());
    EXPECT_FALSE(c.inst.Change(F::Change_DummySerial));
}

TEST(OptionDialog, OpenedFromTheSetPage) {
    testsupport::InstrumentWindow w(testsupport::FakeQM73::Typical(),
                                    [](testsupport::WindowRig&) { core::SwitchR = true; });
    ASSERT_TRUE(w.connect());
    w.click(0);
    w.tick(20);
    w.window->cmdInst_Click(4);
    QTimer::singleShot(0, [] {
        auto* d = qobject_cast<FrmFsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->vfgDatas->setTextMatrix(1, 1, "NEW-MFG");
        d->cmdOK->click();
    });
    w.window->setPage->cmdOptionDisp[7]->click();
    EXPECT_EQ(w.window->instrument().DummySerial(), "NEW-MFG");
    EXPECT_TRUE(w.window->instrument().Change(F::Change_DummySerial));
}

TEST(OptionDialog, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        Dialog d;
        QApplication::processEvents();
        const bool english = language == platform::StringTable::Language::English;
        // The buttons in the dialog's language; the title row names its columns.
        EXPECT_EQ(d.dialog.cmdOK->text(), "OK");
        EXPECT_EQ(d.dialog.cmdCancel->text(), english ? "Cancel" : "キャンセル");
        EXPECT_EQ(d.grid().TextMatrix(0, 0), english ? "Property" : "項目");
        EXPECT_EQ(d.grid().TextMatrix(0, 1), english ? "Value" : "値");
        // Every caption fits its column, and the values keep their room.
        const QFontMetrics metrics = d.grid().fontMetrics();
        const int captionColumn = platform::toPixels(d.grid().ColWidth(0));
        for (int row = 0; row <= 10; ++row)
            EXPECT_LT(metrics.horizontalAdvance(d.grid().TextMatrix(row, 0)), captionColumn - 4)
                << d.grid().TextMatrix(row, 0).toStdString();
        EXPECT_GE(d.grid().ColWidth(1), 2400);
        EXPECT_LE(platform::toPixels(d.grid().ColWidth(0) + d.grid().ColWidth(1)),
                  d.grid().width());
        testsupport::savePicture(
            d.dialog, QStringLiteral("frmFsDialog-%1")
                          .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
    }
}

}  // namespace
