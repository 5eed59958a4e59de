#include <gtest/gtest.h>

#include <functional>

#include "graph/uclZvdGraph.h"
#include "runtime/RuntimeError.h"
#include "tests/support/RecordingSurface.h"

using graph::GapValue;
using graph::uclZvdGraph;
using testsupport::RecordingSurface;

namespace {

rt::OleDate at(int hour, int minute, int second) {
    return *rt::OleDate::fromCivil(2024, 5, 31, hour, minute, second);
}

// A control drawing on a recording picture.
struct Graph {
    RecordingSurface* picture = new RecordingSurface;
    uclZvdGraph g{std::unique_ptr<graph::GraphSurface>(picture)};
    explicit Graph(int series = 0) {
        for (int s = 0; s < series; ++s)
            g.AddSample(QStringLiteral("G%1").arg(s), s + 1, "##0.0", 100);
    }
};

bool failsWithSubscript(const std::function<void()>& call) {
    try {
        call();
    } catch (const rt::RuntimeError& e) {
        return e.number() == rt::ErrSubscript;
    }
    return false;
}

}  // namespace

TEST(GraphInterface, SeriesIndicesAreGuardedOrBoundedMemberByMember) {
    // Three series: 0..2 real, 3 the spare record, 4 beyond the arrays.
    struct Case {
        const char* member;
        std::function<void(uclZvdGraph&)> call;
        bool fails;
        std::function<bool(const uclZvdGraph&)> after;  // what must hold when it did not fail
    };
    const std::vector<Case> cases = {
        {"MinY let on the spare record is ignored", [](uclZvdGraph& g) { g.setMinY(3, 5); }, false,
         [](const uclZvdGraph& g) { return g.MinY(3) == 0; }},
        {"MinY let below 0", [](uclZvdGraph& g) { g.setMinY(-1, 5); }, true, {}},
        {"MinY get of the spare record", [](uclZvdGraph& g) { (void)g.MinY(3); }, false, {}},
        {"MinY get beyond", [](uclZvdGraph& g) { (void)g.MinY(4); }, true, {}},
        {"MinY and MaxY without a series are series 0",
         [](uclZvdGraph& g) {
             g.setMinY(1.5f);
             g.setMaxY(9.5f);
         },
         false, [](const uclZvdGraph& g) { return g.MinY() == 1.5f && g.MaxY(0) == 9.5f; }},
        {"MaxY let beyond is ignored", [](uclZvdGraph& g) { g.setMaxY(7, 5); }, false, {}},
        {"FormatY let writes the spare record", [](uclZvdGraph& g) { g.setFormatY(3, "0.00"); },
         false, [](const uclZvdGraph& g) { return g.FormatY(3) == "0.00"; }},
        {"FormatY let beyond", [](uclZvdGraph& g) { g.setFormatY(4, "0"); }, true, {}},
        {"SampleVisible let on the spare record",
         [](uclZvdGraph& g) { g.setSampleVisible(3, true); }, false,
         [](const uclZvdGraph& g) { return !g.SampleVisible(3); }},
        {"SampleVisible get beyond", [](uclZvdGraph& g) { (void)g.SampleVisible(4); }, true, {}},
        {"ValueName beyond reads empty", [](uclZvdGraph& g) { g.setValueName(3, "X"); }, false,
         [](const uclZvdGraph& g) { return g.ValueName(3).isEmpty() && g.ValueName(9).isEmpty(); }},
        {"ValueName below 0", [](uclZvdGraph& g) { (void)g.ValueName(-1); }, true, {}},
        {"ValueColor beyond reads 0", [](uclZvdGraph& g) { g.setValueColor(5, 7); }, false,
         [](const uclZvdGraph& g) { return g.ValueColor(5) == 0 && g.ValueColor(2) == 3; }},
        {"EventFlag of the spare record is a control-level text",
         [](uclZvdGraph& g) { g.setEventFlag(3, 5, "common"); }, false,
         [](const uclZvdGraph& g) {
             return g.CommonFlag[5] == "common" && g.EventFlag(1000, 5) == "common";
         }},
        {"EventFlag 2048 is ignored and reads empty",
         [](uclZvdGraph& g) { g.setEventFlag(0, 2048, "x"); }, false,
         [](const uclZvdGraph& g) { return g.EventFlag(0, 2048).isEmpty(); }},
        {"EventFlag -1", [](uclZvdGraph& g) { g.setEventFlag(0, -1, "x"); }, true, {}},
        {"EventFlag get 2049", [](uclZvdGraph& g) { (void)g.EventFlag(0, 2049); }, true, {}},
        {"EventVisible of the spare record is the control-level one",
         [](uclZvdGraph& g) { g.setEventVisible(3, true); }, false,
         [](const uclZvdGraph& g) { return g.CommonFlagVisible && !g.EventVisible(0); }},
        {"valueY let on the spare record is ignored", [](uclZvdGraph& g) { g.setValueY(3, 5, 1); },
         false, [](const uclZvdGraph& g) { return g.valueY(3, 5) == 0; }},
        {"valueY let past the last sample",
         [](uclZvdGraph& g) { g.setValueY(0, 16361, 1); },
         true,
         {}},
        {"valueY get beyond", [](uclZvdGraph& g) { (void)g.valueY(4, 0); }, true, {}},
        {"valueX 16360 is stored",
         [](uclZvdGraph& g) {
             g.setValueX(0, at(9, 0, 0));
             g.setValueX(16360, at(10, 0, 0));
         },
         false, [](const uclZvdGraph& g) { return g.valueX(16360) == at(10, 0, 0); }},
        {"valueX 16361", [](uclZvdGraph& g) { g.setValueX(16361, at(10, 0, 0)); }, true, {}},
        {"DataX 16360 is ignored", [](uclZvdGraph& g) { g.setDataX(16360, at(10, 0, 0)); }, false,
         [](const uclZvdGraph& g) {
             return g.DataX(16360) == rt::OleDate() && g.SampleCount == 0;
         }},
        {"DataX -1", [](uclZvdGraph& g) { g.setDataX(-1, at(10, 0, 0)); }, true, {}},
        {"EventX on the spare record", [](uclZvdGraph& g) { g.setEventX(3, 0, at(10, 0, 0)); },
         false, [](const uclZvdGraph& g) { return g.EventX(3, 0) == at(10, 0, 0); }},
        {"EventX beyond", [](uclZvdGraph& g) { g.setEventX(4, 0, at(10, 0, 0)); }, true, {}},
        {"EventX 2048 is ignored", [](uclZvdGraph& g) { g.setEventX(0, 2048, at(10, 0, 0)); },
         false, [](const uclZvdGraph& g) { return g.EventX(0, 2048) == rt::OleDate(); }},
        {"EventX 2049", [](uclZvdGraph& g) { g.setEventX(0, 2049, at(10, 0, 0)); }, true, {}},
        {"EventCount of the spare record", [](uclZvdGraph& g) { g.setEventCount(3, 4); }, false,
         [](const uclZvdGraph& g) { return g.EventCount(3) == 4; }},
        {"EventCount beyond", [](uclZvdGraph& g) { (void)g.EventCount(4); }, true, {}},
        {"PosYStp beyond", [](uclZvdGraph& g) { (void)g.PosYStp(4); }, true, {}},
        {"yPos of the spare record", [](uclZvdGraph& g) { (void)g.yPos(1, 3); }, false, {}},
        {"yData beyond", [](uclZvdGraph& g) { (void)g.yData(1, 4); }, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        Graph graph(3);
        ASSERT_EQ(graph.g.SampleDataCount(), 3);
        if (c.fails) {
            EXPECT_TRUE(failsWithSubscript([&] { c.call(graph.g); }));
        } else {
            EXPECT_NO_THROW(c.call(graph.g));
            if (c.after) {
                EXPECT_TRUE(c.after(graph.g));
            }
        }
    }
}

TEST(GraphInterface, AddSampleFillsTheSpareRecordAndKeepsANewOne) {
    Graph graph;
    uclZvdGraph& g = graph.g;
    EXPECT_EQ(g.SampleDataCount(), 1);
    EXPECT_EQ(g.ValueName(0), "");
    // Every series takes the next number, named or not: the hosts address the series by
    // gas, so an unnamed gas 0 must not let gas 1 take its place.
    EXPECT_EQ(g.AddSample("", 5, "", 10), 0);
    EXPECT_EQ(g.SampleDataCount(), 1);
    EXPECT_EQ(g.AddSample("HC", 0xFF, "##0", 100), 1);
    EXPECT_EQ(g.SampleDataCount(), 2);
    EXPECT_EQ(g.AddSample("OXY", 0xFF00, "", 25), 2);
    EXPECT_EQ(g.SampleDataCount(), 3);
    EXPECT_EQ(g.ValueName(2), "OXY");
    EXPECT_EQ(g.FormatY(2), "");  // filled in by the cursor later
    EXPECT_TRUE(g.SampleVisible(2));
    EXPECT_FALSE(g.EventVisible(2));
    EXPECT_EQ(g.SampleData[0].FullScale, 10);
    EXPECT_EQ(g.SampleData[1].FullScale, 100);
    // After Clear the numbering starts again at 0.
    g.Clear();
    EXPECT_EQ(g.AddSample("CO", 1, "", 50), 0);
    EXPECT_EQ(g.AddSample("H2S", 1, "", 50), 1);
    // The new spare record is empty.
    EXPECT_FALSE(g.SampleVisible(2));
    EXPECT_EQ(g.FormatY(2), "");
    EXPECT_EQ(g.EventCount(2), 0);
    EXPECT_EQ(g.MaxSamples(), 16360);
    EXPECT_EQ(g.MaxEvents(), 2048);
}

TEST(GraphInterface, ClearEmptiesTheDataAndKeepsTimesWindowZoomAndLook) {
    Graph graph(2);
    uclZvdGraph& g = graph.g;
    for (int i = 0; i < 10; ++i) {
        g.setValueX(i, at(10, i, 0));
        g.setValueY(0, i, float(i));
    }
    g.SampleCount = 10;
    g.setZoom(2);
    g.MinX = 60;
    g.MaxX = 300;
    g.CursorIndex = 4;
    g.LabelOffset = -3;
    g.setEventFlag(5, 7, "flag");
    g.CommonFlagVisible = true;
    g.TitleTop = "title";
    g.Clear();
    EXPECT_EQ(g.SampleDataCount(), 1);
    EXPECT_EQ(g.ValueName(0), "");
    EXPECT_EQ(g.SampleData[0].LastSample, 0);
    EXPECT_EQ(g.SampleCount, 0);
    EXPECT_EQ(g.CursorIndex, 0);
    EXPECT_EQ(g.LabelOffset, 0);
    EXPECT_EQ(g.CommonFlag[7], "");
    EXPECT_EQ(g.valueX(3), at(10, 3, 0));
    EXPECT_EQ(g.Sample[3].seconds, 180);
    EXPECT_EQ(g.MinX, 60);
    EXPECT_EQ(g.MaxX, 300);
    EXPECT_EQ(g.Zoom(), 2);
    EXPECT_TRUE(g.CommonFlagVisible);
    EXPECT_EQ(g.TitleTop, "title");
}

TEST(GraphInterface, TimesAreWholeSecondsFromSampleZero) {
    Graph graph(1);
    uclZvdGraph& g = graph.g;
    g.setValueX(0, at(10, 0, 0));
    g.setValueX(1, at(10, 1, 0));
    EXPECT_EQ(g.Sample[1].seconds, 60);
    EXPECT_EQ(g.Sample[0].seconds, 0);
    // Parts of a second round to the nearest second.
    const double second = 1.0 / 86400;
    g.setValueX(2, rt::OleDate(at(10, 0, 0).value() + 59.6 * second));
    g.setValueX(3, rt::OleDate(at(10, 0, 0).value() + 60.4 * second));
    g.setValueX(4, rt::OleDate(at(10, 0, 0).value() - 3.7 * second));
    EXPECT_EQ(g.Sample[2].seconds, 60);
    EXPECT_EQ(g.Sample[3].seconds, 60);
    EXPECT_EQ(g.Sample[4].seconds, -4);
    // valueX leaves the count alone; DataX raises it.
    EXPECT_EQ(g.SampleCount, 0);
    g.setDataX(7, at(10, 7, 0));
    EXPECT_EQ(g.SampleCount, 7);
    g.setDataX(3, at(10, 3, 0));
    EXPECT_EQ(g.SampleCount, 7);
    EXPECT_EQ(g.Sample[7].seconds, 420);
    // A time too far from sample 0 for whole seconds in 32 bits: the date is kept, then the
    // overflow is raised.
    const rt::OleDate far(at(10, 0, 0).value() + 30000);
    try {
        g.setValueX(8, far);
        FAIL() << "no overflow";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), rt::ErrOverflow);
    }
    EXPECT_EQ(g.valueX(8), far);
}

TEST(GraphInterface, EventTimesCountFromSampleZeroOnceItHasATime) {
    Graph graph(2);
    uclZvdGraph& g = graph.g;
    g.setEventX(1, 4, at(10, 5, 0));
    EXPECT_EQ(g.EventX(1, 4), at(10, 5, 0));
    EXPECT_EQ(g.EventData[1].Event[4].seconds, 0);
    EXPECT_EQ(g.EventCount(1), 0);
    g.setValueX(0, at(10, 0, 0));
    g.setEventX(1, 4, at(10, 5, 0));
    EXPECT_EQ(g.EventData[1].Event[4].seconds, 300);
    EXPECT_EQ(g.EventCount(1), 4);  // raised to the index, not past it
    g.setEventX(1, 2, at(10, 2, 0));
    EXPECT_EQ(g.EventCount(1), 4);
}

TEST(GraphInterface, ValuesRaiseTheLastSampleOfTheirSeries) {
    Graph graph(2);
    uclZvdGraph& g = graph.g;
    g.setValueY(0, 100, 5);
    EXPECT_EQ(g.SampleData[0].LastSample, 100);
    g.setValueY(0, 50, 5);
    EXPECT_EQ(g.SampleData[0].LastSample, 100);
    EXPECT_EQ(g.valueY(0, 100), 5);
    EXPECT_EQ(g.SampleData[1].LastSample, 0);
}

TEST(GraphInterface, InertAndForwardedMembers) {
    Graph graph(1);
    uclZvdGraph& g = graph.g;
    g.setTestDisp(true);
    EXPECT_FALSE(g.TestDisp());
    g.setScaleXFormat("hh:nn");
    EXPECT_EQ(g.FormatX, "hh:nn");
    g.setCursorVisible(false);
    EXPECT_FALSE(g.CursorVisible());
    EXPECT_TRUE(g.lblMsg->isHidden());
    g.setBackColor(0x123456);
    EXPECT_EQ(g.BackColor(), 0x123456);
    EXPECT_EQ(g.pictureSurface().BackColor, 0x123456);
    g.setCursorColor(0xFF);
    EXPECT_EQ(g.linCursor.BorderColor, 0xFF);
    EXPECT_EQ(g.drawObj(), &g.pictureSurface());
    EXPECT_EQ(g.TextWidth("abc"), 300);
    EXPECT_EQ(g.TextHeight("abc"), 200);
}

TEST(GraphInterface, CoordinatesFollowTheLastLayout) {
    Graph graph(1);
    uclZvdGraph& g = graph.g;
    g.PlotLeft = 1000;
    g.PlotTop = 200;
    g.PlotHeight = 3000;
    g.MinX = 60;
    g.XScale = 2;
    g.SampleData[0].MinY = 10;
    g.SampleData[0].YScale = 30;
    EXPECT_EQ(g.xPos(160), 1200);
    EXPECT_EQ(g.xData(1200), 160);
    EXPECT_EQ(g.yPos(20, 0), 2900);
    EXPECT_EQ(g.yData(2900, 0), 20);
    g.XScale = 0;
    g.SampleData[0].YScale = 0;
    EXPECT_EQ(g.xData(5000), 60);
    EXPECT_EQ(g.yData(5000, 0), 10);
}

// A trend drawn again after Clear finds every series as new: nothing of the one before shows
// through, in the first records nor in the ones added again.
TEST(GraphInterface, SeriesAddedAfterClearAreAsNew) {
    Graph graph;
    uclZvdGraph& g = graph.g;
    const auto fillSeries = [&g](int series, int values, int events) {
        g.setValueX(0, at(10, 0, 0));
        for (int s = 0; s < series; ++s) {
            g.AddSample(QStringLiteral("G%1").arg(s), s + 1, "##0.0", 100);
            g.setMinY(s, -5);
            g.setMaxY(s, 50);
            g.setEventVisible(s, true);
            for (int i = 0; i < values; ++i)
                g.setValueY(s, i, float(i + s + 1));
            for (int k = 0; k < events; ++k) {
                g.setEventX(s, k, at(10, 1, k));
                g.setEventFlag(s, k, QStringLiteral("E%1").arg(k));
            }
        }
    };
    fillSeries(6, 700, 30);
    g.setValueY(2, 16360, 9.5f);
    g.Clear();
    fillSeries(3, 0, 0);
    const Graph fresh(3);
    for (int s = 0; s <= 3; ++s) {
        SCOPED_TRACE(s);
        const graph::SeriesRecord& record = g.SampleData[static_cast<size_t>(s)];
        const graph::SeriesRecord& newRecord = fresh.g.SampleData[static_cast<size_t>(s)];
        EXPECT_EQ(record.Value, newRecord.Value);
        EXPECT_EQ(record.LastSample, 0);
        EXPECT_EQ(record.ValueName, newRecord.ValueName);
        EXPECT_EQ(record.ValueColor, newRecord.ValueColor);
        EXPECT_EQ(record.FormatY, newRecord.FormatY);
        EXPECT_EQ(record.FullScale, newRecord.FullScale);
        EXPECT_EQ(record.SampleVisible, newRecord.SampleVisible);
        EXPECT_EQ(g.EventCount(s), 0);
        for (int k = 0; k < 30; ++k) {
            EXPECT_EQ(g.EventX(s, k), rt::OleDate());
            EXPECT_EQ(g.EventData[static_cast<size_t>(s)].Event[static_cast<size_t>(k)].seconds, 0);
            if (s < 3) {
                EXPECT_EQ(g.EventFlag(s, k), "");
            }
        }
    }
    EXPECT_EQ(g.MinY(0), -5);  // set again by the second fill
    EXPECT_EQ(g.MinY(3), 0);
    EXPECT_EQ(g.MaxY(3), 0);
    EXPECT_FALSE(g.EventData[3].EventVisible);
}
