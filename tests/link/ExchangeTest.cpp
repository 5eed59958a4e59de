#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <deque>

#include "core/ModMain.h"
#include "link/Frame.h"
#include "link/uclVyif.h"
#include "records/ClsAlarms.h"
#include "records/ClsIntervals.h"
#include "runtime/RuntimeError.h"
#include "tests/support/FakeInstrument.h"
#include "tests/support/FakeQM73.h"
#include "tests/support/TempProgramFolder.h"

// How an exchange ends: only its own answer, a cancel or a lost connection end it, and nothing
// that arrives afterwards is taken in or answered. The instrument here is a script: the test
// puts each byte on the line itself.

using comm::uclVyif;
using core::InstrumentFlag;

namespace {

// A pump whose passes play a script: each pass lets events run, then takes the next step, or
// once the script is done runs one link tick.
class ScriptPump : public platform::EventPump {
  public:
    void waitWhile(const std::function<bool()>& busy) override {
        for (;;) {
            QCoreApplication::processEvents();
            if (!busy()) return;
            if (++passes > 5000)
                throw rt::RuntimeError(rt::ErrInvalidCall, QStringLiteral("The wait did not end"));
            if (!steps.empty()) {
                const auto step = steps.front();
                steps.pop_front();
                step();
            } else {
                tick();
            }
        }
    }
    std::deque<std::function<void()>> steps;
    std::function<void()> tick;
    int passes = 0;
};

QByteArray frame(const QString& body, QChar terminator = comm::EOT) {
    return comm::FrameBytes(comm::BuildFrame(body, terminator));
}

struct ScriptedLink {
    testsupport::FakeSerialPort port;
    testsupport::FakeInfraredPort infrared;
    uclVyif link{port, infrared};
    testsupport::TempProgramFolder folder;
    ScriptPump pump;
    core::clsInstrument inst;

    ScriptedLink() {
        core::AppPath = folder.path();
        core::DataFolder = folder.paths().dataFolder();
        QDir().mkpath(folder.paths().dataFolder());
        link.setTimerEnabled(false);
        link.ReadProperties({});
        link.setRetry(3);
        link.setTimeout(3);
        link.setEventPump(&pump);
        link.setSerialLogPath(folder.paths().serialLog());
        link.setSerialFileNo(1);
        pump.tick = [this] { tick(); };
    }
    void tick() {
        link.tmrTimer_Timer();
        port.tick();
        settle();
    }
    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // Connects, then leaves every answer to the script.
    void connect() {
        link.setPortOpen(true);
        tick();
        tick();
        ASSERT_TRUE(link.Connected());
        port.engine.responder = [](const QString&) { return std::nullopt; };
        port.engine.requests.clear();
        pump.passes = 0;
    }
    void put(const QByteArray& bytes) { port.inject(bytes); }
    QString log() const {
        QFile f(folder.paths().serialLog());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

// The record lines of a fake instrument's alarm trend, as its first block would carry them.
QStringList alarmTrendLines(int count) {
    return testsupport::FakeQM73::Typical().alarmLines().mid(0, count);
}

}  // namespace

TEST(Exchange, CancelledDownloadIsNotRevivedByTheRestOfItsBlock) {
    ScriptedLink s;
    s.connect();
    records::clsAlarms alarms;
    const QByteArray block = frame("DJ,R,H0,H1," + alarmTrendLines(6).join(','), comm::ETB);
    const qsizetype third = block.size() / 3;
    s.pump.steps = {[&] { s.put(block.left(third)); }, [&] { s.link.setCancel(true); }};
    EXPECT_FALSE(s.link.GetAlarm(alarms));
    EXPECT_EQ(s.link.Status(), uclVyif::StatusIdle);
    EXPECT_TRUE(s.link.Cancel());  // the caller tells a cancel from a failure by it

    // The rest of the block, then the instrument sending it again, whole, after its time-out.
    s.put(block.mid(third, third));
    ScriptedLink::settle();
    s.put(block.mid(2 * third));
    ScriptedLink::settle();
    for (int i = 0; i < 40; ++i)
        s.tick();
    s.put(block);
    ScriptedLink::settle();
    EXPECT_EQ(s.port.engine.requests, QStringList{"DJ,R,"});
    EXPECT_EQ(alarms.Count(), 0);
    EXPECT_EQ(s.link.Status(), uclVyif::StatusIdle);

    // The next request is answered as usual.
    s.pump.steps = {[&] { s.put(frame("DJ,R,H0,H1," + alarmTrendLines(6).join(','))); }};
    EXPECT_TRUE(s.link.GetAlarm(alarms));
    EXPECT_EQ(alarms.Count(), 1);
}

TEST(Exchange, OnlyTheAnswerToTheWaitingRequestEndsIt) {
    // A late duplicate of the previous write's echo: the row it lands on stays unacknowledged.
    {
        ScriptedLink s;
        s.connect();
        s.inst.setUserID("AB");
        s.inst.setLcdContrast(8);
        s.pump.steps = {[&] { s.put(frame("XZ,W,AB        ")); },
                        [&] { s.put(frame("XZ,W,AB        ")); }};
        EXPECT_FALSE(s.link.SetInstrument(s.inst));
        EXPECT_FALSE(s.inst.Change(InstrumentFlag::Change_UserID));
        EXPECT_TRUE(s.inst.Change(InstrumentFlag::Change_LcdContrast));
        EXPECT_FALSE(s.port.engine.requests.contains("DW,W,"));
        EXPECT_EQ(s.port.engine.requests.count("UL,W,08"), 4);  // the request and 3 resends
        EXPECT_TRUE(s.log().contains("<<< Answer XZ,W is not for the request UL,W: ignored >>>"));
    }
    // An answer of another command to a download request.
    {
        ScriptedLink s;
        s.connect();
        records::clsIntervals intervals;
        s.pump.steps = {[&] { s.put(frame("UG,R,1")); }};
        EXPECT_FALSE(s.link.GetInterval(intervals));
        EXPECT_EQ(s.port.engine.requests.count("DR,R,"), 4);
    }
    // The live-reading answer arriving late does not end a write; the write's own echo does.
    {
        ScriptedLink s;
        s.connect();
        int32_t statusAfterForeign = -1;
        s.pump.steps = {[&] { s.put(frame("DN,R,0,0,0,123,0")); },
                        [&] { statusAfterForeign = s.link.Status(); },
                        [&] { s.put(comm::FrameBytes(s.link.LastFrame())); }};
        EXPECT_TRUE(s.link.SetDateTime(*rt::OleDate::fromCivil(2026, 12, 9, 14, 5, 9)));
        EXPECT_EQ(statusAfterForeign, uclVyif::StatusWrite);
        EXPECT_EQ(s.port.engine.requests, QStringList{"HC,W,261209140509"});
    }
    // A late read answer of the same command does not end its write: the access letter counts.
    {
        ScriptedLink s;
        s.connect();
        s.inst.setIntervals(30);
        int32_t statusAfterRead = -1;
        s.pump.steps = {[&] { s.put(frame("XP,R,001E")); },
                        [&] { statusAfterRead = s.link.Status(); },
                        [&] { s.put(comm::FrameBytes(s.link.LastFrame())); },
                        [&] { s.put(frame(QString("DW,W,") + comm::ACK)); }};
        EXPECT_TRUE(s.link.SetInstrument(s.inst));
        EXPECT_EQ(statusAfterRead, uclVyif::StatusWrite);
        EXPECT_EQ(s.port.engine.requests.count("XP,W,001E"), 1);
        EXPECT_TRUE(s.log().contains("<<< Answer XP,R is not for the request XP,W: ignored >>>"));
    }
    // The acknowledged request's key holds for every later block of a download.
    {
        ScriptedLink s;
        s.connect();
        records::clsAlarms alarms;
        const QStringList lines = alarmTrendLines(8);
        s.pump.steps = {[&] { s.put(frame("DJ,R,H0,H1," + lines.mid(0, 4).join(','), comm::ETB)); },
                        [&] { s.put(frame("DJ,R,H0,H1," + lines.mid(4).join(','))); }};
        EXPECT_TRUE(s.link.GetAlarm(alarms));
        EXPECT_EQ(s.port.engine.requests, (QStringList{"DJ,R,", "DJ,R,[ACK]"}));
    }
}

TEST(Exchange, EveryOperationStartedUnconnectedFailsAtOnce) {
    const QString dumpName = QStringLiteral("Dump.dat");
    const std::vector<std::pair<const char*, std::function<bool(ScriptedLink&)>>> operations = {
        {"GetInstrument", [](ScriptedLink& s) { return s.link.GetInstrument(s.inst); }},
        {"GetLatestHistory", [](ScriptedLink& s) { return s.link.GetLatestHistory(s.inst); }},
        {"GetAlarm",
         [](ScriptedLink& s) {
             records::clsAlarms alarms;
             return s.link.GetAlarm(alarms);
         }},
        {"SetInstrument",
         [](ScriptedLink& s) {
             s.inst.setUserID("AB");
             return s.link.SetInstrument(s.inst);
         }},
        {"SetDateTime", [](ScriptedLink& s) { return s.link.SetDateTime(rt::OleDate::now()); }},
        {"SetInitValue", [](ScriptedLink& s) { return s.link.SetInitValue(s.inst); }},
        {"ZeroCal", [](ScriptedLink& s) { return s.link.ZeroCal("0001"); }},
        {"SpanCal", [](ScriptedLink& s) { return s.link.SpanCal("0001"); }},
        {"BodyDataClear", [](ScriptedLink& s) { return s.link.BodyDataClear(); }},
        {"BodyPowerOff", [](ScriptedLink& s) { return s.link.BodyPowerOff(); }},
        {"GetRomDump",
         [&dumpName](ScriptedLink& s) {
             return s.link.GetRomDump(s.folder.path() + "/" + dumpName, "EP");
         }},
    };
    for (const auto& [name, operation] : operations) {
        ScriptedLink s;
        s.link.setPortOpen(true);
        s.port.plugged = false;  // the cable was pulled: the port is open, nothing answers
        s.tick();
        ASSERT_FALSE(s.link.Connected());
        s.port.engine.requests.clear();
        s.inst.setSerialNo("KEPT");
        EXPECT_FALSE(operation(s)) << name;
        EXPECT_EQ(s.link.Status(), uclVyif::StatusFailed) << name;
        EXPECT_EQ(s.pump.passes, 0) << name;
        EXPECT_TRUE(s.port.engine.requests.isEmpty()) << name;
        EXPECT_EQ(s.inst.SerialNo(), "KEPT") << name;
        EXPECT_FALSE(QFile::exists(s.folder.path() + "/" + dumpName)) << name;
    }
    // The collection of a download keeps what it held.
    ScriptedLink s;
    records::clsIntervals intervals;
    intervals.Add("01 L", 0);
    EXPECT_FALSE(s.link.GetInterval(intervals));
    EXPECT_EQ(intervals.Count(), 1);
}

TEST(Exchange, InitialValuesStopWhenTheInstrumentGoes) {
    // The cable is pulled while the first write waits.
    {
        ScriptedLink s;
        s.connect();
        s.pump.steps = {[&] { s.port.plugged = false; }};
        EXPECT_FALSE(s.link.SetInitValue(s.inst));
        EXPECT_EQ(s.port.engine.requests.size(), 1);
        EXPECT_TRUE(s.port.engine.requests.value(0).startsWith("XZ,W,"));
    }
    // The instrument restarts (its lines drop and are back before the link looks at them) and
    // then keeps silent.
    {
        ScriptedLink s;
        s.connect();
        s.pump.steps = {[&] {
            s.port.plugged = false;
            s.port.pollModemLines();
            s.port.plugged = true;
            s.port.pollModemLines();
        }};
        EXPECT_FALSE(s.link.SetInitValue(s.inst));
        EXPECT_EQ(s.link.Status(), uclVyif::StatusFailed);
        for (int i = 0; i < 50; ++i)
            s.tick();
        for (const QString& r : s.port.engine.requests)
            EXPECT_TRUE(r.startsWith("XZ,W,") || r == "RC,R,") << r.toStdString();
    }
    // The instrument stays connected but answers nothing.
    {
        ScriptedLink s;
        s.connect();
        EXPECT_FALSE(s.link.SetInitValue(s.inst));
        for (const QString& r : s.port.engine.requests)
            EXPECT_TRUE(r.startsWith("XZ,W,")) << r.toStdString();
    }
}

TEST(Exchange, CancelEndsAPlainWrite) {
    ScriptedLink s;
    s.connect();
    s.pump.steps = {[&] { s.link.setCancel(true); }};
    EXPECT_FALSE(s.link.SetDateTime(rt::OleDate::now()));
    EXPECT_EQ(s.link.Status(), uclVyif::StatusCancelled);
    EXPECT_TRUE(s.link.Cancel());
    // Its echo, coming now, is neither taken in nor answered.
    s.put(comm::FrameBytes(s.link.LastFrame()));
    ScriptedLink::settle();
    EXPECT_EQ(s.link.Status(), uclVyif::StatusCancelled);
    EXPECT_EQ(s.port.engine.requests.size(), 1);
    EXPECT_LE(s.pump.passes, 1);
}

TEST(Exchange, FramesAreCutWhereverTheirPiecesEnd) {
    ScriptedLink s;
    s.connect();
    records::clsAlarms alarms;
    const QStringList lines = alarmTrendLines(12);
    // A block, a block with CR separators, printable noise with no frame start (more than the
    // link keeps of such text), then the last block a byte at a time.
    QByteArray first = frame("DJ,R,H0,H1," + lines.mid(0, 4).join(','), comm::ETB);
    QByteArray second = frame("DJ,R,H0,H1\r" + lines.mid(4, 4).join('\r'), comm::ETB);
    const QByteArray last = frame("DJ,R,H0,H1," + lines.mid(8).join(','));
    s.pump.steps = {[&] { s.put(first); }, [&] { s.put(second); },
                    [&] { s.put(QByteArray(20000, 'x')); }};
    for (char c : last)
        s.pump.steps.push_back([&s, c] { s.put(QByteArray(1, c)); });
    ASSERT_TRUE(s.link.GetAlarm(alarms));
    EXPECT_EQ(s.port.engine.requests, (QStringList{"DJ,R,", "DJ,R,[ACK]", "DJ,R,[ACK]"}));
    ASSERT_EQ(alarms.Count(), 1);
    EXPECT_FALSE(alarms.Item(1)->Error());
}
