#include <gtest/gtest.h>

#include "core/GasCommon.h"
#include "graph/TrendFill.h"
#include "runtime/Format.h"
#include "tests/printing/PrintRig.h"

namespace {

using testsupport::MemoryTable;
using testsupport::PrintRig;
using testsupport::RecordingSurface;

rt::OleDate day(int d) {
    return *rt::OleDate::fromCivil(2026, 5, d, 8, 0, 0);
}

int32_t storeHead(PrintRig& rig, int32_t seqNo, int types) {
    rig.db().exec(
        "Insert Into Log_Head (SeqNo, Names, SerialNo, UserID, Types, Dates) "
        "Values (?,?,?,?,?,?)",
        {seqNo, QStringLiteral("log"), QStringLiteral("A'1"), QStringLiteral("U1"), types,
         day(20)});
    return seqNo;
}

TEST(EventReport, EveryKindsPropertyBlockHeadingAndRowsNewestFirst) {
    PrintRig rig;
    const int32_t seqNo = storeHead(rig, 40000, 5);  // beyond 16 bits
    const platform::Database d = rig.db();
    for (const auto& [table, extra] : {std::pair{"Alarm_Event", "GasName, Alarm_Type"},
                                       {"Trouble_Event", "GasName, Alarm_Type"}})
        for (int i = 1; i <= 3; ++i)
            d.exec(QStringLiteral("Insert Into %1 (RelNo, Dates, %2) Values (?,?,?,?)")
                       .arg(table, extra),
                   {seqNo, day(i), QString(i == 2 ? "Body" : "CO"), int32_t(i == 3 ? -116 : -104)});
    for (int i = 1; i <= 2; ++i)
        d.exec("Insert Into Power_Event (RelNo, Dates, Power_Type) Values (?,?,?)",
               {seqNo, day(i), i == 2});
    d.exec(
        "Insert Into SensorHistory (RelNo, Dates, SensorNo, GasName, FullScale) Values "
        "(?,?,?,?,?)",
        {seqNo, day(1), QStringLiteral("S-9"), QStringLiteral("O2"), 20.9f});
    const QString when = rt::GeneralDate(day(20));
    const QStringList block = {"Property", "",   "Value",         "Serial No.", "A'1",
                               "User ID",  "U1", "Last Download", when};
    const struct {
        int32_t kind;
        QStringList table;
    } cases[] = {
        {5,
         {"No", "Date/Time", "Gas", "Event", "1", rt::GeneralDate(day(3)), "CO", "2",
          rt::GeneralDate(day(2)), "Body", "ALARM", "3", rt::GeneralDate(day(1)), "CO", "ALARM"}},
        {6,
         {"No", "Date/Time", "Gas/Body", "Event", "1", rt::GeneralDate(day(3)), "CO", "2",
          rt::GeneralDate(day(2)), "Body", "ALARM", "3", rt::GeneralDate(day(1)), "CO", "ALARM"}},
        {7,
         {"No", "Date/Time", "Power", "1", rt::GeneralDate(day(2)), "ON", "2",
          rt::GeneralDate(day(1)), "OFF"}},
        {8,
         {"No", "Date/Time", "SensorNO", "Gas", "FullScale", "1", rt::GeneralDate(day(1)), "S-9",
          "O2", "20.9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        rig.page.calls.clear();
        rig.form.DataType = c.kind;
        rig.form.SeqNo = seqNo;
        rig.form.PrintEventReport(rig.page);
        QStringList expected = block;
        expected.removeAll("");  // empty cells draw nothing
        EXPECT_EQ(rig.texts(), expected + c.table);
    }
    // Where the cells land: the number centred in the first tenth, the date at 10 %, the
    // third cell at 40 %; the sensor history's full scale centred between 70 % and 85 %.
    EXPECT_DOUBLE_EQ(rig.textCall("1")->from.x(), (1100 - 100) / 2.0);
    EXPECT_EQ(rig.textCall("S-9")->from.x(), 0.40 * 11000);
    EXPECT_DOUBLE_EQ(rig.textCall("20.9")->from.x(), 0.70 * 11000 + (0.15 * 11000 - 400) / 2);
}

TEST(EventReport, NoHeaderNoRowsAndOtherKinds) {
    PrintRig rig;
    storeHead(rig, 7, 5);
    rig.form.DataType = 5;
    rig.form.SeqNo = 7;  // a log without rows
    rig.form.PrintEventReport(rig.page);
    EXPECT_EQ(rig.texts().size(), 8);  // the block only: no heading, no rule under it
    EXPECT_EQ(rig.page.of(RecordingSurface::Call::Line).size(), 1u);
    rig.page.calls.clear();
    rig.form.SeqNo = 99;  // no such download: the block with empty values
    rig.form.PrintEventReport(rig.page);
    EXPECT_EQ(rig.texts(),
              QStringList({"Property", "Value", "Serial No.", "User ID", "Last Download"}));
    for (int32_t kind : {0, 9}) {
        rig.page.calls.clear();
        rig.page.CurrentY = 1000;
        rig.form.DataType = kind;
        rig.form.PrintEventReport(rig.page);
        EXPECT_TRUE(rig.page.calls.empty());
        EXPECT_DOUBLE_EQ(rig.page.CurrentY, 1000 + 2 * 220);
    }
}

TEST(CalibrationHistory, PairsOfRowsAndTheContinuationHeading) {
    PrintRig rig;
    const int32_t seqNo = storeHead(rig, 3, 3);
    rig.db().exec(
        "Update Log_Head Set Gas4Name = 'O2', Gas4Full = 25, Gas4Point = 1, "
        "Gas4Unit = '%', Gas4Enable = 1 Where SeqNo = 3");
    const int count = 40;
    for (int i = 0; i < count; ++i)
        rig.db().exec(
            "Insert Into cHistory (RelNo, Dates, Gas4GasName, Gas4Before, Gas4After, "
            "Gas4Point) Values (?,?,?,?,?,?)",
            {seqNo, day(1).addSeconds(i * 60), QStringLiteral("O2"), i == 0 ? -109.0f : 20.5f,
             20.9f, int16_t(2)});
    rig.form.DataType = 3;
    rig.form.SeqNo = seqNo;
    rig.form.PrintCalibrationHistory(rig.page);
    const auto pages = rig.page.pages();
    const QStringList first = PrintRig::textsOf(pages[0]);
    EXPECT_EQ(first.mid(0, 8), QStringList({"Property", "Value", "Serial No.", "A'1", "User ID",
                                            "U1", "Last Download", rt::GeneralDate(day(20))}));
    EXPECT_EQ(first.mid(8, 2), QStringList({"No", "Date/Time"}));
    // Newest first: the last stored row is number 1.
    EXPECT_EQ(first.mid(10, 8),
              QStringList({"1", rt::GeneralDate(day(1).addSeconds((count - 1) * 60)), "Before",
                           "20.50", "O2", "After", "20.90", "2"}));
    // Pages break after a pair, never inside one, and continue under the heading with the
    // gas caption.
    ASSERT_GT(pages.size(), 1u);
    for (size_t p = 1; p < pages.size(); ++p) {
        const QStringList t = PrintRig::textsOf(pages[p]);
        EXPECT_EQ(t.at(3), "No");
        EXPECT_EQ(t.at(5).left(2), "O2");                            // the caption of the gas
        EXPECT_EQ(PrintRig::textsOf(pages[p - 1]).last(), "20.90");  // an "After" row ended it
    }
    const QStringList last = PrintRig::textsOf(pages.back());
    // The oldest calibration last, its reading code as its word.
    EXPECT_EQ(last.mid(last.size() - 5),
              QStringList({"Before", "FAIL(Cal.)", "O2", "After", "20.90"}));
    EXPECT_EQ(rig.page.of(RecordingSurface::Call::Line).back().pen.width, 4);
}

TEST(LastCalibration, TheListsFirstFourColumns) {
    PrintRig rig;
    MemoryTable table;
    table.rows = {{"No.", "SerialNo", "UserID", "Last Calib.Date", "Last Download"}};
    for (int i = 1; i <= 80; ++i)
        table.rows.push_back({QString::number(i), QStringLiteral("S%1").arg(i), "U", "d", "w"});
    rig.form.DataType = 4;
    rig.form.Table = &table;
    rig.form.PrintLastCalibration(rig.page);
    const auto pages = rig.page.pages();
    const QStringList first = PrintRig::textsOf(pages[0]);
    EXPECT_EQ(first.mid(0, 8),
              QStringList({"No.", "SerialNo", "UserID", "Last Calib.Date", "1", "S1", "U", "d"}));
    EXPECT_FALSE(first.contains("Last Download"));
    // The first page's rule stands above the heading, a continuation's below it.
    const auto firstLines = [](const std::vector<RecordingSurface::Call>& calls) {
        for (const auto& c : calls)
            if (c.kind == RecordingSurface::Call::Line) return c.from.y();
        return -1.0;
    };
    EXPECT_LT(firstLines(pages[0]), rig.textCall("No.")->from.y());
    ASSERT_GT(pages.size(), 1u);
    const auto& second = pages[1];
    double headingY = 0;
    for (const auto& c : second)
        if (c.kind == RecordingSurface::Call::Text && c.text == "No.") headingY = c.from.y();
    EXPECT_GT(firstLines(second), headingY);
    // Column 0 centred in the first 5 %, the others at 5 %, 15 % and 25 %.
    EXPECT_DOUBLE_EQ(rig.textCall("S1")->from.x(), 0.05 * 11000);
    EXPECT_DOUBLE_EQ(rig.textCall("d")->from.x(), 0.25 * 11000);
    // Only the title row: rule, heading, closing rule.
    rig.page.calls.clear();
    table.rows.resize(1);
    rig.form.PrintLastCalibration(rig.page);
    EXPECT_EQ(rig.texts().size(), 4);
    EXPECT_EQ(rig.page.of(RecordingSurface::Call::Line).size(), 2u);
}

// ---- the graph report ----------------------------------------------------------------------

TEST(GraphReport, TheReportsOwnSettings) {
    PrintRig rig;
    core::PrintLineWidths = {3.0f, 2.0f, 1.0f};
    records::clsAlarm r;
    r.setGasBaseInfo(0, QStringLiteral("al01"));
    r.setGasListInfo(3, 13, true);
    r.setGasListInfo(4, 13, true);
    for (int count : {361, 362}) {
        SCOPED_TRACE(count);
        r.setDataCount(static_cast<int16_t>(count));
        for (int i = 0; i < count; ++i)
            r.setDateTimes(i, rt::OleDate::DateSerial(2026, 6, 1).addSeconds(i));
        for (int sampling : {0, 2}) {
            r.setGasBaseInfo(7, sampling);
            rig.form.DataType = 2;
            rig.form.AlarmData = &r;
            rig.form.LoadGraph();
            graph::uclZvdGraph& g = *rig.form.zvdPrint;
            EXPECT_EQ(g.DrawLineWidth, 3.0f);
            EXPECT_EQ(g.ScaleLineWidth, 2.0f);
            EXPECT_TRUE(g.TitleTop.endsWith(sampling == 2 ? "Interval Trend" : "Alarm Trend"));
            EXPECT_EQ(g.SampleCount, count);
            for (int s = 0; s < 5; ++s)
                EXPECT_FALSE(g.EventVisible(s)) << s;
            EXPECT_TRUE(g.SampleVisible(3));
            EXPECT_FALSE(g.SampleVisible(4));  // the temperature only with "-DEBUG"
            EXPECT_EQ(g.EventFlag(graph::CommonTexts, 360), count >= 362 ? "Alarm" : "");
            EXPECT_EQ(g.EventVisible(graph::CommonTexts), count >= 362);
        }
    }
}

}  // namespace
