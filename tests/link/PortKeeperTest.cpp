#include <gtest/gtest.h>

#include "tests/link/LinkRig.h"

using comm::uclVyif;
using testsupport::Fault;
using testsupport::LinkRig;

namespace {

constexpr int Interval = uclVyif::ReopenTicks;

// The link with a search for its adapter: `plugged` lists the port numbers of the adapters of
// the instrument's kind plugged in now, as the finder would give them.
struct SearchRig : LinkRig {
    std::vector<int> plugged = {1};
    int lookUps = 0;
    QStringList lost;
    int reopened = 0;

    SearchRig() {
        port.setCommPort(1);
        link.setPortSearch({[this] {
                                ++lookUps;
                                return plugged;
                            },
                            [this](int number) { port.setCommPort(number); }});
        QObject::connect(&link, &uclVyif::PortLost, [this](const QString& r) { lost << r; });
        QObject::connect(&link, &uclVyif::PortReopened, [this] { ++reopened; });
    }
    // The instrument's adapter goes: it is no longer listed and no longer opens.
    void pull(const std::vector<int>& stillPlugged = {}) {
        plugged = stillPlugged;
        port.onlyPort = 99;
    }
    // It is back at `number`.
    void plugIn(const std::vector<int>& nowPlugged, int number) {
        plugged = nowPlugged;
        port.onlyPort = number;
    }
    bool tickUntilConnected(int limit) {
        for (int i = 0; i < limit && !link.Connected(); ++i)
            tick();
        return link.Connected();
    }
};

}  // namespace

// A connect attempt without an answer closes the port on purpose and opens it at the next tick.
// An adapter pulled in that moment is a lost port like any other: told once, looked for once
// per connect interval, and opened when it is back under another name.
TEST(PortKeeper, AnAdapterPulledWhileTheLinkHadClosedItsPortIsLookedForUntilItIsBack) {
    SearchRig rig;
    rig.port.engine.faults.assign(1, Fault{Fault::Silence, 0});
    rig.link.setPortOpen(true);
    for (int i = 0; i < 40 && rig.port.portOpen(); ++i)
        rig.tick();
    ASSERT_FALSE(rig.port.portOpen());
    ASSERT_EQ(rig.link.LinkState(), uclVyif::LinkReopen);

    rig.pull();
    rig.tick();
    EXPECT_EQ(rig.lost, QStringList{"No such device"});
    EXPECT_EQ(rig.commLost, 1);
    EXPECT_EQ(rig.link.LinkState(), uclVyif::LinkNone);
    EXPECT_TRUE(rig.link.PortLostState());
    rig.lookUps = 0;
    rig.tick(10 * Interval);
    EXPECT_GE(rig.lookUps, 9);
    EXPECT_LE(rig.lookUps, 11);
    // Told once; no connect attempts go to the closed port meanwhile.
    EXPECT_EQ(rig.lost.size(), 1);
    EXPECT_TRUE(rig.alarmMessages.isEmpty());
    EXPECT_EQ(rig.port.engine.requests.size(), 1);
    EXPECT_EQ(rig.logLines().filter("The serial port was lost: No such device").size(), 1);

    rig.plugIn({4}, 4);
    ASSERT_TRUE(rig.tickUntilConnected(2 * Interval));
    EXPECT_EQ(rig.port.openedPorts.back(), 4);
    EXPECT_EQ(rig.reopened, 1);
    EXPECT_FALSE(rig.link.PortLostState());
    EXPECT_EQ(rig.logLines().filter("The serial port is open again").size(), 1);
}

// With other adapters of the instrument's kind plugged in, each found is opened in turn; one
// on which the link stays idle for a connect interval is closed again, and the one where the
// instrument answers is kept.
TEST(PortKeeper, AdaptersOfTheSameKindAreTriedInTurnUntilTheInstrumentAnswers) {
    const struct {
        const char* name;
        std::vector<int> back;
    } cases[] = {{"the other listed first", {2, 5}}, {"the instrument's listed first", {5, 2}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SearchRig rig;
        rig.port.otherAdapters = {2};
        rig.connect();
        ASSERT_TRUE(rig.link.Connected());

        // While only the other adapter is there it is tried, again and again, never kept.
        rig.pull({2});
        rig.port.fail("/dev/ttyUSB0: Input/output error");
        rig.tick(6 * Interval);
        EXPECT_EQ(rig.lost, QStringList{"/dev/ttyUSB0: Input/output error"});
        EXPECT_GE(std::count(rig.port.openedPorts.begin(), rig.port.openedPorts.end(), 2), 2);
        EXPECT_TRUE(rig.link.PortLostState());
        EXPECT_EQ(rig.reopened, 0);

        rig.plugIn(c.back, 5);
        ASSERT_TRUE(rig.tickUntilConnected(4 * Interval));
        EXPECT_EQ(rig.port.commPort(), 5);
        EXPECT_EQ(rig.reopened, 1);
        EXPECT_EQ(rig.lost.size(), 1);
        EXPECT_FALSE(rig.link.PortLostState());
        const size_t openings = rig.port.openedPorts.size();
        rig.tick(3 * Interval);
        EXPECT_EQ(rig.port.openedPorts.size(), openings);
        EXPECT_TRUE(rig.link.Connected());
    }
}

// A port that did not open at the start is looked for as well; the host has told why, so no
// loss is told. A port the host closes is looked for no more.
TEST(PortKeeper, APortThatNeverOpenedIsLookedForAndOneClosedByTheHostIsNot) {
    SearchRig rig;
    rig.pull();
    rig.link.setPortOpen(true);
    EXPECT_FALSE(rig.link.PortOpen());
    EXPECT_EQ(rig.link.LastOpenError(), "No such device");
    rig.tick(3 * Interval);
    EXPECT_TRUE(rig.lost.isEmpty());
    EXPECT_GE(rig.lookUps, 2);
    rig.plugIn({3}, 3);
    ASSERT_TRUE(rig.tickUntilConnected(2 * Interval));
    EXPECT_EQ(rig.reopened, 1);

    rig.link.setPortOpen(false);
    EXPECT_FALSE(rig.link.PortLostState());
    rig.lookUps = 0;
    const int opens = rig.port.opens;
    rig.tick(3 * Interval);
    EXPECT_EQ(rig.lookUps, 0);
    EXPECT_EQ(rig.port.opens, opens);
}
