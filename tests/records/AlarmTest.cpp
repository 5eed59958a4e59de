#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "core/ClsInstrument.h"
#include "core/TrendFile.h"
#include "records/ClsAlarms.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"

using records::clsAlarm;
using records::clsAlarms;
namespace L = testsupport::lines;

namespace {

QString BD(const QString& kk, const QString& date, const QString& time, const QString& interval) {
    return "/" + kk + "BD" + date + time + interval + "000";
}
QString BB(const QString& kk, const QString& serial, const QString& numeric = "0000",
           const QString& mode = "0") {
    return "/" + kk + "BB" + L::pad(serial, 12) + "0" + numeric + "0" + mode;
}
QString BA(const QString& kk, const QString& user) {
    return "/" + kk + "BA" + L::pad(user, 20);
}
QString BC(const QString& kk, const QString& gas4, const QString& fs4, const QString& desit4,
           const QString& gas5, const QString& fs5, const QString& desit5) {
    QString line = L::AC(kk, gas4, fs4, desit4, gas5, fs5, desit5);
    line.replace(3, 2, "BC");
    return line;
}

class Alarm : public testsupport::RecordFixture {
  protected:
    void SetUp() override {
        RecordFixture::SetUp();
        inst.setRomNumber(77);
        inst.setHighTemp(50);
        inst.setLowTemp(-10);
        inst.setGasEnabled(3, true);
        inst.setGasUnit(3, "ppm");
        c.setInstruments(&inst);
    }
    // Both passes over a block, as the link feeds it.
    bool feed(const QStringList& block) { return testsupport::FeedBlock(c, block); }
    QStringList header(const QString& mode = "0") {
        return {BA("01", "U1"), BB("01", "S1", "0000", mode), BD("01", "240315", "143000", "0010"),
                BC("01", "H2S", "30.0", " 0.1", "TEMP", "50", "  1")};
    }
    rt::OleDate moment() const { return *rt::OleDate::fromCivil(2024, 3, 15, 14, 30, 0); }

    core::clsInstrument inst;
    clsAlarms c;
};

}  // namespace

TEST_F(Alarm, RecordModel) {
    clsAlarm r;
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "*");
    EXPECT_EQ(r.GasBaseInfo(4).toText(), "*");
    EXPECT_TRUE(r.GasBaseInfo(3).isEmpty());
    EXPECT_TRUE(r.GasBaseInfo(9).isEmpty());
    EXPECT_EQ(r.GasListInfo(0, 4).toSingle(), -101.0f);
    EXPECT_TRUE(r.GasListInfo(5, 0).isEmpty());
    EXPECT_TRUE(r.GasListInfo(0, 6).isNull());
    r.setGasListInfo(0, 4, "abc");
    EXPECT_EQ(r.GasListInfo(0, 4).toSingle(), -101.0f);
    r.setGasListInfo(0, 1, 12.5);
    EXPECT_EQ(r.GasListInfo(0, 1).toSingle(), 12.5f);  // no rounding here
    r.setGasBaseInfo(2, "  U 1 ");
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "U 1");
    // One count of rows for the count, the reads and the writes: 721.
    r.setDataCount(800);
    EXPECT_EQ(r.DataCount(), 721);
    EXPECT_EQ(r.DateTimes(-1).value(), 0.0);
    EXPECT_EQ(r.Value(5, 0), 0.0f);
    r.setValue(2, 10, 3.5f);
    EXPECT_EQ(r.Value(2, 10), 3.5f);
    r.setValue(2, 720, 4.5f);
    EXPECT_EQ(r.Value(2, 720), 4.5f);
    r.setValue(2, 721, 3.5f);
    EXPECT_EQ(r.Value(2, 721), 0.0f);
    EXPECT_EQ(r.DateTimes(721).value(), 0.0);
}

TEST_F(Alarm, CollectionRouting) {
    // A BD line needs 23 characters.
    const QString shortBD = "/03BD" + QString(18, '0');
    EXPECT_FALSE(c.SetDatas(shortBD, true));
    EXPECT_EQ(c.FailLine(), "\r\n03BD" + QString(18, '0'));
    EXPECT_TRUE(c.SetDatas("/03BD" + QString(19, '0'), true));
    // Characters outside 32..127 vanish: the TAB does, the repeat count 127 does not.
    EXPECT_FALSE(c.SetDatas("/04BC\t" + QString(18, 'x') + QChar(127), true));
    EXPECT_TRUE(c.FailLine().endsWith("04BC" + QString(18, 'x') + QChar(127)));
    // Unknown codes create their record and are accepted; "96" and "XX" are not routed.
    EXPECT_TRUE(c.SetDatas("/01ZZ", true));
    EXPECT_TRUE(c.SetDatas("/01XX0000000721", true));
    EXPECT_NE(c.Item("01 L"), nullptr);
    // A BB line whose positions 18-21 are not numeric is refused in the check pass.
    EXPECT_FALSE(c.SetDatas(BB("05", "S", "ab12"), true));
    EXPECT_TRUE(c.FailLine().endsWith("05BBS           0ab1200"));
}

TEST_F(Alarm, ContinuationWithoutACurrentRecordCreatesNone) {
    EXPECT_TRUE(c.SetDatas("!!!!", true));
    EXPECT_EQ(c.Count(), 0);
    // After a clear for the next download the previous record is gone too.
    ASSERT_TRUE(feed(header()));
    ASSERT_TRUE(feed({"/01B4", "!!!!"}));
    c.Clear();
    EXPECT_TRUE(feed({"!!!!"}));
    EXPECT_EQ(c.Count(), 0);
}

TEST_F(Alarm, HeaderAndIdentity) {
    ASSERT_TRUE(feed(header()));
    const clsAlarm& r = *c.Item("01 L");
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "al15143000_S1");
    EXPECT_EQ(r.GasBaseInfo(1).toDate(), moment());
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "U1");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "03/24");
    EXPECT_EQ(r.GasBaseInfo(6).toLong(), 10);
    EXPECT_TRUE(QFileInfo(core::DataFolder + "/24/03").isDir());
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "H2S");
    EXPECT_EQ(r.GasListInfo(3, 3).toInteger(), 1);
    EXPECT_TRUE(r.GasListInfo(3, 13).toBool());
    EXPECT_EQ(r.GasListInfo(4, 1).toSingle(), 50.0f);

    clsAlarms other;
    ASSERT_TRUE(true);
    other.SetDatas(BB("01", "S1", "0000", "2"), false);
    other.SetDatas(BD("01", "240315", "143000", "0010"), false);
    EXPECT_EQ(other.Item(1)->GasBaseInfo(0).toText(), "iv15143000_S1");
    // A mode that is no digit, or a line too short for it, gives mode 0.
    clsAlarms odd;
    odd.SetDatas(BB("01", "S1", "0000", "x"), false);
    EXPECT_EQ(odd.Item(1)->GasBaseInfo(7).toInteger(), 0);
    odd.SetDatas(BB("01", "S1", "0000", "2").left(20), false);
    EXPECT_EQ(odd.Item(1)->GasBaseInfo(7).toInteger(), 0);
}

TEST_F(Alarm, BadHeaderIsLoggedAndStopsTheData) {
    ASSERT_TRUE(feed({BB("01", "S1"), BD("01", "240000", "143000", "0010"), "/01B4", "00?:"}));
    const clsAlarm& r = *c.Item(1);
    EXPECT_TRUE(r.Error());
    EXPECT_EQ(serialLog().count("<<< improper date in SetDataBD() >>> 01BD240000"), 1);
    EXPECT_EQ(r.SampleCount(3), 0);
}

TEST_F(Alarm, GasListLine) {
    clsAlarm r;
    const QString full = BC("01", "CO", "500", "  1", "****", "0", "1").mid(1);
    EXPECT_FALSE(r.SetDataBC(full.left(68), true));
    EXPECT_TRUE(r.SetDataBC(full, false));
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "CO");
    EXPECT_FALSE(r.GasListInfo(4, 13).toBool());
    EXPECT_TRUE(r.SetDataBC(BC("01", "***", "x", "x", "TEMP", "5", "1").mid(1), false));
    EXPECT_FALSE(r.GasListInfo(3, 13).toBool());
    EXPECT_FALSE(r.SetDataBC(BC("01", "O2", "x", "0.1", "TEMP", "5", "1").mid(1), true));
}

TEST_F(Alarm, FullWindowSamples) {
    ASSERT_TRUE(feed(header()));
    ASSERT_TRUE(
        feed({"/01B4", L::words({"0010", "FEFE", "FFFF"}), "/01B5", L::words({"00FA", "FEFE"}),
              "/01B1", L::words({"0001", "FEFE"}), "/01B6", L::words({"0100", "FFFF", "0201"})}));
    const clsAlarm& r = *c.Item(1);
    ASSERT_FALSE(r.Error());
    // Until the record is stored, its samples are in the trend file's temporary file.
    core::WaitForTrendWrites();
    core::TrendFile f(core::TrendTempPath(r.TrendFilePath()), core::TrendFile::Mode::ReadOnly);
    EXPECT_EQ(r.TrendFilePath(), core::DataFolder + "/24/03/al15143000_S1.Dat");
    EXPECT_EQ(core::GetSampleValue(1, f, 4), 1.6f);
    EXPECT_EQ(core::GetSampleValue(2, f, 4), -118.0f);
    EXPECT_EQ(core::GetSampleValue(3, f, 4), -101.0f);
    EXPECT_EQ(core::GetSampleValue(1, f, 5), 200.0f);   // 250 less the full scale 50
    EXPECT_EQ(core::GetSampleValue(2, f, 5), -118.0f);  // codes are not reduced
    EXPECT_EQ(core::GetSampleValue(1, f, 1), -101.0f);  // gas 1 has no name
    EXPECT_EQ(core::GetSampleValue(2, f, 1), -118.0f);
    EXPECT_EQ(core::GetTrendRecord(1, f).time, moment().addSeconds(-3600));
    const core::TrendRecord first = core::GetTrendRecord(1, f);
    EXPECT_EQ(first.status[0], 1);
    EXPECT_EQ(first.status[1], 0);
    const core::TrendRecord third = core::GetTrendRecord(3, f);
    EXPECT_EQ(third.status[0], 1);  // "02" leaves byte 0 as the word before left it
    EXPECT_EQ(third.status[1], 1);
}

TEST_F(Alarm, ShortWindowKeepsSamples361To540) {
    ASSERT_TRUE(feed(header("2")));
    QStringList words;
    for (int n = 1; n <= 545; ++n)
        words << QString("%1").arg(n, 4, 16, QChar('0')).toUpper();
    ASSERT_TRUE(feed({"/01B4", L::words(words)}));
    const clsAlarm& r = *c.Item(1);
    core::WaitForTrendWrites();
    core::TrendFile f(core::TrendTempPath(r.TrendFilePath()), core::TrendFile::Mode::ReadOnly);
    EXPECT_GT(f.size(), 179 * 30);  // sample 540 is the last one written, as record 180
    EXPECT_LE(f.size(), 180 * 30);
    EXPECT_EQ(core::GetSampleValue(1, f, 4), 36.1f);  // sample 361
    EXPECT_EQ(core::GetTrendRecord(1, f).time, moment());
    EXPECT_EQ(core::GetSampleValue(180, f, 4), 54.0f);
}

TEST_F(Alarm, FaultyDataLine) {
    core::DebugMode = true;
    ASSERT_TRUE(feed(header()));
    EXPECT_EQ(c.MessageString(), "New Data! Name - al15143000_S1");
    ASSERT_TRUE(feed({"/01B6", "!!C"}));  // compact text ending in a repeat count
    EXPECT_TRUE(c.Item(1)->Error());
    EXPECT_EQ(c.MessageString(), "<<< error catch in SetDataB0() >>>");
    EXPECT_EQ(serialLog().count("<<< error catch in SetDataB0() >>> 5:"), 1);
}

TEST_F(Alarm, RepeatCount127KeepsEverySample) {
    // Eleven runs of 63 (count character 127) and one of 27: 720 samples of 0.1.
    QString line;
    for (int i = 0; i < 11; ++i)
        line += QChar(127) + QString("00$");
    line += QChar(64 + 27) + QString("00$");
    ASSERT_EQ(core::RunLengthDecode(QChar(127) + QString("00$")), QString("0001").repeated(63));
    ASSERT_TRUE(feed(header()));
    ASSERT_TRUE(feed({"/01B4", line}));
    ASSERT_EQ(c.Item(1)->SampleCount(3), 720);
    c.Item(1)->Update();

    clsAlarm stored;
    stored.setSeqNo(1);
    stored.ReLoad();
    ASSERT_EQ(stored.DataCount(), 720);
    for (int i = 0; i < 720; ++i)
        ASSERT_EQ(stored.Value(3, i), 0.1f) << i;
    EXPECT_EQ(stored.DateTimes(360), moment());
}

TEST_F(Alarm, SamplesStopAtTheCapacityOfTheRecord) {
    // A repeat count of 62 * 64 + 62 = 4030 per word.
    const QString huge = "~~!!";
    const struct {
        QStringList lines;
        bool error;
    } cases[] = {{{L::words(QStringList(721, "0001"))}, false},
                 {{L::words(QStringList(722, "0001"))}, true},
                 {{L::words(QStringList(700, "0001")), L::words(QStringList(22, "0001"))}, true},
                 {{huge.repeated(20)}, true}};
    int recording = 0;
    for (const auto& k : cases) {
        clsAlarms one;
        one.setInstruments(&inst);
        QStringList block = header();
        block[2] =
            BD("01", "240315", QString("1430%1").arg(++recording, 2, 10, QChar('0')), "0010");
        for (const QString& line : k.lines)
            block << "/01B4" << line;
        ASSERT_TRUE(testsupport::FeedBlock(one, block));
        const clsAlarm& r = *one.Item(1);
        EXPECT_EQ(r.Error(), k.error) << recording;
        EXPECT_EQ(r.SampleCount(3), 721) << recording;
        // Records begun: the file ends after the last sample's gas 4 value.
        core::WaitForTrendWrites();
        EXPECT_EQ((QFileInfo(core::TrendTempPath(r.TrendFilePath())).size() + 29) / 30, 721)
            << recording;
    }
    EXPECT_EQ(serialLog().count("<<< error catch in SetDataB0() >>> 9:"), 3);
}

TEST_F(Alarm, OverflowingFieldsRaiseNothingAndLeaveTheOtherRecordsWhole) {
    const auto recordLines = [this](const QString& kk, const QString& interval) {
        QStringList lines = {BB(kk, "S" + kk), BD(kk, "240315", "143000", interval),
                             BC(kk, "H2S", "30.0", " 0.1", "TEMP", "50", "  1")};
        lines << "/" + kk + "B4" << L::words({"0010", "0020", "0030"});
        return lines;
    };
    const struct {
        QString interval;
        bool error;
    } cases[] = {{"9e99", true}, {"1e10", true}, {"0010", false}};
    for (const auto& k : cases) {
        clsAlarms one;
        one.setInstruments(&inst);
        const QStringList block = recordLines("01", k.interval) + recordLines("02", "0010");
        bool accepted = false;
        EXPECT_NO_THROW(accepted = testsupport::FeedBlock(one, block));
        EXPECT_TRUE(accepted);
        EXPECT_EQ(one.Item("01 L")->Error(), k.error) << k.interval.toStdString();

        // The other record of the block has all its samples.
        clsAlarm& other = *one.Item("02 L");
        ASSERT_FALSE(other.Error());
        other.Update();
        core::TrendFile f(other.TrendFilePath(), core::TrendFile::Mode::ReadOnly);
        ASSERT_EQ((f.size() + 29) / 30, 3);  // records begun
        EXPECT_EQ(core::GetSampleValue(3, f, 4), 4.8f);
        EXPECT_EQ(
            db().query("Select SeqNo From Log_Head Where Names=?", {other.GasBaseInfo(0).toText()})
                .rowCount(),
            1);
    }
    EXPECT_EQ(serialLog().count("<<< improper date in SetDataBD() >>> 01BD2403151430009e99"), 1);
    EXPECT_EQ(serialLog().count("<<< improper date in SetDataBD() >>> 01BD2403151430001e10"), 1);
}

TEST_F(Alarm, DataBeforeTheHeaderWritesNoFile) {
    ASSERT_TRUE(feed({BB("01", "S1"), "/01B4", L::words({"0001"})}));
    EXPECT_TRUE(c.Item(1)->Error());
    EXPECT_FALSE(QFileInfo::exists(core::DataFolder + "/.Dat"));
    c.Item(1)->Update();
    EXPECT_EQ(rows("Log_Head"), 0);
}

TEST_F(Alarm, GapAndGasBlockLines) {
    ASSERT_TRUE(feed(header()));
    clsAlarm& r = *c.Item(1);
    EXPECT_FALSE(r.SetDataXX("01XX0000000721", false));
    EXPECT_FALSE(r.SetDataXX("01XX000000x", false));
    EXPECT_FALSE(r.SetDataXX("01XX0000009e99", true));  // numeric, but no sample number
    EXPECT_TRUE(r.SetDataXX("01XX0000000181", false));
    EXPECT_EQ(r.DateTimes(180), moment());
    EXPECT_EQ(r.Value(0, 180), -101.0f);
    EXPECT_EQ(r.DataCount(), 0);

    EXPECT_TRUE(r.SetData96("0196CO 0501123   xxxxxxx", false));
    EXPECT_EQ(r.GasListInfo(2, 0).toText(), "CO ");
    EXPECT_EQ(r.GasListInfo(2, 1).toSingle(), 501.0f);
    EXPECT_EQ(r.GasListInfo(2, 2).toSingle(), 1231.0f);  // 12-14 followed by the digit at 11
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "");         // a blank block clears the channel
    EXPECT_EQ(r.GasListInfo(3, 1).toSingle(), -101.0f);
    EXPECT_FALSE(r.SetData96("0196CO 0501123NO2xxxxxxx", true));
}

TEST_F(Alarm, FailedStoreLeavesNothingBehind) {
    ASSERT_TRUE(feed(header()));
    clsAlarm& r = *c.Item(1);
    r.setDataCount(3);
    r.setDateTimes(0, moment());
    db().exec("Drop Table Alarm_Data");
    EXPECT_THROW(r.Update(), rt::RuntimeError);
    EXPECT_EQ(rows("Log_Head"), 0);
}

TEST_F(Alarm, StoreHeaderAndRows) {
    ASSERT_TRUE(feed(header()));
    clsAlarm& r = *c.Item(1);
    r.setDataCount(3);
    r.setValue(4, 0, 20);
    r.setDateTimes(0, moment());
    r.Update();
    r.Update();  // stored once
    const platform::ResultSet head = db().query("Select * From Log_Head");
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(head.longValue(0, "SeqNo"), 1);
    EXPECT_EQ(head.longValue(0, "Types"), 2);
    EXPECT_EQ(head.text(0, "Names"), "al15143000_S1");
    EXPECT_EQ(head.text(0, "UserID"), "U1");
    EXPECT_TRUE(head.isNull(0, "StationID"));
    EXPECT_EQ(head.longValue(0, "RomNum"), 77);
    EXPECT_EQ(head.longValue(0, "Dcount"), 720);
    EXPECT_EQ(head.text(0, "Gas1Name"), " ");
    EXPECT_EQ(head.text(0, "Gas1Unit"), " ");
    EXPECT_FALSE(head.boolean(0, "Gas1Enable"));
    EXPECT_TRUE(head.boolean(0, "Gas4Enable"));
    EXPECT_EQ(head.text(0, "Gas4Unit"), "ppm");
    EXPECT_EQ(head.doubleValue(0, "Gas5Max"), 50.0);
    EXPECT_EQ(head.doubleValue(0, "Gas5Min"), -10.0);
    const platform::ResultSet data = db().query("Select * From Alarm_Data Order By SeqNo");
    ASSERT_EQ(data.rowCount(), 3);
    EXPECT_EQ(data.longValue(0, "RelNo"), 1);
    EXPECT_EQ(data.doubleValue(0, "Gas5Value"), -30.0);
    EXPECT_EQ(data.date(0, "Datetimes"), moment());

    // The same recording downloaded again is a duplicate.
    clsAlarms again;
    again.setInstruments(&inst);
    for (const QString& line : header())
        again.SetDatas(line, false);
    EXPECT_TRUE(again.Item(1)->Duplicate());
}

TEST_F(Alarm, ShortWindowCountsAndFaultyRecords) {
    ASSERT_TRUE(feed(header("2")));
    c.Item(1)->Update();
    EXPECT_EQ(db().query("Select Dcount From Log_Head").longValue(0, "Dcount"), 180);
    clsAlarms faulty;
    faulty.setInstruments(&inst);
    for (QString line : header())
        faulty.SetDatas(line.replace("143000", "143001"), false);
    faulty.Item(1)->setError(true);
    faulty.Item(1)->Update();
    EXPECT_EQ(rows("Log_Head"), 1);
}

TEST_F(Alarm, Reload) {
    ASSERT_TRUE(feed(header()));
    QStringList words;
    for (int n = 1; n <= 721; ++n)
        words << QString("%1").arg(n, 4, 16, QChar('0')).toUpper();
    ASSERT_TRUE(feed({"/01B4", L::words(words)}));
    c.Item(1)->Update();

    clsAlarm r;
    r.setSeqNo(1);
    r.ReLoad();
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "al15143000_S1");
    EXPECT_EQ(r.GasListInfo(3, 14).toText(), "ppm");
    EXPECT_EQ(r.DataCount(), 721);
    EXPECT_EQ(r.Value(3, 0), 0.1f);
    EXPECT_EQ(r.Value(3, 719), 72.0f);
    EXPECT_EQ(r.DateTimes(360), moment());
    // Every row the reload filled can be read, the last one too.
    EXPECT_EQ(r.DateTimes(720), moment().addSeconds(360 * 10));
    EXPECT_EQ(r.Value(3, 720), 72.1f);

    // A short file: 3.5 records round to 4, the last one padded with zeros.
    const QString path = r.TrendFilePath();
    QFile::resize(path, 105);
    clsAlarm s;
    s.setSeqNo(1);
    s.ReLoad();
    EXPECT_EQ(s.DataCount(), 4);
    EXPECT_EQ(s.Value(3, 3), 0.0f);
}

TEST_F(Alarm, ReloadDefaults) {
    db().exec("Insert Into Log_Head (SeqNo, Types) Values (3, 2)");
    clsAlarm r;
    r.setSeqNo(3);
    r.ReLoad();
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "Name None");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "00/00");
    EXPECT_EQ(r.GasBaseInfo(4).toText(), "*");
    EXPECT_EQ(r.GasListInfo(1, 0).toText(), "");
    EXPECT_EQ(r.GasListInfo(1, 4).toSingle(), -101.0f);
    EXPECT_EQ(r.GasListInfo(1, 12).toDate().value(), -101.0);
    EXPECT_TRUE(r.GasListInfo(1, 13).toBool());
    // No stored name or folder: no trend file is read, and the trend shows as damaged.
    EXPECT_TRUE(r.TrendPathDamaged());
    EXPECT_EQ(r.DataCount(), 0);
}
