#include <gtest/gtest.h>

#include <QRegularExpression>

#include "link/Frame.h"
#include "link/LinkModule.h"
#include "runtime/RuntimeError.h"
#include "tests/link/LinkRig.h"

using comm::uclVyif;
using testsupport::Fault;
using testsupport::LinkRig;

namespace {

// Answers "YA,R," with the given blocks (a multi-block read that stores nothing).
testsupport::FakeInstrumentEngine::Responder blocks(QStringList bodies) {
    return [bodies](const QString& body) -> std::optional<QStringList> {
        if (body == "RC,R,") return QStringList{"RC,R,QM-73"};
        if (body == "YA,R,") return bodies;
        return std::nullopt;
    };
}

void startMultiBlockRead(LinkRig& rig) {
    rig.link.setStatus(uclVyif::StatusMultiRead);
    rig.link.DataSend(comm::BuildFrame("YA,R,", comm::EOT), true);
    LinkRig::settle();
}

}  // namespace

TEST(Link, PropertiesAfterConstruction) {
    LinkRig rig;
    EXPECT_EQ(rig.link.Settings(), "9600,n,8,1");
    EXPECT_EQ(rig.link.CommPort(), 4);
    EXPECT_FALSE(rig.link.DTREnable());
    EXPECT_FALSE(rig.link.RTSEnable());
    EXPECT_TRUE(rig.link.Enabled());
    EXPECT_EQ(rig.link.Status(), 0);
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_FALSE(rig.link.Connected());
    rig.link.setTimeout(3);
    EXPECT_EQ(rig.link.Timeout(), 3);
    EXPECT_THROW(rig.link.setTimeout(3277), rt::RuntimeError);
    EXPECT_EQ(rig.link.Timeout(), 3);
    EXPECT_THROW(rig.link.setFactCal(5, 1), rt::RuntimeError);
    rig.link.setFactCal(4, 2.5f);
    EXPECT_EQ(rig.link.FactCal(4), 2.5f);
    const QVariantMap bag = rig.link.WriteProperties();
    EXPECT_EQ(bag.value("Settings").toString(), "9600,n,8,1");
    EXPECT_EQ(bag.value("CommPort").toInt(), 4);
}

TEST(Link, InfraredLinkTakesThePassThroughProperties) {
    LinkRig rig;
    rig.infrared.ownLink = true;
    rig.infrared.setSettings("57600,n,8,1");
    EXPECT_EQ(rig.link.Settings(), "57600,n,8,1");
    rig.link.setCommPort(7);  // always the serial port's
    EXPECT_EQ(rig.port.commPort(), 7);
    rig.link.setSerialComm(true);
    EXPECT_EQ(rig.link.Settings(), "9600,n,8,1");
}

TEST(Link, ConnectsWhenTheLinesComeOn) {
    LinkRig rig;
    rig.connect();
    EXPECT_EQ(rig.link.LinkState(), 3);
    EXPECT_TRUE(rig.link.Connected());
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.onConnect, 1);
    EXPECT_EQ(rig.port.engine.requests, QStringList{"RC,R,"});
    EXPECT_TRUE(comm::AnswerSeen);
}

TEST(Link, ConnectAttemptsAreThirteenTicksApart) {
    LinkRig rig(3);
    rig.port.engine.responder = [](const QString&) { return std::nullopt; };
    rig.link.setPortOpen(true);
    rig.tick();  // the lines are seen
    std::vector<int> sends, closes, opens;
    int lastRequests = 0, lastCloses = 0, lastOpens = rig.port.opens;
    for (int t = 0; t <= 40; ++t) {
        rig.tick();
        if (rig.port.engine.requests.size() != lastRequests) sends.push_back(t);
        if (rig.port.closes != lastCloses) closes.push_back(t);
        if (rig.port.opens != lastOpens) opens.push_back(t);
        lastRequests = rig.port.engine.requests.size();
        lastCloses = rig.port.closes;
        lastOpens = rig.port.opens;
        if (t == 38) {
            EXPECT_EQ(rig.link.LinkState(), 2);
        }
        if (t == 39) {
            EXPECT_EQ(rig.link.LinkState(), 0);
            EXPECT_EQ(rig.link.Status(), 0);
            EXPECT_EQ(rig.alarmMessages,
                      QStringList{"QM-73 No Response. Check Port,Cable And Power.\r\n"});
        }
    }
    EXPECT_EQ(sends, (std::vector<int>{0, 13, 26}));
    EXPECT_EQ(closes, (std::vector<int>{11, 24, 37}));
    EXPECT_EQ(opens, (std::vector<int>{12, 25, 38}));
    EXPECT_TRUE(rig.connectRetries.empty());
    EXPECT_EQ(rig.alarmMessages.size(), 1);  // the link stays quiet afterwards
}

TEST(Link, ConnectRetryEveryFifthAttempt) {
    LinkRig rig(10);
    rig.port.engine.responder = [](const QString&) { return std::nullopt; };
    rig.link.setPortOpen(true);
    rig.tick(1 + 13 * 10);
    EXPECT_EQ(rig.connectRetries, (std::vector<int16_t>{1, 2}));
    EXPECT_EQ(rig.port.engine.requests.size(), 10);
}

TEST(Link, ConnectAnswerOfAnotherModelDoesNotConnect) {
    LinkRig rig(1);
    rig.port.engine.responder = [](const QString&) {
        return std::optional<QStringList>(QStringList{"RC,R,QM-70"});
    };
    rig.connect();
    EXPECT_NE(rig.link.LinkState(), 3);
    EXPECT_EQ(rig.onConnect, 0);
}

TEST(Link, RequestIsResentOnThe31stTick) {
    LinkRig rig(3, 3);
    rig.connect();
    rig.port.engine.responder = [](const QString& body) -> std::optional<QStringList> {
        return body == "RC,R," ? std::optional<QStringList>(QStringList{"RC,R,QM-73"})
                               : std::nullopt;
    };
    rig.link.setStatus(uclVyif::StatusSingleRead);
    rig.link.DataSend(comm::BuildFrame("VP,R,", comm::EOT), true);
    rig.tick(30);
    EXPECT_EQ(rig.port.engine.requests.size(), 2);
    rig.tick();
    EXPECT_EQ(rig.port.engine.requests.size(), 3);
    EXPECT_EQ(rig.port.engine.requests.last(), "VP,R,");
    // After three resends the request has failed.
    rig.tick(31 * 3);
    EXPECT_EQ(rig.port.engine.requests.size(), 5);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusFailed);
    EXPECT_FALSE(comm::AnswerSeen);
}

TEST(Link, MultiBlockReadIsAcknowledgedBlockByBlock) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1", "YA,R,2", "YA,R,3"});
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.port.engine.requests,
              (QStringList{"RC,R,", "YA,R,", "YA,R,[ACK]", "YA,R,[ACK]"}));
}

TEST(Link, BlockSplitInPiecesIsParsedOnce) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1,2,3,4,5,6,7,8", "YA,R,9"});
    rig.port.engine.faults = {{Fault::Split, 4}};
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.port.engine.requests, (QStringList{"RC,R,", "YA,R,", "YA,R,[ACK]"}));
    EXPECT_EQ(rig.logLines().filter(QRegularExpression(" R : \\[STX\\]0001YA,R,1,")).size(), 1);
}

TEST(Link, BadBlockIsAskedForAgain) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1", "YA,R,2"});
    rig.port.engine.faults = {{Fault::None}, {Fault::BadChecksum}};
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.port.engine.requests,
              (QStringList{"RC,R,", "YA,R,", "YA,R,[ACK]", "YA,R,[NAK]"}));
    EXPECT_TRUE(rig.logLines().filter("<<< Check SUM error >>>").size() == 1);
}

TEST(Link, RetryLimitFailsTheExchange) {
    LinkRig rig(2);
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1"});
    rig.port.engine.faults = {{Fault::BadChecksum}, {Fault::BadChecksum}, {Fault::BadChecksum}};
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusFailed);
    EXPECT_EQ(rig.port.engine.requests,
              (QStringList{"RC,R,", "YA,R,", "YA,R,[NAK]", "YA,R,[NAK]"}));
}

TEST(Link, BadAnswerToASingleReadResendsTheRequest) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = [](const QString& body) -> std::optional<QStringList> {
        if (body == "YB,R,") return QStringList{"YB,R,1"};
        return std::nullopt;
    };
    rig.port.engine.faults = {{Fault::Garbage}};
    rig.link.setStatus(uclVyif::StatusSingleRead);
    rig.link.DataSend(comm::BuildFrame("YB,R,", comm::EOT), true);
    LinkRig::settle();
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.port.engine.requests, (QStringList{"RC,R,", "YB,R,", "YB,R,"}));
}

TEST(Link, LateAndTruncatedAnswers) {
    LinkRig rig(3, 1);
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1", "YA,R,2"});
    rig.port.engine.faults = {{Fault::Late, 5}, {Fault::Truncate, 1}};
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusMultiRead);
    rig.tick(5);  // the first block comes late, within the time-out
    EXPECT_EQ(rig.port.engine.requests.size(), 3);
    // The second block lacks its terminator: nothing comes until the time-out asks again.
    rig.tick(11);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.port.engine.requests.last(), "YA,R,[NAK]");
}

TEST(Link, CancelDropsDataAndTheRestOfTheExchange) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1", "YA,R,2"});
    rig.link.setCancel(true);
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusCancelled);
    EXPECT_TRUE(rig.link.Cancel());  // until the next operation lowers it

    // The operation lowers the flag; the rest of a block still arriving is dropped, neither
    // acknowledged nor asked for again.
    rig.link.setCancel(false);
    const qsizetype sent = rig.port.engine.requests.size();
    const QByteArray frame = comm::FrameBytes(comm::BuildFrame("YA,R,2", comm::ETB));
    rig.port.inject(frame.left(8));
    LinkRig::settle();
    rig.port.inject(frame.mid(8));
    LinkRig::settle();
    EXPECT_EQ(rig.port.engine.requests.size(), sent);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusCancelled);

    // The next exchange runs normally.
    startMultiBlockRead(rig);
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
}

TEST(Link, CarriageReturnWithoutTerminator) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1"});
    rig.link.setStatus(uclVyif::StatusSingleRead);
    rig.link.DataSend(comm::BuildFrame("YC,R,", comm::EOT), true);
    // Text that is no frame and ends in CR: the request goes out again.
    rig.port.inject("noise\r");
    LinkRig::settle();
    EXPECT_EQ(rig.port.engine.requests.mid(1), (QStringList{"YC,R,", "YC,R,"}));
    // A frame with a CR inside, still arriving: the link waits for its end.
    const QByteArray frame = comm::FrameBytes(comm::BuildFrame("YC,R,1\r2", comm::EOT));
    rig.port.inject(frame.left(10));
    LinkRig::settle();
    EXPECT_EQ(rig.port.engine.requests.size(), 3);
    rig.port.inject(frame.mid(10));
    LinkRig::settle();
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(rig.port.engine.requests.size(), 3);
}

TEST(Link, LineDropEndsARunningExchangeAsFailed) {
    LinkRig rig;
    rig.connect();
    rig.port.engine.responder = blocks({"YA,R,1", "YA,R,2"});
    rig.port.engine.faults = {{Fault::None}, {Fault::DropLines}};
    startMultiBlockRead(rig);
    rig.tick();
    EXPECT_EQ(rig.link.Status(), uclVyif::StatusFailed);
    EXPECT_EQ(rig.link.LinkState(), 0);
    EXPECT_EQ(rig.commLost, 1);

    // Idle, a line drop leaves "done".
    LinkRig idle;
    idle.connect();
    idle.port.plugged = false;
    idle.tick();
    EXPECT_EQ(idle.link.Status(), uclVyif::StatusDone);
    EXPECT_EQ(idle.commLost, 1);
    // Plugged in again, the link connects anew.
    idle.port.plugged = true;
    idle.tick(2);
    EXPECT_TRUE(idle.link.Connected());
    EXPECT_EQ(idle.onConnect, 2);
}

TEST(Link, LineErrors) {
    const struct {
        int code;
        const char* log;
        int status;
    } cases[] = {{1001, "Break Signal Found. Date = ", 7},
                 {1004, "Flame Error. Date = ", 7},
                 {1006, "Port Over Run. Date = ", 7},
                 {1008, "Receive Buffer Over Flow. Date = ", 7},
                 {1009, "Parity Error. Date = ", 7},
                 {1010, "Send Buffer Over Flow. Date = ", 6},
                 {1011, "Device Control Memory Error. Date = ", 6}};
    for (const auto& c : cases) {
        LinkRig rig;
        rig.connect();
        rig.link.setStatus(0);
        rig.link.mscComm_OnComm(c.code);
        EXPECT_EQ(rig.link.Status(), c.status) << c.code;
        EXPECT_EQ(rig.logLines().filter(c.log).size(), 1) << c.code;
        // During an exchange every device error fails it.
        rig.link.setStatus(uclVyif::StatusWrite);
        rig.link.mscComm_OnComm(c.code);
        EXPECT_EQ(rig.link.Status(), 7) << c.code;
    }
    // A full send buffer while connecting is ignored.
    LinkRig rig;
    rig.link.setPortOpen(true);
    rig.tick();
    ASSERT_EQ(rig.link.LinkState(), 2);
    rig.link.mscComm_OnComm(1010);
    EXPECT_EQ(rig.link.Status(), 0);
    EXPECT_TRUE(rig.logLines().filter("Send Buffer").isEmpty());
}

TEST(Link, SerialLogLines) {
    LinkRig rig;
    rig.connect();
    rig.link.AddLog("host line");
    const QStringList lines = rig.logLines();
    const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d ");
    for (const QString& line : lines) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(time.match(line).hasMatch()) << line.toStdString();
        }
    }
    QStringList texts;
    for (const QString& line : lines)
        texts << line.mid(9);
    EXPECT_EQ(texts,
              (QStringList{"---StartUp Connect Sequence Started---",
                           "W : [STX]0001RC,R,[ETX]FB[EOT]", "R : [STX]0001RC,R,QM-73[ETX]C6[EOT]",
                           "---StartUp Connect Sequence Finished---", "", "host line"}));
}

TEST(Link, NoLogWithoutAFileNumber) {
    LinkRig rig;
    rig.link.setSerialFileNo(0);
    rig.connect();
    EXPECT_FALSE(QFile::exists(rig.folder.paths().serialLog()));
}

TEST(Link, PortThatCannotOpenIsLogged) {
    LinkRig rig;
    rig.port.openFailure = "/dev/ttyUSB3: Permission denied";
    rig.link.setPortOpen(true);
    EXPECT_FALSE(rig.link.PortOpen());
    EXPECT_EQ(rig.logLines().filter("Permission denied").size(), 1);
}

TEST(Link, InfraredDiscoveryAndErrors) {
    LinkRig rig;
    rig.infrared.deviceName = "Phone";
    rig.infrared.raiseEvent(1020);
    LinkRig::settle();
    EXPECT_EQ(rig.link.LinkState(), 0);
    rig.infrared.deviceName = "QM-73 #12";
    rig.infrared.raiseEvent(1020);
    LinkRig::settle();
    EXPECT_EQ(rig.link.LinkState(), 2);
    EXPECT_TRUE(rig.port.portOpen());  // the IrCOMM port
    EXPECT_EQ(rig.port.settings(), "115200,N,8,1");
    EXPECT_EQ(rig.logLines().filter("QM-73...Conneted. Date = ").size(), 1);

    rig.infrared.detail = 10054;
    rig.infrared.raiseEvent(1021);
    LinkRig::settle();
    EXPECT_EQ(rig.link.Status(), 7);
    EXPECT_EQ(rig.irdaErrors, std::vector<int16_t>{10054});
    EXPECT_EQ(rig.logLines().filter(QRegularExpression("Soket Error\\[.*\\]\\(10054\\)$")).size(),
              1);
    rig.infrared.raiseEvent(1030);
    LinkRig::settle();
    EXPECT_EQ(rig.logLines()
                  .filter(QRegularExpression("IrDA Error\\[.*\\]\\[1030\\] \\(10054\\)$"))
                  .size(),
              1);
}

TEST(Link, KeepAliveEverySixthTick) {
    LinkRig rig;
    rig.tick(12);
    EXPECT_EQ(rig.infrared.keepAlives, 2);
}
