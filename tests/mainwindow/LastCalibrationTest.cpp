#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "core/CalDue.h"
#include "mainwindow/library/FrmPassword.h"
#include "runtime/Color.h"
#include "tests/mainwindow/GridRoom.h"
#include "tests/mainwindow/LibraryWindow.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::LibraryWindow;
using testsupport::lines;

constexpr int32_t Red = rt::RGB(255, 0, 0);
constexpr int32_t Orange = rt::RGB(255, 128, 0);

const rt::OleDate Now = *rt::OleDate::fromCivil(2026, 6, 15, 12, 0, 0);

struct CalibrationWindow : LibraryWindow {
    rt::FixedClock clock{Now};

    void addLatest(const char* serial, const char* user, rt::OleDate written, double daysBack,
                   bool enabled, int32_t calLimit = 180) {
        const rt::OleDate calibrated = daysBack < 0 ? *rt::OleDate::fromCivil(1999, 1, 1)
                                                    : rt::OleDate(Now.value() - daysBack);
        db().exec(
            "Insert Into cLatestHist (SerialNo, UserID, WriteDates, CalLimit, Gas4Name, "
            "Gas4Enable, Gas4CalDate, Gas4Before, Gas4After, Gas4AutoCal, Gas4Point) "
            "Values (?,?,?,?,?,?,?,?,?,?,?)",
            {QString(serial), QString(user), written, calLimit, QStringLiteral("O2"), enabled,
             calibrated, 20.5f, 20.9f, 20.9f, int16_t(1)});
    }
    // Four instruments: due soon, valid, overdue with its gas off, never calibrated.
    void storeFour() {
        core::LimitDays = 30;
        addLatest("B2", "*", rt::OleDate::DateSerial(2026, 6, 12), 180 - 19.4, true);
        addLatest("A1", "U1", rt::OleDate::DateSerial(2026, 6, 10), 100, true);
        addLatest("C3", "U3", rt::OleDate::DateSerial(2026, 6, 1), 181, false);
        addLatest("D4", "U4", rt::OleDate::DateSerial(2026, 5, 1), -1, true);
    }
    library::LastCalibrationPage& cal() { return *window->lastCalibrationPage; }
    platform::FlexGrid& hist() { return *cal().vfgHistory; }
    QStringList histRow(int row) {
        QStringList cells;
        for (int c = 0; c < hist().Cols(); ++c)
            cells << hist().TextMatrix(row, c);
        return cells;
    }
    int32_t colour(int row, int col) {
        return hist().Cell(platform::FlexProperty::BackColor, row, col);
    }
    void view(int index) {
        cal().optHistory[index]->setChecked(true);
        settle();
    }
};

QString date(double daysBack) {
    return rt::GeneralDate(rt::OleDate(Now.value() - daysBack));
}

TEST(LastCalibration, TheThreeViews) {
    CalibrationWindow w;
    w.storeFour();
    w.window->cmdInst_Click(3);
    w.settle();
    EXPECT_FALSE(w.window->fraMenu[4]->isHidden());
    ASSERT_TRUE(w.cal().optHistory[0]->isChecked());
    const QString written = rt::GeneralDate(rt::OleDate::DateSerial(2026, 6, 12));
    EXPECT_EQ(w.histRow(0),
              lines({"No.", "SerialNo", "UserID", "Last Calib.Date", "Last Download"}));
    ASSERT_EQ(w.hist().Rows(), 5);
    EXPECT_EQ(w.histRow(1), QStringList({"1", "B2", "*", date(180 - 19.4), written}));
    EXPECT_EQ(w.histRow(3).mid(1, 3), QStringList({"C3", "U3", date(181)}));
    EXPECT_EQ(w.histRow(4).mid(1, 3), lines({"D4", "U4", ""}));  // before 2000: no date
    // The due state colours every cell but the number.
    for (int col = 1; col < 5; ++col) {
        EXPECT_EQ(w.colour(1, col), Orange);
        EXPECT_EQ(w.colour(2, col), 0);
        EXPECT_EQ(w.colour(3, col), Red);
        EXPECT_EQ(w.colour(4, col), 0);
    }
    EXPECT_EQ(w.colour(1, 0), 0);

    w.view(1);
    EXPECT_EQ(w.histRow(0), lines({"No.", "SerialNo", "UserID", "Gas", "Before", "After", "A.Cal.",
                                   "Cal.Due(Days)"}));
    EXPECT_EQ(w.histRow(1),
              lines({"1", "B2", "*", "O2", "20.5", "20.9", "20.9", "Remaining 19 Days"}));
    EXPECT_EQ(w.histRow(2).last(), "Remaining 80 Days");
    EXPECT_EQ(w.histRow(3), lines({"3", "C3", "U3", "O2", "-----", "-----", "-----", "-----"}));
    EXPECT_EQ(w.histRow(4).last(), "");
    EXPECT_EQ(w.colour(3, 7), Red);
    EXPECT_TRUE(w.cal().cmdLastCal->isEnabled());

    // Only the instruments due, whose gas is on: Print is off and there is no popup.
    w.view(2);
    EXPECT_EQ(w.histRow(0),
              lines({"No.", "SerialNo", "UserID", "Last Calib.Date", "Last Download"}));
    ASSERT_EQ(w.hist().Rows(), 2);
    EXPECT_EQ(w.histRow(1).mid(0, 2), lines({"1", "B2"}));
    EXPECT_FALSE(w.cal().cmdLastCal->isEnabled());
    w.window->calibrationList->vfgHistory_MouseDown(platform::RightButton, 1);
    EXPECT_TRUE(w.rig.dialogs.popups.empty());
    w.view(0);
    EXPECT_TRUE(w.cal().cmdLastCal->isEnabled());
    w.rig.dialogs.popupChoices = {-1};
    w.window->calibrationList->vfgHistory_MouseDown(platform::RightButton, 3);
    EXPECT_EQ(w.rig.dialogs.popups.size(), 1u);
    EXPECT_EQ(w.hist().Row(), 3);  // the row the menu acts on
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
}

TEST(LastCalibration, PrintTakesTheListWhenADataRowIsCurrent) {
    CalibrationWindow w;
    w.storeFour();
    w.window->cmdInst_Click(3);
    w.settle();
    w.hist().setRow(0);
    w.cal().cmdLastCal->click();
    EXPECT_TRUE(w.rig.printed.empty());
    w.hist().setRow(2);
    w.cal().cmdLastCal->click();
    ASSERT_EQ(w.rig.printed.size(), 1u);
    EXPECT_EQ(w.rig.printed[0].dataType, 4);
    EXPECT_EQ(w.rig.printed[0].table, static_cast<platform::CellTable*>(&w.hist()));
}

TEST(LastCalibration, TheMarkedRowFollowsTheCurrentOne) {
    CalibrationWindow w;
    w.storeFour();
    w.window->cmdInst_Click(3);
    w.settle();
    w.hist().setRow(3);
    EXPECT_EQ(w.hist().RowSel(), 3);
    EXPECT_FALSE(w.window->fields.HistoryGridFilling);
}

TEST(LastCalibration, AnEmptyListIsToldAndTheStartUpFillsNothing) {
    CalibrationWindow w;
    w.window->cmdInst_Click(3);
    w.settle();
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, "Calibration data not found.");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Data not found");
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(w.hist().Rows(), 1);

    // While the window is being set up a view change does not refill the list.
    w.storeFour();
    w.window->fields.ActivationPending = true;
    w.view(1);
    EXPECT_EQ(w.hist().Rows(), 1);
    EXPECT_EQ(w.histRow(0).size(), 5);
    w.view(2);
    EXPECT_FALSE(w.cal().cmdLastCal->isEnabled());
    w.window->fields.ActivationPending = false;
    w.view(1);
    EXPECT_EQ(w.hist().Rows(), 5);

    // The defaults after a power off choose view 0 while another page is shown: the list waits
    // for its page, no box stops the run.
    w.db().exec("Delete From cLatestHist");
    w.window->cmdInst_Click(0);
    w.rig.dialogs.messages.clear();
    w.window->SetDefaults();
    EXPECT_TRUE(w.cal().optHistory[0]->isChecked());
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    w.window->cmdInst_Click(3);
    EXPECT_EQ(w.rig.dialogs.messages.size(), 1u);
}

// Both lists fill the grid's inside without scrolling sideways, at every window size.
TEST(LastCalibration, NoScrollingSidewaysInEitherView) {
    CalibrationWindow w;
    w.storeFour();
    w.window->cmdInst_Click(3);
    w.settle();
    for (const QSize size : testsupport::WindowSizes) {
        for (const int view : {0, 1, 0}) {
            SCOPED_TRACE(
                QStringLiteral("%1 wide, view %2").arg(size.width()).arg(view).toStdString());
            w.window->resize(size);
            w.view(view);
            const testsupport::Sideways s = testsupport::sideways(w.hist());
            EXPECT_FALSE(s.scrollBar);
            EXPECT_GE(s.room, 0);
            EXPECT_LE(s.room, 3);  // no more than rounding leaves free
        }
    }
    // A list longer than the grid: the columns share what the vertical scroll bar leaves.
    for (int i = 0; i < 60; ++i)
        w.addLatest(qPrintable(QStringLiteral("S%1").arg(i)), "U", Now, 10, true);
    for (const int view : {1, 0}) {
        SCOPED_TRACE(view);
        w.view(view);
        w.settle();
        EXPECT_TRUE(w.hist().findChild<QTableView*>()->verticalScrollBar()->isVisible());
        const testsupport::Sideways s = testsupport::sideways(w.hist());
        EXPECT_FALSE(s.scrollBar);
        EXPECT_GE(s.room, 0);
        EXPECT_LE(s.room, 3);
    }
}

TEST(LastCalibration, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        const QString suffix = language == platform::StringTable::Language::English ? "en" : "ja";
        CalibrationWindow w;
        w.storeFour();
        w.window->resize(1100, 760);
        w.window->cmdInst_Click(3);
        w.settle();
        testsupport::savePicture(*w.window, "frmMain-lastcalibration-" + suffix);
        w.view(1);
        testsupport::savePicture(*w.window, "frmMain-lastcalibration-values-" + suffix);
    }
}

// ---- the password dialog -----------------------------------------------------------------

TEST(PasswordDialog, OnlyTheSettingsPasswordOpens) {
    testsupport::GlobalsSnapshot globals;
    core::SettingsPassword = QStringLiteral("Secret1");
    testsupport::ScriptedDialogs dialogs;
    library::FrmPassword dialog(dialogs);
    dialog.open();
    EXPECT_EQ(dialog.txtPassword->echoMode(), QLineEdit::Password);
    // Another case is another password.
    QTest::keyClicks(dialog.txtPassword, "secret1");
    QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "The password is not correct.");
    EXPECT_EQ(dialogs.messages[0].title, "Password");
    EXPECT_TRUE(dialog.txtPassword->text().isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClicks(dialog.txtPassword, "Secret1");
    QTest::keyClick(dialog.txtPassword, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(PasswordDialog, CancelAndClosingRefuse) {
    testsupport::GlobalsSnapshot globals;
    core::SettingsPassword = QStringLiteral("Secret1");
    testsupport::ScriptedDialogs dialogs;
    // Through the modal call, as the deletions use it.
    const auto answer = [&](const std::function<void(library::FrmPassword&)>& act) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<library::FrmPassword*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
        });
        return library::AskSettingsPassword(dialogs, nullptr);
    };
    EXPECT_FALSE(answer([](library::FrmPassword& d) {
        QTest::keyClicks(d.txtPassword, "Secret1");
        d.cmdCancel->click();
    }));
    EXPECT_FALSE(answer([](library::FrmPassword& d) {
        QTest::keyClicks(d.txtPassword, "Secret1");
        d.close();
    }));
    EXPECT_TRUE(answer([](library::FrmPassword& d) {
        QTest::keyClicks(d.txtPassword, "Secret1");
        d.cmdOK->click();
    }));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(PasswordDialog, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        testsupport::ScriptedDialogs dialogs;
        library::FrmPassword dialog(dialogs);
        dialog.show();
        QTest::keyClicks(dialog.txtPassword, "abc");
        QApplication::processEvents();
        testsupport::savePicture(
            dialog, QStringLiteral("frmPassword-%1")
                        .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
    }
}

}  // namespace
