#include <gtest/gtest.h>

#include "core/ModMain.h"
#include "tests/support/InstrumentWindow.h"

using download::ColorStatusConnected;
using download::ColorStatusFailed;
using download::ColorStatusProgress;
using platform::MsgAnswer;
using testsupport::FakeQM73;
using testsupport::Fault;
using testsupport::InstrumentWindow;
using testsupport::Lines;

namespace {

const int32_t LampOnFill = rt::RGB(0, 255, 0), LampOnBorder = rt::RGB(0, 192, 0);
const int32_t LampIdleFill = rt::RGB(160, 160, 160), LampIdleBorder = rt::RGB(128, 128, 128);
const int32_t LampErrorFill = rt::RGB(254, 0, 0), LampErrorBorder = rt::RGB(192, 0, 0);

std::pair<int32_t, int32_t> lamp(const InstrumentWindow& w, int index) {
    const auto* shape = w.window->downloadPage->shpStatus[index];
    return {shape->FillColor(), shape->BorderColor()};
}

std::vector<bool> setPageButtons(const InstrumentWindow& w) {
    std::vector<bool> enabled;
    for (int i = 0; i < 3; ++i)
        enabled.push_back(w.window->setPage->cmdOption[i]->isEnabled());
    return enabled;
}

const QString PortLostText =
    "The connection to the instrument's USB serial adapter was lost. The port is opened again "
    "as soon as the adapter is plugged in.";

// The adapter plugged in again at `port`, among the adapters `found`: the instrument connects
// on it within `ticks`, as at the start.
void plugInAgain(InstrumentWindow& w, const std::vector<platform::PortRecord>& found, int port,
                 int ticks) {
    w.rig.finder.ports = found;
    w.rig.serial.openFailure.clear();
    w.rig.serial.onlyPort = port;
    const size_t back = w.statusLines().size();
    ASSERT_TRUE(w.connect(ticks));
    EXPECT_EQ(w.rig.serial.openedPorts.back(), port);
    EXPECT_EQ(w.statusLines(back).back(),
              std::make_pair(QString("QM-73...Connection Successful."), ColorStatusConnected));
    EXPECT_EQ(lamp(w, 0), std::make_pair(LampOnFill, LampOnBorder));
}

}  // namespace

TEST(LinkEvents, AManualConnectionEnablesItsButtonsAndLightsTheLamp) {
    for (const bool switchR : {false, true}) {
        SCOPED_TRACE(switchR ? "-R" : "no switch");
        InstrumentWindow w(FakeQM73::Typical(),
                           [switchR](testsupport::WindowRig&) { core::SwitchR = switchR; });
        EXPECT_EQ(lamp(w, 1), std::make_pair(LampIdleFill, LampIdleBorder));
        ASSERT_TRUE(w.connect());
        EXPECT_EQ(w.statusLines().back(),
                  std::make_pair(QString("QM-73...Connection Successful."), ColorStatusConnected));
        EXPECT_EQ(lamp(w, 1), std::make_pair(LampOnFill, LampOnBorder));
        std::vector<bool> expected(11, false);
        for (int i : {0, 1, 8})
            expected[i] = true;
        if (switchR) expected[9] = expected[10] = true;
        EXPECT_EQ(w.enabledDownloadButtons(), expected);
        EXPECT_EQ(setPageButtons(w), std::vector<bool>(3, true));
    }
}

TEST(LinkEvents, EveryFifthUnansweredAttemptIsCounted) {
    InstrumentWindow w;
    w.window->uclVY5103.setRetry(30);
    w.rig.serial.engine.faults.assign(12, Fault{Fault::Silence, 0});
    for (int i = 0; i < 400 && !w.window->uclVY5103.Connected(); ++i)
        w.tick();
    ASSERT_TRUE(w.window->uclVY5103.Connected());
    const Lines lines = w.statusLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              std::make_pair(QString("Connect Sequence QM-73...(1)"), ColorStatusProgress));
    EXPECT_EQ(lines[1],
              std::make_pair(QString("Connect Sequence QM-73...(2)"), ColorStatusProgress));
    EXPECT_EQ(lines[2].first, "QM-73...Connection Successful.");
}

TEST(LinkEvents, ALostLineDisablesTheCommandsUntilTheNextConnection) {
    InstrumentWindow w;
    ASSERT_TRUE(w.connect());
    w.click(1);  // every button enabled
    w.rig.serial.plugged = false;
    w.tick(2);
    EXPECT_EQ(w.enabledDownloadButtons(), std::vector<bool>(11, false));
    EXPECT_FALSE(w.window->setPage->cmdOption[0]->isEnabled());
    EXPECT_EQ(lamp(w, 0), std::make_pair(LampOnFill, LampOnBorder));
    EXPECT_EQ(lamp(w, 1), std::make_pair(LampIdleFill, LampIdleBorder));
    for (int i : {2, 3})
        EXPECT_TRUE(w.window->downloadPage->shpStatus[i]->isHidden());
    for (int i : {8, 9})
        EXPECT_TRUE(w.window->downloadPage->lblStatus[i]->isHidden());

    // Plugged in again: connected, the commands back.
    w.rig.serial.plugged = true;
    ASSERT_TRUE(w.connect());
    EXPECT_TRUE(w.enabledDownloadButtons()[0]);
}

TEST(LinkEvents, AUnlockAfterALostLineLeavesTheDownloadButtonsOff) {
    InstrumentWindow w;
    ASSERT_TRUE(w.connect());
    // The line drops while the interval trend comes in.
    w.onRequest = [&w](const QString& body) {
        if (body == "DR,R,") w.rig.serial.plugged = false;
    };
    w.click(1);
    w.window->downloadCommands->cmdDown_Click(2);
    EXPECT_FALSE(w.window->uclVY5103.Connected());
    EXPECT_EQ(w.enabledDownloadButtons(), std::vector<bool>(11, false));
    EXPECT_EQ(w.statusLines().back().second, ColorStatusFailed);
}

// A pulled adapter: the download that ran fails and stores nothing, the user is told, and the
// port is looked up and opened again, one attempt per connect interval, until the adapter is
// back, also under another device name; then the instrument connects as at the start.
TEST(LinkEvents, APortLostMidDownloadComesBackWithoutARestart) {
    struct Case {
        const char* name;
        platform::PortRecord replugged;
        int port;
    };
    const std::vector<Case> cases = {
        {"the same device", {"/dev/ttyUSB0", "CP2102", "COM1"}, 1},
        {"another device", {"/dev/ttyUSB1", "CP2102", "COM2"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w;
        ASSERT_TRUE(w.connect());
        w.click(1);  // the instrument read: the log downloads enabled
        const int logHeads = w.rows("Log_Head");
        // The adapter goes while the interval trends are asked for.
        w.onRequest = [&w](const QString& body) {
            if (body != "DR,R,") return;
            w.onRequest = nullptr;
            w.rig.serial.engine.faults.assign(1, Fault{Fault::Late, 5});
            w.rig.finder.ports.clear();
            w.rig.serial.openFailure = "No such device";
            w.rig.serial.fail("/dev/ttyUSB0: Input/output error");
        };
        const size_t from = w.statusLines().size();
        w.click(2);
        w.settle();
        const Lines lines = testsupport::ownLines(w.statusLines(from));
        EXPECT_TRUE(std::find(lines.begin(), lines.end(),
                              std::make_pair(QString("QM-73 Interval Trend Download Failed."),
                                             ColorStatusFailed)) != lines.end());
        EXPECT_TRUE(std::find(lines.begin(), lines.end(),
                              std::make_pair(PortLostText, ColorStatusFailed)) != lines.end());
        EXPECT_EQ(w.rows("Log_Head"), logHeads);
        EXPECT_EQ(lamp(w, 0), std::make_pair(LampErrorFill, LampErrorBorder));
        EXPECT_EQ(lamp(w, 1), std::make_pair(LampIdleFill, LampIdleBorder));
        EXPECT_EQ(w.enabledDownloadButtons(), std::vector<bool>(11, false));
        EXPECT_FALSE(w.rig.serial.portOpen());

        // While the adapter is away the finder is asked once per connect interval, and the log
        // says once that the port cannot be opened.
        w.rig.finder.finds = 0;
        w.tick(10 * comm::uclVyif::ReopenTicks);
        EXPECT_GE(w.rig.finder.finds, 9);
        EXPECT_LE(w.rig.finder.finds, 11);
        w.rig.finder.ports = {{"/dev/ttyUSB9", "CP2102", "COM10"}};
        w.tick(3 * comm::uclVyif::ReopenTicks);
        EXPECT_LE(w.serialLog().count("cannot be opened"), 1);
        EXPECT_FALSE(w.window->uclVY5103.Connected());

        ASSERT_NO_FATAL_FAILURE(
            plugInAgain(w, {c.replugged}, c.port, 3 * comm::uclVyif::ReopenTicks));
        EXPECT_EQ(lamp(w, 1), std::make_pair(LampOnFill, LampOnBorder));
        EXPECT_TRUE(w.enabledDownloadButtons()[0]);
        EXPECT_TRUE(w.serialLog().contains("The serial port is open again."));
        // And the instrument downloads as before.
        w.click(1);
        w.click(2);
        EXPECT_EQ(w.statusTexts().last(), "QM-73 Interval Trend Download Complete.");
        EXPECT_GT(w.rows("Log_Head"), logHeads);
    }
}

// However the adapter went (pulled from under the open port, or in the moment the link had
// closed the port after an unanswered connect attempt), the loss is told in red once, the
// adapter is looked for every connect interval, and its port is opened when it is back, under
// its name or another, also while another adapter of its kind is plugged in: each is tried in
// turn until the instrument answers.
TEST(LinkEvents, TheAdapterComesBackWhicheverWayItWent) {
    using platform::PortRecord;
    const PortRecord other{"/dev/ttyUSB1", "CP2102", "COM2"};
    const PortRecord sameName{"/dev/ttyUSB0", "CP2102", "COM1"};
    const PortRecord newName{"/dev/ttyUSB4", "CP2102", "COM5"};
    struct Case {
        const char* name;
        bool whileClosedByTheLink;
        std::vector<PortRecord> away, back;
        int port;
    };
    const std::vector<Case> cases = {
        {"pulled from the open port, back under a new name beside another adapter",
         false,
         {other},
         {other, newName},
         5},
        {"pulled from the open port, back under a new name listed before another adapter",
         false,
         {other},
         {newName, other},
         5},
        {"pulled while the link had closed the port, back under its name", true, {}, {sameName}, 1},
        {"pulled while the link had closed the port, back under a new name beside another "
         "adapter",
         true,
         {other},
         {other, newName},
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w;
        w.rig.serial.otherAdapters = {2};
        const size_t from = w.statusLines().size();
        if (c.whileClosedByTheLink) {
            // The first connect attempt goes unanswered: the link closes the port to open it
            // again at the next tick, and the adapter goes in that moment.
            w.rig.serial.engine.faults.assign(1, Fault{Fault::Silence, 0});
            for (int i = 0; i < 40 && w.rig.serial.portOpen(); ++i)
                w.tick();
            ASSERT_FALSE(w.rig.serial.portOpen());
            w.rig.finder.ports = c.away;
            w.rig.serial.onlyPort = 99;
        } else {
            ASSERT_TRUE(w.connect());
            w.rig.finder.ports = c.away;
            w.rig.serial.onlyPort = 99;
            w.rig.serial.fail("/dev/ttyUSB0: Input/output error");
        }
        w.rig.finder.finds = 0;
        w.tick(10 * comm::uclVyif::ReopenTicks);
        const Lines lines = testsupport::ownLines(w.statusLines(from));
        EXPECT_EQ(
            std::count(lines.begin(), lines.end(), std::make_pair(PortLostText, ColorStatusFailed)),
            1);
        EXPECT_EQ(lamp(w, 0), std::make_pair(LampErrorFill, LampErrorBorder));
        EXPECT_GE(w.rig.finder.finds, 4);
        EXPECT_LE(w.rig.finder.finds, 11);
        EXPECT_FALSE(w.window->uclVY5103.Connected());
        EXPECT_LE(w.serialLog().count("cannot be opened"), 1);

        ASSERT_NO_FATAL_FAILURE(plugInAgain(w, c.back, c.port, 4 * comm::uclVyif::ReopenTicks));
        EXPECT_FALSE(w.window->uclVY5103.PortLostState());
        // Once there, it stays: no more look-ups, no other adapter tried.
        const size_t openings = w.rig.serial.openedPorts.size();
        w.tick(3 * comm::uclVyif::ReopenTicks);
        EXPECT_EQ(w.rig.serial.openedPorts.size(), openings);
        EXPECT_TRUE(w.window->uclVY5103.Connected());
    }
}

// No single adapter at the start: the user is told, and the adapter is looked for as when it
// was lost, so that plugging it in (or the instrument answering on one of two) needs no
// restart.
TEST(LinkEvents, AnAdapterMissingAtTheStartIsOpenedWhenItIsThere) {
    using platform::PortRecord;
    const PortRecord other{"/dev/ttyUSB1", "CP2102", "COM2"};
    const PortRecord instrument{"/dev/ttyUSB4", "CP2102", "COM5"};
    const struct {
        const char* name;
        std::vector<PortRecord> atStart, later;
    } cases[] = {
        {"none at the start", {}, {instrument}},
        {"two at the start", {other, instrument}, {other, instrument}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InstrumentWindow w(FakeQM73::Typical(), [&c](testsupport::WindowRig& rig) {
            rig.finder.ports = c.atStart;
            rig.serial.otherAdapters = {2};
            rig.serial.onlyPort = c.atStart.empty() ? 99 : 5;
        });
        const Lines start = w.statusLines();
        ASSERT_FALSE(start.empty());
        EXPECT_EQ(start[0],
                  std::make_pair(QString("No single USB serial adapter of the QM-73 was found. The "
                                         "program keeps looking for it and opens its port once "
                                         "the instrument answers there."),
                                 ColorStatusFailed));
        EXPECT_EQ(lamp(w, 0), std::make_pair(LampErrorFill, LampErrorBorder));
        w.tick(3 * comm::uclVyif::ReopenTicks);
        w.rig.finder.ports = c.later;
        w.rig.serial.onlyPort = 5;
        ASSERT_TRUE(w.connect(5 * comm::uclVyif::ReopenTicks));
        EXPECT_EQ(w.rig.serial.commPort(), 5);
        EXPECT_EQ(lamp(w, 0), std::make_pair(LampOnFill, LampOnBorder));
        EXPECT_EQ(core::IrCommNum, 5);
        EXPECT_EQ(w.window->uclVY5103.Settings(), "921600,n,8,1");
        // That several adapters are plugged in is told, once.
        const Lines lines = w.statusLines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const auto& line) {
                                    return line.first.startsWith("More than one USB serial");
                                }),
                  c.later.size() > 1 ? 1 : 0);
        // No loss was told: nothing had been open.
        EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const auto& line) {
            return line.first.startsWith("The connection to the instrument's USB");
        }));
    }
}

TEST(LinkEvents, OnlyTheInfraredPortErrorsThatStopTheProgramAreShown) {
    for (const int code : {10048, 10060, 10049}) {
        SCOPED_TRACE(code);
        InstrumentWindow w;
        const auto portLamp = lamp(w, 0);
        w.rig.infrared.detail = code;
        w.rig.infrared.raiseEvent(platform::InfraredPort::SocketError);
        w.settle();
        const bool shown = code != 10049;
        if (shown) {
            EXPECT_EQ(w.statusLines().back(),
                      std::make_pair(QString("Cominucation Ports Error. Restart this program."),
                                     ColorStatusFailed));
            EXPECT_EQ(lamp(w, 0), std::make_pair(LampErrorFill, LampErrorBorder));
            EXPECT_EQ(lamp(w, 1), std::make_pair(LampIdleFill, LampIdleBorder));
            ASSERT_EQ(w.rig.dialogs.messages.size(), 1u);
            EXPECT_EQ(w.rig.dialogs.messages[0].text,
                      "Cominucation Ports Error. Restart this program.");
            EXPECT_EQ(w.rig.dialogs.messages[0].title, "Port Error.");
            EXPECT_EQ(w.rig.dialogs.messages[0].icon, platform::MsgIcon::None);
            EXPECT_EQ(w.rig.dialogs.messages[0].buttons, platform::MsgButtons::OK);
        } else {
            EXPECT_TRUE(w.statusLines().empty());
            EXPECT_EQ(lamp(w, 0), portLamp);
            EXPECT_TRUE(w.rig.dialogs.messages.empty());
        }
    }
}

TEST(LinkEvents, LiveReadingsOfGasesThatAreOffAreNoValue) {
    InstrumentWindow w;
    ASSERT_TRUE(w.connect());
    w.click(1);
    download::LinkEvents& events = *w.window->linkEvents;
    // The typical instrument has only gases 3 and 4; the reading of gas 0 is sent as 0.
    ASSERT_FALSE(w.window->instrument().GasEnabled(0));
    ASSERT_TRUE(w.window->instrument().GasEnabled(3));
    events.ReadingArrived = false;
    w.window->uclVY5103.tmrDenst_Timer();
    w.tick(2);
    EXPECT_TRUE(events.ReadingArrived);
    for (int gas : {0, 1, 2, 5})
        EXPECT_EQ(events.LiveReadings[gas], -101.0f) << gas;
    EXPECT_NE(events.LiveReadings[3], -101.0f);
    EXPECT_TRUE(w.rig.serial.engine.requests.contains("DN,R,"));
}

TEST(LinkEvents, TheDumpListsProgressIsShownInTheProgressWindow) {
    InstrumentWindow w;
    w.window->frmUpload->Show(1);
    w.window->frmUpload->cmdUpload->click();
    EXPECT_EQ(w.window->frmUpload->lblUpload->text(), "Now Cancel Processing");
    emit w.window->uclVY5103.DumpMessage("Block 3/40");
    EXPECT_EQ(w.window->frmUpload->lblUpload->text(), "Block 3/40");
    w.window->frmUpload->Unload();
}
