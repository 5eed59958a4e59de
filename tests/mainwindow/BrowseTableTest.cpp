#include <gtest/gtest.h>

#include <QCoreApplication>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "platform/Database.h"
#include "runtime/Color.h"
#include "runtime/Format.h"
#include "tests/support/EndToEndHost.h"
#include "trendview/BrowseTable.h"

using platform::FlexGrid;
using platform::FlexProperty::Alignment;
using platform::FlexProperty::BackColor;
using testsupport::EndToEndHost;
using testsupport::FakeQM73;
using trendview::BrowseSource;
using trendview::TableOptions;

namespace {

constexpr int Left = 1, Centre = 4;

QStringList rowOf(const FlexGrid& g, int row) {
    QStringList cells;
    for (int c = 0; c < g.Cols(); ++c)
        cells << g.TextMatrix(row, c);
    return cells;
}

QString generalDate(int y, int mo, int d, int h, int mi, int s) {
    return rt::FormatDate(*rt::OleDate::fromCivil(y, mo, d, h, mi, s), "General Date");
}

// The typical instrument downloaded and stored in a program folder of its own, and the two
// grids of the data page.
struct Stored : EndToEndHost {
    explicit Stored(const FakeQM73& fake = FakeQM73::Typical()) : EndToEndHost(fake) {
        EXPECT_TRUE(connect());
        EXPECT_TRUE(downloadAll()) << results.join(",").toStdString();
        summary.resize(600, 400);
        data.resize(600, 400);
        data.show();  // a view to scroll
        QCoreApplication::processEvents();
    }
    int32_t seqNoOf(int types, int nth = 0) {
        return db()
            .query("Select SeqNo From Log_Head Where Types=? Order By SeqNo", {types})
            .longValue(nth, "SeqNo");
    }
    // Shows one stored download of a kind (its record loaded as the page loads it).
    void show(int type, TableOptions options = {}, int nth = 0) {
        BrowseSource s;
        s.type = type;
        s.seqNo = type == 4 ? 1 : seqNoOf(type, nth);
        s.database = folder.paths().database();
        switch (type) {
            case 1:
                interval.setSeqNo(s.seqNo);
                interval.ReLoad();
                s.interval = &interval;
                break;
            case 2:
                alarm.setSeqNo(s.seqNo);
                alarm.ReLoad();
                s.alarm = &alarm;
                break;
            case 3:
                history.setSeqNo(s.seqNo);
                history.ReLoad();
                s.history = &history;
                break;
            case 5:
                alarmEvent.setSeqNo(s.seqNo);
                alarmEvent.ReLoad();
                s.events = &alarmEvent;
                break;
            case 6:
                troubleEvent.setSeqNo(s.seqNo);
                troubleEvent.ReLoad();
                s.events = &troubleEvent;
                break;
            case 7:
                powerEvent.setSeqNo(s.seqNo);
                powerEvent.ReLoad();
                s.events = &powerEvent;
                break;
            default:
                break;
        }
        trendview::ShowBrowseTable(s, options, summary, data);
    }
    records::clsInterval interval;
    records::clsAlarm alarm;
    records::clsHistory history;
    records::clsAlarmEvent alarmEvent;
    records::clsTroubleEvent troubleEvent;
    records::clsPowerEvent powerEvent;
    FlexGrid summary, data;
};

// An interval trend made in memory: `samples` samples a minute apart from 10:00 with gas-3
// readings i / 10 and an alarm event at sample `eventAt`.
void makeTrend(records::clsInterval& r, int samples, int eventAt) {
    r.setGasListInfo(3, 0, "CH4");
    r.setGasListInfo(3, 1, 100);
    r.setGasListInfo(3, 3, 1);
    r.setGasListInfo(3, 13, true);
    r.setDataCount(samples);
    const rt::OleDate start = *rt::OleDate::fromCivil(2024, 5, 31, 10, 0, 0);
    for (int i = 0; i < samples; ++i) {
        r.setDateTimes(i, start.addSeconds(i * 60));
        r.setGasValue(3, i, float(i % 900) / 10);
    }
    r.setEventCount(1);
    r.setEventDateTimes(0, start.addSeconds(eventAt * 60));
    r.setGasEvent(3, 0, -104.0f);
    r.setGasEvent(4, 0, -101.0f);
}

}  // namespace

TEST(BrowseTable, IntervalTrendSummary) {
    Stored s;
    s.show(1);
    const FlexGrid& g = s.summary;
    ASSERT_EQ(g.Rows(), 11);
    ASSERT_EQ(g.Cols(), 2);
    const QList<QStringList> expected = {
        {"Property", "Value"},
        {"Name", s.interval.GasBaseInfo(0).toText()},
        {"Start Date/Time", generalDate(2024, 5, 31, 13, 5, 9)},
        {"Serial No.", "SN000001"},
        {"User ID", "USER01"},
        {"Data Count", "102"},  // 100 samples and 2 events
        {"Interval Time (sec)", "60"},
        {"Gas(FullScale)", "CH4(100.0%LEL)"},
        {"Avg", "-----"},  // the download holds no statistics
        {"Max", "-----"},
        {"Max Date/Time", "-----"},
    };
    for (int row = 0; row < 11; ++row)
        EXPECT_EQ(rowOf(g, row), expected[row]) << row;
    // Its look.
    EXPECT_EQ(g.Cell(Alignment, 0, 0), Centre);
    EXPECT_EQ(g.Cell(Alignment, 3, 1), Left);
    EXPECT_EQ(g.Cell(Alignment, 8, 1), Centre);
    EXPECT_EQ(g.Cell(Alignment, 10, 1), Left);
    EXPECT_EQ(g.Cell(BackColor, 7, 1), rt::RGB(224, 224, 224));
    EXPECT_EQ(g.Cell(BackColor, 8, 1), 0);
    EXPECT_TRUE(g.MergeCells() != 0 && g.MergeRow(0) && g.MergeRow(10));
}

TEST(BrowseTable, IntervalTrendStatisticsAreScaledAndOverTheFullScaleSaysOver) {
    records::clsInterval r;
    makeTrend(r, 3, 1);
    r.setGasListInfo(3, 8, 250);    // 25.0
    r.setGasListInfo(3, 10, 1200);  // 120.0: beyond the full scale
    r.setGasListInfo(3, 11, *rt::OleDate::fromCivil(2024, 5, 31, 10, 1, 0));
    BrowseSource s;
    s.type = 1;
    s.interval = &r;
    FlexGrid summary, data;
    trendview::ShowBrowseTable(s, {}, summary, data);
    EXPECT_EQ(summary.TextMatrix(8, 1), "OVER");
    EXPECT_EQ(summary.TextMatrix(9, 1), "25.0");
    EXPECT_EQ(summary.TextMatrix(10, 1), "05/31 10:01:00");
}

TEST(BrowseTable, IntervalTrendRowsSamplesAndEventsInTimeOrder) {
    for (const bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug" : "plain");
        Stored s;
        TableOptions options;
        options.debug = debug;
        s.show(1, options);
        const FlexGrid& g = s.data;
        ASSERT_EQ(g.Rows(), 1 + 102 - 1);  // the alarm event and its sample share a row
        EXPECT_EQ(rowOf(g, 0), (QStringList{"No", "Date/Time", "CH4(100.0%LEL)", "TMP (°C)"}));
        // The start event (its second has no sample), on the colour of NORMAL, left.
        EXPECT_EQ(rowOf(g, 1),
                  (QStringList{"1", generalDate(2024, 5, 31, 13, 5, 9), "NORMAL", "NORMAL"}));
        EXPECT_EQ(g.Cell(BackColor, 1, 2), rt::RGB(64, 192, 128));
        EXPECT_EQ(g.Cell(Alignment, 1, 2), Left);
        // A sample row: no colour, centred; its date kept for the trend search.
        EXPECT_EQ(g.TextMatrix(3, 1), generalDate(2024, 5, 31, 13, 7, 9));
        EXPECT_EQ(g.Cell(BackColor, 3, 2), 0);
        EXPECT_EQ(g.Cell(Alignment, 3, 2), Centre);
        EXPECT_EQ(g.Cell(Alignment, 3, 1), Left);
        EXPECT_EQ(g.RowDate(3), *rt::OleDate::fromCivil(2024, 5, 31, 13, 7, 9));
        // The alarm event at 14:45:09 takes the reading of its sample; gas 4 had no event.
        int alarmRow = -1;
        for (int row = 1; row < g.Rows(); ++row)
            if (g.TextMatrix(row, 2).startsWith("ALARM")) alarmRow = row;
        ASSERT_GT(alarmRow, 0);
        const float reading = s.interval.GasValue(3, 99).toSingle();  // the sample of 14:45:09
        EXPECT_EQ(g.TextMatrix(alarmRow, 2),
                  "ALARM(" + core::OverIfOutOfRange(core::ValueText(reading, 1), 100) + ")");
        EXPECT_EQ(g.Cell(BackColor, alarmRow, 2), rt::RGB(255, 0, 0));
        EXPECT_EQ(g.Cell(BackColor, alarmRow, 3), 0);
        EXPECT_FALSE(g.TextMatrix(alarmRow, 3).isEmpty());
        EXPECT_EQ(g.TextMatrix(alarmRow, 1), generalDate(2024, 5, 31, 14, 45, 9));
        EXPECT_EQ(g.ColHidden(3), !debug);
    }
}

TEST(BrowseTable, EventOnlyLeavesTheSampleRowsOut) {
    Stored s;
    TableOptions options;
    options.eventOnly = true;
    s.show(1, options);
    ASSERT_EQ(s.data.Rows(), 3);
    EXPECT_EQ(s.data.TextMatrix(1, 0), "1");
    EXPECT_EQ(s.data.TextMatrix(2, 0), "2");
    EXPECT_TRUE(s.data.TextMatrix(2, 2).startsWith("ALARM"));
}

TEST(BrowseTable, EventCellsStandLeftOnlyUpToTheRowLimitUnlessCondensed) {
    struct Case {
        int samples;
        bool condensed;
        int alignment;
    };
    // One event row sharing no sample's second: samples + 1 data rows + the title row.
    const Case cases[] = {{5398, false, Left}, {5399, false, Centre}, {5399, true, Left}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.samples);
        records::clsInterval r;
        makeTrend(r, c.samples, 0);
        r.setEventDateTimes(0, r.DateTimes(0).addSeconds(30));
        BrowseSource s;
        s.type = 1;
        s.interval = &r;
        TableOptions options;
        options.condensed = c.condensed;
        FlexGrid summary, data;
        trendview::ShowBrowseTable(s, options, summary, data);
        ASSERT_EQ(data.Rows(), c.samples + 2);
        EXPECT_EQ(data.TextMatrix(2, 2), "ALARM");
        EXPECT_EQ(data.Cell(Alignment, 2, 2), c.alignment);
    }
}

// A large table's texts are made as they are read: they stay those of the trend as it was
// shown, whatever becomes of the record afterwards (another download loaded into it).
TEST(BrowseTable, TextsReadLaterAreThoseOfTheTrendShown) {
    const auto shown = [](records::clsInterval& r, FlexGrid& data) {
        BrowseSource s;
        s.type = 1;
        s.interval = &r;
        FlexGrid summary;
        trendview::ShowBrowseTable(s, {}, summary, data);
    };
    records::clsInterval first, second;
    for (records::clsInterval* r : {&first, &second}) {
        makeTrend(*r, 40, 12);
        r->setGasListInfo(4, 3, 2);
        r->setGasListInfo(4, 8, 3.5f);
        r->setGasListInfo(4, 9, 0.25f);
        for (int i = 0; i < 40; ++i)
            r->setGasValue(4, i, float(i) / 8);
        r->setEventCount(2);
        r->setEventDateTimes(1, r->DateTimes(20).addSeconds(30));
        r->setGasEvent(3, 1, -103.0f);
        r->setGasEvent(4, 1, -104.0f);
    }
    FlexGrid read, later;
    shown(first, read);
    shown(second, later);
    // Every text of the first read at once; the second's record changed before any is read.
    std::vector<QStringList> expected;
    for (int row = 0; row < read.Rows(); ++row)
        expected.push_back(rowOf(read, row));
    second.ClearDatas();
    makeTrend(second, 3, 1);
    ASSERT_EQ(later.Rows(), read.Rows());
    for (int row = 0; row < later.Rows(); ++row)
        EXPECT_EQ(rowOf(later, row), expected[static_cast<size_t>(row)]) << row;
    EXPECT_EQ(expected[13],
              (QStringList{"13", generalDate(2024, 5, 31, 10, 12, 0), "ALARM(1.2)", "1.50"}));
    EXPECT_EQ(expected[22][0], "22");
    EXPECT_EQ(expected[41][3], "OVER");
}

TEST(BrowseTable, AlarmTrendSummaryRedRowAndScroll) {
    Stored s;
    s.show(2);
    ASSERT_EQ(s.summary.Rows(), 7);
    EXPECT_EQ(rowOf(s.summary, 2),
              (QStringList{"Alarm Date/Time", generalDate(2024, 3, 15, 14, 30, 0)}));
    EXPECT_EQ(rowOf(s.summary, 5), (QStringList{"Data Count", "720"}));
    const FlexGrid& g = s.data;
    ASSERT_EQ(g.Rows(), 721);
    for (int col = 1; col <= 3; ++col)
        EXPECT_EQ(g.Cell(BackColor, 361, col), rt::RGB(255, 0, 0)) << col;
    EXPECT_EQ(g.Cell(BackColor, 361, 0), 0);
    EXPECT_EQ(g.Cell(BackColor, 360, 1), 0);
    EXPECT_TRUE(g.ColHidden(3));
    // The alarm's row near the middle of the view.
    EXPECT_GT(g.TopRow(), 1);
    EXPECT_LE(g.TopRow(), 361);
    EXPECT_GE(g.BottomRow(), 361);
    const int middle = (g.TopRow() + g.BottomRow()) / 2;
    EXPECT_NEAR(middle, 361, 2);
}

TEST(BrowseTable, AlarmTrendWithoutTheAlarmRowOrKeptAsIntervalTrend) {
    records::clsAlarm r;
    r.setDataCount(360);
    for (int i = 0; i < 360; ++i)
        r.setDateTimes(i, rt::OleDate::fromCivil(2024, 3, 15, 14, 0, 0)->addSeconds(i * 10));
    BrowseSource s;
    s.type = 2;
    s.alarm = &r;
    FlexGrid summary, data;
    data.resize(600, 400);
    trendview::ShowBrowseTable(s, {}, summary, data);
    ASSERT_EQ(data.Rows(), 361);
    for (int row = 1; row < data.Rows(); ++row)
        ASSERT_EQ(data.Cell(BackColor, row, 1), 0) << row;
    // Header field 7 says it is an interval trend: the view stays at the top.
    r.setDataCount(720);
    r.setGasBaseInfo(7, 2);
    trendview::ShowBrowseTable(s, {}, summary, data);
    EXPECT_EQ(data.TopRow(), 1);
    EXPECT_EQ(data.Cell(BackColor, 361, 1), rt::RGB(255, 0, 0));
}

// A short alarm trend scrolls towards the alarm's row as far as the table goes: it opens at its
// last rows, the alarm's row (its last) in view when it has one.
TEST(BrowseTable, ShortAlarmTrendOpensAtItsLastRows) {
    for (const int samples : {10, 100, 300, 360, 361}) {
        SCOPED_TRACE(samples);
        records::clsAlarm r;
        r.setDataCount(samples);
        for (int i = 0; i < samples; ++i)
            r.setDateTimes(i, rt::OleDate::fromCivil(2024, 3, 15, 14, 0, 0)->addSeconds(i * 10));
        BrowseSource s;
        s.type = 2;
        s.alarm = &r;
        FlexGrid summary, data;
        data.resize(600, 400);
        data.show();
        QCoreApplication::processEvents();
        trendview::ShowBrowseTable(s, {}, summary, data);
        ASSERT_EQ(data.Rows(), samples + 1);
        EXPECT_EQ(data.BottomRow(), samples);  // the last row in view
        const int top = data.TopRow();
        data.setTopRow(data.Rows());  // as far as the table scrolls
        EXPECT_EQ(top, data.TopRow());
        if (samples >= 361) {
            EXPECT_LE(top, 361);
        }
    }
}

TEST(BrowseTable, CalibrationHistoryTwoRowsPerCalibration) {
    Stored s;
    s.show(3);
    EXPECT_EQ(rowOf(s.summary, 1), (QStringList{"Serial No.", "SN000001"}));
    const FlexGrid& g = s.data;
    ASSERT_EQ(g.Rows(), 7);  // three calibrations
    EXPECT_EQ(g.TextMatrix(0, 0), "No");
    EXPECT_EQ(g.TextMatrix(0, 2), "");
    EXPECT_FALSE(g.ColHidden(3));
    for (int i = 0; i < 3; ++i) {
        const int before = 2 * i + 1, after = 2 * i + 2;
        EXPECT_EQ(g.TextMatrix(before, 0), QString::number(i + 1));
        EXPECT_EQ(g.TextMatrix(before, 2), "Before");
        EXPECT_EQ(g.TextMatrix(after, 0), "");
        EXPECT_EQ(g.TextMatrix(after, 2), "After");
        EXPECT_EQ(g.Cell(BackColor, before, 1), rt::RGB(240, 240, 240));
        EXPECT_EQ(g.Cell(BackColor, before, 0), 0);
        EXPECT_EQ(g.Cell(BackColor, after, 2), 0);
        EXPECT_EQ(g.Cell(Alignment, before, 3), Centre);
    }
    // Newest first: the June calibration, its gas in the second row.
    EXPECT_TRUE(g.TextMatrix(1, 1).contains("2024")) << g.TextMatrix(1, 1).toStdString();
    EXPECT_EQ(g.TextMatrix(1, 1), generalDate(2024, 6, 1, 9, 30, 0));
    EXPECT_EQ(g.TextMatrix(2, 1), "CH4 50%");
    EXPECT_EQ(g.TextMatrix(1, 3), "OVER");
    EXPECT_EQ(g.Cell(Alignment, 1, 1), Left);
    EXPECT_EQ(g.Cell(Alignment, 1, 0), Centre);
}

TEST(BrowseTable, EventLogsNewestFirstWithTheirColumns) {
    Stored s;
    s.show(1);  // the trend hides column 3; the event tables show it again
    ASSERT_TRUE(s.data.ColHidden(3));

    s.show(5);
    EXPECT_EQ(rowOf(s.summary, 2), (QStringList{"User ID", "USER01"}));
    ASSERT_EQ(s.data.Rows(), 3);
    EXPECT_EQ(rowOf(s.data, 0), (QStringList{"No", "Date/Time", "Gas", "Event"}));
    EXPECT_EQ(s.data.TextMatrix(1, 1), generalDate(2025, 12, 25, 10, 10, 10));
    EXPECT_EQ(s.data.TextMatrix(2, 1), generalDate(2025, 12, 24, 9, 15, 30));
    EXPECT_FALSE(s.data.TextMatrix(1, 3).isEmpty());
    EXPECT_FALSE(s.data.ColHidden(3));
    EXPECT_EQ(s.data.Cell(Alignment, 1, 0), Centre);
    EXPECT_EQ(s.data.Cell(Alignment, 1, 1), Left);

    s.show(6);
    EXPECT_EQ(rowOf(s.data, 0), (QStringList{"No", "Date/Time", "Gas/Body", "Event"}));
    EXPECT_EQ(s.data.Rows(), 2);

    s.show(7);
    EXPECT_EQ(rowOf(s.data, 0), (QStringList{"No", "Date/Time", "Power"}));
    ASSERT_EQ(s.data.Rows(), 3);
    EXPECT_EQ(rowOf(s.data, 1), (QStringList{"1", generalDate(2025, 12, 24, 18, 0, 0), "OFF"}));
    EXPECT_EQ(rowOf(s.data, 2), (QStringList{"2", generalDate(2025, 12, 24, 6, 0, 0), "ON"}));
}

TEST(BrowseTable, SensorHistoryFromTheDatabase) {
    Stored s;
    s.show(8);
    EXPECT_EQ(rowOf(s.summary, 1), (QStringList{"Serial No.", "SN000001"}));
    EXPECT_EQ(rowOf(s.summary, 2), (QStringList{"User ID", "USER01"}));
    EXPECT_EQ(s.summary.TextMatrix(3, 0), "Last Download");
    const FlexGrid& g = s.data;
    EXPECT_EQ(rowOf(g, 0), (QStringList{"No", "Date/Time", "SensorNO", "Gas", "FullScale"}));
    ASSERT_EQ(g.Rows(), 3);
    // Newest first: the station of June.
    EXPECT_GT(g.RowDate(1), g.RowDate(2));
    EXPECT_EQ(g.Cell(Alignment, 1, 4), Centre);
    EXPECT_EQ(g.Cell(Alignment, 1, 3), Left);
    EXPECT_FALSE(g.ColHidden(3));

    // A download whose header row is gone: empty values, no rows.
    s.db().exec("Delete From Log_Head Where Types=8");
    BrowseSource source;
    source.type = 8;
    source.seqNo = 12345;
    source.database = s.folder.paths().database();
    trendview::ShowBrowseTable(source, {}, s.summary, s.data);
    EXPECT_EQ(rowOf(s.summary, 1), (QStringList{"Serial No.", ""}));
    EXPECT_EQ(s.data.Rows(), 1);
}

TEST(BrowseTable, RelationNumbersBeyond16Bits) {
    Stored s;
    const platform::Database db = s.db();
    db.exec("Update Log_Head Set SeqNo=40000 Where Types=7");
    db.exec("Update Power_Event Set RelNo=40000");
    BrowseSource source;
    source.type = 7;
    source.seqNo = 40000;
    source.database = s.folder.paths().database();
    records::clsPowerEvent r;
    source.events = &r;
    trendview::ShowBrowseTable(source, {}, s.summary, s.data);
    EXPECT_EQ(s.data.Rows(), 3);
}

TEST(BrowseTable, KindFourAndTheGraphViewLeaveTheDataGrid) {
    Stored s;
    s.show(5);
    const QStringList before = rowOf(s.data, 1);
    s.show(4);
    EXPECT_TRUE(s.summary.isHidden());
    EXPECT_EQ(s.summary.Rows(), 1);
    EXPECT_EQ(s.summary.Cols(), 1);
    EXPECT_EQ(rowOf(s.data, 1), before);
    // With the graph chosen only the summary is filled (the sensor history's stays as it was).
    TableOptions graph;
    graph.tableShown = false;
    s.show(7, graph);
    EXPECT_EQ(rowOf(s.data, 1), before);
    EXPECT_EQ(s.summary.Rows(), 4);
    s.show(8, graph);
    EXPECT_EQ(s.summary.Rows(), 4);
    EXPECT_EQ(rowOf(s.data, 1), before);
}
