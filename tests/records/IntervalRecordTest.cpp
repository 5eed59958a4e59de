#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <functional>

#include "core/TrendFile.h"
#include "records/ClsInterval.h"
#include "runtime/RuntimeError.h"
#include "tests/records/RecordFixture.h"

using records::clsInterval;
namespace L = testsupport::lines;

namespace {

class IntervalRecord : public testsupport::RecordFixture {
  protected:
    // Both passes of one line through the record's decoders, framed as the collection does.
    void feed(clsInterval& r, const QString& slashLine) {
        const QString line = slashLine.mid(1);
        const QString code = line.mid(2, 2);
        for (bool test : {true, false}) {
            if (code == "AD")
                r.SetDataAD(line, test);
            else if (code == "AC")
                r.SetDataAC(line, test);
            else if (code.startsWith("A") && code.at(1).isDigit())
                r.SetDataA0(line, test, false);
            else
                r.SetDataAE(line, test);
        }
    }
    void feedWords(clsInterval& r, const QStringList& words) {
        for (bool test : {true, false})
            r.SetDataA0(L::words(words), test, true);
    }
    // A record with its header, serial number and gases 4 and 5 named.
    void header(clsInterval& r, const QString& interval = "0060") {
        r.setGasBaseInfo(4, "S1");
        feed(r, L::AD("01", "051231", "235959", interval));
        feed(r, L::AC("01", "CH4", "100", "0.1", "TMP", "20", "0.1"));
    }
    rt::OleDate start() const { return *rt::OleDate::fromCivil(2005, 12, 31, 23, 59, 59); }
};

}  // namespace

TEST_F(IntervalRecord, NewRecordAndAccessorRules) {
    clsInterval r;
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "*");
    EXPECT_EQ(r.GasListInfo(0, 1).toSingle(), -101.0f);
    EXPECT_EQ(r.GasListInfo(0, 11).toDate().value(), 0.0);
    EXPECT_TRUE(r.GasBaseInfo(8).isNull());
    EXPECT_TRUE(r.GasListInfo(5, 0).isEmpty());
    EXPECT_TRUE(r.GasListInfo(0, 5).isNull());
    EXPECT_TRUE(r.GasListInfo(0, 15).isNull());

    r.setGasListInfo(0, 1, 12.5);
    r.setGasListInfo(0, 8, 13.5);
    r.setGasListInfo(0, 2, 0.5);
    EXPECT_EQ(r.GasListInfo(0, 1).toSingle(), 12.0f);
    EXPECT_EQ(r.GasListInfo(0, 8).toSingle(), 14.0f);
    EXPECT_EQ(r.GasListInfo(0, 2).toSingle(), 0.0f);
    r.setGasBaseInfo(1, "not a date");
    r.setGasBaseInfo(6, "x");
    EXPECT_EQ(r.GasBaseInfo(1).toDate().value(), 0.0);
    EXPECT_EQ(r.GasBaseInfo(6).toLong(), 0);
    r.setGasBaseInfo(2, "   ");
    EXPECT_EQ(r.GasBaseInfo(2).toText(), "*");

    r.setDataCount(54000);
    EXPECT_EQ(r.DataCount(), 0);
    r.setDataCount(53999);
    EXPECT_EQ(r.DataCount(), 53999);
    r.setDataCount(0);
    EXPECT_TRUE(r.GasValue(0, 0).isEmpty());
    EXPECT_EQ(r.DateTimes(-1).value(), 0.0);
    EXPECT_EQ(r.GasNowCalib(0, 3), 0);

    const rt::OleDate d(45000.5);
    EXPECT_EQ(r.AddValue(1, d, 5), 0);
    EXPECT_EQ(r.AddValue(1, d, 5), 0);
    EXPECT_EQ(r.DataCount(), 1);
    EXPECT_EQ(r.GasValue(1, 0).toSingle(), 5.0f);
    EXPECT_EQ(r.GasValue(0, 0).toSingle(), -101.0f);
    EXPECT_THROW(r.GasValue(6, 0), rt::RuntimeError);
    EXPECT_TRUE(r.GasValue(0, 1).isEmpty());
}

TEST_F(IntervalRecord, Searches) {
    clsInterval r;
    const rt::OleDate t1000 = *rt::OleDate::fromCivil(2024, 5, 31, 10, 0, 0);
    const rt::OleDate t1005 = *rt::OleDate::fromCivil(2024, 5, 31, 10, 5, 0);
    const rt::OleDate t1004 = *rt::OleDate::fromCivil(2024, 5, 31, 10, 4, 59);
    r.AddValue(0, t1000, 1);
    r.AddValue(0, t1005, 2);
    r.setDataCount(3);
    r.setDateTimes(2, t1005);
    EXPECT_EQ(r.SerchDatas(t1000, 0), 1);
    EXPECT_EQ(r.SerchDatas(t1005, 0), -1);
    EXPECT_EQ(r.SerchDatas(t1000, 5), -1);

    r.AddEvents(0, t1005, -104, t1000);
    EXPECT_EQ(r.SerchValue(t1000), -1);  // same second: the event wins
    r.setDateTimes(1, t1004);
    EXPECT_EQ(r.SerchValue(t1000), 2);
    EXPECT_EQ(r.SerchValue(rt::OleDate::DateSerial(1998, 1, 1)), 0);
    EXPECT_EQ(r.SerchValue(rt::OleDate::DateSerial(2199, 1, 1)), 0);
}

TEST_F(IntervalRecord, HeaderLine) {
    clsInterval r;
    header(r);
    EXPECT_FALSE(r.Error());
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "iv31235959_S1");
    EXPECT_EQ(r.GasBaseInfo(5).toText(), "12/05");
    EXPECT_EQ(r.GasBaseInfo(6).toLong(), 60);
    EXPECT_EQ(r.GasBaseInfo(1).toDate(), start());
    EXPECT_TRUE(QFileInfo(core::DataFolder + "/05/12").isDir());

    clsInterval bad;
    bad.SetDataAD(L::AD("01", "05x231", "235959", "0060").mid(1), true);
    EXPECT_TRUE(bad.Error());  // found in the check pass already
    bad.SetDataAD(L::AD("01", "05x231", "235959", "0060").mid(1), false);
    EXPECT_EQ(bad.GasBaseInfo(0).toText(), "");
    EXPECT_EQ(serialLog().count("<<< improper date in SetDataAD() >>> 01AD05x231"), 1);
    for (const char* time : {"245959", "235960"}) {
        clsInterval t;
        t.SetDataAD(L::AD("01", "051231", time, "0060").mid(1), true);
        EXPECT_TRUE(t.Error()) << time;
    }
    clsInterval interval;
    interval.SetDataAD(L::AD("01", "051231", "235959", "00x0").mid(1), true);
    EXPECT_TRUE(interval.Error());
}

TEST_F(IntervalRecord, SummaryLines) {
    clsInterval r;
    feed(r, L::summary("01", "AE", "20.9", "OVER", "******", "******"));
    EXPECT_EQ(r.GasListInfo(0, 10).toSingle(), 20.9f);
    EXPECT_EQ(r.GasListInfo(0, 8).toSingle(), -107.0f);
    EXPECT_EQ(r.GasListInfo(0, 11).toDate(), rt::OleDate::DateSerial(1900, 1, 1));
    EXPECT_EQ(r.GasListInfo(0, 9).toSingle(), -101.0f);

    feed(r, L::summary("01", "AF", "1.5", "0.2", "240531", "130509"));
    feed(r, L::summary("01", "AG", "1.5", "9.9", "240601", "000001"));
    feed(r, L::summary("01", "AH", "3", "4", "240602", "******"));
    EXPECT_EQ(r.GasListInfo(1, 9).toSingle(), 0.2f);
    EXPECT_EQ(r.GasListInfo(1, 8).toSingle(), 9.9f);
    EXPECT_EQ(r.GasListInfo(1, 12).toDate(), *rt::OleDate::fromCivil(2024, 5, 31, 13, 5, 9));
    EXPECT_EQ(r.GasListInfo(1, 11).toDate(), *rt::OleDate::fromCivil(2024, 6, 1, 0, 0, 1));
    EXPECT_EQ(r.GasListInfo(2, 11).toDate(), rt::OleDate::DateSerial(1900, 1, 1));
    EXPECT_EQ(r.GasListInfo(2, 9).toSingle(), -101.0f);
    feed(r, L::summary("01", "AI", "warn", "5", "24 6x3", "120000"));
    EXPECT_EQ(r.GasListInfo(3, 10).toSingle(), -103.0f);
    EXPECT_EQ(r.GasListInfo(3, 11).toDate().value(), 0.5);  // date kept, time added
}

TEST_F(IntervalRecord, GasListLine) {
    clsInterval r;
    feed(r, L::AC("01", "H2S CO  ", "30.0", "0.01", "TEMP", "-20", "1"));
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "H2S CO");
    EXPECT_TRUE(r.GasListInfo(3, 13).toBool());
    EXPECT_EQ(r.GasListInfo(3, 1).toSingle(), 30.0f);
    EXPECT_EQ(r.GasListInfo(3, 2).toSingle(), 0.01f);
    EXPECT_EQ(r.GasListInfo(3, 3).toInteger(), 2);
    EXPECT_EQ(r.GasListInfo(4, 0).toText(), "TEMP");
    EXPECT_EQ(r.GasListInfo(4, 1).toSingle(), -20.0f);
    EXPECT_EQ(r.GasListInfo(4, 3).toInteger(), 0);

    feed(r, L::AC("01", "***", "50", "0.1", "****", "0", "1"));
    EXPECT_FALSE(r.GasListInfo(3, 13).toBool());
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "H2S CO");  // other fields kept
    EXPECT_FALSE(r.GasListInfo(4, 13).toBool());
    // A number that is not numeric changes nothing.
    feed(r, L::AC("01", "O2", "xx", "0.1", "TEMP", "0", "1"));
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "H2S CO");
    // Too short: nothing.
    r.SetDataAC(L::AC("01", "O2", "25", "0.1", "TEMP", "0", "1").mid(1).left(68), false);
    EXPECT_EQ(r.GasListInfo(3, 0).toText(), "H2S CO");
}

TEST_F(IntervalRecord, CompressedSamplesGoToTheTrendFile) {
    clsInterval r;
    header(r);
    feed(r, L::data("01", "A4", "00", "0000"));
    feedWords(r, {"00FA", "FEFE", "FFFF"});
    feedWords(r, {"0001"});
    feed(r, L::data("01", "A5", "00", "0000"));
    feedWords(r, {"00FA"});
    feed(r, L::data("01", "A1", "00", "0000"));
    feedWords(r, {"0005"});  // gas 1 has no name in a download
    feed(r, L::data("01", "A6", "00", "0000"));
    feedWords(r, {"0102"});
    ASSERT_FALSE(r.Error());

    // Until the record is stored, its samples are in the trend file's temporary file.
    core::WaitForTrendWrites();
    core::TrendFile f(core::TrendTempPath(r.TrendFilePath()), core::TrendFile::Mode::ReadOnly);
    EXPECT_EQ(r.TrendFilePath(), core::DataFolder + "/05/12/iv31235959_S1.Dat");
    EXPECT_EQ(core::GetSampleValue(1, f, 4), 25.0f);
    EXPECT_EQ(core::GetSampleValue(2, f, 4), -118.0f);
    EXPECT_EQ(core::GetSampleValue(3, f, 4), -101.0f);
    EXPECT_EQ(core::GetSampleValue(4, f, 4), 0.1f);  // the second line continues at record 4
    EXPECT_EQ(core::GetSampleValue(1, f, 5), 5.0f);  // 25.0 less the offset 20
    EXPECT_EQ(core::GetSampleValue(1, f, 1), -101.0f);
    const core::TrendRecord first = core::GetTrendRecord(1, f);
    EXPECT_EQ(first.status[0], 1);
    EXPECT_EQ(first.status[1], 2);
    EXPECT_EQ(core::GetTrendRecord(3, f).time, start().addSeconds(180));
    EXPECT_EQ(core::GetTrendRecord(4, f).time, start().addSeconds(240));
}

TEST_F(IntervalRecord, FullRecordOfCompressedRunsGivesEveryByteOfItsTrendFile) {
    // The bytes of the trend file, built record by record: each channel's value at its place,
    // the sample's time in front (from the calendar's own arithmetic), the status digits last.
    struct Expected {
        int32_t records;
        std::function<float(int32_t)> gas4, gas5;
        std::function<std::array<uint8_t, 2>(int32_t)> status;
    };
    const auto bytesOf = [this](const Expected& e) {
        QByteArray file(e.records * core::TrendRecordSize, '\0');
        for (int32_t k = 1; k <= e.records; ++k) {
            uchar* at = reinterpret_cast<uchar*>(file.data()) + (k - 1) * core::TrendRecordSize;
            if (e.gas4) {
                const rt::OleDate time =
                    rt::OleDate::fromDateTime(start().toDateTime().addSecs(60LL * k));
                qToLittleEndian(time.value(), at);
                qToLittleEndian(-101.0f, at + 8);  // gas 1 has no name
                qToLittleEndian(e.gas4(k), at + 8 + 3 * 4);
                qToLittleEndian(e.gas5(k), at + 8 + 4 * 4);
            }
            at[28] = e.status(k)[0];
            at[29] = e.status(k)[1];
        }
        return file;
    };
    const QString fullRuns = QString("~~%1").repeated(13) + "YK%1";  // 54 001 words
    const struct {
        const char* what;
        std::vector<std::pair<QString, QString>> lines;  // channel code, compact text
        bool error;
        Expected expected;
    } cases[] = {
        {"full",
         {{"A4", "A!$" + QString("~~!?:").repeated(13) + "YJ!?:"},  // 0001, then 00FA
          {"A5", fullRuns.arg("!?:")},                              // 00FA
          {"A1", fullRuns.arg("\"\"")},                             // FFFF
          {"A6", QString("~~!!").repeated(6) + "A!$" + QString("~~!!").repeated(7) + "YJ!!"}},
         false,
         {54001, [](int32_t k) { return k == 1 ? 0.1f : 25.0f; }, [](int32_t) { return 5.0f; },
          [](int32_t k) {
              return std::array<uint8_t, 2>{0, static_cast<uint8_t>(k == 6 * 4030 + 1)};
          }}},
        // A faulty status word ends the line; the samples before it stay.
        {"fails half way",
         {{"A6", "~~$$0:%!!"}},
         true,
         {4030,
          {},
          {},
          [](int32_t) {
              return std::array<uint8_t, 2>{1, 1};
          }}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        clsInterval r;
        header(r);
        for (const auto& [code, text] : c.lines) {
            feed(r, L::data("01", code, "00", "0000"));
            for (bool test : {true, false})
                r.SetDataA0(text, test, true);
        }
        EXPECT_EQ(r.Error(), c.error);
        r.closeTrendFile();
        core::WaitForTrendWrites();
        QFile f(core::TrendTempPath(r.TrendFilePath()));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray expected = bytesOf(c.expected);
        const QByteArray got = f.readAll();
        ASSERT_EQ(got.size(), expected.size());
        EXPECT_TRUE(got == expected);
        r.discardTrendFile();
    }
}

TEST_F(IntervalRecord, FaultyDataLines) {
    const std::vector<std::pair<QString, QStringList>> cases = {
        {"A6", {"0A02"}},  // a status digit that is no digit
        {"A0", {"0001"}},  // a compressed line of a code without channel
        {"A7", {"0001"}},
    };
    for (const auto& [code, words] : cases) {
        clsInterval r;
        header(r);
        feed(r, L::data("01", code, "00", "0000"));
        feedWords(r, words);
        EXPECT_TRUE(r.Error()) << code.toStdString();
    }
    EXPECT_EQ(serialLog().count("<<< error catch in SetDataA0() >>> "), 3);
    // A compact text that ends in a repeat count.
    clsInterval r;
    header(r);
    feed(r, L::data("01", "A4", "00", "0000"));
    r.SetDataA0("00?:C", false, true);
    EXPECT_TRUE(r.Error());
}

TEST_F(IntervalRecord, PlainLinesAreEvents) {
    clsInterval r;
    header(r);
    feed(r, L::data("01", "A4", "00", "0000"));
    feedWords(r, QStringList(10, "0001"));
    // The plain line before the samples is the channel's status at the start.
    ASSERT_EQ(r.EventCount(), 1);
    EXPECT_EQ(r.GasEvent(3, 0).toSingle(), -102.0f);
    EXPECT_EQ(r.EventDateTimes(0), start());
    feed(r, L::data("01", "A4", "02", "0030"));
    ASSERT_EQ(r.EventCount(), 2);
    EXPECT_EQ(r.GasEvent(3, 1).toSingle(), -104.0f);
    EXPECT_EQ(r.GasEvent(0, 1).toSingle(), -101.0f);
    EXPECT_EQ(r.EventDateTimes(1), start().addSeconds(630));
    EXPECT_EQ(r.EventBaseDate(1), start());
    // Gas 5's event of the same second shares the row.
    feed(r, L::data("01", "A5", "01", "0630"));
    EXPECT_EQ(r.EventCount(), 2);
    EXPECT_EQ(r.GasEvent(4, 1).toSingle(), -103.0f);
    // Gases without a name store nothing; a non-numeric status gives 0.
    feed(r, L::data("01", "A1", "02", "0000"));
    EXPECT_EQ(r.EventCount(), 2);
    feed(r, L::data("01", "A4", "xx", "0000"));
    EXPECT_EQ(r.EventCount(), 3);
    EXPECT_EQ(r.GasEvent(3, 2).toSingle(), 0.0f);
    // A0 names no channel: gases 1..4 with a name, at the furthest sample.
    feed(r, L::data("01", "A0", "05", "0000"));
    EXPECT_EQ(r.EventCount(), 3);
    EXPECT_EQ(r.GasEvent(3, 2).toSingle(), -107.0f);
}

TEST_F(IntervalRecord, SamplesStopAtTheCapacityOfTheRecord) {
    // Repeat counts of 62 * 64 + 62 = 4030 and 25 * 64 + 11 = 1611 reach 54001 samples, the
    // value rows of the record; one word more is one too many.
    const QString full = QString("~~!!").repeated(13) + "YK!!";
    const struct {
        QString line;
        bool error;
    } cases[] = {{full, false}, {full + "A!!", true}, {QString("~~!!").repeated(14), true}};
    for (const auto& c : cases) {
        clsInterval r;
        header(r);
        feed(r, L::data("01", "A4", "00", "0000"));
        r.SetDataA0(c.line, false, true);
        EXPECT_EQ(r.Error(), c.error) << c.line.size();
        EXPECT_EQ(r.SampleCount(3), 54001);
        // The file ends inside the last sample's record (after its gas 4 value).
        core::WaitForTrendWrites();
        EXPECT_EQ((QFileInfo(core::TrendTempPath(r.TrendFilePath())).size() + 29) / 30, 54001);
    }
    EXPECT_EQ(serialLog().count("<<< error catch in SetDataA0() >>> 9:"), 2);
}

TEST_F(IntervalRecord, EventCountStaysWithinTheTable) {
    const struct {
        int32_t count, held;
    } cases[] = {{0, 0}, {5, 5}, {2049, 2049}, {2050, 2049}, {1000000, 2049}};
    for (const auto& c : cases) {
        clsInterval r;
        r.setEventCount(c.count);
        ASSERT_EQ(r.EventCount(), c.held) << c.count;
        if (c.held > 0) {
            EXPECT_FALSE(r.GasEvent(0, c.held - 1).isEmpty());
        }
        EXPECT_TRUE(r.GasEvent(0, c.held).isEmpty());
        EXPECT_EQ(r.EventDateTimes(c.held).value(), 0.0);
    }
}

TEST_F(IntervalRecord, DuplicateOrFaultyRecordDecodesNoData) {
    clsInterval r;
    header(r);
    r.setDuplicate(true);
    feed(r, L::data("01", "A4", "00", "0000"));
    feedWords(r, {"0001"});
    EXPECT_FALSE(QFileInfo::exists(r.TrendFilePath()));
    EXPECT_FALSE(QFileInfo::exists(core::TrendTempPath(r.TrendFilePath())));
    EXPECT_EQ(r.SampleCount(3), 0);
}

TEST_F(IntervalRecord, DataBeforeTheHeaderWritesNoFile) {
    clsInterval r;
    feed(r, L::data("01", "A4", "00", "0000"));
    feedWords(r, {"0001"});
    EXPECT_TRUE(r.Error());
    EXPECT_TRUE(QDir(core::DataFolder).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(core::DataFolder + "/.Dat"));
}

TEST_F(IntervalRecord, SerialNumberCannotLeaveTheDataFolder) {
    clsInterval r;
    r.setGasBaseInfo(4, "../../x");
    feed(r, L::AD("01", "051231", "235959", "0060"));
    feed(r, L::AC("01", "CH4", "100", "0.1", "TMP", "20", "0.1"));
    feed(r, L::data("01", "A4", "00", "0000"));
    feedWords(r, {"0001"});
    EXPECT_EQ(r.GasBaseInfo(0).toText(), "iv31235959_../../x");
    EXPECT_TRUE(
        QFileInfo::exists(core::TrendTempPath(core::DataFolder + "/05/12/iv31235959_.._.._x.Dat")));
}
