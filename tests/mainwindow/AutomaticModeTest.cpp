#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>

#include "core/ModMain.h"
#include "platform/gui/QtDialogs.h"
#include "tests/support/FolderTroubles.h"
#include "tests/support/InstrumentWindow.h"

using download::ColorStatusConnected;
using download::ColorStatusDone;
using download::ColorStatusFailed;
using download::ColorStatusProgress;
using download::ColorStatusStart;
using platform::MsgAnswer;
using testsupport::FakeQM73;
using testsupport::Fault;
using testsupport::inOrder;
using testsupport::InstrumentWindow;
using testsupport::joined;
using testsupport::Lines;
using testsupport::ownLines;
using testsupport::serialLines;

namespace {

const QString Connected = "QM-73...Connection Successful.";
const QString AutoStart = "QM-73 Start Automatic Download.";
const QString AutoComplete = "QM-73 Automatic Download Complete.";
const QString AutoFailed = "QM-73 Automatic Download Failed.";
const QString RemovalComplete = "QM-73 Data Removal Complete.";
const QString PowerOffComplete = "QM-73 Auto Power OFF Complete.";
const QString SerialStart = "---Start Automatic Download---. Date = <date>";
const QString SerialComplete = "---Automatic Mode Camplate Finished---. Date = <date>";
const QString SerialFailed = "---Automatic Mode Failed Finished---. Date = <date>";
const QString SerialRemoved = "--- Data Remove Finished---.";

const int32_t Green = ColorStatusProgress;
const int32_t Red = ColorStatusFailed;

Lines stored(const char* kind) {
    const QString k = QString::fromLatin1(kind);
    return {{"QM-73 " + k + " Download.", Green},
            {k + " Update Database.", Green},
            {"QM-73 " + k + " Download Complete.", Green}};
}

const Lines InstrumentRead = {{"QM-73 Instrument Information Download.", Green},
                              {"QM-73 Instrument Information Download Complete.", Green}};

// A window in automatic mode, switched on by its boxes as the user does it.
struct AutomaticWindow : InstrumentWindow {
    explicit AutomaticWindow(bool removal, FakeQM73 contents = FakeQM73::Typical(),
                             bool switchR = false)
        : InstrumentWindow(std::move(contents),
                           [switchR](testsupport::WindowRig&) { core::SwitchR = switchR; }) {
        rig.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
        window->downloadPage->chkAutoLoad[0]->click();
        if (removal) window->downloadPage->chkAutoLoad[1]->click();
        rig.dialogs.messages.clear();
    }
    // Ticks until an automatic run has ended (its result line is written).
    bool runOnce(int limit = 200) {
        const auto ended = [this] {
            const QStringList texts = statusTexts(from_);
            return texts.contains(AutoComplete) || texts.contains(AutoFailed);
        };
        for (int i = 0; i < limit && !ended(); ++i)
            tick();
        return ended();
    }
    // Where the status lines of the next run start.
    void mark() { from_ = statusLines().size(); }
    size_t from_ = 0;
};

}  // namespace

// ---- the boxes ------------------------------------------------------------------------------

TEST(AutomaticBoxes, EachChangeIsConfirmedAndSetsTheMode) {
    struct Case {
        const char* name;
        bool loadBefore, removeBefore;
        int box;
        MsgAnswer answer;
        const char* title;  // none: no question
        bool load, remove;  // the mode after
        bool box0, box1;    // the boxes' values after
        bool box1Enabled;
    };
    const std::vector<Case> cases = {
        {"tick load, yes", false, false, 0, MsgAnswer::Yes, "Automatic Load", true, false, true,
         false, true},
        {"tick load, no", false, false, 0, MsgAnswer::No, "Automatic Load", false, false, false,
         false, false},
        {"clear load, yes", true, true, 0, MsgAnswer::Yes, "Automatic Load", false, false, false,
         false, false},
        {"clear load, no", true, true, 0, MsgAnswer::No, "Automatic Load", true, true, true, true,
         true},
        {"tick removal, yes", true, false, 1, MsgAnswer::Yes, "Auto data Removal.", true, true,
         true, true, true},
        {"tick removal, no", true, false, 1, MsgAnswer::No, "Auto data Removal.", true, false, true,
         false, true},
        {"clear removal", true, true, 1, MsgAnswer::Yes, nullptr, true, false, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w(FakeQM73::Typical(), [&c](testsupport::WindowRig&) {
            core::AutoLoadMode = c.loadBefore;
            core::AutoRemoveData = c.removeBefore;
        });
        // The settings file of a fresh folder holds no mode: the boxes show the one given.
        core::AutoLoadMode = c.loadBefore;
        core::AutoRemoveData = c.removeBefore;
        w.window->SetDefaults();
        QCheckBox* box = w.window->downloadPage->chkAutoLoad[c.box];
        ASSERT_EQ(box->isChecked(), c.box == 0 ? c.loadBefore : c.removeBefore);
        w.rig.dialogs.messages.clear();
        w.rig.dialogs.answers = {c.answer};
        box->click();
        if (c.title) {
            ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
            EXPECT_EQ(w.rig.dialogs.messages[0].title, c.title);
            EXPECT_EQ(w.rig.dialogs.messages[0].buttons, platform::MsgButtons::YesNo);
            EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::Question);
        } else {
            EXPECT_TRUE(w.rig.dialogs.messages.empty());
        }
        EXPECT_EQ(core::AutoLoadMode, c.load);
        EXPECT_EQ(core::AutoRemoveData, c.remove);
        EXPECT_EQ(w.window->downloadPage->chkAutoLoad[0]->isChecked(), c.box0);
        EXPECT_EQ(w.window->downloadPage->chkAutoLoad[1]->isChecked(), c.box1);
        EXPECT_EQ(w.window->downloadPage->chkAutoLoad[1]->isEnabled(), c.box1Enabled);
        EXPECT_TRUE(w.window->fields.AutoLoadClickEnabled);
    }
}

// What the boxes show is the mode in force, also when they were changed while no instrument
// was there: the next connection runs an automatic download only when box 0 shows it.
TEST(AutomaticBoxes, ABoxChangedWhileTheLineIsLostChangesTheMode) {
    struct Case {
        const char* name;
        MsgAnswer answer;  // to the question of the untick
        bool automatic;    // the mode, box 0 and the run at the next connection
    };
    const std::vector<Case> cases = {
        {"untick confirmed", MsgAnswer::Yes, false},
        {"untick refused", MsgAnswer::No, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w;
        ASSERT_TRUE(w.connect());
        QCheckBox* load = w.window->downloadPage->chkAutoLoad[0];
        w.rig.dialogs.answers = {MsgAnswer::Yes};
        load->click();
        ASSERT_TRUE(core::AutoLoadMode);
        w.rig.serial.plugged = false;
        w.tick(3);
        ASSERT_FALSE(w.window->uclVY5103.Connected());

        w.rig.dialogs.messages.clear();
        w.rig.dialogs.answers = {c.answer};
        EXPECT_TRUE(load->isEnabled());
        load->click();
        ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
        EXPECT_EQ(w.rig.dialogs.messages[0].title, "Automatic Load");
        EXPECT_EQ(load->isChecked(), c.automatic);
        EXPECT_EQ(core::AutoLoadMode, c.automatic);

        w.rig.serial.plugged = true;
        w.tick(60);
        ASSERT_EQ(w.statusTexts().count(Connected), 2);
        EXPECT_EQ(w.statusTexts().contains(AutoStart), c.automatic);
        EXPECT_EQ(w.fake.poweredOff, c.automatic);
        EXPECT_EQ(load->isChecked(), c.automatic);
        EXPECT_EQ(core::AutoLoadMode, c.automatic);
    }
}

// A connection while a box's question is open waits for the answer: the run follows the mode
// the user chose, not the one in force when the instrument came.
TEST(AutomaticBoxes, AConnectionDuringTheQuestionFollowsTheAnswer) {
    InstrumentWindow w;
    w.rig.serial.plugged = false;
    w.tick(3);
    QCheckBox* load = w.window->downloadPage->chkAutoLoad[0];
    w.rig.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::No};
    load->click();
    ASSERT_TRUE(core::AutoLoadMode);
    // The instrument connects while the question to switch the mode off is open; the answer
    // keeps the mode on.
    w.rig.dialogs.onMessage = [&w](const testsupport::ScriptedDialogs::Message&) {
        w.rig.serial.plugged = true;
        for (int i = 0; i < 30 && !w.window->uclVY5103.Connected(); ++i)
            w.tick();
        EXPECT_TRUE(w.window->uclVY5103.Connected());
        EXPECT_FALSE(w.statusTexts().contains(AutoStart));
    };
    load->click();
    w.rig.dialogs.onMessage = nullptr;
    EXPECT_TRUE(load->isChecked());
    w.tick(30);
    EXPECT_TRUE(w.statusTexts().contains(AutoStart));
}

TEST(AutomaticBoxes, TheQuestionsSayWhatTheModeDoes) {
    InstrumentWindow w;
    w.rig.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    w.window->downloadPage->chkAutoLoad[0]->click();
    w.window->downloadPage->chkAutoLoad[1]->click();
    ASSERT_EQ(w.rig.dialogs.messages.size(), 2u);
    EXPECT_TRUE(w.rig.dialogs.messages[0].text.startsWith("Select automatic load mode."));
    EXPECT_TRUE(
        w.rig.dialogs.messages[0].text.endsWith("Caution! Download commands are not active."));
    EXPECT_TRUE(w.rig.dialogs.messages[1].text.startsWith("Remove Data after download."));
}

// ---- the automatic run
// ----------------------------------------------------------------------------

TEST(AutomaticRun, DownloadsClearsAndSwitchesOffEveryInstrumentThatConnects) {
    const FakeQM73 fake = FakeQM73::Typical();
    AutomaticWindow w(true, fake);
    const qsizetype serialFrom = serialLines(w.serialLog()).size();
    ASSERT_TRUE(w.runOnce());

    EXPECT_EQ(ownLines(w.statusLines()),
              joined({{{Connected, ColorStatusConnected}, {AutoStart, ColorStatusStart}},
                      InstrumentRead,
                      stored("Interval Trend"),
                      stored("Alarm Trend"),
                      stored("Alarm Events"),
                      stored("Trouble Events"),
                      {{RemovalComplete, Green},
                       {PowerOffComplete, Green},
                       {AutoComplete, ColorStatusDone}}}));
    const QStringList serial = serialLines(w.serialLog()).mid(serialFrom);
    EXPECT_TRUE(inOrder(
        serial, {SerialStart, "---Instrument Download Finished---. Date = <date>[Time = <time>]",
                 "---Trouble Events Download Finished---. Date = <date>[Time = "
                 "<time>]",
                 SerialRemoved, "---Auto Power OFF Finished---.",
                 "Serial Port Standby. Date = <date>", SerialComplete}));
    EXPECT_FALSE(serial.contains("---Power Events Download Start Sequence---. Date = <date>"));
    // Everything stored, then erased on the instrument, which is switched off.
    EXPECT_EQ(w.rows("Trouble_Event"), 1);
    EXPECT_EQ(w.rows("Interval_Event"), 4);
    EXPECT_TRUE(w.fake.intervals.empty());
    EXPECT_TRUE(w.fake.poweredOff);
    // The window is back at its start, waiting for the next instrument.
    EXPECT_TRUE(w.window->downloadPage->chkAutoLoad[0]->isEnabled());
    EXPECT_TRUE(w.window->downloadPage->chkAutoLoad[0]->isChecked());
    EXPECT_TRUE(w.window->downloadPage->chkAutoLoad[1]->isEnabled());
    EXPECT_EQ(w.enabledDownloadButtons(), std::vector<bool>(11, false));
    EXPECT_FALSE(w.window->setPage->cmdOption[0]->isEnabled());
    EXPECT_EQ(download::ActivityCode, 0);
    EXPECT_FALSE(w.window->frmUpload->isVisible());
    EXPECT_TRUE(w.window->fields.LogTreeDirty);
    EXPECT_FALSE(w.window->busy.busy());
    EXPECT_TRUE(w.rig.dialogs.messages.empty());

    // The next instrument (here the same one, switched on again) gets its own run.
    w.switchOn();
    w.mark();
    ASSERT_TRUE(w.runOnce());
    EXPECT_TRUE(w.statusTexts(w.from_).contains("QM-73 Interval Trend No Data."));
    EXPECT_EQ(w.statusTexts().last(), AutoComplete);
    EXPECT_TRUE(w.fake.poweredOff);
}

TEST(AutomaticRun, WithoutRemovalNothingIsClearedAndPowerEventsComeOnlyWithTheSwitch) {
    for (const bool switchR : {false, true}) {
        SCOPED_TRACE(switchR ? "-R" : "no switch");
        AutomaticWindow w(false, FakeQM73::Typical(), switchR);
        ASSERT_TRUE(w.runOnce());
        EXPECT_FALSE(w.rig.serial.engine.requests.contains("XC,W,"));
        EXPECT_FALSE(w.fake.intervals.empty());
        EXPECT_EQ(w.rig.serial.engine.requests.contains("DO,R,"), switchR);
        EXPECT_EQ(w.rows("Power_Event"), switchR ? 2 : 0);
        EXPECT_EQ(w.statusLines().back(), std::make_pair(AutoComplete, ColorStatusDone));
        EXPECT_TRUE(w.fake.poweredOff);
    }
}

TEST(AutomaticRun, ACancelledRunStillSwitchesTheInstrumentOff) {
    AutomaticWindow w(true);
    w.fake.linesPerBlock = 1;
    w.onRequest = [&w](const QString& body) {
        if (body != "DR,R,") return;
        w.rig.serial.engine.faults.assign(1, Fault{Fault::Late, 20});
        QMetaObject::invokeMethod(
            w.window->frmUpload.get(), [&w] { w.window->frmUpload->cmdUpload->click(); },
            Qt::QueuedConnection);
    };
    const qsizetype serialFrom = serialLines(w.serialLog()).size();
    ASSERT_TRUE(w.runOnce());
    EXPECT_EQ(ownLines(w.statusLines()),
              joined({{{Connected, ColorStatusConnected}, {AutoStart, ColorStatusStart}},
                      InstrumentRead,
                      {{"QM-73 Interval Trend Download.", Green},
                       {"Cominucation Canceled.", Red},
                       {PowerOffComplete, Green},
                       {AutoFailed, Red}}}));
    const QStringList serial = serialLines(w.serialLog()).mid(serialFrom);
    EXPECT_TRUE(inOrder(serial, {SerialStart, "---Auto Power OFF Finished---.", SerialFailed}));
    EXPECT_FALSE(w.rig.serial.engine.requests.contains("DJ,R,"));
    EXPECT_FALSE(w.rig.serial.engine.requests.contains("XC,W,"));
    EXPECT_TRUE(w.fake.poweredOff);
    EXPECT_FALSE(w.fake.intervals.empty());
    EXPECT_EQ(download::ActivityCode, 0);
    EXPECT_FALSE(w.window->frmUpload->isVisible());
}

TEST(AutomaticRun, NothingIsErasedThatWasNotStoredWhole) {
    struct Case {
        const char* name;
        std::function<void(AutomaticWindow&)> spoil;
        QString result;
    };
    const std::vector<Case> cases = {
        {"a store that fails", [](AutomaticWindow& w) { w.db().exec("Drop Table Alarm_Event"); },
         AutoFailed},
        {"a record that did not decode",
         [](AutomaticWindow& w) {
             core::SwitchR = true;
             w.fake.powerEvents.push_back({"241399", "250000", true});
         },
         AutoComplete},
        {"a calibration-history line that did not decode",
         [](AutomaticWindow& w) {
             w.fake.history.push_back({"241399", "250000", "  0.0", " 50.0", "CH4"});
         },
         AutoComplete},
        {"a latest calibration that did not arrive",
         [](AutomaticWindow& w) {
             w.onRequest = [&w](const QString& body) {
                 if (body == "SO,R,")
                     w.rig.serial.engine.faults.assign(1, Fault{Fault::BadChecksum, 0});
             };
         },
         AutoComplete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AutomaticWindow w(true);
        c.spoil(w);
        ASSERT_TRUE(w.runOnce());
        EXPECT_FALSE(w.rig.serial.engine.requests.contains("XC,W,"));
        EXPECT_FALSE(w.fake.intervals.empty());
        EXPECT_TRUE(w.fake.poweredOff);
        EXPECT_EQ(w.statusTexts().last(), c.result);
    }
}

// A run whose trend files cannot be stored ends failed, telling why, and erases nothing: the
// instrument keeps what the disk could not.
TEST(AutomaticRun, TrendFilesThatCannotBeStoredFailTheRunWithTheReasonAndEraseNothing) {
    for (const testsupport::FolderTrouble& trouble : testsupport::folderTroubles()) {
        SCOPED_TRACE(trouble.name);
        AutomaticWindow w(true);
        const QString data = w.rig.folder.paths().dataFolder();
        const auto undo = trouble.make(data);
        const bool ended = w.runOnce();
        undo();
        ASSERT_TRUE(ended);
        const QString reason =
            testsupport::FolderTroubleReason(trouble.folder(data, data + "/24/05"), trouble.cause);
        const Lines lines = ownLines(w.statusLines());
        const Lines interval = {{"QM-73 Interval Trend Download.", Green},
                                {"Interval Trend Update Database.", Green},
                                {"QM-73 Interval Trend Download Failed.", Red},
                                {reason, Red}};
        EXPECT_NE(std::search(lines.begin(), lines.end(), interval.begin(), interval.end()),
                  lines.end());
        EXPECT_EQ(lines.back(), std::make_pair(AutoFailed, Red));
        EXPECT_FALSE(w.statusTexts().contains("QM-73 Interval Trend Download Complete."));
        EXPECT_FALSE(w.rig.serial.engine.requests.contains("XC,W,"));
        EXPECT_FALSE(w.fake.intervals.empty());
        EXPECT_FALSE(w.fake.alarms.empty());
        EXPECT_TRUE(w.fake.poweredOff);
        EXPECT_EQ(w.db().query("Select SeqNo From Log_Head Where Types In (1, 2)").rowCount(), 0);
        testsupport::ExpectDataFolderUntouched(data);
    }
}

TEST(AutomaticRun, AFailedClearFailsTheRun) {
    AutomaticWindow w(true);
    w.fake.refusedWrites << "XC";
    const qsizetype serialFrom = serialLines(w.serialLog()).size();
    ASSERT_TRUE(w.runOnce());
    const Lines lines = ownLines(w.statusLines());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(
        Lines(lines.end() - 3, lines.end()),
        (Lines{{"QM-73 Data Removal Failed.", Red}, {PowerOffComplete, Green}, {AutoFailed, Red}}));
    EXPECT_TRUE(inOrder(serialLines(w.serialLog()).mid(serialFrom),
                        {"--- Data Remove Failed---.", SerialFailed}));
    EXPECT_TRUE(w.fake.poweredOff);
}

TEST(AutomaticRun, AConnectionDuringACommandIsHandledWhenTheCommandEnds) {
    AutomaticWindow w(false);
    // A command of the window holds the busy counter while the instrument connects.
    {
        mainwindow::BusyScope command(w.window->busy, platform::UserInput::Allowed);
        for (int i = 0; i < 20 && !w.window->uclVY5103.Connected(); ++i)
            w.tick();
        ASSERT_TRUE(w.window->uclVY5103.Connected());
        w.tick(3);
        EXPECT_FALSE(w.statusTexts().contains(AutoStart));
    }
    ASSERT_TRUE(w.runOnce());
    EXPECT_EQ(w.statusTexts().last(), AutoComplete);
    EXPECT_TRUE(w.fake.poweredOff);
}

TEST(AutomaticRun, NothingStartsWhileTheUserIsAskedAndTheAnswerKeepsWhatCameAfter) {
    AutomaticWindow w(true);
    w.rig.serial.plugged = false;
    w.tick(3);
    // A download stored before: the question to delete everything is about it.
    w.db().exec("Insert Into Log_Head (SeqNo, Types, Names) Values (9000, 5, 'before')");
    w.db().exec("Insert Into Alarm_Event (RelNo) Values (9000)");
    w.window->askPassword = [] { return true; };
    // The library's question is a real box on screen, answered by the user after an
    // instrument with new recordings has been plugged in and has connected.
    platform::QtDialogs screen;
    w.rig.dialogs.shownBy = [&screen](const testsupport::ScriptedDialogs::Message& m) {
        return screen.message(m.text, m.title, m.icon, m.buttons);
    };
    bool connectedDuringBox = false, startedDuringBox = true, answered = false;
    int interval = -1;
    QTimer::singleShot(20, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        w.rig.serial.plugged = true;
        for (int i = 0; i < 60; ++i)
            w.tick();
        connectedDuringBox = w.window->uclVY5103.Connected();
        startedDuringBox = w.statusTexts().contains(AutoStart);
        interval = w.rows("Interval_Event");
        box->button(QMessageBox::Yes)->click();
        answered = true;
    });
    w.window->libraryPage->mnuDelete->setData(QStringLiteral("0 #"));
    w.window->libraryPage->mnuDelete->trigger();
    w.rig.dialogs.shownBy = nullptr;
    ASSERT_TRUE(answered);
    EXPECT_TRUE(connectedDuringBox);
    EXPECT_FALSE(startedDuringBox);
    EXPECT_EQ(interval, 0);
    EXPECT_FALSE(w.fake.poweredOff);
    // The answer deleted what it was about; the instrument's run follows once the box is gone.
    EXPECT_EQ(
        w.db().query("Select Count(*) As n From Log_Head Where SeqNo = 9000").longValue(0, "n"), 0);
    EXPECT_EQ(w.rows("Alarm_Event"), 0);
    ASSERT_TRUE(w.runOnce());
    EXPECT_EQ(w.statusTexts().last(), AutoComplete);
    EXPECT_EQ(w.rows("Interval_Event"), 4);
    EXPECT_EQ(w.rows("Trouble_Event"), 1);
    EXPECT_TRUE(w.fake.intervals.empty());
    EXPECT_TRUE(w.fake.poweredOff);
}

// The program as it runs: real timers, the real event loop, nothing ticked by the test.
TEST(AutomaticRun, UnderTheRealEventLoopTheRunAndItsWaitsEnd) {
    InstrumentWindow w;
    w.rig.pump.tick = nullptr;
    w.window->uclVY5103.setTimerEnabled(true);
    w.rig.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    w.window->downloadPage->chkAutoLoad[0]->click();
    w.window->downloadPage->chkAutoLoad[1]->click();
    // Whenever the run writes a line, the link is not inside one of its own handlers.
    int linesInsideLink = 0, lines = 0;
    QObject::connect(w.window->downloadPage->rtbLog->document(), &QTextDocument::contentsChanged,
                     [&] {
                         ++lines;
                         if (w.window->uclVY5103.InsideHandler()) ++linesInsideLink;
                     });
    const bool ended = QTest::qWaitFor(
        [&] {
            return w.statusTexts().contains(AutoComplete) || w.statusTexts().contains(AutoFailed);
        },
        60000);
    ASSERT_TRUE(ended);
    EXPECT_EQ(w.statusTexts().last(), AutoComplete);
    EXPECT_GT(lines, 10);
    EXPECT_EQ(linesInsideLink, 0);
    EXPECT_TRUE(w.fake.poweredOff);
    EXPECT_TRUE(w.fake.intervals.empty());
    EXPECT_FALSE(w.window->busy.busy());
}

// Cancel is looked at whenever the run could stop: between two downloads, in the pauses and
// during the removal.
TEST(AutomaticRun, ACancelAtAnyMomentFailsTheRunAndStopsWhatHasNotStarted) {
    struct Case {
        const char* name;
        // Whether to press Cancel now: looked at before every tick and after every status line.
        std::function<bool(AutomaticWindow&)> when;
        bool erased;
        const char* notAsked;  // a request the run must not send after the Cancel
    };
    const std::vector<Case> cases = {
        {"between two downloads, when no exchange waits",
         [](AutomaticWindow& w) {
             return w.statusTexts().contains("QM-73 Interval Trend Download Complete.");
         },
         false, "DJ,R,"},
        {"as the last download ends",
         [](AutomaticWindow& w) {
             return w.statusTexts().contains("QM-73 Trouble Events Download Complete.");
         },
         false, "XC,W,"},
        // The pause has begun once the window's clock was set back to count its two seconds.
        {"in the pause before the removal",
         [pauseBegan = false, lastTicks = int64_t(0)](AutomaticWindow& w) mutable {
             const int64_t ticks = w.window->fields.TimerTicks;
             if (w.statusTexts().contains("QM-73 Trouble Events Download Complete.") &&
                 ticks < lastTicks)
                 pauseBegan = true;
             lastTicks = ticks;
             return pauseBegan && ticks >= 5;
         },
         false, "XC,W,"},
        {"while the removal waits for the instrument",
         [](AutomaticWindow& w) { return w.rig.serial.engine.requests.contains("XC,C,"); }, false,
         nullptr},
        {"as the removal is asked for",
         [](AutomaticWindow& w) { return w.rig.serial.engine.requests.contains("XC,W,"); }, false,
         nullptr},
        {"in the pause before the power off",
         [](AutomaticWindow& w) {
             return w.statusTexts().contains(RemovalComplete) && w.window->fields.TimerTicks >= 5;
         },
         true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AutomaticWindow w(true);
        bool pressed = false;
        const auto pressWhenDue = [&] {
            if (!pressed && w.window->frmUpload->isVisible() && c.when(w)) {
                pressed = true;
                w.window->frmUpload->cmdUpload->click();
            }
        };
        QObject::connect(w.window->downloadPage->rtbLog->document(),
                         &QTextDocument::contentsChanged, pressWhenDue);
        const auto tick = w.rig.pump.tick;
        w.rig.pump.tick = [&] {
            pressWhenDue();
            tick();
        };
        ASSERT_TRUE(w.runOnce());
        EXPECT_TRUE(pressed);
        if (c.notAsked) {
            EXPECT_FALSE(w.rig.serial.engine.requests.contains(c.notAsked));
        }
        EXPECT_EQ(w.fake.intervals.empty(), c.erased);
        EXPECT_EQ(w.statusTexts().contains(RemovalComplete), c.erased);
        EXPECT_EQ(w.statusLines().back(), std::make_pair(AutoFailed, Red));
        EXPECT_TRUE(w.fake.poweredOff);
    }
}
