#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QResizeEvent>

#include "runtime/Convert.h"
#include "tests/graph/GraphFixture.h"

using graph::GapValue;
using graphtest::Call;
using graphtest::LoadedGraph;
using testsupport::RecordingSurface;

namespace {

constexpr int32_t SeriesColor = 0x0000FE;

// One series coloured SeriesColor with the given values, a sample a minute.
struct OneSeries : LoadedGraph {
    explicit OneSeries(const std::vector<float>& values)
        : LoadedGraph(1, static_cast<int>(values.size())) {
        g.setValueColor(0, SeriesColor);
        for (size_t i = 0; i < values.size(); ++i)
            g.setValueY(0, static_cast<int>(i), values[i]);
    }
    QPointF at(int i, float v) const { return {xOf(i), double(g.yPos(v, 0))}; }
};

struct Segment {
    QPointF from, to;
    friend bool operator==(const Segment&, const Segment&) = default;
};

void PrintTo(const Segment& s, std::ostream* os) {
    *os << "(" << s.from.x() << "," << s.from.y() << ")-(" << s.to.x() << "," << s.to.y() << ")";
}

std::vector<Segment> segments(const std::vector<Call>& calls) {
    std::vector<Segment> out;
    for (const Call& c : calls)
        out.push_back({c.from, c.to});
    return out;
}

// Five series with one event each at sample 2, every series' marks shown.
struct WithEvents : LoadedGraph {
    explicit WithEvents(int series) : LoadedGraph(series, 10) {
        for (int s = 0; s < series; ++s) {
            g.setEventX(s, 0, graphtest::minuteOf(2));
            g.setEventFlag(s, 0, QStringLiteral("E%1").arg(s));
            g.setEventCount(s, 1);
            g.setEventVisible(s, true);
        }
    }
};

}  // namespace

TEST(GraphDrawing, GapsBreakTheLineExactlyAsSpecified) {
    const float gap = GapValue;
    OneSeries l({1, 2, gap, gap, 3, 4});
    l.refresh();
    const std::vector<Segment> expected = {
        {l.at(0, 1), l.at(1, 2)},      // 1 to 2
        {l.at(1, 2), l.at(1, 2)},      // a dot at 2: a gap follows
        {l.at(2, gap), l.at(2, gap)},  // the first gap: a dot at the gap level
        {l.at(3, 3), l.at(4, 3)},      // the second gap: a lead-in at the level of 3
        {l.at(4, 3), l.at(5, 4)},      // 3 to 4
    };
    EXPECT_EQ(segments(l.linesIn(SeriesColor)), expected);
    for (const Call& c : l.linesIn(SeriesColor)) {
        EXPECT_EQ(c.pen.width, 1);
        EXPECT_EQ(c.pen.style, graph::DrawSolid);
    }
}

TEST(GraphDrawing, TheWindowsEdgesAndTheLastSample) {
    OneSeries l({1, 2, 3, 4, 5, 6});
    // A sample at MinX starts a segment; one at MaxX starts none.
    l.g.MinX = 60;
    l.g.MaxX = 180;
    l.refresh();
    EXPECT_EQ(segments(l.linesIn(SeriesColor)),
              (std::vector<Segment>{{l.at(1, 2), l.at(2, 3)}, {l.at(2, 3), l.at(3, 4)}}));
    // The line ends at the series' last written sample, hidden series draw nothing, nor the
    // spare record.
    OneSeries shorter({1, 2, 3, 4, 5, 6});
    shorter.g.SampleData[0].LastSample = 2;
    shorter.refresh();
    EXPECT_EQ(shorter.linesIn(SeriesColor).size(), 2u);
    shorter.g.setSampleVisible(0, false);
    shorter.refresh();
    EXPECT_TRUE(shorter.linesIn(SeriesColor).empty());
}

TEST(GraphDrawing, PensOfTheLinesAndTheFrame) {
    OneSeries l({1, 2, 3});
    l.g.DrawLineWidth = 2.5f;  // rounds half to even
    l.g.ScaleLineWidth = 3;
    l.refresh();
    ASSERT_FALSE(l.linesIn(SeriesColor).empty());
    EXPECT_EQ(l.linesIn(SeriesColor)[0].pen.width, 2);
    EXPECT_EQ(l.picture->of(Call::Box)[0].pen.width, 3);
    // A dashed grid line at a width above 1 draws solid.
    for (const Call& c : l.lines())
        if (c.pen.color == graph::BlendColor(0xFFFFFF, 0, 0.8f)) {
            EXPECT_EQ(c.pen.style, graph::DrawSolid);
        }
}

TEST(GraphDrawing, EventRowsDependOnTheNumberOfSeries) {
    struct Case {
        int series;
        std::vector<double> rows;  // from the plot's top (positive) or its bottom (negative)
    };
    const Case cases[] = {
        {5, {300, 450, -900, -1050, -1200}},
        {4, {300, 450, -900, -1050}},
        {3, {300, 450, -900}},
        {1, {-600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.series);
        WithEvents l(c.series);
        l.refresh();
        const auto marks = l.picture->of(Call::Polygon);
        ASSERT_EQ(marks.size(), static_cast<size_t>(c.series));
        for (int s = 0; s < c.series; ++s) {
            const bool upper = c.rows[s] > 0;
            const double row = upper ? l.g.PlotTop + c.rows[s] : l.bottom() + c.rows[s];
            EXPECT_FLOAT_EQ(l.g.EventData[s].EventRowY, static_cast<float>(row)) << s;
            // The mark in the series colour, pointing down at the row.
            EXPECT_EQ(marks[s].color, s + 1);
            EXPECT_TRUE(marks[s].filled);
            EXPECT_EQ(marks[s].pen.color, s + 1);
            const Call* text = l.picture->text(QStringLiteral("E%1").arg(s));
            ASSERT_TRUE(text);
            EXPECT_EQ(text->color, s + 1);
            EXPECT_EQ(text->from.y(), upper ? row - 240 : row + 120);
            EXPECT_EQ(text->from.x(), l.xOf(2) - 100);  // centred: two characters
        }
    }
}

TEST(GraphDrawing, EventMarkCornersOnTheScreenAndOnThePrinter) {
    for (const bool printer : {false, true}) {
        SCOPED_TRACE(printer ? "printer" : "screen");
        WithEvents l(1);
        RecordingSurface page;
        page.printer = true;
        if (printer) {
            l.g.setDrawObj(&page);
            l.g.SetDrawWidth = 9000;
            l.g.SetDrawHeight = 6000;
        }
        l.refresh();
        const RecordingSurface& target = printer ? page : *l.picture;
        const auto marks = target.of(Call::Polygon);
        ASSERT_EQ(marks.size(), 1u);
        const double x = l.xOf(2), y = l.g.EventData[0].EventRowY;
        const double t = printer ? 1 : 15;
        const auto r = [t](double v) { return rt::RoundHalfEven(v / t) * t; };
        // Pointing down: the apex one unit above the row, the base 110 twips higher.
        const std::vector<QPointF> expected = {
            {r(x), r(y) - t}, {r(x - 41.5), r(y - 110)}, {r(x + 41.5), r(y - 110)}};
        EXPECT_EQ(marks[0].corners, expected);
    }
}

TEST(GraphDrawing, EventsDrawnOnlyWithTextInsideTheWindowAndInSmallerPlainFont) {
    WithEvents l(2);
    QFont font = l.g.font();
    font.setPointSizeF(12);
    font.setBold(true);
    l.g.setFont(font);
    l.g.setEventFlag(1, 0, "");                   // no text: no mark, its row not stored
    l.g.setEventX(0, 1, graphtest::minuteOf(9));  // at MaxX: drawn
    l.g.setEventFlag(0, 1, "Last");
    l.g.setEventX(0, 2, graphtest::minuteOf(20));  // beyond the window
    l.g.setEventFlag(0, 2, "Far");
    l.g.setEventCount(0, 3);
    l.g.EventData[1].EventRowY = -7;
    l.refresh();
    EXPECT_EQ(l.picture->of(Call::Polygon).size(), 2u);
    EXPECT_TRUE(l.picture->text("Last"));
    EXPECT_FALSE(l.picture->text("Far"));
    EXPECT_EQ(l.g.EventData[1].EventRowY, -7);
    const Call* text = l.picture->text("E0");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->fontSize, 12 - 3.5);
    EXPECT_FALSE(text->bold);
    // The font is the host's again after the paint.
    EXPECT_EQ(l.g.pictureSurface().FontSize(), 12);
    EXPECT_TRUE(l.g.pictureSurface().FontBold());
    // A series whose marks are hidden draws none.
    l.g.setEventVisible(0, false);
    l.refresh();
    EXPECT_TRUE(l.picture->of(Call::Polygon).empty());
}

TEST(GraphDrawing, ControlLevelTextsPointUpNearTheBottom) {
    LoadedGraph l(2, 10);
    l.g.setEventFlag(2, 4, "C");  // 2 = the spare record: a control-level text at sample 4
    l.g.setEventVisible(1000, true);
    l.refresh();
    const auto marks = l.picture->of(Call::Polygon);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].color, 1);
    const double y = l.bottom() - 300;
    EXPECT_EQ(marks[0].corners[0].y(), (rt::RoundHalfEven(y / 15) + 1) * 15);  // apex below
    EXPECT_GT(marks[0].corners[1].y(), marks[0].corners[0].y());
    EXPECT_EQ(l.g.CommonRowY, static_cast<float>(y));
    const Call* text = l.picture->text("C");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->from, QPointF(l.xOf(4) - 50, l.bottom() - 180));
    EXPECT_EQ(text->color, 1);
    // Hidden: nothing.
    l.g.CommonFlagVisible = false;
    l.refresh();
    EXPECT_TRUE(l.picture->of(Call::Polygon).empty());
}

TEST(GraphDrawing, ThePaintGate) {
    LoadedGraph l(2, 10);
    l.g.AutoRedraw = false;
    l.picture->calls.clear();
    l.g.picGraph_Paint();  // a paint event: nothing
    EXPECT_TRUE(l.picture->calls.empty());
    l.g.resize(500, 300);  // a resize: nothing
    QResizeEvent resized(QSize(500, 300), QSize(600, 400));
    QCoreApplication::sendEvent(&l.g, &resized);
    EXPECT_TRUE(l.picture->calls.empty());
    l.g.Refresh();  // Refresh draws
    EXPECT_FALSE(l.picture->of(Call::Box).empty());
    EXPECT_FALSE(l.g.RefreshRequest);
    l.g.AutoRedraw = true;
    l.picture->calls.clear();
    QCoreApplication::sendEvent(&l.g, &resized);
    EXPECT_FALSE(l.picture->of(Call::Box).empty());
    // Nothing to draw without samples: not even a clear.
    LoadedGraph empty(2, 0);
    empty.picture->calls.clear();
    empty.refresh();
    EXPECT_TRUE(empty.picture->calls.empty());
}

TEST(GraphDrawing, AnEventCountBeyondTheEventSlotsStopsAtTheLastSlot) {
    WithEvents l(2);
    l.g.setEventCount(0, 3000);
    l.g.setEventFlag(0, 2047, "Last slot");
    l.g.setEventX(0, 2047, graphtest::minuteOf(3));
    EXPECT_NO_THROW(l.refresh());
    EXPECT_TRUE(l.picture->text("Last slot"));
    rt::OleDate date;
    QString name;
    EXPECT_NO_THROW(
        l.g.SearchEvent(180, static_cast<int32_t>(l.g.EventData[0].EventRowY), date, name));
    EXPECT_EQ(name, "Last slot");
}
