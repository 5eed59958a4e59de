#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <QCoreApplication>
#include <QFile>
#include <deque>
#include <map>

#include "core/GasCommon.h"
#include "core/TrendFile.h"
#include "link/Frame.h"
#include "link/LinkModule.h"
#include "runtime/RuntimeError.h"
#include "tests/support/EndToEndHost.h"

using comm::uclVyif;
using testsupport::EndToEndHost;
using testsupport::FakeQM73;
using testsupport::Fault;

namespace {

QStringList readCommands(const QStringList& requests) {
    QStringList out;
    for (const QString& r : requests)
        if (r != "RC,R,") out << r;
    return out;
}

}  // namespace

TEST(Download, InstrumentReadSendsTheTableInOrderAndFillsTheModel) {
    EndToEndHost host;
    ASSERT_TRUE(host.connect());
    ASSERT_TRUE(host.link.GetInstrument(host.instrument));
    QStringList expected;
    for (const auto& entry : uclVyif::ReadCommandTable())
        if (!entry.command.isEmpty()) expected << entry.command;
    EXPECT_EQ(expected.size(), 30);
    EXPECT_EQ(readCommands(host.port.engine.requests), expected);

    const core::clsInstrument& i = host.instrument;
    EXPECT_EQ(i.RomNumber(), 120);
    EXPECT_EQ(i.SUM(), "1A2B");
    EXPECT_EQ(i.SerialNo(), "SN000001");
    EXPECT_EQ(i.DummySerial(), "DS01");
    EXPECT_EQ(i.UserID(), "USER01");
    EXPECT_EQ(i.SensorID(3), "SENS-3");
    EXPECT_EQ(i.SpecType(), "0");
    EXPECT_EQ(i.SpanOffset(), "1");
    EXPECT_EQ(i.AlarmMode(), 2);
    EXPECT_EQ(i.CalLimit(), 90);
    EXPECT_EQ(i.Intervals(), 60);
    EXPECT_EQ(i.DispID(), -1);
    EXPECT_EQ(i.DispCalLimit(), 0);
    EXPECT_EQ(i.Confermation(), 2);
    EXPECT_EQ(i.LcdBackLight(), 30);
    EXPECT_EQ(i.LcdContrast(), 8);
    EXPECT_EQ(i.GasName(3), "CH4");
    EXPECT_EQ(i.GasPoint(3), 1);
    EXPECT_EQ(i.GasFullScale(3), 100.0f);
    EXPECT_EQ(i.GasUnit(3), "%LEL");
    EXPECT_EQ(i.GasName(4), "TMP");
    EXPECT_EQ(i.GasUnit(4), "\u00B0C");
    EXPECT_EQ(i.GasName(0), "");
    EXPECT_EQ(i.GasFullScale(0), -101.0f);
    EXPECT_EQ(i.Warning(3), 10.0f);  // 100 counts at one decimal
    EXPECT_EQ(i.Alarm(3), 20.0f);
    EXPECT_EQ(i.Warning(0), -101.0f);
    EXPECT_EQ(i.AutoCalib(3), 50.0f);
    EXPECT_EQ(i.OverScale(0), 1);
    EXPECT_EQ(i.OverScale(1), 0);
    EXPECT_EQ(i.SysDate(), *rt::OleDate::fromCivil(2024, 12, 31, 23, 59, 59));
    EXPECT_EQ(i.AnalogValue(7), 0x800);
    EXPECT_EQ(i.HighTemp(), 45);
    EXPECT_EQ(i.LowTemp(), -10);
    // Freshly read settings count as unchanged.
    EXPECT_FALSE(i.Change(core::InstrumentFlag::Change_Interval));
    EXPECT_FALSE(i.Change(core::GasFlag::Change_Warn, 3));

    ASSERT_TRUE(host.link.GetLatestHistory(host.instrument));
    EXPECT_EQ(i.CalibDate(3), *rt::OleDate::fromCivil(2024, 6, 1, 9, 30, 0));
    EXPECT_EQ(i.CalibBefore(3), 0.5f);
    EXPECT_EQ(i.CalibAfter(3), 50.0f);
    EXPECT_EQ(i.CalibBefore(0), -101.0f);
}

TEST(Download, BadAnswerStopsTheRead) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.alarmMode = "x";
    EndToEndHost host(fake);
    ASSERT_TRUE(host.connect());
    EXPECT_FALSE(host.link.GetInstrument(host.instrument));
    const QStringList sent = readCommands(host.port.engine.requests);
    EXPECT_EQ(sent.count("AP,R,"), 4);  // the request and three resends
    EXPECT_EQ(sent.last(), "AP,R,");    // nothing after it
    EXPECT_EQ(host.link.Status(), uclVyif::StatusFailed);
}

TEST(Download, EverythingTheInstrumentHoldsIsStored) {
    const FakeQM73 fake = FakeQM73::Typical();
    EndToEndHost host(fake);
    ASSERT_TRUE(host.connect());
    ASSERT_TRUE(host.downloadAll()) << host.results.join(", ").toStdString();

    const platform::Database db = host.db();
    const auto count = [&](int types) {
        return db.query("Select SeqNo From Log_Head Where Types=?", {types}).rowCount();
    };
    EXPECT_EQ(count(1), 2);  // two interval trends
    EXPECT_EQ(count(8), 1);  // their sensor history header
    EXPECT_EQ(count(2), 1);
    EXPECT_EQ(count(3), 1);
    EXPECT_EQ(count(5), 1);
    EXPECT_EQ(count(6), 1);
    EXPECT_EQ(count(7), 1);
    EXPECT_EQ(host.rows("SensorHistory"), 2);  // ST1, then ST2
    EXPECT_EQ(host.rows("cHistory"), 3);
    EXPECT_EQ(host.rows("Alarm_Event"), 2);
    EXPECT_EQ(host.rows("Trouble_Event"), 1);
    EXPECT_EQ(host.rows("Power_Event"), 2);
    EXPECT_EQ(host.rows("Interval_Event"), 4);  // per trend: the start and the end events

    // The first interval trend's samples, as the instrument holds them.
    const auto& rec = fake.intervals[0];
    records::clsInterval r;
    r.setSeqNo(
        db.query("Select SeqNo From Log_Head Where Types=1 Order By SeqNo").longValue(0, "SeqNo"));
    r.ReLoad();
    ASSERT_EQ(r.DataCount(), static_cast<int>(rec.gas4.size()));
    for (int k = 0; k < r.DataCount(); ++k) {
        const float gas4 = rec.gas4[k] == 0xFEFE ? -118.0f : static_cast<float>(rec.gas4[k] * 0.1);
        EXPECT_EQ(r.GasValue(3, k).toSingle(), gas4) << k;
        EXPECT_EQ(r.GasValue(4, k).toSingle(), static_cast<float>(rec.gas5[k] * 0.1) - 20.0f) << k;
        EXPECT_EQ(r.GasValue(0, k).toSingle(), -101.0f);
        EXPECT_EQ(r.GasNowCalib(0, k), rec.status[k].second ? -1 : 0);
    }
    EXPECT_EQ(r.DateTimes(0), *rt::OleDate::fromCivil(2024, 5, 31, 13, 6, 9));

    records::clsAlarm a;
    a.setSeqNo(db.query("Select SeqNo From Log_Head Where Types=2").longValue(0, "SeqNo"));
    a.ReLoad();
    EXPECT_EQ(a.DataCount(), 720);
    EXPECT_EQ(a.Value(3, 360), 36.1f);
    EXPECT_EQ(a.DateTimes(360), *rt::OleDate::fromCivil(2024, 3, 15, 14, 30, 0));

    // The event rows, as the instrument holds them.
    const auto civil = [](const QString& date, const QString& time) {
        return *rt::OleDate::fromCivil(2000 + date.left(2).toInt(), date.mid(2, 2).toInt(),
                                       date.mid(4, 2).toInt(), time.left(2).toInt(),
                                       time.mid(2, 2).toInt(), time.mid(4, 2).toInt());
    };
    const struct {
        const char* table;
        const std::vector<FakeQM73::Event>& events;
    } eventTables[] = {{"Alarm_Event", fake.alarmEvents}, {"Trouble_Event", fake.troubleEvents}};
    for (const auto& t : eventTables) {
        const platform::ResultSet rows =
            db.query(QStringLiteral("Select * From %1 Order By Dates").arg(t.table));
        ASSERT_EQ(rows.rowCount(), static_cast<int>(t.events.size())) << t.table;
        for (int i = 0; i < rows.rowCount(); ++i) {
            const FakeQM73::Event& e = t.events[i];
            EXPECT_EQ(rows.date(i, "Dates"), civil(e.date, e.time)) << t.table;
            EXPECT_EQ(rows.longValue(i, "GasNo"), e.gas - 1) << t.table;  // stored from 0
            EXPECT_EQ(rows.longValue(i, "Alarm_Type"), core::StatusNumberToCode(e.status))
                << t.table;
        }
    }
    const platform::ResultSet power = db.query("Select * From Power_Event Order By Dates");
    ASSERT_EQ(power.rowCount(), static_cast<int>(fake.powerEvents.size()));
    for (int i = 0; i < power.rowCount(); ++i) {
        EXPECT_EQ(power.date(i, "Dates"),
                  civil(fake.powerEvents[i].date, fake.powerEvents[i].time));
        EXPECT_EQ(power.boolean(i, "Power_Type"), fake.powerEvents[i].on);
    }

    // Downloading again stores nothing new.
    EndToEndHost* again = &host;
    ASSERT_TRUE(again->downloadAll());
    EXPECT_EQ(host.rows("Log_Head"), 8);
    EXPECT_EQ(host.rows("Interval_Event"), 4);
    EXPECT_EQ(host.rows("cHistory"), 3);
    EXPECT_EQ(host.rows("Alarm_Event"), 2);
    EXPECT_EQ(host.rows("Trouble_Event"), 1);
    EXPECT_EQ(host.rows("Power_Event"), 2);
    EXPECT_EQ(host.rows("SensorHistory"), 2);
}

// Under every fault the download either completes with everything stored once, or fails and
// stores nothing of the broken download.
TEST(Download, FaultsOnTheWire) {
    const std::vector<std::pair<const char*, std::deque<Fault>>> cases = {
        {"bad checksum on a block", {{Fault::None}, {Fault::BadChecksum}}},
        {"silent request", {{Fault::Silence}}},
        {"late answer", {{Fault::Late, 20}}},
        {"truncated block", {{Fault::None}, {Fault::Truncate, 5}}},
        {"garbage before a block", {{Fault::None}, {Fault::Garbage}}},
        {"block in pieces", {{Fault::Split, 7}, {Fault::Split, 3}}},
    };
    for (const auto& [name, faults] : cases) {
        EndToEndHost host;
        ASSERT_TRUE(host.connect()) << name;
        host.port.engine.faults = faults;
        const bool ok = host.link.GetInterval(host.intervals);
        EXPECT_TRUE(ok) << name;
        host.storeAll(host.intervals);
        EXPECT_EQ(host.db().query("Select * From Log_Head Where Types=1").rowCount(), 2) << name;
        EXPECT_EQ(host.rows("Interval_Event"), 4) << name;
        for (const auto& rec : host.intervals)
            EXPECT_FALSE(rec->Error()) << name;
    }
}

// However many record lines the instrument puts in a block, every one of them is taken in.
TEST(Download, BlocksOfManyLinesArriveWhole) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.powerEvents.clear();
    for (int i = 0; i < 120; ++i)  // as many as a record holds
        fake.powerEvents.push_back({"251224",
                                    QStringLiteral("%1%2%3")
                                        .arg(i / 60, 2, 10, QChar('0'))
                                        .arg(i % 60, 2, 10, QChar('0'))
                                        .arg(0, 2, 10, QChar('0')),
                                    i % 2 == 0});
    for (const int perBlock : {49, 50, 60}) {
        fake.linesPerBlock = perBlock;
        EndToEndHost host(fake);
        ASSERT_TRUE(host.connect());
        ASSERT_TRUE(host.link.GetAlarm(host.alarms)) << perBlock;
        ASSERT_TRUE(host.link.GetPowerEvent(host.powerEvents)) << perBlock;
        host.storeAll(host.alarms);
        host.storeAll(host.powerEvents);
        EXPECT_EQ(host.rows("Power_Event"), 120) << perBlock;
        records::clsAlarm a;
        a.setSeqNo(
            host.db().query("Select SeqNo From Log_Head Where Types=2").longValue(0, "SeqNo"));
        a.ReLoad();
        ASSERT_EQ(a.DataCount(), 720) << perBlock;
        for (int n = 0; n < 720; ++n)
            ASSERT_EQ(a.Value(3, n), static_cast<float>((n + 1) * 0.1)) << perBlock << " " << n;
    }
}

// A download of many trends keeps no more than one trend file open at a time.
TEST(Download, ManyTrendsHoldOneFileAtATime) {
    FakeQM73 fake = FakeQM73::Typical();
    const FakeQM73::IntervalRecording first = fake.intervals[0];
    fake.intervals.clear();
    for (int i = 0; i < 40; ++i) {
        FakeQM73::IntervalRecording r = first;
        r.time =
            QStringLiteral("13%1%2").arg(i / 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0'));
        fake.intervals.push_back(r);
    }
    EndToEndHost host(fake);
    ASSERT_TRUE(host.connect());
    // The trend files open (a file written in the background is open twice: for the window and
    // for the writing thread).
    const auto openTrendFiles = [] {
        QSet<QString> files;
        for (const QFileInfo& fd :
             QDir("/proc/self/fd")
                 .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget().endsWith(core::TrendTempPath(".Dat")))
                files.insert(fd.symLinkTarget());
        return files.size();
    };
    ASSERT_TRUE(host.link.GetInterval(host.intervals));
    EXPECT_EQ(host.intervals.Count(), 40);
    // A file closed while its writes go on is let go by the writing thread once they are done.
    core::WaitForTrendWrites();
    EXPECT_LE(openTrendFiles(), 1);
    host.storeAll(host.intervals);
    EXPECT_EQ(host.db().query("Select * From Log_Head Where Types=1").rowCount(), 40);
    host.intervals.Clear();
    EXPECT_EQ(openTrendFiles(), 0);
}

TEST(Download, RetriesUsedUpFailTheDownload) {
    EndToEndHost host;
    ASSERT_TRUE(host.connect());
    host.port.engine.faults = {{Fault::None},
                               {Fault::BadChecksum},
                               {Fault::BadChecksum},
                               {Fault::BadChecksum},
                               {Fault::BadChecksum}};
    EXPECT_FALSE(host.link.GetInterval(host.intervals));
    EXPECT_EQ(host.link.Status(), uclVyif::StatusIdle);
}

TEST(Download, CancelEndsTheDownloadAndALaterOneWorks) {
    EndToEndHost host;
    ASSERT_TRUE(host.connect());
    // The host's cancel button, pressed once while the second block is under way.
    bool pressed = false;
    qsizetype sentAtCancel = -1;
    QObject::connect(&host.link, &uclVyif::StsTransmit, [&] {
        if (!pressed && host.port.engine.requests.size() == 3) {
            pressed = true;
            sentAtCancel = host.port.engine.requests.size();
            host.link.setCancel(true);
        }
    });
    EXPECT_FALSE(host.link.GetInterval(host.intervals));
    for (int i = 0; i < 20; ++i)
        host.tick();  // the rest of the answer, and time for the instrument to send it again
    QCoreApplication::processEvents();
    EXPECT_EQ(host.port.engine.requests.size(), sentAtCancel);
    EXPECT_EQ(host.link.Status(), uclVyif::StatusIdle);
    EXPECT_TRUE(host.link.Cancel());  // until the next operation starts
    QObject::disconnect(&host.link, &uclVyif::StsTransmit, nullptr, nullptr);
    EXPECT_TRUE(host.link.GetInterval(host.intervals));
    EXPECT_EQ(host.intervals.Count(), 2);
}

TEST(Download, ProgressMessagesAreRaised) {
    core::DebugMode = true;
    EndToEndHost host;
    ASSERT_TRUE(host.connect());
    QStringList inter, alarm;
    QObject::connect(&host.link, &uclVyif::InterMessage, [&](const QString& t) { inter << t; });
    QObject::connect(&host.link, &uclVyif::AlarmMessage, [&](const QString& t) { alarm << t; });
    ASSERT_TRUE(host.link.GetInterval(host.intervals));
    ASSERT_TRUE(host.link.GetAlarmEvent(host.alarmEvents));
    QCoreApplication::processEvents();
    core::DebugMode = false;
    EXPECT_TRUE(inter.contains("New Data! Name - iv31130509_SN000001"))
        << inter.join("|").toStdString();
    EXPECT_TRUE(alarm.contains("New Data! Name - Alarm Events"));
}

TEST(Download, ACollectionOfAnotherLogIsRefusedBeforeAnythingIsSent) {
    EndToEndHost host;
    ASSERT_TRUE(host.connect());
    ASSERT_TRUE(host.link.GetInterval(host.intervals));
    const int32_t records = host.intervals.Count();
    const qsizetype sent = host.port.engine.requests.size();
    host.link.setStatus(uclVyif::StatusDone);
    EXPECT_FALSE(host.link.GetAlarmEvent(host.intervals));
    EXPECT_FALSE(host.link.GetHistory(host.alarms));
    EXPECT_FALSE(host.link.GetInterval(host.powerEvents));
    EXPECT_EQ(host.port.engine.requests.size(), sent);
    EXPECT_EQ(host.intervals.Count(), records);
    EXPECT_EQ(host.link.Status(), uclVyif::StatusDone);
}

namespace {

// How many rows each table of a download holds.
std::map<QString, int> tableRows(const EndToEndHost& host) {
    std::map<QString, int> out;
    for (const char* table :
         {"Log_Head", "Interval_Data", "Interval_Event", "Alarm_Data", "cHistory", "Alarm_Event",
          "Trouble_Event", "Power_Event", "SensorHistory"})
        out[table] = host.rows(table);
    return out;
}

}  // namespace

// A fault on any one answer frame of a whole download, whichever log it belongs to, is
// mended by the retries: everything is stored exactly once.
TEST(Download, AFaultOnAnyFrameOfAnyLogIsMended) {
    FakeQM73 fake = FakeQM73::Typical();
    fake.linesPerBlock = 3;  // every log in several blocks
    std::map<QString, int> clean;
    int frames = 0;
    {
        EndToEndHost host(fake);
        ASSERT_TRUE(host.connect());
        host.port.engine.faults = std::deque<Fault>(100000, Fault{});
        ASSERT_TRUE(host.downloadAll());
        frames = 100000 - static_cast<int>(host.port.engine.faults.size());
        clean = tableRows(host);
    }
    ASSERT_GT(frames, 60);
    const std::pair<const char*, Fault> faults[] = {{"bad checksum", {Fault::BadChecksum}},
                                                    {"truncated", {Fault::Truncate, 4}},
                                                    {"in pieces", {Fault::Split, 3}}};
    for (const auto& [name, fault] : faults) {
        for (int at = 0; at < frames; ++at) {
            EndToEndHost host(fake);
            ASSERT_TRUE(host.connect());
            std::deque<Fault> plan(at, Fault{});
            plan.push_back(fault);
            host.port.engine.faults = plan;
            ASSERT_TRUE(host.downloadAll())
                << name << " at frame " << at << ": " << host.results.join(", ").toStdString();
            ASSERT_EQ(tableRows(host), clean) << name << " at frame " << at;
        }
    }
}
