#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "link/uclVyif.h"
#include "platform/EventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/Waiting.h"
#include "tests/support/FakeInstrument.h"

// The real serial implementation against the fake instrument on a pseudo-terminal. Opening the
// device takes its lock file, which the system syncs: the window waits for the open with its
// events going on (as for every sync), and the port, once open, reads on the window's thread as
// before.
TEST(Pty, ConnectsThroughTheRealSerialPortOpenedWhileTheWindowWaits) {
    testsupport::PtyInstrument instrument;
    ASSERT_TRUE(instrument.isOpen());
    const QString device = instrument.slavePath();
    platform::QtSerialPort port([device](int) { return device; });
    platform::NoInfraredPort infrared;
    comm::uclVyif link(port, infrared);
    link.ReadProperties({});
    link.setRetry(3);
    link.setTimeout(3);
    link.setSettings("921600,n,8,1");
    int waits = 0;
    platform::setWaitObserver([&waits](bool begins) { waits += begins ? 1 : 0; });
    link.setPortOpen(true);
    platform::setWaitObserver({});
    ASSERT_TRUE(link.PortOpen());
    EXPECT_EQ(waits, 1);

    bool connected = false;
    QObject::connect(&link, &comm::uclVyif::OnConnect, [&] { connected = true; });
    // The link's own 100 ms timer runs here; a watchdog ends the wait. Its context object
    // ends with the test, so it never fires into a later one.
    bool expired = false;
    QTimer::singleShot(10000, &link, [&] { expired = true; });
    platform::QtEventPump pump;
    pump.waitWhile([&] { return !connected && !expired; });
    EXPECT_TRUE(connected);
    EXPECT_TRUE(link.Connected());
    EXPECT_EQ(instrument.engine.requests.value(0), "RC,R,");
    // Closed and opened again, as when the instrument is looked for anew.
    link.setPortOpen(false);
    link.setPortOpen(true);
    EXPECT_TRUE(link.PortOpen());
}

// Pulling the cable (the other end goes away) reports the lines off, closes the port and
// reports it lost; the link then opens it again once the device is back, here under another
// name, and the instrument connects anew.
TEST(Pty, ALostDeviceIsReopenedWhenItIsBack) {
    auto instrument = std::make_unique<testsupport::PtyInstrument>();
    ASSERT_TRUE(instrument->isOpen());
    QString device = instrument->slavePath();
    platform::QtSerialPort port([&device](int) { return device; });
    platform::NoInfraredPort infrared;
    comm::uclVyif link(port, infrared);
    link.ReadProperties({});
    link.setRetry(3);
    link.setTimeout(3);
    link.setPortOpen(true);
    int connects = 0;
    bool lost = false, portLost = false, reopened = false, expired = false;
    QObject::connect(&link, &comm::uclVyif::OnConnect, [&] { ++connects; });
    QObject::connect(&link, &comm::uclVyif::CommLost, [&] { lost = true; });
    QObject::connect(&link, &comm::uclVyif::PortLost, [&] { portLost = true; });
    QObject::connect(&link, &comm::uclVyif::PortReopened, [&] { reopened = true; });
    QTimer::singleShot(20000, &link, [&] { expired = true; });
    platform::QtEventPump pump;
    pump.waitWhile([&] { return connects == 0 && !expired; });
    ASSERT_EQ(connects, 1);
    instrument.reset();
    pump.waitWhile([&] { return !(lost && portLost) && !expired; });
    EXPECT_TRUE(lost);
    EXPECT_TRUE(portLost);
    EXPECT_EQ(link.LinkState(), 0);
    EXPECT_FALSE(port.portOpen());
    EXPECT_TRUE(link.PortLostState());

    // The device is back under another name; the locator finds it.
    bool present = false;
    link.setPortSearch({[&present] { return present ? std::vector<int>{1} : std::vector<int>{}; },
                        [&port](int number) { port.setCommPort(number); }});
    instrument = std::make_unique<testsupport::PtyInstrument>();
    ASSERT_TRUE(instrument->isOpen());
    device = instrument->slavePath();
    present = true;
    pump.waitWhile([&] { return connects < 2 && !expired; });
    EXPECT_TRUE(reopened);
    EXPECT_EQ(connects, 2);
    EXPECT_TRUE(link.Connected());
    EXPECT_FALSE(link.PortLostState());
}

TEST(Pty, SettingsStrings) {
    EXPECT_TRUE(platform::ParseLineSettings("921600,n,8,1").has_value());
    EXPECT_TRUE(platform::ParseLineSettings("115200,N,8,1").has_value());
    EXPECT_TRUE(platform::ParseLineSettings("9600,e,7,1.5").has_value());
    EXPECT_FALSE(platform::ParseLineSettings("9600,x,8,1").has_value());
    EXPECT_FALSE(platform::ParseLineSettings("9600,n,9,1").has_value());
    EXPECT_FALSE(platform::ParseLineSettings("fast").has_value());
    platform::QtSerialPort port;
    EXPECT_THROW(port.setSettings("9600"), std::exception);
    EXPECT_EQ(port.deviceName(), "/dev/ttyUSB0");
    port.setCommPort(4);
    EXPECT_EQ(port.deviceName(), "/dev/ttyUSB3");
    QString reason;
    EXPECT_FALSE(port.open(&reason));
    EXPECT_FALSE(reason.isEmpty());
}
