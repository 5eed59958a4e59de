#include <gtest/gtest.h>

#include "core/ClsInstrument.h"
#include "records/EventCollections.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"

using namespace records;
namespace L = testsupport::lines;

namespace {

// Event lines: record number, code, data.
QString dateLine(const QString& kk, const QString& code, const QString& date, const QString& time) {
    return L::pad(kk + code + date + time, 24);
}
QString eventLine(const QString& kk, const QString& code, const QString& status, QChar active,
                  QChar calib) {
    return L::pad(kk + code + status + active + calib, 25);
}
QString countLine(const QString& kk, const QString& code, const QString& serial,
                  const QString& count) {
    return L::pad(kk + code + L::pad(serial, 12) + " " + count, 24);
}
QString userLine(const QString& kk, const QString& code, const QString& user) {
    return kk + code + L::pad(user, 20);
}
QString powerLine(const QString& kk, const QString& date, const QString& time,
                  const QString& flag) {
    return L::pad(kk + "FD" + date + time + flag, 24);
}

template <class Collection>
bool feed(Collection& c, const QStringList& lines) {
    bool all = true;
    for (const QString& l : lines)
        all = c.SetDatas(l, true) && all;
    if (!all) return false;
    for (const QString& l : lines)
        c.SetDatas(l, false);
    return true;
}

class Events : public testsupport::RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        inst.setUserID("PU");
        inst.setSerialNo("PS");
        inst.setSysDate(*rt::OleDate::fromCivil(2025, 12, 31, 8, 0, 0));
        inst.setRomNumber(5);
        inst.setIntervals(30);
        inst.setGasName(1, "CO");
        inst.setGasEnabled(3, true);
        inst.setAlarm(3, 10);
    }
    QStringList alarmRecord(const QString& time = "091530", const QString& status = "05",
                            const QString& code = "C4") {
        return {userLine("01", "CA", "U1"), countLine("01", "CB", "S1", "0001"),
                L::AC("01", "CH4", "100", "0.5", "****", "0", "1").mid(1).replace(2, 2, "CC"),
                eventLine("01", code, status, '1', '0'), dateLine("01", "CD", "251224", time)};
    }

    core::clsInstrument inst;
};

}  // namespace

TEST_F(Events, RecordModel) {
    clsAlarmEvent a;
    EXPECT_EQ(a.GasBaseInfo(2).toText(), "*");
    EXPECT_EQ(a.GasBaseInfo(4).toText(), "*");
    EXPECT_EQ(a.DataCount(), 0);
    EXPECT_EQ(a.SeqNo(), 0);
    EXPECT_FALSE(a.Error());
    EXPECT_EQ(a.GasListInfo(3, 5).toSingle(), -101.0f);
    a.setDataCount(200);
    EXPECT_EQ(a.DataCount(), 120);
    a.setDataCount(5);
    EXPECT_EQ(a.DataCount(), 5);
    EXPECT_TRUE(a.GasListInfo(0, 6).isNull());
    EXPECT_TRUE(a.GasListInfo(5, 0).isEmpty());
    a.setGasListInfo(0, 1, "x");
    EXPECT_EQ(a.GasListInfo(0, 1).toSingle(), -101.0f);
    a.setGasBaseInfo(1, "no date");
    a.setGasBaseInfo(2, "   ");
    EXPECT_EQ(a.GasBaseInfo(2).toText(), "*");
    const rt::OleDate before = rt::OleDate::now();
    EXPECT_GE(a.Dates(7), before);  // outside elements 0..4: the present time

    clsTroubleEvent t;
    t.setDateTimes(7, rt::OleDate(45000));
    EXPECT_EQ(t.DateTimes(7).value(), 45000.0);
    clsPowerEvent p;
    EXPECT_FALSE(p.Flags(120));

    t.setGasListInfo(1, 2, 0.5);
    a.setGasListInfo(1, 2, 1.5);
    EXPECT_EQ(t.GasListInfo(1, 2).toDouble(), 0.5);
    EXPECT_EQ(a.GasListInfo(1, 2).toDouble(), 2.0);
    EXPECT_EQ(a.GasListInfo(1, 2).type(), rt::Variant::Type::Integer);
    EXPECT_EQ(a.GasListInfo(1, 3).type(), rt::Variant::Type::Single);
    EXPECT_EQ(t.GasListInfo(1, 3).type(), rt::Variant::Type::Integer);
}

TEST_F(Events, AlarmEventLines) {
    clsAlarmEvent r;
    EXPECT_FALSE(r.SetDataB0(eventLine("01", "C0", "05", '1', '0'), true));
    EXPECT_FALSE(r.SetDataB0(eventLine("01", "C0", "05", '1', '0'), false));
    EXPECT_TRUE(r.SetDataB0(eventLine("01", "C1", "05", '1', '0'), false));
    EXPECT_EQ(r.GasNo(0), 0);
    EXPECT_EQ(r.Events(0), -107);
    EXPECT_EQ(r.NowEvent(0), 1);
    EXPECT_EQ(r.NowCalib(0), 0);
    EXPECT_EQ(r.DataCount(), 1);
    r.SetDataB0(eventLine("01", "C1", "99", '0', '1'), false);
    EXPECT_EQ(r.Events(0), -101);
    r.SetDataB0(eventLine("01", "C1", "AB", '0', '1'), false);
    EXPECT_EQ(r.Events(0), 0);

    r.SetDataBD(dateLine("01", "CD", "251224", "091530"), false);
    EXPECT_EQ(r.GasBaseInfo(1).toDate(), *rt::OleDate::fromCivil(2025, 12, 24, 9, 15, 30));
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "ae24091530");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "12/25");
    EXPECT_FALSE(r.Error());
    EXPECT_TRUE(r.SetDataBD(dateLine("01", "CD", "000000", "010000"), true));
    EXPECT_TRUE(r.Error());
    r.SetDataBD(dateLine("01", "CD", "000000", "010000"), false);
    EXPECT_EQ(r.GasBaseInfo(1).toDate(), *rt::OleDate::fromCivil(2025, 12, 24, 10, 15, 30));

    const QString cc = L::AC("01", "***", "0", "0", "    ", "0", "0").mid(1).replace(2, 2, "CC");
    EXPECT_FALSE(r.SetDataBC(cc.left(68), true));
    EXPECT_TRUE(r.SetDataBC(cc.left(69), false));
    EXPECT_FALSE(r.GasListInfo(3, 13).toBool());
    EXPECT_FALSE(r.GasListInfo(4, 13).toBool());

    EXPECT_FALSE(r.SetDataBB(countLine("01", "CB", "SN9", "00x1"), false));
    EXPECT_EQ(r.GasBaseInfo(4).toText(), "SN9");
}

TEST_F(Events, OverflowingFieldsAreBadLinesAndRaiseNothing) {
    // Record 01 of the block is whole; record 02 carries a field too large for its type.
    const QString gasList = L::AC("02", "CH4", "100", "40000", "****", "0", "1").mid(1);
    const struct {
        QChar kind;  // 'C' alarm events, 'D' trouble events
        QString line;
        bool good;
    } cases[] = {
        {'C', countLine("02", "CB", "S2", "9e99"), false},
        {'C', countLine("02", "CB", "S2", "1e10"), false},
        {'D', countLine("02", "DB", "S2", "1e10"), false},
        {'C', QString(gasList).replace(2, 2, "CC"), false},  // a whole-number Desit of 40000
        {'D', QString(gasList).replace(2, 2, "DC"), true},   // a Single holds 40000
    };
    const auto check = [&](auto& events, const auto& c) {
        events.setInstruments(&inst);
        QStringList block = alarmRecord();
        for (QString& l : block)
            l.replace(2, 1, c.kind);
        block << c.line;
        // Both passes, the apply pass even after a refused check pass: nothing raises.
        QList<bool> checked;
        for (const QString& l : block)
            EXPECT_NO_THROW(checked << events.SetDatas(l, true)) << c.line.toStdString();
        for (const QString& l : block)
            EXPECT_NO_THROW(events.SetDatas(l, false)) << c.line.toStdString();
        EXPECT_EQ(checked.count(false), c.good ? 0 : 1) << c.line.toStdString();
        EXPECT_EQ(checked.last(), c.good);
        if (!c.good) {
            EXPECT_TRUE(events.FailLine().endsWith(c.line));
        }
        EXPECT_EQ(events.Item("02 L")->DataCount(), 0);

        // The other record is stored whole.
        auto& whole = *events.Item("01 L");
        EXPECT_EQ(whole.DataCount(), 1);
        EXPECT_EQ(whole.Events(0), -107);
        whole.Update();
        const char* table = c.kind == 'C' ? "Alarm_Event" : "Trouble_Event";
        EXPECT_EQ(
            db().query(QStringLiteral("Select SeqNo From %1 Where GasNo=3 And Alarm_Type=-107")
                           .arg(table))
                .rowCount(),
            1);
    };
    for (const auto& c : cases) {
        if (c.kind == 'C') {
            clsAlarmEvents events;
            check(events, c);
        } else {
            clsTroubleEvents events;
            check(events, c);
            if (c.good) {
                EXPECT_EQ(events.Item("02 L")->GasListInfo(3, 2).toSingle(), 40000.0f);
            }
        }
    }
}

TEST_F(Events, PowerLines) {
    clsPowerEvent p;
    EXPECT_TRUE(p.SetDataF0(powerLine("01", "251224", "091530", "1111"), true));
    EXPECT_EQ(p.DataCount(), 0);
    p.SetDataF0(powerLine("01", "251224", "091530", "1111"), false);
    p.SetDataF0(powerLine("01", "251224", "101530", "0000"), false);
    p.SetDataF0(powerLine("01", "25x224", "101530", "1111"), false);
    EXPECT_EQ(p.DataCount(), 3);
    EXPECT_TRUE(p.Flags(0));
    EXPECT_FALSE(p.Flags(1));
    EXPECT_EQ(p.Dates(1), *rt::OleDate::fromCivil(2025, 12, 24, 10, 15, 30));
    EXPECT_EQ(p.Dates(2).value(), 0.0);
    EXPECT_TRUE(p.Error());
    EXPECT_EQ(serialLog().count("<<< improper date in SetDataF0() >>> 01FD25x224"), 1);
    for (int i = 3; i < 125; ++i)
        p.SetDataF0(powerLine("01", "251224", "101530", "0000"), false);
    EXPECT_EQ(p.DataCount(), 121);  // elements 0..120 are held; the rest has no room
    EXPECT_EQ(serialLog().count("<<< no room for the event in SetDataF0() >>> "), 4);
}

TEST_F(Events, Collections) {
    clsAlarmEvents c;
    EXPECT_FALSE(c.SetDatas(QString(20, '1'), true));
    EXPECT_EQ(c.Count(), 0);
    EXPECT_TRUE(c.SetDatas("01ZZ" + QString(17, 'x'), true));
    EXPECT_EQ(c.Count(), 1);
    EXPECT_FALSE(c.SetDatas("AB" + QString(20, 'x'), true));
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.FailLine(), "\r\n" + QString(20, '1') + "\r\nAB" + QString(20, 'x'));
    EXPECT_NE(c.Item("01 L"), nullptr);
    EXPECT_EQ(c.Item("02 L"), nullptr);

    ASSERT_TRUE(feed(c, alarmRecord()));
    const clsAlarmEvent& r = *c.Item("01 L");
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "U1");
    EXPECT_EQ(r.GasBaseInfo(4).toText(), "S1");
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "CH4");
    EXPECT_EQ(r.GasListInfo(3, 2).toInteger(), 0);  // 0.5 held as a whole number
    EXPECT_EQ(r.GasListInfo(3, 3).toInteger(), 1);
    EXPECT_EQ(r.GasNo(0), 3);
    EXPECT_EQ(c.MessageString(), "");

    core::DebugMode = true;
    clsAlarmEvents d;
    feed(d, alarmRecord());
    EXPECT_EQ(d.MessageString(), "New Data! Name - Alarm Events");
    d.setMessageString("");
    QStringList second = alarmRecord("101530");
    for (QString& l : second)
        l.replace(0, 2, "02");
    feed(d, second);
    EXPECT_EQ(d.MessageString(), "");  // the same identity is announced once
    d.Clear();
    feed(d, alarmRecord());
    EXPECT_EQ(d.MessageString(), "New Data! Name - Alarm Events");

    clsPowerEvents p;
    feed(p, {powerLine("01", "251224", "091530", "1111")});
    EXPECT_EQ(p.MessageString(), "New Data! Name - Power Events");
}

TEST_F(Events, AlarmStorage) {
    clsAlarmEvents c;
    c.setInstruments(&inst);
    ASSERT_TRUE(feed(c, alarmRecord()));
    c.Item(1)->Update();
    c.Item(1)->Update();
    const platform::ResultSet head = db().query("Select * From Log_Head");
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(head.longValue(0, "SeqNo"), 1);
    EXPECT_EQ(head.text(0, "Names"), "Alarm Events");
    EXPECT_EQ(head.longValue(0, "Types"), 5);
    EXPECT_EQ(head.text(0, "FolderID"), "-----");
    EXPECT_EQ(head.text(0, "UserID"), "U1");
    EXPECT_EQ(head.date(0, "Dates"), inst.SysDate());
    EXPECT_EQ(head.text(0, "Gas1Name"), " ");
    EXPECT_EQ(head.text(0, "Gas4Name"), "CH4");
    EXPECT_EQ(head.doubleValue(0, "Gas4Alarm"), 10.0);
    EXPECT_TRUE(head.boolean(0, "Gas4Enable"));
    EXPECT_EQ(head.longValue(0, "Dcount"), 1);
    const platform::ResultSet rows = db().query("Select * From Alarm_Event");
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_EQ(rows.longValue(0, "SeqNo"), 1);
    EXPECT_EQ(rows.longValue(0, "RelNo"), 1);
    EXPECT_EQ(rows.longValue(0, "GasNo"), 3);
    EXPECT_EQ(rows.text(0, "GasName"), "CH4");
    EXPECT_EQ(rows.longValue(0, "Alarm_Type"), -107);
    EXPECT_EQ(rows.longValue(0, "NowEv"), 1);
    EXPECT_EQ(rows.date(0, "Dates"), *rt::OleDate::fromCivil(2025, 12, 24, 9, 15, 30));

    // Another date adds a row under the same header; the same gas and date with another code
    // counts as stored.
    for (const auto& [time, status, expected] :
         {std::tuple{"101530", "02", 2}, std::tuple{"101530", "07", 2}}) {
        clsAlarmEvents more;
        more.setInstruments(&inst);
        feed(more, alarmRecord(time, status));
        more.Item(1)->Update();
        EXPECT_EQ(db().query("Select * From Alarm_Event").rowCount(), expected);
    }
    EXPECT_EQ(db().query("Select * From Log_Head").rowCount(), 1);
    EXPECT_EQ(db().query("Select Dcount From Log_Head").longValue(0, "Dcount"), 1);
}

// The instrument's stored events numbered beyond a Long cannot take more rows (none of them
// could be shown): the store is refused, saying which stored download to delete. A header of
// its own beside it takes them.
TEST_F(Events, EventsOfAHeaderBeyondALongAreRefusedNamingTheDownloadToDelete) {
    for (const int64_t odd : {4294967296LL, -4294967296LL}) {
        SCOPED_TRACE(odd);
        db().exec("Delete From Log_Head");
        db().exec("Delete From Alarm_Event");
        db().exec(
            "Insert Into Log_Head (SeqNo, Names, UserID, SerialNo, Types) Values "
            "(?, 'Alarm Events', 'U1', 'S1', 5)",
            {odd});
        clsAlarmEvents c;
        c.setInstruments(&inst);
        ASSERT_TRUE(feed(c, alarmRecord()));
        try {
            c.Item(1)->Update();
            FAIL() << "stored";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.description(),
                      QStringLiteral("The stored download \"Alarm Events\" (serial number S1, "
                                     "user U1) is numbered %1, beyond the numbers this program "
                                     "gives: nothing can be added to it. Delete it on the Data "
                                     "page, then download again.")
                          .arg(odd));
        }
        EXPECT_EQ(rows("Alarm_Event"), 0);
        EXPECT_EQ(rows("Log_Head"), 1);

        db().exec(
            "Insert Into Log_Head (SeqNo, Names, UserID, SerialNo, Types) Values "
            "(7, 'Alarm Events', 'U1', 'S1', 5)");
        c.Item(1)->Update();
        EXPECT_EQ(db().query("Select RelNo From Alarm_Event").longValue(0, "RelNo"), 7);
    }
}

TEST_F(Events, TroubleBodyAndEmptyRecords) {
    clsTroubleEvents c;
    c.setInstruments(&inst);
    QStringList lines = alarmRecord("091530", "08", "D5");
    for (QString& l : lines) {
        if (l.mid(2, 1) == "C") l.replace(2, 1, "D");
    }
    ASSERT_TRUE(feed(c, lines));
    c.Item(1)->Update();
    const platform::ResultSet stored = db().query("Select * From Trouble_Event");
    ASSERT_EQ(stored.rowCount(), 1);
    EXPECT_EQ(stored.text(0, "GasName"), "Body");
    EXPECT_EQ(stored.longValue(0, "GasNo"), 4);
    EXPECT_EQ(db().query("Select Names, Types From Log_Head").text(0, "Names"), "Trouble Events");

    clsTroubleEvent empty;
    empty.setInstrument(&inst);
    empty.Update();  // no events: nothing, not even a header
    EXPECT_EQ(rows("Log_Head"), 1);
}

TEST_F(Events, PowerStorage) {
    clsPowerEvents c;
    c.setInstruments(&inst);
    ASSERT_TRUE(feed(c, {powerLine("01", "251224", "091530", "1111")}));
    c.Item(1)->Update();
    // Three events, the first of them stored already, and one date twice.
    clsPowerEvents more;
    more.setInstruments(&inst);
    ASSERT_TRUE(feed(more, {powerLine("01", "251223", "080000", "1111"),
                            powerLine("01", "251224", "091530", "1111"),
                            powerLine("01", "251225", "070000", "0000"),
                            powerLine("01", "251225", "070000", "1111")}));
    more.Item(1)->Update();
    const platform::ResultSet stored = db().query("Select * From Power_Event Order By SeqNo");
    ASSERT_EQ(stored.rowCount(), 3);
    EXPECT_EQ(stored.longValue(1, "SeqNo"), 2);
    EXPECT_EQ(stored.longValue(2, "SeqNo"), 3);
    EXPECT_FALSE(stored.boolean(2, "Power_Type"));
    EXPECT_TRUE(stored.boolean(0, "Power_Type"));
    const platform::ResultSet head = db().query("Select * From Log_Head");
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(head.longValue(0, "Types"), 7);
    EXPECT_EQ(head.text(0, "UserID"), "PU");  // the instrument's identity
    EXPECT_EQ(head.text(0, "Gas2Name"), "CO");
    EXPECT_EQ(head.longValue(0, "Interval"), 30);
}

TEST_F(Events, FaultyRecordStillGetsItsHeader) {
    clsAlarmEvents c;
    c.setInstruments(&inst);
    QStringList lines = alarmRecord();
    lines.last() = dateLine("01", "CD", "251324", "091530");  // month 13
    ASSERT_TRUE(feed(c, lines));
    ASSERT_TRUE(c.Item(1)->Error());
    c.Item(1)->Update();
    const platform::ResultSet head = db().query("Select SeqNo From Log_Head Where Types=5");
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(db().query("Select RelNo From Alarm_Event").longValue(0, "RelNo"),
              head.longValue(0, "SeqNo"));
}

TEST_F(Events, Reload) {
    clsAlarmEvents c;
    c.setInstruments(&inst);
    ASSERT_TRUE(feed(c, alarmRecord()));
    c.Item(1)->Update();
    clsAlarmEvent r;
    r.setSeqNo(1);
    r.ReLoad();
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "Alarm Events");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "-----");
    EXPECT_EQ(r.GasBaseInfo(1).toDate(), inst.SysDate());
    EXPECT_TRUE(r.GasListInfo(3, 13).toBool());
    EXPECT_EQ(r.GasListInfo(0, 0).toText(), " ");
    EXPECT_EQ(r.DataCount(), 0);

    db().exec(
        "Insert Into Log_Head (SeqNo, Types, Gas1Desit, Gas2Desit, Gas2Name) "
        "Values (9, 6, 0.5, 1.5, 'NO2')");
    clsAlarmEvent a;
    clsTroubleEvent t;
    for (EventRecord* e : {static_cast<EventRecord*>(&a), static_cast<EventRecord*>(&t)}) {
        e->setSeqNo(9);
        e->ReLoad();
        EXPECT_EQ(e->GasBaseInfo(5).toText(), "00/00");
        EXPECT_EQ(e->GasBaseInfo(0).toText(), "Name None");
        EXPECT_TRUE(e->GasListInfo(0, 13).toBool());
        EXPECT_EQ(e->GasListInfo(0, 0).toText(), "");
        EXPECT_EQ(e->GasListInfo(1, 0).toText(), "NO2");
        EXPECT_EQ(e->GasListInfo(0, 11).toDate().value(), -101.0);
    }
    EXPECT_EQ(a.GasListInfo(0, 2).toDouble(), 0.0);
    EXPECT_EQ(a.GasListInfo(1, 2).toDouble(), 2.0);
    EXPECT_EQ(t.GasListInfo(0, 2).toDouble(), 0.5);
    clsPowerEvent missing;
    missing.setSeqNo(77);
    missing.ReLoad();
    EXPECT_EQ(missing.GasBaseInfo(2).toText(), "*");
}

TEST_F(Events, TroubleAndPowerDownloadedAgain) {
    const auto troubleLines = [this](const QString& time) {
        QStringList lines = alarmRecord(time, "08", "D4");
        for (QString& l : lines)
            if (l.mid(2, 1) == "C") l.replace(2, 1, "D");
        return lines;
    };
    core::DebugMode = true;
    for (const auto& [time, expectedRows] :
         {std::pair{"091530", 1}, std::pair{"091530", 1}, std::pair{"101530", 2}}) {
        clsTroubleEvents c;
        c.setInstruments(&inst);
        ASSERT_TRUE(feed(c, troubleLines(time)));
        EXPECT_EQ(c.MessageString(), "New Data! Name - Trouble Events");
        c.Item(1)->Update();
        EXPECT_EQ(rows("Trouble_Event"), expectedRows) << time;
        EXPECT_EQ(db().query("Select SeqNo From Log_Head Where Types=6").rowCount(), 1);
    }
    core::DebugMode = false;

    // A power line too short is refused in the check pass and named in FailLine.
    clsPowerEvents p;
    p.setInstruments(&inst);
    const QString shortLine = "01FD251224";
    EXPECT_FALSE(p.SetDatas(shortLine, true));
    EXPECT_EQ(p.FailLine(), "\r\n" + shortLine);

    // A stored power-event header reloads; its events stay in Power_Event for the viewer.
    ASSERT_TRUE(feed(p, {powerLine("01", "251224", "091530", "1111"),
                         powerLine("01", "251224", "180000", "0000")}));
    p.Item(1)->Update();
    const int32_t head =
        db().query("Select SeqNo From Log_Head Where Types=7").longValue(0, "SeqNo");
    clsPowerEvent r;
    r.setSeqNo(head);
    r.ReLoad();
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "Power Events");
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "PU");
    EXPECT_EQ(r.GasBaseInfo(6).toInteger(), 30);
    EXPECT_EQ(r.GasListInfo(1, 0).toText(), "CO");
    EXPECT_EQ(r.DataCount(), 0);
    EXPECT_EQ(db().query("Select * From Power_Event Where RelNo=?", {head}).rowCount(), 2);
}
