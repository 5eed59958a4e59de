#include <gtest/gtest.h>

#include "core/GasCommon.h"
#include "tests/mainwindow/SetPageWindow.h"
#include "tests/support/Pictures.h"

namespace {

using testsupport::InstrumentWindow;

// The Set page of a connected window, with the calibration view's steps.
struct CalibrationWindow : testsupport::SetPageWindow {
    using SetPageWindow::SetPageWindow;
    void open() {
        ASSERT_TRUE(page().cmdOption[2]->isEnabled());
        page().cmdOption[2]->click();
        settle();
    }
    // The buttons, the poll and the activity as they must be after every run.
    void expectIdle() {
        for (QWidget* b : page().cmdCal)
            EXPECT_TRUE(b->isEnabled());
        EXPECT_TRUE(window->uclVY5103.RunDensty());
        EXPECT_EQ(download::ActivityCode, 0);
        EXPECT_FALSE(window->busy.busy());
        EXPECT_FALSE(window->calibrationView->CalibrationBusy);
    }
    // The expected outcome lines of the gases a run adjusted.
    QString outcome(const QString& digits, const std::vector<int>& gases) {
        QString text;
        for (int gas : gases) {
            if (digits.at(gas) == '0')
                text += inst().GasName(gas) + "  Adjustment Complete.\r\n";
            else
                text +=
                    inst().GasName(gas) + "(" +
                    core::ValueText(window->linkEvents->LiveReadings[gas], inst().GasPoint(gas)) +
                    ") Failed\r\n";
        }
        return text;
    }
};

TEST(CalibrationView, OpensWithLiveReadingsAndCloses) {
    CalibrationWindow w;
    w.open();
    EXPECT_FALSE(w.page().fraOption[2]->isHidden());
    EXPECT_TRUE(w.page().fraOption[1]->isHidden());
    for (QWidget* b : w.page().cmdOption) {
        EXPECT_FALSE(b->isEnabled());
        EXPECT_TRUE(b->isHidden());
    }
    for (QWidget* b : w.window->cmdInst)
        EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(w.window->fields.CalibrationViewOpen);
    EXPECT_TRUE(w.window->uclVY5103.RunDensty());
    // The poll's readings reach the grid.
    w.fake.liveGas4 = "157";
    w.window->uclVY5103.tmrDenst_Timer();  // the poll's second
    w.tick(10);
    EXPECT_EQ(w.page().vfgCal->TextMatrix(1, 2),
              core::ValueText(w.window->linkEvents->LiveReadings[3], w.inst().GasPoint(3)));
    EXPECT_NE(w.page().vfgCal->TextMatrix(1, 2), "");
    w.page().cmdCal[2]->click();
    w.settle();
    EXPECT_FALSE(w.window->uclVY5103.RunDensty());
    EXPECT_FALSE(w.window->fields.CalibrationViewOpen);
    EXPECT_TRUE(w.page().fraOption[2]->isHidden());
    EXPECT_FALSE(w.page().fraOption[1]->isHidden());
    for (QWidget* b : w.window->cmdInst)
        EXPECT_TRUE(b->isEnabled());
    EXPECT_TRUE(w.page().cmdOption[3]->isHidden());  // only with "-R"
}

// The Set page's writes follow the link, also through the calibration view: a lost instrument
// leaves "Update", "Date/Time Set" and "Default Set" off after the view closes, and they come
// back with the next connection.
TEST(CalibrationView, ClosingAfterALostLinkLeavesTheWritesOff) {
    CalibrationWindow w(true);
    const auto writesEnabled = [&w] {
        std::vector<bool> enabled;
        for (int i : {0, 1, 3})
            enabled.push_back(w.page().cmdOption[i]->isEnabled());
        return enabled;
    };
    ASSERT_EQ(writesEnabled(), std::vector<bool>(3, true));
    w.rig.serial.plugged = false;
    w.tick(2);
    ASSERT_FALSE(w.window->uclVY5103.Connected());
    EXPECT_EQ(writesEnabled(), std::vector<bool>(3, false));
    w.open();
    w.page().cmdCal[2]->click();
    w.settle();
    EXPECT_EQ(writesEnabled(), std::vector<bool>(3, false));
    EXPECT_TRUE(w.page().cmdOption[2]->isEnabled());
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(w.page().cmdOption[i]->isHidden()) << i;  // "-R": all four shown
    // The instrument back: the writes too.
    w.rig.serial.plugged = true;
    ASSERT_TRUE(w.connect());
    EXPECT_EQ(writesEnabled(), std::vector<bool>(3, true));
}

// While an adjustment runs, the Set page's other buttons (font, colours, dump lists, option
// dialog) wait as the menu does.
TEST(CalibrationView, TheOtherButtonsWaitForAnAdjustment) {
    for (int run : {0, 1}) {
        SCOPED_TRACE(run == 0 ? "zero" : "span");
        CalibrationWindow w(true);
        w.inst().setGasEnabled(3, true);
        int dialogs = 0;
        w.window->settingsCommands->optionDialog = [&dialogs](core::clsInstrument&) { ++dialogs; };
        w.open();
        std::vector<bool> enabledDuring;
        w.onRequest = [&](const QString& body) {
            if (!body.startsWith(run == 0 ? "SZ,W," : "S2,W,") || !enabledDuring.empty()) return;
            for (QWidget* b : w.page().cmdOptionDisp)
                enabledDuring.push_back(b->isEnabled());
            // Clicked all the same (a click already queued): refused.
            w.rig.dialogs.fonts.push_back(QFont("Serif"));
            for (int i : {0, 4, 6, 7})
                w.window->settingsCommands->cmdOptionDisp_Click(i);
        };
        w.page().cmdCal[run]->click();
        w.settle();
        EXPECT_EQ(enabledDuring, std::vector<bool>(10, false));
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(w.rig.dialogs.messages.size(), 1u);  // the adjustment's outcome only
        EXPECT_EQ(w.rig.dialogs.fontRequests, 0);
        EXPECT_EQ(w.rig.dialogs.colorRequests, 0);
        for (QWidget* b : w.page().cmdOptionDisp)
            EXPECT_TRUE(b->isEnabled());
        w.expectIdle();
        // Between the runs they work.
        w.window->settingsCommands->cmdOptionDisp_Click(7);
        EXPECT_EQ(dialogs, 1);
    }
}

TEST(CalibrationView, ZeroListsEachEnabledGas) {
    for (const char* digits : {"0000", "0010", "1111"}) {
        SCOPED_TRACE(digits);
        CalibrationWindow w;
        w.fake.zeroResult = digits;
        w.open();
        w.tick(3);
        w.page().cmdCal[0]->click();
        w.settle();
        ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
        std::vector<int> enabled;
        for (int gas = 0; gas <= 3; ++gas)
            if (w.inst().GasEnabled(gas)) enabled.push_back(gas);
        EXPECT_EQ(w.rig.dialogs.messages[0].text, w.outcome(digits, enabled));
        EXPECT_EQ(w.rig.dialogs.messages[0].title, "Adjustment");
        EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Information);
        EXPECT_TRUE(w.requests.contains("SZ,W,1111"));
        w.expectIdle();
    }
}

TEST(CalibrationView, AZeroWithoutAnAnswerIsToldInTheLogsOnly) {
    CalibrationWindow w;
    w.fake.refuseCalibration = true;
    w.open();
    const size_t from = w.statusLines().size();
    w.page().cmdCal[0]->click();
    w.settle();
    EXPECT_TRUE(w.rig.dialogs.messages.empty());
    const auto lines = w.statusLines(from);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), (std::pair<QString, int32_t>{"QM-73 Calibration Fail.",
                                                         download::ColorStatusFailed}));
    EXPECT_TRUE(testsupport::serialLines(w.serialLog())
                    .contains("---Calibration Upload Failed---. Date = <date>"));
    w.expectIdle();
}

TEST(CalibrationView, SpanSendsTheSpanValueAndStoresTheHistory) {
    CalibrationWindow w;
    w.inst().setGasEnabled(3, true);
    w.inst().setAutoCalib(3, 50);
    w.open();
    const int latestBefore = w.rows("cLatestHist");
    w.page().cmdCal[1]->click();
    w.settle();
    const QString argument =
        "0001,*****,*****,*****," + core::RawCountText(50, w.inst().GasPoint(3));
    EXPECT_EQ(w.window->calibrationView->SpanArgument(), argument);
    EXPECT_TRUE(w.requests.contains("S2,W," + argument)) << w.requests.join('\n').toStdString();
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text, w.outcome("0000", {3}));
    // The latest calibration and the history are read and stored after the span.
    EXPECT_GE(w.rows("cLatestHist"), std::max(latestBefore, 1));
    EXPECT_GT(w.rows("cHistory"), 0);
    w.expectIdle();
}

TEST(CalibrationView, AHistoryThatIsNotReadWholeIsNotStored) {
    CalibrationWindow w;
    w.inst().setGasEnabled(3, true);
    w.open();
    const int before = w.rows("cHistory");
    // The instrument goes away when its history is asked for.
    w.onRequest = [&w](const QString& body) {
        if (body.startsWith("IH,R,")) w.fake.poweredOff = true;
    };
    w.page().cmdCal[1]->click();
    w.settle();
    EXPECT_EQ(w.rows("cHistory"), before);
    for (QWidget* b : w.page().cmdCal)
        EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(download::ActivityCode, 0);
}

TEST(CalibrationView, ASpanWithoutASensorSendsNothing) {
    CalibrationWindow w;
    w.inst().setGasEnabled(3, false);
    w.open();
    w.requests.clear();
    w.page().cmdCal[1]->click();
    w.settle();
    ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
    EXPECT_EQ(w.rig.dialogs.messages[0].text,
              "No sensors selected.\r\nMake selection in calibration table.");
    EXPECT_EQ(w.rig.dialogs.messages[0].title, "Span not performed.");
    EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Critical);
    for (const QString& r : w.requests)
        EXPECT_FALSE(r.startsWith("S2")) << r.toStdString();
    w.expectIdle();
}

TEST(CalibrationView, Pictures) {
    for (auto language :
         {platform::StringTable::Language::English, platform::StringTable::Language::Japanese}) {
        const testsupport::LanguageScope scope(language);
        CalibrationWindow w;
        w.window->resize(1100, 760);
        w.open();
        w.window->uclVY5103.tmrDenst_Timer();
        w.tick(10);
        testsupport::savePicture(
            *w.window,
            QStringLiteral("frmMain-calibration-%1")
                .arg(language == platform::StringTable::Language::English ? "en" : "ja"));
    }
}

}  // namespace
