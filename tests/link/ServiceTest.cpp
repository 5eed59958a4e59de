#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <csignal>

#include "link/Frame.h"
#include "runtime/RuntimeError.h"
#include "tests/support/EndToEndHost.h"
#include "tests/support/FileSizeLimit.h"

using comm::uclVyif;
using core::GasFlag;
using core::InstrumentFlag;
using testsupport::EndToEndHost;
using testsupport::FakeQM73;

namespace {

// The requests that are not link acknowledgements, connects or settings reads.
QStringList commands(const EndToEndHost& host) {
    QStringList out;
    for (const QString& r : host.port.engine.requests)
        if (r != "RC,R," && !r.endsWith("[ACK]") && !r.endsWith("[NAK]") && !r.contains(",R,"))
            out << r;
    return out;
}

QString serialLog(const EndToEndHost& host) {
    QFile f(host.link.serialLogPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

// A host whose instrument model was read from the fake, with no change flag raised.
struct ReadHost : EndToEndHost {
    explicit ReadHost(const FakeQM73& fake = FakeQM73::Typical()) : EndToEndHost(fake) {
        EXPECT_TRUE(connect());
        EXPECT_TRUE(link.GetInstrument(instrument));
        instrument.ClearChangeFlags();
        port.engine.requests.clear();
    }
};

}  // namespace

TEST(Upload, ChangedSettingsAreWrittenInOrderThenCommittedAndReadBack) {
    ReadHost host;
    host.instrument.setLcdContrast(8);
    host.instrument.setUserID("AB");
    host.instrument.setAlarmMode(3);
    ASSERT_TRUE(host.link.SetInstrument(host.instrument));
    EXPECT_EQ(commands(host), QStringList({"XZ,W,AB        ", "AP,W,3", "UL,W,08", "DW,W,"}));
    for (InstrumentFlag f : {InstrumentFlag::Change_LcdContrast, InstrumentFlag::Change_UserID,
                             InstrumentFlag::Change_AlarmMode})
        EXPECT_FALSE(host.instrument.Change(f));
    EXPECT_EQ(host.link.Status(), uclVyif::StatusDone);

    core::clsInstrument again;
    ASSERT_TRUE(host.link.GetInstrument(again));
    EXPECT_EQ(again.LcdContrast(), 8);
    EXPECT_EQ(again.UserID(), "AB");
    EXPECT_EQ(again.AlarmMode(), 3);
    const QString log = serialLog(host);
    EXPECT_TRUE(log.contains("---Instrument Upload Started---"));
    EXPECT_TRUE(log.contains("---Instrument Upload Finished---"));
}

TEST(Upload, RowParametersHaveTheirFixedWidths) {
    struct Case {
        const char* name;
        std::function<void(core::clsInstrument&)> change;
        QString body;
    };
    const std::vector<Case> cases = {
        {"short user ID", [](auto& i) { i.setUserID("AB"); }, "XZ,W,AB        "},
        {"empty user ID", [](auto& i) { i.setUserID(""); }, "XZ,W,*         "},
        {"long serial", [](auto& i) { i.setSerialNo("ABCDEFGHIJKLMN"); }, "IN,W,ABCDEFGHIJKL"},
        {"warning levels",
         [](auto& i) {
             const float levels[] = {25.0f, 5.5f, 0.0f, -1.0f};
             const int16_t points[] = {0, 1, 0, 0};
             for (int g = 0; g < 4; ++g) {
                 i.setGasPoint(g, points[g]);
                 i.setWarning(g, levels[g]);
             }
         },
         "A1,W,   25,   55,    0,00000"},
        {"one gas flag sends all four", [](auto& i) { i.setChange(GasFlag::Change_Warn, 2, true); },
         "A1,W,00000,00000,00000,  100"},
        {"alarm mode", [](auto& i) { i.setAlarmMode(3); }, "AP,W,3"},
        {"display ID as a flag", [](auto& i) { i.setDispID(5); }, "XI,W,1"},
        {"interval in hex", [](auto& i) { i.setIntervals(300); }, "XP,W,012C"},
        {"confirmation beep in hex", [](auto& i) { i.setConfermation(300); }, "XB,W,012C"},
        {"back light in hex", [](auto& i) { i.setLcdBackLight(300); }, "XT,W,012C"},
        {"calibration limit in hex", [](auto& i) { i.setCalLimit(300); }, "SC,W,012C"},
        {"contrast in two hex digits", [](auto& i) { i.setLcdContrast(12); }, "UL,W,0C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadHost host;
        c.change(host.instrument);
        for (GasFlag f : {GasFlag::Change_GasEnable, GasFlag::Change_ModeChange})
            for (int g = 0; g < 4; ++g)
                host.instrument.setChange(f, g, false);
        EXPECT_TRUE(host.link.SetInstrument(host.instrument));
        EXPECT_EQ(commands(host), QStringList({c.body, "DW,W,"}));
        for (int g = 0; g < 4; ++g)
            EXPECT_FALSE(host.instrument.Change(GasFlag::Change_Warn, g));
    }
}

TEST(Upload, RefusedRowStopsTheRunAndKeepsTheUnsentFlags) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.refusedWrites = {"HN"};
    ReadHost host(fake);
    host.instrument.setUserID("U2");
    host.instrument.setSerialNo("S2");
    host.instrument.setDummySerial("D2");
    host.instrument.setAlarmMode(1);
    host.instrument.setDispID(0);
    EXPECT_FALSE(host.link.SetInstrument(host.instrument));

    const QStringList sent = commands(host);
    EXPECT_TRUE(sent.contains("XZ,W,U2        "));
    EXPECT_TRUE(sent.contains("IN,W,S2          "));
    for (const QString& s : sent) {
        EXPECT_FALSE(s.startsWith("AP,W") || s.startsWith("XI,W") || s.startsWith("DW,W"))
            << s.toStdString();
    }
    const core::clsInstrument& i = host.instrument;
    EXPECT_FALSE(i.Change(InstrumentFlag::Change_UserID));
    EXPECT_FALSE(i.Change(InstrumentFlag::Change_SerialNo));
    EXPECT_TRUE(i.Change(InstrumentFlag::Change_DummySerial));
    EXPECT_TRUE(i.Change(InstrumentFlag::Change_AlarmMode));
    EXPECT_TRUE(i.Change(InstrumentFlag::Change_DispID));
    EXPECT_TRUE(serialLog(host).contains("---Instrument Upload Failed---"));

    // The next run sends exactly what was not accepted.
    host.fake.refusedWrites.clear();
    host.port.engine.requests.clear();
    EXPECT_TRUE(host.link.SetInstrument(host.instrument));
    EXPECT_EQ(commands(host), QStringList({"HN,W,D2          ", "AP,W,1", "XI,W,0", "DW,W,"}));
}

TEST(Upload, NothingChangedSendsNothingAndReportsFalse) {
    ReadHost host;
    EXPECT_FALSE(host.link.SetInstrument(host.instrument));
    EXPECT_TRUE(commands(host).isEmpty());
    EXPECT_TRUE(serialLog(host).contains("---Instrument Upload Finished---"));
}

TEST(Upload, ContrastBeyondTwoDigitsIsComparedAsSent) {
    for (const int16_t contrast : {int16_t(0x1A3), int16_t(-1), int16_t(0x7F)}) {
        ReadHost host;
        host.instrument.setLcdContrast(contrast);
        ASSERT_TRUE(host.link.SetInstrument(host.instrument)) << contrast;
        EXPECT_FALSE(host.instrument.Change(InstrumentFlag::Change_LcdContrast)) << contrast;
        EXPECT_EQ(commands(host).value(0),
                  "UL,W," + QString::number(contrast & 0xFF, 16).toUpper().rightJustified(2, '0'));
    }
}

TEST(Upload, ClockIsWrittenAsSixTwoDigitFields) {
    ReadHost host;
    const rt::OleDate when =
        rt::OleDate::DateSerial(2026, 12, 9).addSeconds(14 * 3600 + 5 * 60 + 9);
    EXPECT_TRUE(host.link.SetDateTime(when));
    EXPECT_EQ(commands(host), QStringList{"HC,W,261209140509"});
    EXPECT_EQ(host.fake.clock, "261209140509");
}

TEST(Upload, InitialValuesRewriteEverythingSetTheClockAndClearTheLogs) {
    ReadHost host;
    EXPECT_TRUE(host.link.SetInitValue(host.instrument));
    QStringList keys;
    for (const QString& c : commands(host))
        keys << c.left(4);
    keys.removeDuplicates();
    EXPECT_EQ(keys, QStringList({"XZ,W", "IN,W", "HN,W", "AP,W", "XI,W", "SD,W", "SM,W",
                                 "XL,W", "XA,W", "XB,W", "XW,W", "XT,W", "UL,W", "AT,W",
                                 "A1,W", "A2,W", "AS,W", "AW,W", "SA,W", "SC,W", "XP,W",
                                 "UZ,W", "AO,W", "DW,W", "HC,W", "XC,W", "XC,C"}));
    EXPECT_TRUE(host.fake.intervals.empty());
    EXPECT_TRUE(host.fake.powerEvents.empty());
    // Flags that no row writes stay raised.
    EXPECT_TRUE(host.instrument.Change(InstrumentFlag::Change_Intermittence));
    EXPECT_TRUE(host.instrument.Change(GasFlag::Change_GasEnable, 0));
}

TEST(Calibration, ZeroPollsUntilTheResultAndReportsEachGas) {
    ReadHost host;
    ASSERT_TRUE(host.link.ZeroCal("1111"));
    EXPECT_EQ(commands(host), QStringList({"SZ,W,1111", "SZ,C,", "SZ,C,", "SZ,C,"}));
    EXPECT_EQ(host.link.ZeroResult(), "0010");
    const std::pair<int, bool> expected[] = {{0, true}, {1, true},  {2, false},
                                             {3, true}, {4, false}, {-1, false}};
    for (const auto& [index, ok] : expected)
        EXPECT_EQ(host.link.ZeroStatus(index), ok) << index;
    EXPECT_FALSE(host.link.SpanStatus(0));  // no span result yet
}

TEST(Calibration, ALeftOverCancelDoesNotSwallowTheStart) {
    ReadHost host;
    host.link.setCancel(true);
    EXPECT_TRUE(host.link.ZeroCal("1111"));
    host.link.setCancel(true);
    const rt::OleDate when = rt::OleDate::DateSerial(2026, 1, 2);
    EXPECT_TRUE(host.link.SetDateTime(when));
}

TEST(Calibration, RefusedStartIsLoggedAndNotPolled) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.refuseCalibration = true;
    ReadHost host(fake);
    EXPECT_FALSE(host.link.SpanCal("0001,*****,*****,*****,  500"));
    for (const QString& c : commands(host))
        EXPECT_FALSE(c.startsWith("S2,C")) << c.toStdString();
    EXPECT_TRUE(serialLog(host).contains("---Calibration Upload Failed---"));
    EXPECT_FALSE(host.link.OperationOk());
}

TEST(Calibration, SpanResultIsKept) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.spanResult = "0001";
    ReadHost host(fake);
    ASSERT_TRUE(host.link.SpanCal("0001,*****,*****,*****,  500"));
    EXPECT_EQ(commands(host).first(), "S2,W,0001,*****,*****,*****,  500");
    EXPECT_TRUE(host.link.SpanStatus(0));
    EXPECT_FALSE(host.link.SpanStatus(3));
}

TEST(MemoryClear, PollsUntilConfirmed) {
    ReadHost host;
    ASSERT_TRUE(host.link.BodyDataClear());
    EXPECT_EQ(commands(host), QStringList({"XC,W,", "XC,C,", "XC,C,", "XC,C,"}));
    const QString log = serialLog(host);
    EXPECT_TRUE(log.contains("--- Data Remove Start Sequence---"));
    EXPECT_TRUE(log.contains("--- Data Remove Finished---."));

    // A download afterwards finds the logs empty.
    ASSERT_TRUE(host.link.GetInterval(host.intervals));
    ASSERT_TRUE(host.link.GetAlarm(host.alarms));
    ASSERT_TRUE(host.link.GetPowerEvent(host.powerEvents));
    EXPECT_EQ(host.intervals.Count(), 0);
    EXPECT_EQ(host.alarms.Count(), 0);
    EXPECT_EQ(host.powerEvents.Count(), 0);
}

namespace {
FakeQM73 neverFinishesClearing() {
    FakeQM73 fake = FakeQM73::Typical();
    fake.clearPolls = 1000000;
    return fake;
}
}  // namespace

TEST(MemoryClear, AnInstrumentThatNeverFinishesIsGivenUp) {
    ReadHost host(neverFinishesClearing());
    EXPECT_FALSE(host.link.BodyDataClear());
    EXPECT_EQ(host.link.Status(), uclVyif::StatusFailed);
    const QString log = serialLog(host);
    EXPECT_TRUE(log.contains("waiting stopped"));
    EXPECT_TRUE(log.contains("--- Data Remove Failed---."));
    EXPECT_FALSE(host.fake.alarms.empty());
}

TEST(MemoryClear, CancelStopsThePolls) {
    ReadHost host(neverFinishesClearing());
    int polls = 0;
    const auto inner = host.port.engine.responder;
    host.port.engine.responder = [&](const QString& body) {
        if (body == "XC,C," && ++polls == 5) host.link.setCancel(true);
        return inner(body);
    };
    EXPECT_FALSE(host.link.BodyDataClear());
    EXPECT_EQ(host.link.Status(), uclVyif::StatusCancelled);
    EXPECT_LE(polls, 6);
    EXPECT_TRUE(serialLog(host).contains("--- Data Remove Failed---."));
}

TEST(PowerOff, ClosesThePortsAndResetsTheLinkAnsweredOrNot) {
    for (const bool answered : {true, false}) {
        SCOPED_TRACE(answered);
        ReadHost host;
        host.link.setSerialComm(true);
        host.fake.poweredOff = !answered;
        EXPECT_TRUE(host.link.BodyPowerOff());
        EXPECT_TRUE(host.fake.poweredOff);
        EXPECT_FALSE(host.port.portOpen());
        EXPECT_FALSE(host.infrared.portOpen());
        EXPECT_EQ(host.link.Status(), uclVyif::StatusNone);
        EXPECT_FALSE(host.link.Connected());
        EXPECT_GE(host.pump.ticks, 50);
        EXPECT_TRUE(serialLog(host).contains("---Auto Power OFF Finished---."));
    }
}

TEST(PowerOff, AnInstrumentThatIsOnAgainWhenThePortReopensConnects) {
    ReadHost host;
    host.link.setSerialComm(true);
    EXPECT_TRUE(host.link.BodyPowerOff());
    // Switched on again before the port is reopened: its lines never went down on an open port.
    host.fake.poweredOff = false;
    host.port.plugged = true;
    EXPECT_TRUE(host.connect());
}

TEST(PowerOff, InfraredTransportIsOpenedAgain) {
    ReadHost host;
    host.link.setSerialComm(false);
    EXPECT_TRUE(host.link.BodyPowerOff());
    EXPECT_FALSE(host.port.portOpen());
    EXPECT_TRUE(host.infrared.portOpen());
}

TEST(LiveReadings, EachTickAsksOnceAndReportsChannelFour) {
    ReadHost host;
    QSignalSpy readings(&host.link, &uclVyif::Densty);
    host.link.setRunDensty(true);
    EXPECT_TRUE(host.link.RunDensty());
    host.link.tmrDenst_Timer();
    EXPECT_EQ(host.link.Status(), uclVyif::StatusSingleRead);
    host.link.setRunDensty(false);  // waits for the request in flight
    QCoreApplication::processEvents();
    EXPECT_FALSE(host.link.RunDensty());
    EXPECT_EQ(readings.count(), 1);
    EXPECT_NE(host.link.Status(), uclVyif::StatusSingleRead);
    EXPECT_EQ(commands(host), QStringList());
    EXPECT_EQ(host.port.engine.requests.count("DN,R,"), 1);

    // A tick that finds its request unanswered gives it up and sends nothing; the answer that
    // comes after that is dropped, not taken for whatever runs next.
    host.link.setRunDensty(true);
    host.link.tmrDenst_Timer();
    host.link.tmrDenst_Timer();
    EXPECT_EQ(host.link.Status(), uclVyif::StatusIdle);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(host.port.engine.requests.count("DN,R,"), 2);
    EXPECT_EQ(readings.count(), 1);
    EXPECT_EQ(host.link.Status(), uclVyif::StatusIdle);
    EXPECT_TRUE(serialLog(host).contains("<<< No request waiting: received data dropped >>>"));
    host.link.setRunDensty(false);
}

TEST(LiveReadings, EverySecondBringsTheCurrentReading) {
    ReadHost host;
    QSignalSpy readings(&host.link, &uclVyif::Densty);
    const std::pair<QString, float> seconds[] = {{"123", 12.3f}, {"456", 45.6f}, {"7", 0.7f}};
    for (const auto& [raw, value] : seconds) {
        host.fake.liveGas4 = raw;
        host.link.tmrDenst_Timer();  // the one-second tick
        host.pump.waitWhile([&] { return host.link.Status() == uclVyif::StatusSingleRead; });
        QCoreApplication::processEvents();
        ASSERT_EQ(readings.count(), 1);
        EXPECT_FLOAT_EQ(readings.takeFirst().at(3).toFloat(), value);  // one decimal place
    }
    EXPECT_EQ(host.port.engine.requests.count("DN,R,"), 3);
}

TEST(LiveReadings, ChannelWithoutDecimalPlacesReadsAsNoValue) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.gasTable[3] = QString(18, '*');  // channel 4 not fitted
    ReadHost host(fake);
    ASSERT_EQ(host.instrument.GasPoint(3), -101);
    QSignalSpy readings(&host.link, &uclVyif::Densty);
    host.link.tmrDenst_Timer();
    host.pump.waitWhile([&] { return host.link.Status() == uclVyif::StatusSingleRead; });
    QCoreApplication::processEvents();
    ASSERT_EQ(readings.count(), 1);
    EXPECT_EQ(readings.at(0).at(3).toFloat(), -101.0f);
}

TEST(LiveReadings, GarbledReadingIsNoValue) {
    const std::pair<QString, float> cases[] = {
        {"1e39", -101.0f}, {"-1e39", -101.0f}, {"9E99", -101.0f}, {"3e38", 3e37f}, {"250", 25.0f}};
    for (const auto& [raw, value] : cases) {
        ReadHost host;
        host.fake.liveGas4 = raw;
        QSignalSpy readings(&host.link, &uclVyif::Densty);
        host.link.tmrDenst_Timer();
        host.pump.waitWhile([&] { return host.link.Status() == uclVyif::StatusSingleRead; });
        QCoreApplication::processEvents();
        ASSERT_EQ(readings.count(), 1) << raw.toStdString();
        EXPECT_FLOAT_EQ(readings.at(0).at(3).toFloat(), value) << raw.toStdString();
        EXPECT_EQ(host.instrument.LimitValue(3), readings.at(0).at(3).toFloat());
    }
}

TEST(LiveReadings, UnansweredRequestTimesOutAndTheNextTickAsksAgain) {
    ReadHost host;
    host.fake.poweredOff = true;
    host.link.tmrDenst_Timer();
    host.link.tmrDenst_Timer();
    EXPECT_EQ(host.link.Status(), uclVyif::StatusIdle);
    EXPECT_TRUE(serialLog(host).contains("--- Current reading download time out."));
    host.link.tmrDenst_Timer();
    EXPECT_EQ(host.port.engine.requests.count("DN,R,"), 2);
}

TEST(LiveReadings, AnotherOperationsReadIsNeitherDisturbedNorTimedOut) {
    ReadHost host;
    for (int32_t busy : {uclVyif::StatusSingleRead, uclVyif::StatusWrite, uclVyif::StatusFailed}) {
        host.link.setStatus(busy);
        host.link.tmrDenst_Timer();
        EXPECT_EQ(host.link.Status(), busy);
    }
    EXPECT_EQ(host.port.engine.requests.count("DN,R,"), 0);
    EXPECT_FALSE(serialLog(host).contains("time out"));
}

// ---- memory dump lists ----------------------------------------------------------------------

TEST(Dump, LineShowsBytesAndCharacters) {
    const std::pair<QString, QString> cases[] = {
        {"41424344454647480102030405067E7F",
         "41 42 43 44 45 46 47 48  01 02 03 04 05 06 7E 7F   ABCDEFGH......~."},
        {"207E7F1F000000000000000000000000",
         "20 7E 7F 1F 00 00 00 00  00 00 00 00 00 00 00 00    ~.............."},
        {"ZZ7e", "?? 7E ?? ?? ?? ?? ?? ??  ?? ?? ?? ?? ?? ?? ?? ??   .~.............."},
    };
    for (const auto& [digits, line] : cases)
        EXPECT_EQ(uclVyif::FormatDumpLine(digits), line) << digits.toStdString();
}

namespace {

QByteArray flashBytes(int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>(i % 256));
    return bytes;
}

QStringList dumpBlock(const QByteArray& bytes, int firstLine) {
    QStringList lines = {
        "Adrs   +0 +1 +2 +3 +4 +5 +6 +7  +8 +9 +A +B +C +D +E +F   List Of ASCII   ",
        QString(74, '-')};
    for (int i = firstLine; i < firstLine + 16; ++i) {
        QByteArray line = bytes.mid(i * 16, 16);
        line.append(QByteArray(16 - line.size(), '\xFF'));
        lines << QStringLiteral("%1 ").arg(i * 16, 6, 16, QChar('0')).toUpper() +
                     uclVyif::FormatDumpLine(QString::fromLatin1(line.toHex()));
    }
    lines << "";
    return lines;
}

}  // namespace

TEST(Dump, ListFileHoldsEveryBlockPaddedWithFBytes) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.flash = flashBytes(384);  // three answer blocks
    ReadHost host(fake);
    QSignalSpy messages(&host.link, &uclVyif::DumpMessage);
    const QString path = host.folder.path() + "/Dump.dat";
    ASSERT_TRUE(host.link.GetRomDump(path, "EP"));
    QCoreApplication::processEvents();
    EXPECT_EQ(commands(host), QStringList());
    EXPECT_EQ(host.port.engine.requests.count("EP,R,"), 1);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    ASSERT_TRUE(text.endsWith("\r\n"));
    QStringList lines = text.split("\r\n");
    lines.removeLast();
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], ";\tQM-73 Data Logger Program");
    EXPECT_TRUE(lines[1].startsWith(";\tFlush ROM Dump (EP) List")) << lines[1].toStdString();
    EXPECT_GT(lines[1].size(), QString(";\tFlush ROM Dump (EP) List").size());
    EXPECT_EQ(lines[2], ";\tZevra Duvra Co.,Ltd.");
    EXPECT_EQ(lines[3], "");
    QStringList expected = dumpBlock(fake.flash, 0) + dumpBlock(fake.flash, 16);
    expected << "";
    ASSERT_EQ(lines.mid(4, lines.size() - 5), expected);
    EXPECT_TRUE(QRegularExpression("^;\tTotal Download Time = \\d\\d:\\d\\d:\\d\\d$")
                    .match(lines.last())
                    .hasMatch())
        << lines.last().toStdString();
    EXPECT_EQ(lines[4 + 19 + 2 + 7],
              "000170 " + uclVyif::FormatDumpLine(fake.flash.mid(0x170, 16).toHex()));
    EXPECT_TRUE(lines[4 + 19 + 2 + 8].startsWith("000180 FF FF"));

    ASSERT_EQ(messages.count(), 2);
    EXPECT_EQ(messages.at(0).at(0).toString(), "Get Dump 000000-0000FF");
    EXPECT_EQ(messages.at(1).at(0).toString(), "Get Dump 000100-0001FF");
}

TEST(Dump, NoAnswerStillCompletesTheFile) {
    ReadHost host;
    host.fake.poweredOff = true;
    const QString path = host.folder.path() + "/DumpEF.dat";
    EXPECT_FALSE(host.link.GetRomDump(path, "EF"));
    EXPECT_EQ(host.link.Status(), uclVyif::StatusIdle);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split("\r\n");
    ASSERT_EQ(lines.size(), 7);  // four header lines, an empty line, the time, the final break
    EXPECT_EQ(lines[4], "");
    EXPECT_TRUE(lines[5].startsWith(";\tTotal Download Time = "));
}

TEST(Dump, UnwritableFileIsRaised) {
    ReadHost host;
    EXPECT_THROW(host.link.GetRomDump(host.folder.path() + "/no/such/folder/Dump.dat", "EP"),
                 rt::RuntimeError);
}

TEST(Dump, ListThatCannotBeWrittenEndsTheReadAndIsRaised) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.flash = flashBytes(64 * 128);  // 32 list blocks, far more than the file may take
    ReadHost host(fake);
    host.link.setSerialFileNo(0);
    const QString path = host.folder.path() + "/Dump.dat";
    {
        const testsupport::FileSizeLimit limit(4096);
        try {
            host.link.GetRomDump(path, "EP");
            ADD_FAILURE() << "no error raised";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), rt::ErrPathAccess);
            EXPECT_TRUE(e.description().contains(path)) << e.description().toStdString();
        }
    }
    EXPECT_EQ(host.link.Status(), uclVyif::StatusFailed);
    // The read stopped at the block whose list failed: it was neither acknowledged nor asked
    // for again.
    const QStringList sent = host.port.engine.requests;
    EXPECT_EQ(sent.count("EP,R,[ACK]"), 5);
    EXPECT_EQ(sent.count("EP,R,[NAK]"), 0);
    // A dump answer arriving now is not written anywhere, and the next dump works.
    host.port.inject(comm::FrameBytes(comm::BuildFrame("EP,R,0,1,0,00112233", comm::EOT)));
    QCoreApplication::processEvents();
    host.fake.flash = flashBytes(256);
    ASSERT_TRUE(host.link.GetRomDump(path, "EP"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).count("Adrs   +0"), 1);
}
