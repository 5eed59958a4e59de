#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/GasCommon.h"
#include "core/Schema.h"
#include "platform/Database.h"
#include "trendview/ExportText.h"

using trendview::ExportBrowseData;
using trendview::ExportSource;

namespace {

rt::OleDate at(int y, int mo, int d, int h, int mi, int s) {
    return *rt::OleDate::fromCivil(y, mo, d, h, mi, s);
}

// Joins lines with CR LF, the last one too.
QString lines(const QStringList& text) {
    return text.join("\r\n") + "\r\n";
}

// CH4 with one decimal place and a full scale of 100 as gas 3; TMP, one decimal place, kept
// between 5 and 50, as gas 4.
template <class Record>
void gases(Record& r) {
    r.setGasListInfo(3, 0, "CH4");
    r.setGasListInfo(3, 1, 100);
    r.setGasListInfo(3, 3, 1);
    r.setGasListInfo(3, 14, "%LEL");
    r.setGasListInfo(4, 0, "TMP");
    r.setGasListInfo(4, 1, 100);
    r.setGasListInfo(4, 3, 1);
    r.setGasListInfo(4, 8, 50);
    r.setGasListInfo(4, 9, 5);
    r.setGasListInfo(4, 14, "C");
    r.setGasBaseInfo(2, "USER01");
    r.setGasBaseInfo(4, "SN1");
}

// Four samples a minute apart and three events: one at the second sample's moment (ALARM of
// gas 3), one between samples (MODE of gas 3, WARNING of gas 4), one at the last sample's
// moment of gas 4 only.
void intervalTrend(records::clsInterval& r) {
    gases(r);
    r.setGasBaseInfo(0, "iv31100000_SN1");
    r.setGasBaseInfo(1, at(2024, 5, 31, 10, 0, 0));
    r.setGasBaseInfo(6, 60);
    r.setGasListInfo(3, 10, 125);  // average 12.5
    r.setGasListInfo(3, 8, 250);   // maximum 25.0
    const float samples[4][2] = {{1.5f, 20}, {150, 60}, {-104, 2}, {3.25f, -101}};
    r.setDataCount(4);
    for (int i = 0; i < 4; ++i) {
        r.setDateTimes(i, at(2024, 5, 31, 10, i, 0));
        r.setGasValue(3, i, samples[i][0]);
        r.setGasValue(4, i, samples[i][1]);
    }
    const struct {
        rt::OleDate date;
        float gas3, gas4;
    } events[] = {{at(2024, 5, 31, 10, 1, 0), -104, -101},
                  {at(2024, 5, 31, 10, 2, 30), -117, -103},
                  {at(2024, 5, 31, 10, 3, 0), -101, -104}};
    r.setEventCount(3);
    for (int j = 0; j < 3; ++j) {
        r.setEventDateTimes(j, events[j].date);
        r.setGasEvent(3, j, events[j].gas3);
        r.setGasEvent(4, j, events[j].gas4);
    }
}

// A text sink that keeps every write.
struct Writes : trendview::LineSink {
    QStringList texts;
    void write(const QString& text) override { texts << text; }
};

}  // namespace

TEST(ExportText, IntervalTrendCommaAndTab) {
    records::clsInterval r;
    intervalTrend(r);
    const QString caption3 = core::GasCaption(&r, 3, true);
    ASSERT_EQ(caption3, "CH4(100.0%LEL)");
    const QString expected = lines({
        "QM-73 Data Sample (Interval Trend)", "Property,Value", "Name,iv31100000_SN1",
        "Start Date/Time,2024/05/31 10:00:00", "Serial No.,SN1", "User ID,USER01", "Data Count,7",
        "Interval Time (sec),60", "Gas(FullScale),Avg,Max", "CH4(100.0%LEL),12.5,25.0", "",
        "No,Date/Time,CH4(100.0%LEL)", "1,2024/05/31 10:00:00,1.5",
        "2,2024/05/31 10:01:00,ALAR(OVER)",  // the event takes its sample's reading
        "3,2024/05/31 10:02:00,ALARM",       // a reading code as its word
        "4,2024/05/31 10:02:30,MODE",        // no sample at that moment: the whole word
        "5,2024/05/31 10:03:00,3.3",         // another gas's event: the sample's reading
    });
    ExportSource s;
    s.type = 1;
    s.interval = &r;
    EXPECT_EQ(ExportBrowseData(s, ",", nullptr), expected);
    QString tab = expected;
    tab.replace(',', '\t');
    EXPECT_EQ(ExportBrowseData(s, "\t", nullptr), tab);
    // Into a file: the header block in one write, then a write per line; nothing returned.
    Writes file;
    EXPECT_EQ(ExportBrowseData(s, ",", &file), "");
    ASSERT_EQ(file.texts.size(), 6);
    EXPECT_EQ(file.texts.join(""), expected);
    EXPECT_TRUE(file.texts[0].endsWith("No,Date/Time,CH4(100.0%LEL)\r\n"));
}

TEST(ExportText, IntervalTrendDebugColumnOfTheFifthGas) {
    records::clsInterval r;
    intervalTrend(r);
    const QString caption4 = core::GasCaption(&r, 4, true);
    ExportSource s;
    s.type = 1;
    s.interval = &r;
    s.debug = true;
    const QStringList got = ExportBrowseData(s, ",", nullptr).split("\r\n");
    ASSERT_GE(got.size(), 17);
    EXPECT_EQ(got[11], "No,Date/Time,CH4(100.0%LEL)," + caption4);
    EXPECT_EQ(got[12], "1,2024/05/31 10:00:00,1.5,20.0");
    EXPECT_EQ(got[13], "2,2024/05/31 10:01:00,ALAR(OVER),OVER");  // 60 above the maximum 50
    EXPECT_EQ(got[14], "3,2024/05/31 10:02:00,ALARM,U_OVER");     // 2 below the minimum 5
    EXPECT_EQ(got[15], "4,2024/05/31 10:02:30,MODE,WARNING");
    EXPECT_EQ(got[16], "5,2024/05/31 10:03:00,3.3,ALAR(-----)");
}

TEST(ExportText, IntervalTrendWithoutAValidFirstDateHasNoDataLines) {
    records::clsInterval r;
    gases(r);
    r.setDataCount(1);
    r.setDateTimes(0, at(1997, 5, 1, 0, 0, 0));
    ExportSource s;
    s.type = 1;
    s.interval = &r;
    const QStringList got = ExportBrowseData(s, ",", nullptr).split("\r\n");
    ASSERT_EQ(got.size(), 13);  // twelve lines and the empty rest after the last CR LF
    EXPECT_EQ(got[11], "No,Date/Time,CH4(100.0%LEL)");
    EXPECT_EQ(got[12], "");
}

TEST(ExportText, AlarmTrend) {
    records::clsAlarm r;
    gases(r);
    r.setGasBaseInfo(0, "al15143000_SN1");
    r.setGasBaseInfo(1, at(2024, 3, 15, 14, 30, 0));
    r.setGasBaseInfo(6, 10);
    r.setDataCount(3);
    const float values[3] = {1.0f, -5.0f, -103.0f};
    for (int i = 0; i < 3; ++i) {
        r.setDateTimes(i, at(2024, 3, 15, 14, 29, 40).addSeconds(i * 10));
        r.setValue(3, i, values[i]);
        r.setValue(4, i, 60);
    }
    ExportSource s;
    s.type = 2;
    s.alarm = &r;
    EXPECT_EQ(ExportBrowseData(s, ",", nullptr), lines({
                                                     "QM-73 Data Sample (Alarm Trend)",
                                                     "Property,Value",
                                                     "Name,al15143000_SN1",
                                                     "Alarm Date/Time,2024/03/15 14:30:00",
                                                     "Serial No.,SN1",
                                                     "User ID,USER01",
                                                     "Data Count,3",
                                                     "Interval Time (sec),10",
                                                     "",
                                                     "No,Date/Time,CH4(100.0%LEL)",
                                                     "1,2024/03/15 14:29:40,1.0",
                                                     "2,2024/03/15 14:29:50,OVER",
                                                     "3,2024/03/15 14:30:00,WARNING",
                                                 }));
    s.debug = true;
    const QStringList debug = ExportBrowseData(s, ",", nullptr).split("\r\n");
    EXPECT_EQ(debug[10], "1,2024/03/15 14:29:40,1.0,OVER");
}

TEST(ExportText, LogsReadFromTheDatabaseNewestFirst) {
    QTemporaryDir dir;
    const QString path = dir.filePath("QM73.mdb");
    core::CreateDatabase(path);
    {
        const platform::Database db = platform::Database::open(path);
        const auto head = [&](int seqNo, int types) {
            db.exec(
                "Insert Into Log_Head(SeqNo, Types, SerialNo, UserID, Dates) Values (?, ?, "
                "'SN1', 'USER01', ?)",
                {seqNo, types, at(2026, 12, 10, 9, 0, 0)});
        };
        head(40005, 5);  // beyond 16 bits
        head(6, 6);
        head(7, 7);
        head(8, 8);
        head(9, 5);  // an alarm-event log without events
        db.exec(
            "Insert Into Alarm_Event(RelNo, GasName, Alarm_Type, Dates) Values "
            "(40005, 'CH4', -104, ?), (40005, 'H2S', -103, ?)",
            {at(2025, 12, 24, 9, 15, 30), at(2025, 12, 25, 10, 10, 10)});
        db.exec(
            "Insert Into Trouble_Event(RelNo, GasName, Alarm_Type, Dates) Values "
            "(6, 'BODY', -111, ?)",
            {at(2025, 12, 24, 7, 0, 0)});
        db.exec("Insert Into Power_Event(RelNo, Dates, Power_Type) Values (7, ?, 1), (7, ?, 0)",
                {at(2025, 12, 24, 6, 0, 0), at(2025, 12, 24, 18, 0, 0)});
        db.exec(
            "Insert Into SensorHistory(RelNo, Dates, SensorNo, GasName, FullScale) Values "
            "(8, ?, 'S-100', 'CH4', 100)",
            {at(2025, 1, 2, 3, 4, 5)});
    }
    const auto exported = [&](int type, int seqNo) {
        ExportSource s;
        s.type = type;
        s.seqNo = seqNo;
        s.database = path;
        return ExportBrowseData(s, ",", nullptr);
    };
    const QStringList header = {"Serial No.,SN1", "User ID,USER01",
                                "Last Download,2026/12/10 09:00:00", ""};
    EXPECT_EQ(exported(5, 40005),
              lines(QStringList{"QM-73 Data Sample (Alarm Events)"} + header +
                    QStringList{"No,Date/Time,Gas,Event", "1,2025/12/25 10:10:10,H2S,WARNING",
                                "2,2025/12/24 09:15:30,CH4,ALARM"}));
    EXPECT_EQ(exported(6, 6), lines(QStringList{"QM-73 Data Sample (Trouble Events)"} + header +
                                    QStringList{"No,Date/Time,Gas/Body,Event",
                                                "1,2025/12/24 07:00:00,BODY,FAIL(BATT.)"}));
    EXPECT_EQ(exported(7, 7), lines(QStringList{"QM-73 Data Sample (Power Events)"} + header +
                                    QStringList{"No,Date/Time,Power", "1,2025/12/24 18:00:00,OFF",
                                                "2,2025/12/24 06:00:00,ON"}));
    EXPECT_EQ(exported(8, 8), lines(QStringList{"QM-73 Data Sample (Sensor History)"} + header +
                                    QStringList{"No,Date/Time,SensorNO,Gas,FullScale",
                                                "1,2025/01/02 03:04:05,S-100,CH4,100"}));
    EXPECT_EQ(exported(5, 9), lines(QStringList{"QM-73 Data Sample (Alarm Events)"} + header +
                                    QStringList{"No,Date/Time,Gas,Event"}));
    // A download whose header row is gone cannot be exported.
    EXPECT_THROW(exported(5, 12345), std::exception);
    platform::Database::close(path);
}
