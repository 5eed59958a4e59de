#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFocusEvent>
#include <QSignalSpy>

#include "platform/gui/KeyCodes.h"
#include "runtime/RuntimeError.h"
#include "tests/graph/GraphFixture.h"

using graph::GapValue;
using graphtest::LoadedGraph;

namespace {

constexpr int Left = platform::KeyLeft, Right = platform::KeyRight, Up = platform::KeyUp,
              Down = platform::KeyDown, Shift = platform::ShiftMask;

}  // namespace

TEST(GraphCursor, SampleIndexAtATime) {
    LoadedGraph l(1, 10);  // samples at 0, 60, ..., 540 seconds
    const struct {
        float seconds;
        int index;
    } cases[] = {{-5, 0}, {0, 0}, {1, 1}, {60, 2}, {61, 2}, {539, 9}, {540, 9}, {10000, 9}};
    for (const auto& c : cases)
        EXPECT_EQ(l.g.SampleIndexAt(c.seconds), c.index) << c.seconds;
}

TEST(GraphCursor, KeysMoveTheCursorAndTheLabelWithinTheirLimits) {
    LoadedGraph l(2, 30);
    l.refresh();
    struct Step {
        int key, shift;
        float cursor, offset;  // after the key
    };
    l.g.CursorIndex = 0;
    const Step steps[] = {
        {Left, 0, 0, 0},        // at 0: nothing
        {Right, 0, 1, 0},       // one sample
        {Right, Shift, 11, 0},  // ten samples
        {Left, Shift, 1, 0},    // back ten
        {Left, Shift, 1, 0},    // fewer than ten before it: nothing
        {Up, 0, 1, -1},         // the label one pixel up
        {Down, Shift, 1, 9},    // ten pixels down
    };
    for (const Step& s : steps) {
        l.g.picGraph_KeyDown(s.key, s.shift);
        EXPECT_EQ(l.g.CursorIndex, s.cursor) << s.key << "/" << s.shift;
        EXPECT_EQ(l.g.LabelOffset, s.offset) << s.key << "/" << s.shift;
    }
    // The right end: one sample at a time up to the last, ten only while ten are left.
    l.g.CursorIndex = 30 - 12;
    l.g.picGraph_KeyDown(Right, Shift);
    EXPECT_EQ(l.g.CursorIndex, 28);
    l.g.picGraph_KeyDown(Right, Shift);
    EXPECT_EQ(l.g.CursorIndex, 28);
    l.g.picGraph_KeyDown(Right, 0);
    EXPECT_EQ(l.g.CursorIndex, 29);
    l.g.picGraph_KeyDown(Right, 0);
    EXPECT_EQ(l.g.CursorIndex, 29);
    // The label moves up to the picture's height in pixels and stops there.
    const float height = static_cast<float>(l.g.pictureSurface().ScaleHeight() / 15);
    l.g.LabelOffset = -height + 5;
    for (int i = 0; i < 20; ++i)
        l.g.picGraph_KeyDown(Up, Shift);
    EXPECT_EQ(l.g.LabelOffset, -height - 5);
    l.g.LabelOffset = height - 1;
    l.g.picGraph_KeyDown(Down, 0);
    l.g.picGraph_KeyDown(Down, 0);
    EXPECT_EQ(l.g.LabelOffset, height);
}

TEST(GraphCursor, TheReadOutListsVisibleSeriesAndMarksGaps) {
    LoadedGraph l(3, 10);
    l.g.setFormatY(1, "");
    l.g.setValueY(1, 4, GapValue);
    l.g.setValueY(0, 4, 12.25f);
    l.g.setSampleVisible(2, false);
    l.g.CursorIndex = 4;
    l.refresh();
    EXPECT_EQ(l.g.MsgCaption(), "[05/31 10:04:00]\r\nG0 : 12.3\r\nG1 : -----\r\n");
    EXPECT_EQ(l.g.FormatY(1), "##0.0");  // an empty format gets the default
    EXPECT_EQ(l.g.linCursor.X1, l.xOf(4));
    EXPECT_EQ(l.g.linCursor.X2, l.xOf(4));
    EXPECT_EQ(l.g.linCursor.Y1, l.g.PlotTop + 15);
    EXPECT_EQ(l.g.linCursor.Y2, l.bottom() - 15);
}

TEST(GraphCursor, TheLabelStandsBesideTheLineAtTheLowestPoint) {
    LoadedGraph l(2, 11);    // 0 to 600 seconds: the middle is sample 5
    l.g.setValueY(1, 5, 0);  // series 1 lowest at sample 5, hidden: it still places the label
    l.g.setSampleVisible(1, false);
    l.g.CursorIndex = 5;
    l.refresh();
    const double x = l.xOf(5);
    EXPECT_NEAR(l.g.lblMsg->x() * 15.0, x + 30, 15);  // right of the line
    const double lowest = l.g.yPos(0, 1);
    EXPECT_NEAR((l.g.lblMsg->y() + l.g.lblMsg->height()) * 15.0, lowest, 15);
    // The user's offset moves it, in pixels.
    l.g.LabelOffset = -10;
    l.g.DrawCursor();
    EXPECT_NEAR((l.g.lblMsg->y() + l.g.lblMsg->height()) * 15.0, lowest - 150, 15);
    // One sample right of the middle: left of the line.
    l.g.picGraph_KeyDown(Right, 0);
    EXPECT_NEAR((l.g.lblMsg->x() + l.g.lblMsg->width()) * 15.0, l.xOf(6) - 30, 15);
}

TEST(GraphCursor, TheCursorIsPulledIntoTheWindow) {
    LoadedGraph l(1, 100);
    l.g.CursorIndex = 90;
    l.g.setZoom(4);  // window: samples 0 to 24
    l.refresh();
    EXPECT_EQ(l.g.CursorIndex, 24);
    l.g.CursorIndex = 3;
    l.g.hslWidth->setValue(10);  // window: samples 10 to 35
    EXPECT_EQ(l.g.MinX, 600);
    EXPECT_EQ(l.g.CursorIndex, 10);
}

TEST(GraphCursor, AClickMovesTheCursorAfterTheHostHeardOfIt) {
    LoadedGraph l(1, 10);
    l.refresh();
    float cursorWhenTold = -1;
    QObject::connect(&l.g, &graph::uclZvdGraph::MouseDown,
                     [&](int, int, float, float) { cursorWhenTold = l.g.CursorIndex; });
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(l.xOf(3) / 15 + 1, 50),
                      QPointF(l.xOf(3) / 15 + 1, 50), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(l.g.picGraph, &press);
    EXPECT_EQ(cursorWhenTold, 0);
    EXPECT_EQ(l.g.CursorIndex, 4);  // the first sample right of the clicked time
    // Without samples the cursor stays on sample 0.
    LoadedGraph empty(1, 0);
    empty.g.picGraph_MouseDown(1, 0, 3000, 100);
    EXPECT_EQ(empty.g.CursorIndex, 0);
}

TEST(GraphCursor, KeyEventsReachTheHostFirstWithTheirCodes) {
    LoadedGraph l(1, 10);
    l.refresh();
    QSignalSpy down(&l.g, &graph::uclZvdGraph::KeyDown);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QCoreApplication::sendEvent(l.g.picGraph, &key);
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].toInt(), 39);
    EXPECT_EQ(down[0][1].toInt(), 1);
}

TEST(GraphCursor, TheLineIsSolidWithTheFocusAndDottedWithout) {
    LoadedGraph l(1, 10);
    QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
    QCoreApplication::sendEvent(l.g.picGraph, &out);
    EXPECT_EQ(l.g.linCursor.BorderStyle, 3);
    QCoreApplication::sendEvent(l.g.picGraph, &in);
    EXPECT_EQ(l.g.linCursor.BorderStyle, 1);
}

TEST(GraphZoom, WindowAndScrollRange) {
    struct Case {
        int samples, zoom;
        int max, largeChange, lastInWindow;
    };
    const Case cases[] = {
        {361, 2, 180, 180, 180},
        {3, 2, 0, 0, 0},  // 0.5 rounds to 0
        {100, 4, 74, 24, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.samples) + " / " + std::to_string(c.zoom));
        LoadedGraph l(1, c.samples);
        l.g.setZoom(static_cast<int16_t>(c.zoom));
        EXPECT_EQ(l.g.Zoom(), c.zoom);
        EXPECT_FALSE(l.g.hslWidth->isHidden());
        EXPECT_EQ(l.g.hslWidth->minimum(), 0);
        EXPECT_EQ(l.g.hslWidth->maximum(), c.max);
        EXPECT_EQ(l.g.hslWidth->pageStep(), c.largeChange);
        EXPECT_EQ(l.g.hslWidth->singleStep(), 1);
        EXPECT_EQ(l.g.hslWidth->value(), 0);
        EXPECT_EQ(l.g.MinX, 0);
        EXPECT_EQ(l.g.MaxX, l.g.Sample[c.lastInWindow].seconds);
        // Back to 1: the whole trend, without the bar.
        l.g.setZoom(1);
        EXPECT_TRUE(l.g.hslWidth->isHidden());
        EXPECT_EQ(l.g.MaxX, l.g.Sample[c.samples - 1].seconds);
    }
}

TEST(GraphZoom, ScrollingMovesTheWindowAndItsEndStaysOnTheTrend) {
    LoadedGraph l(1, 6);
    l.g.setZoom(4);  // Max R(6 - 1.5 - 1) = 4
    ASSERT_EQ(l.g.hslWidth->maximum(), 4);
    l.g.hslWidth->setValue(2);
    EXPECT_EQ(l.g.MinX, 120);
    EXPECT_EQ(l.g.MaxX, 240);  // R(1.5 + 2) = 4
    l.g.hslWidth->setValue(4);
    EXPECT_EQ(l.g.MinX, 240);
    // R(1.5 + 4) = 6 is one past the last sample: the window ends on the last one.
    EXPECT_EQ(l.g.MaxX, 300);
    // Zooming out again puts the bar back to its start.
    l.g.setZoom(2);
    EXPECT_EQ(l.g.hslWidth->value(), 0);
    EXPECT_EQ(l.g.MinX, 0);
}

TEST(GraphZoom, ADraggedBarRendersOncePerShownFrame) {
    LoadedGraph l(1, 100);
    l.g.setZoom(4);
    l.g.show();
    QCoreApplication::processEvents();
    const int before = l.picture->clears;
    l.g.hslWidth->setSliderDown(true);
    for (int v = 1; v <= 5; ++v)
        l.g.hslWidth->setValue(v);
    EXPECT_EQ(l.picture->clears, before);  // the window moved, nothing drawn yet
    EXPECT_EQ(l.g.MinX, 300);
    QCoreApplication::processEvents();  // the next frame
    EXPECT_EQ(l.picture->clears, before + 1);
    l.g.hslWidth->setSliderDown(false);
}

TEST(GraphZoom, FactorsThatCannotBeShown) {
    LoadedGraph one(1, 1);
    one.g.setZoom(4);  // a single sample: nothing changes
    EXPECT_EQ(one.g.Zoom(), 1);
    EXPECT_TRUE(one.g.hslWidth->isHidden());

    LoadedGraph l(1, 10);
    const auto errorOf = [&](int16_t zoom) {
        try {
            l.g.setZoom(zoom);
        } catch (const rt::RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(errorOf(0), rt::ErrDivisionByZero);
    EXPECT_EQ(errorOf(-2), rt::ErrSubscript);
    EXPECT_EQ(l.g.Zoom(), 1);  // a refused factor changes nothing
}

TEST(GraphSearch, TheNearestEventTextWithinTheWindowsBounds) {
    LoadedGraph l(2, 41);  // samples at 0, 60, ..., 2400 seconds
    l.refresh();
    const auto event = [&](int s, int k, int seconds, const char* text, float row) {
        l.g.setEventX(s, k, graphtest::minuteOf(0).addSeconds(seconds));
        l.g.setEventFlag(s, k, text);
        l.g.EventData[s].EventRowY = row;
    };
    event(0, 0, 600, "A", 1000);
    event(1, 0, 600, "B", 2000);  // the same second, another row
    event(0, 1, 1200, "C", 1000);
    l.g.setEventCount(0, 2);
    l.g.setEventCount(1, 1);
    const auto search = [&](float x, int32_t y) {
        rt::OleDate date(1.0);
        QString name = "?";
        l.g.SearchEvent(x, y, date, name);
        return std::make_pair(date, name);
    };
    // The window is 2400 s: the search reaches strictly less than 60 s either side.
    EXPECT_EQ(search(610, 1050).second, "A");
    EXPECT_EQ(search(610, 1950), std::make_pair(graphtest::minuteOf(10), QString("B")));
    EXPECT_EQ(search(1190, 1000).second, "C");
    EXPECT_EQ(search(660, 1000).second, "");  // 60 s away: not found
    EXPECT_EQ(search(659, 1000).second, "A");
    EXPECT_EQ(search(600, 1180).second, "");  // 180 twips away: not found
    EXPECT_EQ(search(600, 1179).second, "A");
    // Outside the window nothing is found, whatever lies there.
    l.g.MinX = 700;
    EXPECT_EQ(search(600, 1000), std::make_pair(rt::OleDate(), QString()));
}

TEST(GraphSearch, TheWindowEdgeIsStrictAndDistancesRound) {
    LoadedGraph l(1, 41);
    l.g.setEventX(0, 0, graphtest::minuteOf(0).addSeconds(20));
    l.g.setEventFlag(0, 0, "E");
    l.g.setEventCount(0, 1);
    l.g.EventData[0].EventRowY = 500;
    rt::OleDate date;
    QString name;
    // A window of 40 s: an event 1 s away is not found (40 / 40 is not above 1); of 41 s it is.
    l.g.MinX = 0;
    l.g.MaxX = 40;
    l.g.SearchEvent(21, 500, date, name);
    EXPECT_EQ(name, "");
    l.g.MaxX = 41;
    l.g.SearchEvent(21, 500, date, name);
    EXPECT_EQ(name, "E");
    // 0.6 s away counts as 1 s.
    l.g.MaxX = 40;
    l.g.SearchEvent(20.6f, 500, date, name);
    EXPECT_EQ(name, "");
    l.g.SearchEvent(20.4f, 500, date, name);
    EXPECT_EQ(name, "E");
}
