#include <gtest/gtest.h>

#include <QComboBox>

#include "core/ModMain.h"
#include "graph/TrendFill.h"
#include "mainwindow/common/Controls.h"
#include "runtime/Format.h"
#include "tests/support/GlobalsSnapshot.h"
#include "tests/support/RecordingSurface.h"
#include "trendview/BrowseGraph.h"

using graph::FifthGasValue;
using graph::FullScaleValue;
using graph::GapValue;
using trendview::GraphSource;
using trendview::GraphView;
using trendview::ValidSampleCount;

namespace {

rt::OleDate minute(int i) {
    return rt::OleDate::fromCivil(2024, 5, 31, 10, 0, 0)->addSeconds(qint64(i) * 60);
}

// The graph of the data page with its boxes and zoom list, wired as the page wires them: a
// change of a value runs its handler.
struct GraphPage {
    testsupport::GlobalsSnapshot globals;
    QWidget page;
    mainwindow::ControlRegistry registry;
    mainwindow::ControlFactory factory{registry};
    testsupport::RecordingSurface* picture = new testsupport::RecordingSurface;
    graph::uclZvdGraph* graph =
        new graph::uclZvdGraph(std::unique_ptr<graph::GraphSurface>(picture), &page);
    mainwindow::ControlArray<QCheckBox> chkBrowse;
    QComboBox* cmbBrowse = new QComboBox(&page);
    int zoomClicks = 0;

    GraphPage() {
        chkBrowse.make(factory, &page, "chkBrowse", 7);
        graph->resize(600, 400);
        for (int i = 0; i < 7; ++i)
            QObject::connect(chkBrowse[i], &QCheckBox::toggled, &page,
                             [this, i] { trendview::chkBrowse_Click(view(), i); });
        QObject::connect(cmbBrowse, &QComboBox::currentIndexChanged, &page, [this] {
            ++zoomClicks;
            trendview::cmbBrowse_Click(view());
        });
    }
    GraphView view() {
        std::array<QCheckBox*, 7> boxes{};
        for (int i = 0; i < 7; ++i)
            boxes[static_cast<size_t>(i)] = chkBrowse[i];
        return {*graph, boxes, cmbBrowse};
    }
    void show(const records::clsInterval& r) {
        trendview::ShowBrowseGraph({1, &r, nullptr}, view());
    }
    void show(const records::clsAlarm& r) { trendview::ShowBrowseGraph({2, nullptr, &r}, view()); }
    QStringList zoomList() const {
        QStringList items;
        for (int i = 0; i < cmbBrowse->count(); ++i)
            items << cmbBrowse->itemText(i);
        return items;
    }
};

// An interval trend: gases 3 and 4 enabled, full scale 100 with one decimal place; `values`
// of gas 3 a minute apart; the other gases constant.
void makeTrend(records::clsInterval& r, const std::vector<float>& gas3, int gas0Changes = 0) {
    r.setGasBaseInfo(0, "Station 1");
    for (int gas = 0; gas < 5; ++gas) {
        r.setGasListInfo(gas, 0, QStringLiteral("G%1").arg(gas));
        r.setGasListInfo(gas, 1, 100);
        r.setGasListInfo(gas, 3, 1);
        r.setGasListInfo(gas, 13, gas >= 3);
    }
    r.setGasListInfo(4, 8, 50);
    r.setGasListInfo(4, 9, 5);
    r.setDataCount(static_cast<int32_t>(gas3.size()));
    for (size_t i = 0; i < gas3.size(); ++i) {
        r.setDateTimes(static_cast<int32_t>(i), minute(static_cast<int>(i)));
        r.setGasValue(3, static_cast<int32_t>(i), gas3[i]);
        r.setGasValue(4, static_cast<int32_t>(i), 20.0f);
        r.setGasValue(0, static_cast<int32_t>(i),
                      gas0Changes ? float(static_cast<int>(i) / gas0Changes) : 0.0f);
    }
}

}  // namespace

TEST(BrowseGraph, ValueRules) {
    const float gap = GapValue;
    const struct {
        float value, fullScale;
        int16_t decimals;
        float plotted;
    } fullScale[] = {
        {25.04f, 100, 1, 25.0f},   {25.06f, 100, 1, 25.1f}, {150, 100, 1, 100},
        {100.04f, 100, 1, 100.0f}, {-104, 100, 1, gap},     {-101, 100, 1, gap},
        {3.456f, 100, 2, 3.46f},   {7.5f, 100, 0, 8},
    };
    for (const auto& c : fullScale)
        EXPECT_EQ(FullScaleValue(c.value, c.fullScale, c.decimals), c.plotted) << c.value;
    const struct {
        float value, maximum, minimum;
        float plotted;
    } fifth[] = {
        {30, 50, 5, 30},       {60, 50, 5, 50},
        {2, 50, 5, 5},         {-104, 50, 5, 5},         // a code: the minimum
        {30, -101, -101, 30},  {-104, -101, -101, gap},  // no recorded range: a code is a gap
        {-104, 50, -101, gap},                           // a code as the minimum is no number
    };
    for (const auto& c : fifth)
        EXPECT_EQ(FifthGasValue(c.value, c.maximum, c.minimum, 1), c.plotted) << c.value;
}

TEST(BrowseGraph, UnchangedRunsShrinkToTheirEnds) {
    struct Case {
        const char* name;
        std::vector<float> gas3;
        int gas0Changes;
        std::vector<int> kept;
    };
    const std::vector<Case> cases = {
        {"never changing", {5, 5, 5, 5, 5, 5}, 0, {0, 5}},
        {"one change", {5, 5, 5, 7, 7, 7}, 0, {0, 2, 3, 5}},
        // Gas 0 changes every second sample while gas 3 stays: its changes are kept too.
        {"another gas changes", {5, 5, 5, 5, 5, 5}, 2, {0, 1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GraphPage p;
        records::clsInterval r;
        makeTrend(r, c.gas3, c.gas0Changes);
        p.show(r);
        ASSERT_EQ(p.graph->SampleCount, static_cast<int>(c.kept.size()));
        for (size_t k = 0; k < c.kept.size(); ++k) {
            EXPECT_EQ(p.graph->valueX(static_cast<int>(k)), minute(c.kept[k])) << k;
            EXPECT_EQ(p.graph->valueY(3, static_cast<int>(k)),
                      c.gas3[static_cast<size_t>(c.kept[k])]);
            EXPECT_EQ(p.graph->valueY(4, static_cast<int>(k)), 20.0f);
        }
        // Gases 0 to 2 get no values.
        EXPECT_EQ(p.graph->SampleData[0].LastSample, 0);
    }
}

TEST(BrowseGraph, AtMost16361SamplesReachTheGraph) {
    GraphPage p;
    records::clsInterval r;
    std::vector<float> values(16400);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = float(i % 2);
    makeTrend(r, values);
    p.show(r);
    EXPECT_EQ(p.graph->SampleCount, 16361);
    EXPECT_EQ(p.graph->valueX(16360), minute(16360));
}

TEST(BrowseGraph, EventMarksPerGasTitlesAndZoomList) {
    GraphPage p;
    p.chkBrowse[5]->setChecked(true);
    records::clsInterval r;
    std::vector<float> changing(31);
    for (size_t i = 0; i < changing.size(); ++i)
        changing[i] = float(i % 2);
    makeTrend(r, changing);
    r.setEventCount(3);
    r.setEventDateTimes(0, minute(2));
    r.setEventDateTimes(1, minute(5));
    r.setEventDateTimes(2, minute(7));
    for (int j = 0; j < 3; ++j)
        for (int gas = 0; gas < 5; ++gas)
            r.setGasEvent(gas, j, -101.0f);
    r.setGasEvent(3, 0, -103.0f);  // WARNING
    r.setGasEvent(3, 2, -104.0f);  // ALARM
    r.setGasEvent(4, 1, -117.0f);  // MODE
    r.setGasEvent(3, 1, 12.5f);    // a reading: no mark
    p.show(r);
    graph::uclZvdGraph& g = *p.graph;
    EXPECT_EQ(g.EventCount(3), 2);
    EXPECT_EQ(g.EventFlag(3, 0), "WARNING");
    EXPECT_EQ(g.EventX(3, 0), minute(2));
    EXPECT_EQ(g.EventFlag(3, 1), "ALARM");
    EXPECT_EQ(g.EventX(3, 1), minute(7));
    EXPECT_EQ(g.EventCount(4), 1);
    EXPECT_EQ(g.EventFlag(4, 0), "MODE");
    EXPECT_EQ(g.EventCount(0), 0);
    EXPECT_TRUE(g.EventVisible(3));
    EXPECT_EQ(g.TitleTop, "Data Browse (Station 1) - Interval Trend");
    EXPECT_EQ(g.TitleBottom, "Sampling Date/Time: " + rt::FormatDate(minute(0), "Medium Date") +
                                 " 10:00:00 to " + rt::FormatDate(minute(30), "Medium Date") +
                                 " 10:30:00");
    EXPECT_TRUE(g.font().bold());
    EXPECT_EQ(g.ValueName(3), "G3");
    EXPECT_EQ(g.FormatY(3), "##0.0");
    EXPECT_EQ(p.chkBrowse[3]->text(), "G3");
    // 31 samples offer "3"; the list ends at "1", the zoom at 1, the ranges automatic.
    EXPECT_EQ(p.zoomList(), (QStringList{"1", "3"}));
    EXPECT_EQ(p.cmbBrowse->currentIndex(), 0);
    EXPECT_EQ(p.zoomClicks, 1);
    EXPECT_EQ(g.Zoom(), 1);
    EXPECT_EQ(g.MinX, 0);
    EXPECT_EQ(g.MaxX, 1800);                 // automatic, by the paint
    EXPECT_FALSE(p.picture->calls.empty());  // drawn
}

TEST(BrowseGraph, ZoomListLimits) {
    const struct {
        int samples;
        QStringList items;
    } cases[] = {{30, {"1"}},
                 {31, {"1", "3"}},
                 {101, {"1", "3", "5", "10"}},
                 {501, {"1", "3", "5", "10", "20", "30", "50"}}};
    for (const auto& c : cases) {
        GraphPage p;
        records::clsInterval r;
        std::vector<float> values(static_cast<size_t>(c.samples));
        for (size_t i = 0; i < values.size(); ++i)
            values[i] = float(i);
        makeTrend(r, values);
        p.show(r);
        EXPECT_EQ(p.zoomList(), c.items) << c.samples;
        // Choosing a factor zooms the graph.
        p.cmbBrowse->setCurrentIndex(p.cmbBrowse->count() - 1);
        EXPECT_EQ(p.graph->Zoom(), c.items.last().toInt());
    }
}

TEST(BrowseGraph, BoxesAndSeriesWithAndWithoutDebug) {
    for (const bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "-DEBUG" : "plain");
        GraphPage p;
        core::DebugMode = debug;
        records::clsInterval r;
        makeTrend(r, {1, 2, 3, 4, 5, 6});
        p.show(r);
        for (int gas = 0; gas < 4; ++gas) {
            EXPECT_TRUE(p.chkBrowse[gas]->isHidden()) << gas;
            EXPECT_EQ(p.chkBrowse[gas]->isChecked(), gas == 3) << gas;
            EXPECT_EQ(p.graph->SampleVisible(gas), gas == 3) << gas;
        }
        EXPECT_EQ(p.chkBrowse[4]->isChecked(), debug);
        EXPECT_EQ(p.chkBrowse[4]->isHidden(), !debug);
        EXPECT_EQ(p.graph->SampleVisible(4), debug);
        EXPECT_FALSE(p.chkBrowse[5]->isHidden());
        EXPECT_FALSE(p.chkBrowse[6]->isHidden());
    }
}

TEST(BrowseGraph, TheEventBoxReachesHiddenGasesAndTheGraphsOwnTexts) {
    GraphPage p;
    records::clsInterval r;
    makeTrend(r, {1, 2, 3, 4, 5, 6});
    p.show(r);
    ASSERT_FALSE(p.graph->EventVisible(2));
    p.chkBrowse[5]->setChecked(true);
    EXPECT_TRUE(p.graph->EventVisible(2));  // gas 2's box is off, its flag is still set
    EXPECT_TRUE(p.graph->CommonFlagVisible);
    p.chkBrowse[2]->setChecked(true);
    EXPECT_TRUE(p.graph->SampleVisible(2));
    EXPECT_TRUE(p.graph->EventVisible(2));
    p.chkBrowse[2]->setChecked(false);
    EXPECT_FALSE(p.graph->EventVisible(2));
    p.chkBrowse[6]->setChecked(true);
    EXPECT_TRUE(p.graph->CursorVisible());
}

TEST(BrowseGraph, AlarmTrendMarksTheAlarmFromSample361) {
    for (const int samples : {361, 362}) {
        SCOPED_TRACE(samples);
        GraphPage p;
        p.chkBrowse[5]->setChecked(true);
        records::clsAlarm r;
        r.setGasBaseInfo(0, "Alarm 1");
        for (int gas = 3; gas < 5; ++gas) {
            r.setGasListInfo(gas, 0, QStringLiteral("G%1").arg(gas));
            r.setGasListInfo(gas, 1, 100);
            r.setGasListInfo(gas, 13, true);
        }
        r.setDataCount(static_cast<int16_t>(samples));
        for (int i = 0; i < samples; ++i) {
            r.setDateTimes(i, minute(0).addSeconds(i * 10));
            r.setValue(3, i, float(i % 50));
        }
        p.show(r);
        EXPECT_EQ(p.graph->SampleCount, samples);  // every sample, no thinning
        EXPECT_EQ(p.graph->TitleTop, "Data Browse (Alarm 1) - Alarm Trend");
        EXPECT_EQ(p.graph->CommonFlag[360], samples > 361 ? "Alarm" : "");
        EXPECT_TRUE(p.chkBrowse[5]->isHidden());
        EXPECT_FALSE(p.chkBrowse[6]->isHidden());
    }
}

TEST(BrowseGraph, ValidSampleCountCountsReadingsAndOverOfEnabledGases) {
    struct Case {
        const char* name;
        std::vector<float> gas3;
        bool gas3Enabled;
        int32_t count;
    };
    const std::vector<Case> cases = {
        {"readings and OVER", {0, 1.5f, -107, -101, -104, 3}, true, 4},
        {"a disabled gas does not count", {1, 2, 3, 4, 5}, false, 0},
        {"no samples", {}, true, 0},
    };
    for (const Case& c : cases) {
        records::clsInterval r;
        makeTrend(r, c.gas3);
        r.setGasListInfo(3, 13, c.gas3Enabled);
        // The fifth gas, always full of readings, never counts.
        EXPECT_EQ(ValidSampleCount(r), c.count) << c.name;
    }
}
