#include <gtest/gtest.h>

#include "core/GasCommon.h"
#include "runtime/Color.h"
#include "runtime/Format.h"
#include "tests/printing/PrintRig.h"

namespace {

using testsupport::MemoryTable;
using testsupport::PrintRig;
using testsupport::RecordingSurface;

// An interval trend: gas 3 "CO" (full scale 100, one decimal place) with its statistics.
void intervalRecord(records::clsInterval& r, int samples, int events) {
    r.setGasBaseInfo(0, QStringLiteral("iv01_A1"));
    r.setGasBaseInfo(1, *rt::OleDate::fromCivil(2026, 6, 1, 8, 0, 0));
    r.setGasBaseInfo(2, QStringLiteral("U1"));
    r.setGasBaseInfo(4, QStringLiteral("A1"));
    r.setGasBaseInfo(6, 60);
    r.setGasListInfo(3, 0, QStringLiteral("CO"));
    r.setGasListInfo(3, 1, 100.0f);
    r.setGasListInfo(3, 3, int16_t(1));
    r.setGasListInfo(3, 14, QStringLiteral("ppm"));
    r.setGasListInfo(3, 10, 235.0f);
    r.setGasListInfo(3, 8, 1050.0f);
    r.setGasListInfo(3, 11, *rt::OleDate::fromCivil(2026, 6, 1, 9, 5, 7));
    r.setGasListInfo(3, 13, true);
    r.setDataCount(samples);
    r.setEventCount(events);
}

TEST(TrendSummary, TheIntervalTrendsBlock) {
    PrintRig rig;
    records::clsInterval r;
    intervalRecord(r, 100, 3);
    rig.form.DataType = 1;
    rig.form.IntervalData = &r;
    rig.form.PrintTrendSummary(rig.page);
    EXPECT_EQ(rig.texts(),
              QStringList({"Property",
                           "Value",
                           "Name",
                           "iv01_A1",
                           "Start Date/Time",
                           rt::GeneralDate(*rt::OleDate::fromCivil(2026, 6, 1, 8, 0, 0)),
                           "Serial No.",
                           "A1",
                           "User ID",
                           "U1",
                           "Data Count",
                           "103",
                           "Interval Time (sec)",
                           "60",
                           "Gas(FullScale)",
                           core::GasCaption(&r, 3, true),
                           "Avg",
                           "23.5",
                           "Max",
                           "OVER",
                           "Max Date/Time",
                           "06/01 09:05:07"}));
    // The first row at a twentieth of the height, values at a quarter of the width; the gas
    // block's values centred between 25 % and 40 %.
    EXPECT_EQ(rig.textCall("Property")->from.y(), 15000 / 20.0);
    EXPECT_EQ(rig.textCall("iv01_A1")->from.x(), 0.25 * 11000);
    EXPECT_DOUBLE_EQ(rig.textCall("23.5")->from.x(), 0.25 * 11000 + (0.15 * 11000 - 400) / 2);
    const auto lines = rig.page.of(RecordingSurface::Call::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.back().pen.width, 4);  // the closing rule
    EXPECT_EQ(rig.page.DrawWidth, 1);
    EXPECT_EQ(rig.page.CurrentY, lines.back().to.y());

    // A gas that is off, and statistics that are reading codes or at the full scale.
    rig.page.calls.clear();
    r.setGasListInfo(3, 10, -110.0f);
    r.setGasListInfo(3, 8, 1000.0f);
    rig.form.PrintTrendSummary(rig.page);
    EXPECT_NE(rig.textCall("FAIL(Sen.)"), nullptr);
    EXPECT_NE(rig.textCall("100.0"), nullptr);
    rig.page.calls.clear();
    r.setGasListInfo(3, 13, false);
    rig.form.PrintTrendSummary(rig.page);
    EXPECT_EQ(rig.texts().mid(16),
              QStringList({"Avg", "-----", "Max", "-----", "Max Date/Time", "-----"}));
}

TEST(TrendSummary, TheAlarmTrendsBlockByItsSampling) {
    PrintRig rig;
    records::clsAlarm r;
    r.setGasBaseInfo(0, QStringLiteral("al01"));
    r.setGasBaseInfo(1, *rt::OleDate::fromCivil(2026, 6, 2, 10, 0, 0));
    rig.form.DataType = 2;
    rig.form.AlarmData = &r;
    for (const auto& [sampling, label] :
         {std::pair{0, "Alarm Date/Time"}, std::pair{1, "Alarm Date/Time"},
          std::pair{2, "Start Date/Time"}}) {
        rig.page.calls.clear();
        r.setGasBaseInfo(7, sampling);
        rig.form.PrintTrendSummary(rig.page);
        const QStringList t = rig.texts();
        EXPECT_EQ(t.at(4), label);
        EXPECT_FALSE(t.contains("Gas(FullScale)"));
        EXPECT_EQ(t.size(), 14);
    }
}

// A full scale that could not be read (the record holds no value for it) bounds no reading:
// the printed rows show them as read, and the caption no scale.
TEST(DataList, WithoutAFullScaleTheReadingsPrintAsRead) {
    PrintRig rig;
    records::clsAlarm r;
    r.setGasListInfo(3, 0, QStringLiteral("CO"));
    r.setGasListInfo(3, 1, -101.0f);
    r.setGasListInfo(3, 3, int16_t(2));
    r.setGasListInfo(3, 14, QStringLiteral("ppm"));
    const float values[] = {12.5f, 105, -0.5f, -101};
    r.setDataCount(4);
    for (int i = 0; i < 4; ++i) {
        r.setDateTimes(i, rt::OleDate::DateSerial(2026, 6, 1).addSeconds(i));
        r.setValue(3, i, values[i]);
    }
    rig.form.DataType = 2;
    rig.form.AlarmData = &r;
    rig.page.CurrentY = 3000;
    rig.form.PrintDataList(rig.page);
    const QStringList texts = rig.texts();
    EXPECT_EQ(texts.mid(0, 3), QStringList({"No", "Date/Time", "CO(ppm)"}));
    EXPECT_EQ(texts.at(5), "12.50");
    EXPECT_EQ(texts.at(8), "105.00");
    EXPECT_EQ(texts.at(11), "-0.50");
    EXPECT_EQ(texts.at(14), "-----");
    EXPECT_FALSE(texts.contains("OVER"));
}

TEST(DataList, AnAlarmTrendsRowsTheRuleAtItsAlarmAndItsPages) {
    PrintRig rig;
    records::clsAlarm r;
    r.setGasListInfo(3, 0, QStringLiteral("CO"));
    r.setGasListInfo(3, 1, 100.0f);
    r.setGasListInfo(3, 3, int16_t(2));
    const int samples = 400;
    r.setDataCount(static_cast<int16_t>(samples));
    const float values[] = {12.5f, 105, -0.5f, -101, 100};
    for (int i = 0; i < samples; ++i) {
        r.setDateTimes(i, rt::OleDate::DateSerial(2026, 6, 1).addSeconds(i));
        r.setValue(3, i, values[i % 5]);
    }
    rig.form.DataType = 2;
    rig.form.AlarmData = &r;
    rig.page.CurrentY = 3000;  // below the summary
    rig.form.PrintDataList(rig.page);
    const auto pages = rig.page.pages();
    const QStringList first = PrintRig::textsOf(pages[0]);
    EXPECT_EQ(first.mid(0, 3), QStringList({"No", "Date/Time", core::GasCaption(&r, 3, true)}));
    EXPECT_EQ(first.mid(3, 3), QStringList({"1", rt::GeneralDate(r.DateTimes(0)), "12.50"}));
    EXPECT_EQ(first.at(8), "OVER");     // 105 above the full scale of 100
    EXPECT_EQ(first.at(11), "OVER");    // -0.5
    EXPECT_EQ(first.at(14), "-----");   // a reading code stays a word
    EXPECT_EQ(first.at(17), "100.00");  // the full scale itself
    // The date column starts at its column's left edge, the others are centred.
    EXPECT_EQ(rig.textCall(rt::GeneralDate(r.DateTimes(0)))->from.x(), 0.05 * 11000);
    // The rows of each page follow from the break rule: from 3000 + two blank rows, heading
    // and rule (+30); a row is 220; a break after the row that ends below 0.95 of the height.
    double y = 3000 + 2 * 220 + 220 + 30;
    int row = 0;
    std::vector<std::pair<int, int>> expected;  // first and last row of each page
    int pageFirst = 1;
    while (row < samples) {
        y += 220;
        ++row;
        if (row < samples && y > 0.95 * 15000) {
            expected.push_back({pageFirst, row});
            pageFirst = row + 1;
            y = 0.1 * 11000 + 220 + 30;  // heading and rule again
        }
    }
    expected.push_back({pageFirst, samples});
    ASSERT_EQ(pages.size(), expected.size());
    for (size_t p = 0; p < pages.size(); ++p) {
        const QStringList t = PrintRig::textsOf(pages[p]);
        if (p > 0) {
            EXPECT_EQ(t.at(0), "QM-73 Data Logger");
            EXPECT_EQ(t.at(1), " (Alarm Trend)");
            EXPECT_EQ(t.mid(3, 2), QStringList({"No", "Date/Time"}));
        }
        // The numbers of the first and last rows on the page.
        QStringList numbers;
        for (const QString& text : t) {
            bool ok = false;
            const int n = text.toInt(&ok);  // only the running numbers are whole numbers
            if (ok) numbers << QString::number(n);
        }
        ASSERT_FALSE(numbers.isEmpty()) << p;
        EXPECT_EQ(numbers.first().toInt(), expected[p].first) << p;
        EXPECT_EQ(numbers.last().toInt(), expected[p].second) << p;
    }
    // The rule directly under row 361, across the width.
    bool found = false;
    for (const auto& page : pages) {
        for (size_t i = 0; i + 1 < page.size(); ++i) {
            if (page[i].kind != RecordingSurface::Call::Text || page[i].text != "361") continue;
            for (size_t j = i + 1; j < page.size(); ++j)
                if (page[j].kind == RecordingSurface::Call::Line) {
                    EXPECT_EQ(page[j].from.y(), page[j].to.y());
                    EXPECT_EQ(page[j].from.x(), 0);
                    EXPECT_EQ(page[j].to.x(), 11000);
                    EXPECT_DOUBLE_EQ(page[j].from.y(), page[i].from.y() + 220);
                    found = true;
                    break;
                }
        }
    }
    EXPECT_TRUE(found);
}

TEST(DataList, AnIntervalTrendPrintsTheTableAsShown) {
    PrintRig rig;
    records::clsInterval r;
    intervalRecord(r, 3, 0);
    MemoryTable table;
    table.rows = {{"No", "Date/Time", "CO", "x"},
                  {"1", "06/01 08:00", "12.5", "-"},
                  {"2", "06/01 08:01", "ALARM", "-"},
                  {"3", "06/01 08:02", "-----", "-"}};
    table.colours[{2, 2}] = rt::RGB(255, 0, 0);
    rig.form.DataType = 1;
    rig.form.IntervalData = &r;
    rig.form.Table = &table;
    rig.form.PrintDataList(rig.page);
    const QStringList t = rig.texts();
    EXPECT_EQ(t, QStringList({"No", "Date/Time", core::GasCaption(&r, 3, true), "1", "06/01 08:00",
                              "12.5", "2", "06/01 08:01", "ALARM", "3", "06/01 08:02", "-----"}));
    // A coloured cell prints at its column's left edge, the others centred.
    EXPECT_EQ(rig.textCall("ALARM")->from.x(), 0.25 * 11000);
    EXPECT_DOUBLE_EQ(rig.textCall("12.5")->from.x(), 0.25 * 11000 + (0.15 * 11000 - 400) / 2);
    // With "-DEBUG" a fourth cell.
    rig.page.calls.clear();
    core::DebugMode = true;
    rig.form.PrintDataList(rig.page);
    EXPECT_EQ(rig.texts().size(), 16);
    // On the preview at most 30 rows.
    rig.page.calls.clear();
    rig.page.printer = false;
    core::DebugMode = false;
    table.rows.resize(60, {"n", "d", "v", "-"});
    intervalRecord(r, 59, 0);
    rig.form.PrintDataList(rig.page);
    EXPECT_EQ(rig.texts().size(), 3 + 30 * 3);
    EXPECT_TRUE(rig.page.of(RecordingSurface::Call::NewPage).empty());
}

}  // namespace
