#include <gtest/gtest.h>

#include "core/ClsInstrument.h"
#include "records/ClsHistorys.h"
#include "records/EventCollections.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"

using records::clsHistory;
using records::clsHistorys;

namespace {

// A history line: date yymmdd hhnnss, readings before and after (5 characters each), the
// calibration gas.
QString line(const QString& date, const QString& time, const QString& before, const QString& after,
             const QString& gas = "CH4 50%") {
    return "01" + date + time + testsupport::lines::right(before, 5) +
           testsupport::lines::right(after, 5) + testsupport::lines::pad(gas, 10);
}

class History : public testsupport::RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        inst.setUserID("U'1");
        inst.setSerialNo("S1");
        inst.setRomNumber(9);
        inst.setIntervals(60);
        inst.setCalLimit(90);
        for (int g = 0; g < 5; ++g) {
            inst.setGasName(g, g == 0 ? "" : QString("G%1").arg(g));
            inst.setGasUnit(g, "ppm");
            inst.setAutoCalib(g, 50);
        }
        inst.setGasEnabled(3, true);
        c.setInstruments(&inst);
    }
    // Both passes, as the link feeds a block.
    bool feed(int16_t gas, const QStringList& lines) {
        bool all = true;
        for (const QString& l : lines)
            all = c.SetDatas(gas, l, true) && all;
        if (!all) return false;
        for (const QString& l : lines)
            c.SetDatas(gas, l, false);
        return true;
    }

    core::clsInstrument inst;
    clsHistorys c;
};

}  // namespace

TEST_F(History, RecordModel) {
    clsHistory r;
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "*");
    EXPECT_TRUE(r.GasBaseInfo(3).isEmpty());
    EXPECT_TRUE(r.GasListInfo(0, 7).isNull());
    EXPECT_EQ(r.DataCount(), 0);
    EXPECT_EQ(r.Before(3, 0), -101.0f);
    EXPECT_THROW(r.Before(5, 0), rt::RuntimeError);
    EXPECT_THROW(r.setDates(301, rt::OleDate()), rt::RuntimeError);
    EXPECT_THROW(r.GasListInfo(5, 0), rt::RuntimeError);

    const rt::OleDate a(45000.5), b(45001.5);
    r.AddHistory(3, a, 1, 2, "X", 1);
    r.AddHistory(3, b, 3, 4, "Y", 1);
    r.AddHistory(3, a, 5, 6, "Z", 2);
    EXPECT_EQ(r.DCount(), 2);
    EXPECT_EQ(r.Before(3, 0), 5.0f);
    EXPECT_EQ(r.GasName(3, 0), "Z");
    EXPECT_EQ(r.Points(3, 0), 2);
    for (int i = 0; i < 400; ++i)
        r.AddHistory(3, rt::OleDate(46000 + i), 0, 0, "", 0);
    EXPECT_EQ(r.DCount(), 299);
    r.AddHistory(3, a, 9, 9, "late", 0);  // dropped, also for a date it holds
    EXPECT_EQ(r.Before(3, 0), 5.0f);
}

TEST_F(History, LinesOfTheCollection) {
    EXPECT_FALSE(c.SetDatas(3, line("240101", "120000", "0.0", "50.0").left(20), true));
    EXPECT_EQ(c.Count(), 0);
    EXPECT_TRUE(c.SetDatas(3, line("240101", "120000", "0.0", "50.0").left(21), true));
    EXPECT_EQ(c.Count(), 1);
    EXPECT_NE(c.Item("01 L"), nullptr);
    EXPECT_EQ(c.Item("02 L"), nullptr);
    EXPECT_EQ(c.Item(1)->Instrument(), &inst);

    ASSERT_TRUE(feed(
        3, {line("240101", "120000", "OVER", "50.12"), line("240102", "080000", "1.5", "49")}));
    const clsHistory& r = *c.Item(1);
    EXPECT_EQ(r.DCount(), 2);
    EXPECT_EQ(r.Before(3, 0), -107.0f);
    EXPECT_EQ(r.After(3, 0), 50.12f);
    EXPECT_EQ(r.Points(3, 0), 2);  // from the after text when the before text is a word
    EXPECT_EQ(r.Points(3, 1), 1);
    EXPECT_EQ(r.GasName(3, 0), "CH4 50%");
    EXPECT_EQ(r.Dates(1), *rt::OleDate::fromCivil(2024, 1, 2, 8, 0, 0));
    EXPECT_FALSE(r.Error());
    EXPECT_EQ(r.Before(2, 0), -101.0f);  // other gases keep their cleared values
}

TEST_F(History, ImproperDatesAndTimes) {
    // A line without a valid date is not stored; a valid date with an invalid time is stored
    // at midnight of that date. Both mark the record and go to the serial log.
    const struct {
        QString date, time;
        bool stored;
    } cases[] = {{"24x101", "120000", false},
                 {"240230", "120000", false},
                 {"241301", "120000", false},
                 {"240101", "250000", true},
                 {"240101", "126000", true}};
    for (const auto& c : cases) {
        const QString l = line(c.date, c.time, "1", "2");
        clsHistorys one;
        one.setInstruments(&inst);
        EXPECT_TRUE(one.SetDatas(3, l, true));
        EXPECT_TRUE(one.Item(1)->Error()) << l.toStdString();
        EXPECT_TRUE(one.SetDatas(3, l, false));
        ASSERT_EQ(one.Item(1)->DCount(), c.stored ? 1 : 0) << l.toStdString();
        if (c.stored) {
            EXPECT_EQ(one.Item(1)->Dates(0), rt::OleDate::DateSerial(2024, 1, 1));
        }
    }
    EXPECT_EQ(serialLog().count("<<< improper date in clsHistory.SetDatas() >>> 01"), 5);
}

TEST_F(History, StoreAddsOnlyNewDates) {
    ASSERT_TRUE(feed(
        3, {line("240101", "120000", "0.0", "50.0"), line("240201", "120000", "0.1", "49.9")}));
    c.Item(1)->HistoryUpdate();
    const platform::ResultSet head = db().query("Select * From Log_Head");
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(head.longValue(0, "Types"), 3);
    EXPECT_EQ(head.text(0, "Names"), "Calibration Histories");
    EXPECT_EQ(head.text(0, "FolderID"), "-----");
    EXPECT_EQ(head.longValue(0, "Dcount"), 0);
    EXPECT_EQ(head.text(0, "UserID"), "U'1");
    EXPECT_EQ(head.text(0, "Gas1Name"), " ");
    EXPECT_EQ(head.longValue(0, "Interval"), 60);
    const platform::ResultSet stored = db().query("Select * From cHistory Order By SeqNo");
    ASSERT_EQ(stored.rowCount(), 2);
    EXPECT_EQ(stored.longValue(1, "SeqNo"), 2);
    EXPECT_EQ(stored.longValue(0, "RelNo"), 1);
    EXPECT_EQ(stored.text(0, "Gas1Name"), "");
    EXPECT_EQ(stored.doubleValue(0, "Gas1Before"), -101.0);
    EXPECT_EQ(stored.text(0, "Gas1GasName"), "");
    EXPECT_EQ(stored.doubleValue(0, "Gas4After"), 50.0);
    EXPECT_EQ(stored.text(0, "Gas4GasName"), "CH4 50%");
    EXPECT_EQ(stored.longValue(0, "Gas4AutoCal"), 50);
    EXPECT_TRUE(stored.boolean(0, "Gas4Enable"));
    EXPECT_EQ(stored.longValue(0, "CalLimit"), 90);
    EXPECT_TRUE(stored.isNull(0, "Gas5Before"));

    // A second download: the same dates and two new ones.
    c.Clear();
    ASSERT_TRUE(feed(
        3, {line("240101", "120000", "0.0", "50.0"), line("240201", "120000", "0.1", "49.9"),
            line("240301", "120000", "0.2", "49.8"), line("240401", "120000", "0.3", "49.7")}));
    c.Item(1)->HistoryUpdate();
    EXPECT_EQ(rows("Log_Head"), 1);
    const platform::ResultSet all = db().query("Select SeqNo, RelNo From cHistory Order By SeqNo");
    ASSERT_EQ(all.rowCount(), 4);
    EXPECT_EQ(all.longValue(3, "SeqNo"), 4);
    EXPECT_EQ(all.longValue(3, "RelNo"), 1);

    // The reload gives all four, newest first.
    clsHistory r;
    r.setSeqNo(1);
    r.ReLoad();
    EXPECT_EQ(r.DataCount(), 4);
    EXPECT_EQ(r.Dates(0), *rt::OleDate::fromCivil(2024, 4, 1, 12, 0, 0));
    EXPECT_EQ(r.After(3, 0), 49.7f);
    EXPECT_EQ(r.Points(3, 0), 1);
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "U'1");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "-----");
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "G3");
    EXPECT_EQ(r.GasListInfo(3, 14).toText(), "ppm");
    EXPECT_EQ(r.GasListInfo(4, 0).toText(), "");  // the fifth gas is not read back
}

TEST_F(History, SeveralGasesShareTheRowOfTheirMoment) {
    ASSERT_TRUE(feed(0, {line("240101", "120000", "1.0", "2.0", "CO 10"),
                         line("240201", "120000", "1.5", "2.5", "CO 10")}));
    ASSERT_TRUE(feed(2, {line("240101", "120000", "0.25", "0.50", "H2S 5")}));
    ASSERT_TRUE(feed(3, {line("240101", "120000", "0.0", "50.0")}));
    clsHistory& r = *c.Item(1);
    ASSERT_EQ(r.DCount(), 2);  // two moments
    EXPECT_EQ(r.Before(0, 0), 1.0f);
    EXPECT_EQ(r.After(2, 0), 0.5f);
    EXPECT_EQ(r.Points(2, 0), 2);
    EXPECT_EQ(r.GasName(3, 0), "CH4 50%");
    EXPECT_EQ(r.Before(2, 1), -101.0f);  // gas 3 was not calibrated at the second moment

    r.HistoryUpdate();
    const platform::ResultSet stored = db().query("Select * From cHistory Order By Dates");
    ASSERT_EQ(stored.rowCount(), 2);
    EXPECT_EQ(stored.doubleValue(0, "Gas1Before"), 1.0);
    EXPECT_EQ(stored.doubleValue(0, "Gas1After"), 2.0);
    EXPECT_EQ(stored.text(0, "Gas1GasName"), "CO 10");
    EXPECT_EQ(stored.doubleValue(0, "Gas3Before"), 0.25);
    EXPECT_EQ(stored.longValue(0, "Gas3Point"), 2);
    EXPECT_EQ(stored.doubleValue(0, "Gas4After"), 50.0);
    EXPECT_EQ(stored.doubleValue(1, "Gas1Before"), 1.5);
    EXPECT_EQ(stored.doubleValue(1, "Gas3Before"), -101.0);

    // The reload gives back every gas of both moments, the newest first.
    clsHistory back;
    back.setSeqNo(stored.longValue(0, "RelNo"));
    back.ReLoad();
    ASSERT_EQ(back.DataCount(), 2);
    EXPECT_EQ(back.After(0, 0), 2.5f);
    EXPECT_EQ(back.Before(2, 1), 0.25f);
    EXPECT_EQ(back.GasName(0, 1), "CO 10");
}

TEST_F(History, HeaderOnlyAndNoHeader) {
    c.SetDatas(3, line("240101", "120000", "0", "1"), true);  // record made, nothing stored
    c.Item(1)->HistoryUpdate();
    EXPECT_EQ(rows("Log_Head"), 1);
    EXPECT_EQ(rows("cHistory"), 0);
    clsHistory r;
    r.setSeqNo(1);
    r.ReLoad();
    EXPECT_EQ(r.DataCount(), 0);
    EXPECT_EQ(r.GasListInfo(1, 0).toText(), "G1");
    // Rows are read by RelNo even without a header.
    db().exec("Insert Into cHistory (SeqNo, RelNo, Dates) Values (7, 42, ?)", {rt::OleDate(45000)});
    clsHistory orphan;
    orphan.setSeqNo(42);
    orphan.ReLoad();
    EXPECT_EQ(orphan.DataCount(), 1);
    EXPECT_EQ(orphan.Before(0, 0), -101.0f);
    EXPECT_EQ(orphan.GasBaseInfo(2).toText(), "*");
}

TEST_F(History, ReloadKeepsTheNewest301) {
    for (int i = 0; i < 320; ++i)
        db().exec("Insert Into cHistory (SeqNo, RelNo, Dates, Gas1Before) Values (?, 5, ?, ?)",
                  {int32_t(i + 1), rt::OleDate(40000 + i), float(i)});
    clsHistory r;
    r.setSeqNo(5);
    r.ReLoad();
    EXPECT_EQ(r.DataCount(), 301);
    EXPECT_EQ(r.Before(0, 0), 319.0f);
    EXPECT_EQ(r.Before(0, 300), 19.0f);
}

TEST_F(History, InstrumentLatestCalibration) {
    inst.setCalibBefore(3, 0.5f);
    inst.setCalibAfter(3, 50.0f);
    inst.setCalibDate(3, *rt::OleDate::fromCivil(2024, 5, 31, 9, 6, 32));
    inst.HistoryUpdate();
    inst.HistoryUpdate();
    const platform::ResultSet one = db().query("Select * From cLatestHist");
    ASSERT_EQ(one.rowCount(), 1);
    EXPECT_EQ(one.longValue(0, "SeqNo"), 1);
    EXPECT_EQ(one.text(0, "UserID"), "U'1");
    EXPECT_EQ(one.doubleValue(0, "Gas4After"), 50.0);
    EXPECT_EQ(one.date(0, "Gas4CalDate"), *rt::OleDate::fromCivil(2024, 5, 31, 9, 6, 32));
    EXPECT_EQ(one.date(0, "Gas1CalDate").value(), -101.0);
    EXPECT_TRUE(one.isNull(0, "Gas5Name"));

    core::clsInstrument other;
    other.setUserID("");
    other.HistoryUpdate();  // another pair keeps the first one's row
    inst.HistoryUpdate();
    const platform::ResultSet both =
        db().query("Select SeqNo, UserID From cLatestHist Order By SeqNo");
    ASSERT_EQ(both.rowCount(), 2);
    EXPECT_EQ(both.longValue(0, "SeqNo"), 2);
    EXPECT_EQ(both.text(0, "UserID"), "*");
    EXPECT_EQ(both.longValue(1, "SeqNo"), 3);

    // A failed insert keeps the row it was to replace.
    db().exec(
        "Create Trigger refuse Before Insert On cLatestHist Begin "
        "Select Raise(Abort, 'refused'); End");
    EXPECT_THROW(inst.HistoryUpdate(), rt::RuntimeError);
    EXPECT_EQ(rows("cLatestHist"), 2);
}

TEST_F(History, EmptyTextsOfEveryWriterAreStoredAsEmptyTexts) {
    // An instrument whose gases have neither names nor units; gas 1 was not calibrated, and the
    // alarm event of gas 1 finds no gas name in its record.
    core::clsInstrument bare;
    bare.setSerialNo("S9");
    c.setInstruments(&bare);
    ASSERT_TRUE(feed(3, {line("240101", "120000", "0.0", "50.0")}));
    c.Item(1)->HistoryUpdate();
    bare.HistoryUpdate();
    records::clsAlarmEvents events;
    events.setInstruments(&bare);
    ASSERT_TRUE(testsupport::FeedBlock(events, {testsupport::lines::pad("01C10510", 25),
                                                testsupport::lines::pad("01CD251224091530", 24)}));
    events.Item(1)->Update();

    const struct {
        const char* table;
        const char* column;
    } cases[] = {{"cLatestHist", "Gas2Name"}, {"cLatestHist", "Gas2Unit"},
                 {"cLatestHist", "Gas4Name"}, {"cHistory", "Gas1Name"},
                 {"cHistory", "Gas1GasName"}, {"cHistory", "Gas2Unit"},
                 {"Log_Head", "Gas2Unit"},    {"Alarm_Event", "GasName"}};
    for (const auto& w : cases)
        EXPECT_EQ(
            db().query(QStringLiteral("Select SeqNo From %1 Where %2 = ''").arg(w.table, w.column))
                .rowCount(),
            1)
            << w.table << "." << w.column;

    // Reloaded, the empty unit stays empty instead of becoming a blank.
    core::clsInstrument back;
    back.LoadDatabase(1);
    EXPECT_EQ(back.GasUnit(1), QString(""));
}

TEST_F(History, LoadDatabaseWithNullColumns) {
    db().exec(
        "Insert Into Log_Head (SeqNo, UserID, Interval, Gas1Name, Gas1Full, Gas1Enable) "
        "Values (1, ' U2 ', ' 30', 'CO', 500, 0)");
    core::clsInstrument i;
    i.setAlarm(2, 35);
    i.setChange(core::GasFlag::Change_Alarm, 2, false);
    i.LoadDatabase(1);
    EXPECT_EQ(i.UserID(), "U2");
    EXPECT_EQ(i.SerialNo(), "*");
    EXPECT_EQ(i.Intervals(), 30);
    EXPECT_EQ(i.GasName(0), "CO");
    EXPECT_EQ(i.GasFullScale(0), 500.0f);
    EXPECT_FALSE(i.GasEnabled(0));
    EXPECT_EQ(i.GasName(2), "*");
    EXPECT_EQ(i.GasUnit(2), " ");
    EXPECT_TRUE(i.GasEnabled(2));
    EXPECT_EQ(i.LogMax(2), -101.0f);
    EXPECT_EQ(i.LogMaxDate(2).value(), -101.0);
    EXPECT_EQ(i.Alarm(2), 35.0f);
    EXPECT_FALSE(i.Change(core::InstrumentFlag::Change_UserID));
    EXPECT_FALSE(i.Change(core::InstrumentFlag::Change_Interval));
    i.LoadDatabase(99);  // no such row: nothing changes
    EXPECT_EQ(i.UserID(), "U2");
}
