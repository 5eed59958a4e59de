#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <limits>

#include "core/ClsInstrument.h"
#include "core/TrendFile.h"
#include "records/ClsIntervals.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"

using records::clsInterval;
using records::clsIntervals;
namespace L = testsupport::lines;

namespace {

class IntervalStore : public testsupport::RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        inst.setRomNumber(1234);
        inst.setHighTemp(45);
        inst.setLowTemp(-5);
        for (int g = 0; g < 5; ++g) {
            inst.setGasUnit(g, g == 3 ? "%LEL" : "");
            inst.setAlarm(g, 10.0f * (g + 1));
        }
        inst.setGasEnabled(3, true);
    }

    // Decodes one download of the given lines through a collection (both passes per block).
    clsInterval& download(clsIntervals& c, const QStringList& block) {
        c.setInstruments(&inst);
        c.SaveRoutingState();
        bool all = true;
        for (const QString& line : block)
            all = c.SetDatas(line, true) && all;
        c.RestoreRoutingState();
        EXPECT_TRUE(all);
        for (const QString& line : block)
            c.SetDatas(line, false);
        return *c.Item(1);
    }
    QStringList recording(const QString& time, const QString& station = "ST1",
                          const QString& user = "U1", const QString& fullScale = "100") {
        return {L::AA("01", user, station),
                L::AB("01", "S1"),
                L::AD("01", "240531", time, "0060"),
                L::summary("01", "AE", "20.9", "21.5", "240531", "131000"),
                L::AC("01", "CH4", fullScale, "0.1", "TMP", "20", "0.1"),
                L::data("01", "A4", "00", "0000"),
                L::words({"0001", "0002", "0003"}),
                L::data("01", "A4", "02", "0000"),
                L::data("01", "A6", "00", "0000"),
                L::words({"0001", "0001", "0000"})};
    }

    core::clsInstrument inst;
};

}  // namespace

TEST_F(IntervalStore, OverflowingFieldsRaiseNothingAndLeaveTheOtherRecordsWhole) {
    // Record kk of one block: a header with its interval, three samples and an event of gas 4
    // at its offset after them.
    const auto record = [](const QString& kk, const QString& time, const QString& interval,
                           const QString& offset) {
        return QStringList{L::AB(kk, "S" + kk),
                           L::AD(kk, "240531", time, interval),
                           L::AC(kk, "CH4", "100", "0.1", "TMP", "20", "0.1"),
                           L::data(kk, "A4", "00", "0000"),
                           L::words({"0001", "0002", "0003"}),
                           L::data(kk, "A4", "02", offset)};
    };
    const struct {
        QString interval, offset;
        bool error;
    } cases[] = {{"9e99", "0030", true}, {"1e10", "0030", true}, {"0060", "9e99", false}};
    int recording = 0;
    for (const auto& k : cases) {
        const QString time = QString("1305%1").arg(++recording, 2, 10, QChar('0'));
        clsIntervals c;
        c.setInstruments(&inst);
        bool accepted = false;
        EXPECT_NO_THROW(accepted =
                            testsupport::FeedBlock(c, record("01", time, k.interval, k.offset) +
                                                          record("02", time, "0060", "0030")));
        EXPECT_TRUE(accepted);
        const clsInterval& first = *c.Item("01 L");
        EXPECT_EQ(first.Error(), k.error) << recording;
        if (!k.error) {
            // An offset too large for its field counts as none: the event lies at the sample.
            ASSERT_EQ(first.EventCount(), 2);
            EXPECT_EQ(first.EventDateTimes(1), first.GasBaseInfo(1).toDate().addSeconds(180));
        }

        // The other record of the block is stored whole.
        clsInterval& other = *c.Item("02 L");
        other.Update();
        ASSERT_FALSE(other.Error());
        const platform::ResultSet head = db().query(
            "Select SeqNo, Dcount From Log_Head Where Names=?", {other.GasBaseInfo(0).toText()});
        ASSERT_EQ(head.rowCount(), 1) << recording;
        EXPECT_EQ(db().query("Select SeqNo From Interval_Event Where RelNo=?",
                             {head.longValue(0, "SeqNo")})
                      .rowCount(),
                  2);
        EXPECT_EQ((QFileInfo(other.TrendFilePath()).size() + 29) / 30, 3);
    }
    EXPECT_EQ(serialLog().count("<<< improper date in SetDataAD() >>> "), 2);
}

TEST_F(IntervalStore, FirstRecordingInAnEmptyDatabase) {
    clsIntervals c;
    clsInterval& r = download(c, recording("130509"));
    r.Update();
    const platform::Database d = db();
    const platform::ResultSet head = d.query("Select * From Log_Head Order By SeqNo");
    ASSERT_EQ(head.rowCount(), 2);
    EXPECT_EQ(head.longValue(0, "SeqNo"), 1);
    EXPECT_EQ(head.longValue(0, "Types"), 1);
    EXPECT_EQ(head.text(0, "Names"), "iv31130509_S1");
    EXPECT_EQ(head.date(0, "Dates"), *rt::OleDate::fromCivil(2024, 5, 31, 13, 5, 9));
    EXPECT_EQ(head.text(0, "UserID"), "U1");
    EXPECT_EQ(head.text(0, "StationID"), "ST1");
    EXPECT_EQ(head.text(0, "SerialNo"), "S1");
    EXPECT_EQ(head.longValue(0, "RomNum"), 1234);
    EXPECT_EQ(head.longValue(0, "Interval"), 60);
    EXPECT_EQ(head.longValue(0, "Sampling"), 1);
    EXPECT_EQ(head.text(0, "FolderID"), "05/24");
    EXPECT_EQ(head.longValue(0, "Dcount"), 2);  // channel 5 samples (none) + two event rows
    EXPECT_EQ(head.doubleValue(0, "Gas1Avr"), 20.9);
    EXPECT_EQ(head.doubleValue(0, "Gas1Max"), 21.5);
    EXPECT_EQ(head.text(0, "Gas1Name"), " ");
    EXPECT_EQ(head.text(0, "Gas1Unit"), " ");
    EXPECT_EQ(head.text(0, "Gas4Name"), "CH4");
    EXPECT_EQ(head.doubleValue(0, "Gas4Full"), 100.0);
    EXPECT_EQ(head.doubleValue(0, "Gas4Desit"), 0.1);
    EXPECT_EQ(head.longValue(0, "Gas4Point"), 1);
    EXPECT_TRUE(head.boolean(0, "Gas4Enable"));
    EXPECT_EQ(head.text(0, "Gas4Unit"), "%LEL");
    EXPECT_EQ(head.doubleValue(0, "Gas4Alarm"), 40.0);
    EXPECT_EQ(head.doubleValue(0, "Gas5Max"), 45.0);  // the instrument's temperatures
    EXPECT_EQ(head.doubleValue(0, "Gas5Min"), -5.0);
    EXPECT_EQ(head.date(0, "Gas1MaxDate"), *rt::OleDate::fromCivil(2024, 5, 31, 13, 10, 0));

    EXPECT_EQ(head.longValue(1, "SeqNo"), 2);
    EXPECT_EQ(head.longValue(1, "Types"), 8);
    EXPECT_EQ(head.text(1, "Names"), "Sensor Histories");
    EXPECT_EQ(head.text(1, "FolderID"), "-----");
    EXPECT_TRUE(head.isNull(1, "Gas5Name"));
    EXPECT_TRUE(head.isNull(1, "Dcount"));

    const platform::ResultSet events = d.query("Select * From Interval_Event Order By SeqNo");
    ASSERT_EQ(events.rowCount(), 2);
    EXPECT_EQ(events.longValue(1, "SeqNo"), 2);
    EXPECT_EQ(events.longValue(1, "RelNo"), 1);
    EXPECT_EQ(events.date(1, "Datetimes"), *rt::OleDate::fromCivil(2024, 5, 31, 13, 8, 9));
    EXPECT_EQ(events.date(1, "BaseDate"), *rt::OleDate::fromCivil(2024, 5, 31, 13, 5, 9));
    EXPECT_EQ(events.doubleValue(1, "Gas4Event"), -104.0);
    EXPECT_EQ(events.doubleValue(1, "Gas1Event"), -101.0);
    EXPECT_EQ(events.doubleValue(0, "Gas4Event"), -102.0);

    const platform::ResultSet sensor = d.query("Select * From SensorHistory");
    ASSERT_EQ(sensor.rowCount(), 1);
    EXPECT_EQ(sensor.longValue(0, "SeqNo"), 1);
    EXPECT_EQ(sensor.longValue(0, "RelNo"), 2);
    EXPECT_EQ(sensor.text(0, "SensorNo"), "ST1");
    EXPECT_EQ(sensor.text(0, "GasName"), "CH4");
    EXPECT_EQ(sensor.doubleValue(0, "FullScale"), 100.0);
    EXPECT_EQ(rows("Interval_Data"), 0);  // a download's samples are in its trend file
}

TEST_F(IntervalStore, StoringTwiceAddsNothing) {
    clsIntervals c;
    clsInterval& r = download(c, recording("130509", "ST1", "O'Brien"));
    r.Update();
    r.Update();
    EXPECT_EQ(rows("Log_Head"), 2);
    EXPECT_EQ(rows("Interval_Event"), 2);
    EXPECT_EQ(rows("SensorHistory"), 1);
    EXPECT_EQ(db().query("Select UserID From Log_Head Where Types=1").text(0, "UserID"), "O'Brien");
    // A second download of the same recording finds it stored.
    clsIntervals again;
    clsInterval& r2 = download(again, recording("130509", "ST1", "O'Brien"));
    EXPECT_TRUE(r2.Duplicate());
    r2.Update();
    EXPECT_EQ(rows("Log_Head"), 2);
}

TEST_F(IntervalStore, SensorHistoryFollowsTheFourthSensor) {
    const struct {
        const char* time;
        const char* station;
        const char* fullScale;
        int sensorRows;
    } cases[] = {{"130509", "ST1", "20.9", 1},  // first recording
                 {"140000", "ST1", "20.9", 1},  // unchanged, also at a Single's 20.9
                 {"150000", "ST2", "20.9", 2},  // another sensor
                 {"160000", "ST2", "25", 3}};   // another full scale
    for (const auto& c : cases) {
        clsIntervals coll;
        download(coll, recording(c.time, c.station, "U1", c.fullScale)).Update();
        EXPECT_EQ(rows("SensorHistory"), c.sensorRows) << c.time;
    }
    EXPECT_EQ(db().query("Select * From Log_Head Where Types=8").rowCount(), 1);
}

TEST_F(IntervalStore, FaultyRecordStoresOnlyTheSensorHistory) {
    clsIntervals c;
    clsInterval& r = download(c, recording("130509"));
    r.setError(true);
    r.Update();
    EXPECT_EQ(db().query("Select * From Log_Head Where Types=1").rowCount(), 0);
    EXPECT_EQ(db().query("Select * From Log_Head Where Types=8").rowCount(), 1);

    // A record without its header line is never stored and is marked faulty.
    clsIntervals noHeader;
    noHeader.setInstruments(&inst);
    noHeader.SetDatas(L::AB("01", "S9"), false);
    clsInterval& n = *noHeader.Item(1);
    const int sensorRows = rows("SensorHistory");
    n.Update();
    EXPECT_TRUE(n.Error());
    EXPECT_EQ(db().query("Select * From Log_Head Where Types=1").rowCount(), 0);
    EXPECT_EQ(db().query("Select * From Log_Head Where Types=8").rowCount(), 1);
    EXPECT_EQ(rows("SensorHistory"), sensorRows);
}

TEST_F(IntervalStore, FailedStoreLeavesNothingBehind) {
    clsIntervals c;
    clsInterval& r = download(c, recording("130509"));
    db().exec("Drop Table Interval_Event");
    EXPECT_THROW(r.Update(), rt::RuntimeError);
    EXPECT_EQ(rows("Log_Head"), 0);
}

TEST_F(IntervalStore, HeldValueRowsAreStored) {
    clsIntervals c;
    clsInterval& r = download(c, recording("130509"));
    const rt::OleDate t = *rt::OleDate::fromCivil(2024, 5, 31, 13, 6, 9);
    r.AddValue(3, t, 1.5f);
    r.setGasNowCalib(3, 0, -1);
    r.setEvtTime(0, t);
    r.AddValue(0, t.addSeconds(60), 2.5f);
    r.Update();
    const platform::ResultSet data = db().query("Select * From Interval_Data Order By SeqNo");
    ASSERT_EQ(data.rowCount(), 2);
    EXPECT_EQ(data.longValue(1, "SeqNo"), 2);
    EXPECT_EQ(data.longValue(0, "RelNo"), 1);
    EXPECT_EQ(data.doubleValue(0, "Gas4Value"), 1.5);
    EXPECT_EQ(data.longValue(0, "Gas4NowCl"), 1);
    EXPECT_EQ(data.doubleValue(0, "Gas1Value"), -101.0);
    EXPECT_EQ(data.date(0, "EvtTime"), t);
}

TEST_F(IntervalStore, ReloadRebuildsTheRecording) {
    clsIntervals c;
    clsInterval& stored = download(c, recording("130509"));
    stored.Update();

    clsInterval r;
    r.ClearDatas();
    r.setSeqNo(1);
    r.ReLoad();
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "iv31130509_S1");
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "U1");
    EXPECT_EQ(r.GasBaseInfo(6).toLong(), 60);
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "CH4");
    EXPECT_EQ(r.GasListInfo(3, 14).toText(), "%LEL");
    EXPECT_EQ(r.GasListInfo(0, 10).toSingle(), 20.9f);
    EXPECT_TRUE(r.GasListInfo(0, 13).toBool() == false);
    ASSERT_EQ(r.DataCount(), 3);
    EXPECT_EQ(r.ValueCount(), 3);
    EXPECT_EQ(r.GasValue(3, 0).toSingle(), 0.1f);
    EXPECT_EQ(r.GasValue(3, 2).toSingle(), 0.3f);
    EXPECT_EQ(r.GasNowCalib(0, 0), -1);  // second status digit 1
    EXPECT_EQ(r.GasNowCalib(0, 2), 0);
    EXPECT_EQ(r.DateTimes(0), *rt::OleDate::fromCivil(2024, 5, 31, 13, 6, 9));
    ASSERT_EQ(r.EventCount(), 2);
    EXPECT_EQ(r.GasEvent(3, 1).toSingle(), -104.0f);
}

TEST_F(IntervalStore, ReloadDefaultsAndMissingFile) {
    db().exec("Insert Into Log_Head (SeqNo, Types) Values (7, 1)");
    clsInterval r;
    r.setSeqNo(7);
    r.ReLoad();
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "Name None");
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "*");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "00/00");
    EXPECT_EQ(r.GasListInfo(1, 0).toText(), "");
    EXPECT_EQ(r.GasListInfo(1, 1).toSingle(), -101.0f);
    EXPECT_EQ(r.GasListInfo(1, 3).toInteger(), -101);
    EXPECT_EQ(r.GasListInfo(1, 11).toDate().value(), -101.0);
    EXPECT_TRUE(r.GasListInfo(1, 13).toBool());
    EXPECT_EQ(r.DataCount(), 0);  // no trend file: no value rows, no error
}

namespace {

// A stored header (SeqNo 1) whose trend file holds the given gas-1 readings.
void storeTrend(const platform::Database& db, const std::vector<std::array<float, 5>>& readings,
                int extraBytes = 0) {
    const rt::OleDate start = *rt::OleDate::fromCivil(2024, 5, 31, 0, 0, 0);
    db.exec("Insert Into Log_Head (SeqNo, Names, Dates, FolderID, Types) Values (1, ?, ?, ?, 1)",
            {"ivX", start, "05/24"});
    core::CreateTrendFolders(core::DataFolder, start);
    const QString path = core::DataFolder + "/24/05/ivX.Dat";
    {
        core::TrendFile f(path);
        for (size_t k = 0; k < readings.size(); ++k)
            for (int g = 0; g < 5; ++g)
                core::PutSample(static_cast<int32_t>(k + 1), f, static_cast<int16_t>(g + 1),
                                readings[k][g], start.addSeconds(60 * static_cast<int>(k)));
        for (size_t k = 0; k < readings.size(); ++k)
            core::PutRecordTail(static_cast<int32_t>(k + 1), f, {0, 0});
    }
    if (extraBytes) {
        // The first bytes of one more record, as a write cut short leaves them: its time first.
        QByteArray next(core::TrendRecordSize, '\x01');
        qToLittleEndian(start.addSeconds(60 * static_cast<int>(readings.size())).value(),
                        next.data());
        qToLittleEndian(3.0f, next.data() + 8);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(next.left(extraBytes));
    }
}

std::vector<float> reloadedGas1(int count, int16_t* lastNowCalib = nullptr) {
    clsInterval r;
    r.setSeqNo(1);
    r.ReLoad();
    std::vector<float> out;
    for (int i = 0; i < r.DataCount(); ++i)
        out.push_back(r.GasValue(0, i).toSingle());
    EXPECT_EQ(r.DataCount(), count);
    if (lastNowCalib) *lastNowCalib = r.GasNowCalib(0, r.DataCount() - 1);
    return out;
}

}  // namespace

TEST_F(IntervalStore, OutlineKeepsTheChanges) {
    storeTrend(
        db(),
        {{1, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 0, 0, 0, 7}, {5, 0, 0, 0, 0}, {5, 0, 0, 0, 0}});
    EXPECT_EQ(reloadedGas1(5), (std::vector<float>{1, 1, 1, 5, 5}));
    core::OutlineMode = true;
    EXPECT_EQ(reloadedGas1(4), (std::vector<float>{1, 1, 5, 5}));  // records 0, 2, 3, 4
    core::DebugMode = true;  // now channel 5's change at record 2 counts too
    EXPECT_EQ(reloadedGas1(5), (std::vector<float>{1, 1, 1, 5, 5}));
}

TEST_F(IntervalStore, OutlineOfEqualRecords) {
    storeTrend(db(), std::vector<std::array<float, 5>>(5, {2, 2, 2, 2, 2}));
    core::OutlineMode = true;
    EXPECT_EQ(reloadedGas1(2), (std::vector<float>{2, 2}));
}

// A damaged file whose last records are no samples (a time that is no date): the outline still
// ends with the last sound sample, as it ends with the file's last record when all are sound.
TEST_F(IntervalStore, OutlineKeepsTheLastSoundSampleOfADamagedFile) {
    const struct {
        const char* what;
        std::vector<std::array<float, 5>> readings;
        int damagedAtEnd;
        std::vector<float> outline;
    } cases[] = {
        {"equal samples", std::vector<std::array<float, 5>>(6, {2, 0, 0, 0, 0}), 1, {2, 2}},
        {"a change", {{1}, {1}, {5}, {5}, {5}, {7}}, 2, {1, 1, 5, 5}},
        {"a run after a change", {{1}, {4}, {4}, {4}, {9}, {9}}, 2, {1, 4, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        db().exec("Delete From Log_Head");
        storeTrend(db(), c.readings);
        // The last records' times become no date.
        QFile f(core::DataFolder + "/24/05/ivX.Dat");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        for (int k = 0; k < c.damagedAtEnd; ++k) {
            const qint64 record = static_cast<qint64>(c.readings.size()) - 1 - k;
            uchar time[8];
            qToLittleEndian(std::numeric_limits<double>::quiet_NaN(), time);
            ASSERT_TRUE(f.seek(record * core::TrendRecordSize));
            f.write(reinterpret_cast<const char*>(time), 8);
        }
        f.close();
        core::OutlineMode = true;
        EXPECT_EQ(reloadedGas1(static_cast<int>(c.outline.size())), c.outline);
        core::OutlineMode = false;
    }
}

TEST_F(IntervalStore, PartialTrendRecords) {
    // 10 records and 15 bytes: 10.5 rounds to the even 10.
    storeTrend(db(), std::vector<std::array<float, 5>>(10, {3, 0, 0, 0, 0}), 15);
    reloadedGas1(10);
}

TEST_F(IntervalStore, PartialLastRecordReadsAsZeros) {
    // 10 records and 25 bytes: 10.83 rounds to 11, the last one cut short.
    storeTrend(db(), std::vector<std::array<float, 5>>(10, {3, 0, 0, 0, 0}), 25);
    int16_t nowCalib = 99;
    reloadedGas1(11, &nowCalib);
    EXPECT_EQ(nowCalib, 0);  // its status digit lies past the end and reads as zero
}
