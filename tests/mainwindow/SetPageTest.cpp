#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

#include "core/GasCommon.h"
#include "tests/support/InstrumentWindow.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::InstrumentWindow;

// A connected window whose instrument's gas 3 is "CO" 0-500 ppm, one decimal, step 0.5.
struct SetWindow : InstrumentWindow {
    explicit SetWindow(bool factory = false)
        : InstrumentWindow(testsupport::FakeQM73::Typical(),
                           [factory](testsupport::WindowRig&) { core::SwitchR = factory; }) {
        EXPECT_TRUE(connect());
        click(0);
        tick(20);
        core::clsInstrument& i = inst();
        i.setGasName(3, "CO");
        i.setGasUnit(3, "ppm");
        i.setGasFullScale(3, 500);
        i.setGasPoint(3, 1);
        i.setGasDesit(3, 0.5f);
        i.setWarning(3, 25);
        i.setAlarm(3, 50);
        i.setStel(3, -101);
        i.setTwa(3, -101);
        i.setAutoCalib(3, 100);
        window->cmdInst_Click(4);
        settle();
    }
    core::clsInstrument& inst() { return window->instrument(); }
    settings::SetPage& page() { return *window->setPage; }
    platform::FlexGrid& grid() { return *window->setPage->vfgOption; }
    // Types `text` into a cell of row 2; whether the grid took it.
    bool enter(platform::FlexGrid& g, int row, int col, const QString& text) {
        g.setRow(row);
        g.setCol(col);
        if (!g.EditCell()) return false;
        g.setEditText(text);
        const bool taken = g.FinishEditing();
        if (!taken) g.CancelEditing();
        return taken;
    }
};

TEST(SetPage, TheAlarmPointGridTakesOnlyValuesItCanStore) {
    SetWindow w;
    struct Case {
        int col;
        const char* text;
        bool taken;
        float stored;  // in the instrument afterwards
        const char* shown;
    };
    const std::vector<Case> cases = {
        {1, "", true, -101, "-----"},
        {2, "--", true, -101, "-----"},
        {3, "abc", false, -101, "-----"},  // STEL stays off
        {1, "-5", false, -101, "-----"},   // the warning kept from the first case
        {1, "500", true, 500, "500.0"},    // the full scale itself
        {1, "500.1", false, 500, "500.0"},
        {1, "12.25", true, 12, "12.0"},  // 24.5 steps: halves to even, 24
        {1, "12.75", true, 13, "13.0"},  // 25.5 steps: 26
        {4, " 7 ", true, 7, "7.0"},
        {4, "120.0", true, 120, "120.0"},  // numbers as the runtime reads them
        {4, "1.2E2", true, 120, "120.0"},
        {5, "10", false, 100, "100.0"},  // a span value below the warning
        {5, "13", true, 13, "13.0"},     // at the warning or above
    };
    const auto member = [&w](int col) {
        switch (col) {
            case 1:
                return w.inst().Warning(3);
            case 2:
                return w.inst().Alarm(3);
            case 3:
                return w.inst().Stel(3);
            case 4:
                return w.inst().Twa(3);
            default:
                return w.inst().AutoCalib(3);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.col << " '" << c.text << "'");
        EXPECT_EQ(w.enter(w.grid(), 2, c.col, c.text), c.taken);
        EXPECT_EQ(member(c.col), c.stored);
        EXPECT_EQ(w.grid().TextMatrix(2, c.col), c.shown);
        EXPECT_FALSE(w.window->fields.SettingsGridFilling);
    }
    EXPECT_TRUE(w.inst().Change(core::GasFlag::Change_Warn, 3));
    // The captions' rows are not edited; nor is a cell while a validation runs.
    w.grid().setRow(1);
    EXPECT_FALSE(w.grid().EditCell());
    w.window->fields.SettingsGridFilling = true;
    w.grid().setRow(2);
    w.grid().setCol(2);
    EXPECT_FALSE(w.grid().EditCell());
    w.window->fields.SettingsGridFilling = false;
    // A gas without a step keeps its value to its decimals.
    w.inst().setGasDesit(3, 0);
    EXPECT_TRUE(w.enter(w.grid(), 2, 2, "33.33"));
    EXPECT_FLOAT_EQ(w.inst().Alarm(3), 33.3f);
    EXPECT_FALSE(w.window->fields.SettingsGridFilling);
}

TEST(SetPage, ValuesTypedWithRealKeys) {
    SetWindow w;
    platform::FlexGrid& g = w.grid();
    g.setRow(2);
    g.setCol(2);
    QWidget* table = g.focusProxy();
    // The editor the grid opens over the cell.
    const auto editor = [&g]() -> QWidget* {
        for (QLineEdit* e : g.findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    };
    QTest::keyClicks(table, "3");
    ASSERT_TRUE(g.isEditing());
    ASSERT_NE(editor(), nullptr);
    QTest::keyClicks(editor(), "0.2");
    EXPECT_EQ(g.EditText(), "30.2");
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_FALSE(g.isEditing());
    EXPECT_EQ(w.inst().Alarm(3), 30);
    EXPECT_EQ(g.TextMatrix(2, 2), "30.0");
    // A refused value keeps the editor; Escape gives the old text back.
    QTest::keyClicks(table, "9");
    ASSERT_NE(editor(), nullptr);
    QTest::keyClicks(editor(), "999");
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_TRUE(g.isEditing());
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_FALSE(g.isEditing());
    EXPECT_EQ(g.TextMatrix(2, 2), "30.0");
    EXPECT_EQ(w.inst().Alarm(3), 30);
}

TEST(SetPage, OrderAndSpanRulesOfEachGas) {
    SetWindow w;
    settings::InstrumentSettings& s = *w.window->instrumentSettings;
    core::clsInstrument& i = w.inst();
    struct Case {
        int16_t gas;
        float warning, alarm;
        int16_t alarmO2;
        bool valid;
    };
    const std::vector<Case> cases = {
        {3, 25, 50, 0, true},    {3, 50, 50, 0, true},    {3, 60, 50, 0, false},
        {3, -101, 10, 0, true},  {1, 19.5f, 18, 1, true}, {1, 18, 19.5f, 1, false},
        {1, 18, 19.5f, 0, true},
    };
    for (const Case& c : cases) {
        i.setWarning(c.gas, c.warning);
        i.setAlarm(c.gas, c.alarm);
        i.setAlarmO2(c.alarmO2);
        EXPECT_EQ(s.IsAlarmOrderValid(c.gas), c.valid) << c.gas << " " << c.warning;
    }
    // The red marking of a wrong order on the page.
    i.setWarning(3, 60);
    i.setAlarm(3, 50);
    w.window->ShowSettingsGrid();
    EXPECT_EQ(w.grid().Cell(platform::FlexProperty::BackColor, 2, 1), rt::RGB(255, 0, 0));
    EXPECT_EQ(w.grid().Cell(platform::FlexProperty::BackColor, 2, 2), rt::RGB(255, 0, 0));
    EXPECT_EQ(w.grid().Cell(platform::FlexProperty::BackColor, 2, 3), 0);
    // Oxygen: at or below its level, or 0.
    i.setGasName(2, "OXY");
    i.setWarning(2, 19.5f);
    i.setAlarm(2, 18);
    i.setAlarmO2(0);
    EXPECT_TRUE(s.IsAtWarningLevel(2, 19.5f));
    EXPECT_TRUE(s.IsAtWarningLevel(2, 0));
    EXPECT_FALSE(s.IsAtWarningLevel(2, 20.9f));
    i.setAlarmO2(1);
    EXPECT_FALSE(s.IsAtWarningLevel(2, 19));
    EXPECT_TRUE(s.IsAtWarningLevel(2, 18));
    EXPECT_TRUE(s.IsAtWarningLevel(3, 60));
    EXPECT_FALSE(s.IsAtWarningLevel(3, 59));
}

TEST(SetPage, TextBoxesKeepToTheirCharactersAndLengths) {
    SetWindow w;
    QLineEdit* serial = w.page().txtOption[0];
    serial->clear();
    serial->setFocus();
    QTest::keyClicks(serial, "AB-12 *x!?_z");
    EXPECT_EQ(serial->text(), "AB-12 *xz");  // "!", "?" and "_" refused
    QTest::keyClicks(serial, "123456");
    EXPECT_EQ(serial->text().size(), 12);
    QTest::keyClick(serial, Qt::Key_Backspace);  // Backspace still works at the limit
    EXPECT_EQ(serial->text().size(), 11);
    QLineEdit* user = w.page().txtOption[2];
    user->clear();
    QTest::keyClicks(user, "ABCDEFGHIJKL");
    EXPECT_EQ(user->text(), "ABCDEFGHIJ");
    emit user->editingFinished();
    EXPECT_EQ(w.inst().UserID(), "ABCDEFGHIJ");
    emit serial->editingFinished();
    EXPECT_EQ(w.inst().SerialNo(), serial->text());
    // The suffix of the record file.
    w.window->downloadPage->txtSuffix->setText("_lab");
    emit w.window->downloadPage->txtSuffix->editingFinished();
    EXPECT_EQ(core::FactoryRecordSuffix, "_lab");
}

// Whatever way text comes into the serial number or the user ID, the box and the instrument keep
// only the characters a key may give, at most as many as the box takes.
TEST(SetPage, TextBoxesKeepToTheirCharactersWhateverTheWay) {
    SetWindow w;
    const QString offered = "AB_CD/EF-12*34 XYZ890QQ";  // 23 characters, "_" and "/" refused
    const std::vector<std::pair<const char*, std::function<void(QLineEdit*)>>> ways = {
        {"Ctrl+V",
         [](QLineEdit* box) {
             QApplication::clipboard()->setText("AB_CD/EF-12*34 XYZ890QQ");
             box->setFocus();
             QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
         }},
        {"paste",
         [](QLineEdit* box) {
             QApplication::clipboard()->setText("AB_CD/EF-12*34 XYZ890QQ");
             box->paste();
         }},
        {"insert", [&offered](QLineEdit* box) { box->insert(offered); }},
        {"drop",
         [&offered](QLineEdit* box) {
             QMimeData data;
             data.setText(offered);
             // The drop goes to the widget that took the drag when it entered.
             QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton,
                                   Qt::NoModifier);
             QApplication::sendEvent(box, &enter);
             QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(box, &drop);
         }},
        {"input method",
         [&offered](QLineEdit* box) {
             QInputMethodEvent commit;
             commit.setCommitString(offered);
             QApplication::sendEvent(box, &commit);
         }},
    };
    for (const auto& [way, put] : ways) {
        for (const auto& [index, limit] : {std::pair{0, 12}, std::pair{2, 10}}) {
            SCOPED_TRACE(testing::Message() << way << " into box " << index);
            QLineEdit* box = w.page().txtOption[index];
            box->clear();
            put(box);
            const QString kept = QString("ABCDEF-12*34 XYZ890QQ").left(limit);
            EXPECT_EQ(box->text(), kept);
            EXPECT_EQ(index == 0 ? w.inst().SerialNo() : w.inst().UserID(), kept);
        }
    }
    // Text added to what the box holds stops at the limit too.
    QLineEdit* user = w.page().txtOption[2];
    user->setText("LAB");
    user->setCursorPosition(3);
    user->insert("_7/8901234");
    EXPECT_EQ(user->text(), "LAB7890123");
    EXPECT_EQ(w.inst().UserID(), "LAB7890123");
}

// The instrument takes every key typed, the last one too, while the box still has the focus (an
// upload started from the keyboard does not move it).
TEST(SetPage, TypedTextReachesTheInstrumentAsItIsTyped) {
    SetWindow w;
    QLineEdit* user = w.page().txtOption[2];
    user->clear();
    user->setFocus();
    QTest::keyClicks(user, "LAB7");
    EXPECT_EQ(w.inst().UserID(), "LAB7");
    QTest::keyClick(user, Qt::Key_Backspace);
    EXPECT_EQ(w.inst().UserID(), "LAB");
    QLineEdit* serial = w.page().txtOption[0];
    serial->setFocus();
    serial->selectAll();
    QTest::keyClicks(serial, "SN9");
    EXPECT_EQ(w.inst().SerialNo(), "SN9");
}

TEST(SetPage, ThePeriodListsBothWays) {
    SetWindow w;
    core::clsInstrument& i = w.inst();
    const std::vector<std::pair<int16_t, int>> intervals = {
        {10, 0}, {60, 3}, {180, 4}, {600, 6}, {45, 5}};
    for (const auto& [seconds, index] : intervals) {
        i.setIntervals(seconds);
        w.window->ShowSettingsGrid();
        EXPECT_EQ(w.page().cmbInterval->currentIndex(), index) << seconds;
    }
    w.page().cmbInterval->setCurrentIndex(1);
    EXPECT_EQ(i.Intervals(), 20);
    i.setIntermittence(240);
    w.window->ShowSettingsGrid();
    EXPECT_EQ(w.page().cmbIntermittence->currentIndex(), 4);
    w.page().cmbIntermittence->setCurrentIndex(2);
    EXPECT_EQ(i.Intermittence(), 120);
}

TEST(SetPage, TheCalibrationGrid) {
    for (bool factory : {false, true}) {
        SCOPED_TRACE(factory);
        SetWindow w(factory);
        platform::FlexGrid& cal = *w.page().vfgCal;
        EXPECT_EQ(cal.TextMatrix(0, 1), factory ? "Auto Cal.(F)" : "Auto Cal.");
        EXPECT_EQ(cal.TextMatrix(1, 1), "100.0");
        EXPECT_EQ(cal.Cell(platform::FlexProperty::BackColor, 1, 1),
                  factory ? rt::RGB(192, 255, 255) : 0);
        // The reading column is not edited; the span value is checked like the page's.
        cal.setRow(1);
        cal.setCol(2);
        EXPECT_FALSE(cal.EditCell());
        EXPECT_FALSE(w.enter(cal, 1, 1, "600"));
        EXPECT_EQ(cal.TextMatrix(1, 1), "100.0");
        EXPECT_TRUE(w.enter(cal, 1, 1, "--"));
        EXPECT_EQ(cal.TextMatrix(1, 1), "0.0");
        EXPECT_TRUE(w.enter(cal, 1, 1, "40.25"));
        EXPECT_EQ(cal.TextMatrix(1, 1), "40.0");
        const float stored = factory ? core::AutoCalibSnapshot[3] : w.inst().AutoCalib(3);
        EXPECT_FLOAT_EQ(stored, 40);
        EXPECT_EQ(w.inst().AutoCalib(3), factory ? 100 : 40);
        // The live reading of gas 3.
        w.window->linkEvents->LiveReadings[3] = 12.34f;
        w.window->ShowLiveReading();
        EXPECT_EQ(cal.TextMatrix(1, 2), "12.3");
    }
}

// The station row is not on the page: the rows after it close up, every caption a row's
// height below the one before, each beside its value, and the box of the rows centred.
TEST(SetPage, TheRowsCloseUpWhereTheStationRowIsNotShown) {
    SetWindow w;
    w.window->resize(1024, 720);
    w.window->cmdInst_Click(4);
    w.settle();
    settings::SetPage& p = w.page();
    const std::vector<QWidget*> captions = {p.lblOption[0], p.lblOption[2], p.lblOption[3],
                                            p.lblOption[4], p.lblOption[7], p.lblOption[8]};
    const std::vector<QWidget*> values = {p.txtOption[0], p.txtOption[2], p.lblOption[5],
                                          p.lblOption[6], p.cmbInterval,  p.cmbIntermittence};
    const int step = values[1]->y() - values[0]->y();
    EXPECT_EQ(step, 28);  // 420 twips
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(captions[i]->isVisible());
        EXPECT_NEAR(values[i]->y(), values[0]->y() + int(i) * step, 1);
        EXPECT_NEAR(captions[i]->geometry().center().y(), values[i]->geometry().center().y(), 4);
    }
    // As much room above the first row as below the last.
    const QWidget* box = p.fraOptionCenter1;
    const int below = box->height() - values.back()->geometry().bottom() - 1;
    EXPECT_NEAR(values.front()->y(), below, 3);
}

TEST(SetPage, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        SetWindow w;
        w.window->resize(1100, 760);
        w.window->cmdInst_Click(4);
        w.settle();
        // The station's caption goes with its box, which the page does not show.
        EXPECT_TRUE(w.page().txtOption[1]->isHidden());
        EXPECT_TRUE(w.page().lblOption[1]->isHidden());
        testsupport::savePicture(
            *w.window,
            QStringLiteral("frmMain-set-%1")
                .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
    }
}

}  // namespace
