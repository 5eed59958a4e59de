#include <gtest/gtest.h>

#include <optional>

#include "graph/GraphRenderer.h"
#include "runtime/Color.h"
#include "runtime/Format.h"
#include "tests/graph/GraphFixture.h"

using graph::BlendColor;
using graph::GapValue;
using graphtest::Call;
using graphtest::LoadedGraph;
using testsupport::RecordingSurface;

namespace {

struct Rect {
    float left, top, width, height;
    friend bool operator==(const Rect&, const Rect&) = default;
};

Rect plotOf(const graph::uclZvdGraph& g) {
    return {g.PlotLeft, g.PlotTop, g.PlotWidth, g.PlotHeight};
}

void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

}  // namespace

TEST(GraphLayout, PlotRectangleOnThePictureAndInADrawingBox) {
    // Characters 100 twips wide, lines 200 high; the left column measures "##0.0" (500) + 360,
    // the right reserve adds "##0" (300) + 360.
    struct Case {
        const char* name;
        int series;
        const char* top;
        const char* bottom;
        bool box;
        Rect plot;
    };
    const Case cases[] = {
        {"no titles", 5, "", "", false, {860, 120, 7480, 6000 - 200 - 200 - 120}},
        {"top title", 5, "Top", "", false, {860, 320, 7480, 6000 - 200 - 400 - 120}},
        {"both titles", 5, "Top", "Bottom", false, {860, 320, 7480, 6000 - 200 - 600 - 120}},
        {"two series measure an empty format", 2, "", "", false, {360, 120, 7980, 5480}},
        {"three series measure the spare record", 3, "", "", false, {360, 120, 7980, 5480}},
        {"drawing box", 5, "", "", true, {300 + 860, 400 + 120, 8000 - 1520, 5000 - 520}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedGraph l(c.series);
        l.g.TitleTop = c.top;
        l.g.TitleBottom = c.bottom;
        RecordingSurface page;
        page.printer = true;
        if (c.box) {
            l.g.setDrawObj(&page);
            l.g.SetDrawLeft = 300;
            l.g.SetDrawTop = 400;
            l.g.SetDrawWidth = 8000;
            l.g.SetDrawHeight = 5000;
        }
        l.refresh();
        EXPECT_EQ(plotOf(l.g), c.plot);
        EXPECT_EQ(l.g.FormatX, "mm/dd hh:nn:ss");
        EXPECT_EQ(l.g.MinX, 0);
        EXPECT_EQ(l.g.MaxX, 21600);
        EXPECT_EQ(l.g.PosXStp, 2160);
        EXPECT_FLOAT_EQ(l.g.XScale, c.plot.width / 21600);
        if (c.box) {
            // The drawing went to the page; the picture was only cleared.
            EXPECT_FALSE(page.calls.empty());
            EXPECT_EQ(l.picture->calls.size(), 1u);
        }
    }
}

TEST(GraphLayout, AZeroWidthWindowOnlyClearsThePicture) {
    LoadedGraph l(2, 5, 0);  // every sample at the same time
    l.refresh();
    EXPECT_EQ(l.g.XScale, 0);
    ASSERT_EQ(l.picture->calls.size(), 1u);
    EXPECT_EQ(l.picture->calls[0].kind, Call::Clear);
}

TEST(GraphLayout, TitlesStandCentredAboveAndBelowThePlot) {
    LoadedGraph l;
    l.g.TitleTop = "Top";
    l.g.TitleBottom = "Bottom line";
    l.g.setScaleColor(rt::RGB(10, 20, 30));
    l.refresh();
    const Call* top = l.picture->text("Top");
    const Call* bottom = l.picture->text("Bottom line");
    ASSERT_TRUE(top && bottom);
    EXPECT_EQ(top->from, QPointF((9000 - 300) / 2.0, l.g.PlotTop - 300));
    EXPECT_EQ(bottom->from, QPointF((9000 - 1100) / 2.0, l.bottom() + 300));
    EXPECT_EQ(top->color, rt::RGB(10, 20, 30));
    // The frame in the scale colour.
    const auto boxes = l.picture->of(Call::Box);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].from, QPointF(l.g.PlotLeft, l.g.PlotTop));
    EXPECT_EQ(boxes[0].to, QPointF(l.right(), l.bottom()));
    EXPECT_EQ(boxes[0].pen.color, rt::RGB(10, 20, 30));
}

TEST(GraphLayout, TimeLabelsAreAnchoredToSamplesWithTheirStep) {
    struct Case {
        const char* name;
        int samples;
        int zoom;
        std::vector<int> labelled;
    };
    const Case cases[] = {
        {"361 samples", 361, 1, {0, 36, 72, 108, 144, 180, 216, 252, 288, 324, 360}},
        {"zoom 4: only the window's samples", 361, 4, {0, 9, 18, 27, 36, 45, 54, 63, 72, 81}},
        {"5 samples: every one", 5, 1, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedGraph l(5, c.samples);
        l.picture->charWidth = 2;  // narrow labels: none overlaps
        l.g.setZoom(static_cast<int16_t>(c.zoom));
        l.refresh();
        std::vector<double> expected;
        for (int i : c.labelled)
            expected.push_back(l.xOf(i));
        EXPECT_EQ(l.ticks(), expected);
        // The label's text under its tick, centred.
        const QString text = rt::FormatDate(l.g.Sample[c.labelled[1]].date, "mm/dd hh:nn:ss");
        const Call* label = l.picture->text(text);
        ASSERT_TRUE(label);
        EXPECT_EQ(label->from, QPointF(l.xOf(c.labelled[1]) - text.size(), l.bottom() + 80));
    }
}

TEST(GraphLayout, LabelsThatWouldOverlapOrPassTheLeftEdgeAreLeftOut) {
    // 14 characters of 100 twips: a label is 1400 wide, the labels 748 twips apart.
    LoadedGraph l;
    l.refresh();
    std::vector<double> expected;
    for (int i : {0, 72, 144, 216, 288, 360})
        expected.push_back(l.xOf(i));
    EXPECT_EQ(l.ticks(), expected);

    // Two series: the plot starts 360 twips in, so the first label would start left of 0.
    LoadedGraph narrow(2);
    narrow.refresh();
    ASSERT_FALSE(narrow.ticks().empty());
    EXPECT_GT(narrow.ticks()[0], narrow.xOf(0));
}

TEST(GraphLayout, VerticalGridLinesOnlyInsideTheWindow) {
    LoadedGraph l;
    l.picture->charWidth = 2;
    l.refresh();
    const int32_t grid = BlendColor(0xFFFFFF, 0, 0.8f);
    std::vector<double> xs;
    for (const Call& c : l.linesIn(grid))
        if (c.from.x() == c.to.x()) {
            EXPECT_EQ(c.pen.style, graph::DrawDashDotDot);
            EXPECT_EQ(c.from.y(), l.g.PlotTop);
            EXPECT_EQ(c.to.y(), l.bottom());
            xs.push_back(c.from.x());
        }
    // Labels at samples 0 (MinX) and 360 (MaxX) have no grid line.
    ASSERT_EQ(xs.size(), 9u);
    EXPECT_EQ(xs.front(), l.xOf(36));
    EXPECT_EQ(xs.back(), l.xOf(324));
}

TEST(GraphLayout, HorizontalGridWithTicksOutsideBothEdges) {
    LoadedGraph l;
    l.refresh();
    const int32_t grid = BlendColor(0xFFFFFF, 0, 0.8f);
    int rows = 0;
    for (int j = 1; j <= 9; ++j) {
        const double y = double(l.g.PlotHeight) / 10 * j + l.g.PlotTop;
        int found = 0;
        for (const Call& c : l.lines()) {
            if (c.from.y() != y || c.to.y() != y) continue;
            if (c.from == QPointF(l.g.PlotLeft - 60, y) && c.to == QPointF(l.g.PlotLeft, y))
                ++found;
            if (c.from == QPointF(l.right() + 60, y) && c.to == QPointF(l.right(), y)) ++found;
            if (c.from == QPointF(l.g.PlotLeft, y) && c.to == QPointF(l.right(), y) &&
                c.pen.color == grid && c.pen.style == graph::DrawDashDotDot)
                ++found;
        }
        EXPECT_EQ(found, 3) << j;
        rows += found == 3;
    }
    EXPECT_EQ(rows, 9);
}

TEST(GraphLayout, ValueScalesTheFourthSeriesLeftTheOthersStackedRight) {
    for (const bool hideFirst : {false, true}) {
        SCOPED_TRACE(hideFirst ? "series 0 hidden" : "all shown");
        LoadedGraph l;
        l.g.setSampleVisible(0, !hideFirst);
        l.refresh();
        // The bottom label of every series ("0.0") right-aligned at its column.
        const auto columnOf = [&](int s) -> double {
            for (const Call& c : l.picture->of(Call::Text))
                if (c.color == s + 1 && c.text == "0.0") return c.from.x() + 300;
            return -1;
        };
        EXPECT_EQ(columnOf(3), 530);
        std::vector<int> right = {0, 1, 2, 4};
        if (hideFirst) right.erase(right.begin());
        for (size_t k = 0; k < right.size(); ++k)
            EXPECT_EQ(columnOf(right[k]), l.right() + 530 * (k + 1)) << right[k];
        if (hideFirst) {
            EXPECT_EQ(columnOf(0), -1);
        }
        // Names: the fourth centred on a quarter of its width, the others right-aligned.
        const Call* left = l.picture->text("G3");
        ASSERT_TRUE(left);
        EXPECT_EQ(left->from, QPointF(530 - 200 / 4.0, 30));
        const Call* first = l.picture->text(hideFirst ? "G1" : "G0");
        ASSERT_TRUE(first);
        EXPECT_EQ(first->from.x(), l.right() + 530 - 200);
        // Eleven labels on the grid: series 0 ranges 0..20 in steps of 2.
        std::optional<Call> top;
        for (const Call& c : l.picture->of(Call::Text))
            if (c.color == 2 && c.text == "20.0") top = c;
        ASSERT_TRUE(top);
        EXPECT_EQ(top->from.y(), l.g.PlotTop - 100);  // centred on the top line
    }
}

TEST(GraphLayout, BlendColorMixesChannelsWithTheBlueQuirk) {
    struct Case {
        int32_t a, b;
        float ratio;
        int32_t mixed;
    };
    const Case cases[] = {
        {rt::RGB(255, 255, 255), 0, 0.8f, rt::RGB(204, 204, 205)},  // white's blue reads 256
        {rt::RGB(255, 127, 255), 0, 0.8f, rt::RGB(204, 102, 204)},  // green below 128: 255
        {rt::RGB(0, 0, 0), rt::RGB(100, 50, 10), 0.8f, rt::RGB(20, 10, 2)},
        {rt::RGB(255, 255, 255), rt::RGB(255, 255, 255), 0.5f, rt::RGB(255, 255, 255)},
        {rt::RGB(10, 0, 0), rt::RGB(15, 0, 0), 0.5f, rt::RGB(12, 0, 0)},  // 12.5 -> 12
    };
    for (const Case& c : cases)
        EXPECT_EQ(BlendColor(c.a, c.b, c.ratio), c.mixed) << std::hex << c.a << " " << c.b;
}

TEST(GraphLayout, AutomaticValueRanges) {
    struct Case {
        const char* name;
        float fullScale;
        std::vector<float> values;
        float minBefore, maxBefore;
        float minY, maxY;
    };
    const float g = GapValue;
    const Case cases[] = {
        {"full scale 100, largest 25", 100, {0, 25, 3}, 0, 0, 0, 40},
        {"full scale 100, largest 8.3", 100, {8.3f, 1}, 0, 0, 0, 20},
        {"full scale 5, largest 0.5", 5, {0.5f, 0.1f}, 0, 0, 0, 2},
        {"all 0, full scale 10", 10, {0, 0}, 0, 0, 0, 10},
        {"all 0, full scale 5", 5, {0, 0}, 0, 0, 0, 1},
        {"only gaps", 100, {g, g, g}, 0, 0, 0, 0},
        {"a gap and readings", 100, {g, 5}, 0, 0, 0, 10},
        {"smallest -3.4", 100, {-3.4f, 10}, 0, 0, -3, 20},
        {"smallest -3.6", 100, {-3.6f, 10}, 0, 0, -4, 20},
        {"smallest -2.5", 100, {-2.5f, 10}, 0, 0, -2, 20},
        {"host range kept", 100, {25, 3}, 10, 50, 10, 50},
        {"host maximum below its minimum", 100, {25, 3}, 60, 50, 60, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedGraph l(1, static_cast<int>(c.values.size()));
        l.g.SampleData[0].FullScale = c.fullScale;
        for (size_t i = 0; i < c.values.size(); ++i)
            l.g.setValueY(0, static_cast<int>(i), c.values[i]);
        l.g.setMinY(0, c.minBefore);
        l.g.setMaxY(0, c.maxBefore);
        l.refresh();
        EXPECT_EQ(l.g.MinY(0), c.minY);
        EXPECT_EQ(l.g.MaxY(0), c.maxY);
        EXPECT_FLOAT_EQ(l.g.PosYStp(0), (c.maxY - c.minY) / 10);
        if (c.maxY == c.minY)
            EXPECT_EQ(l.g.SampleData[0].YScale, 0);
        else
            EXPECT_FLOAT_EQ(l.g.SampleData[0].YScale, l.g.PlotHeight / (c.maxY - c.minY));
    }
}

TEST(GraphLayout, AHostTimeFormatLastsUntilTheNextPaint) {
    LoadedGraph l(5, 5);
    l.g.FormatX = "hh:nn:ss";
    l.refresh();
    EXPECT_EQ(l.g.FormatX, "mm/dd hh:nn:ss");
    EXPECT_TRUE(l.picture->text("05/31 10:00:00"));
}
