#include <gtest/gtest.h>

#include "alarmtrend/TrendLayout.h"

#include <cmath>
#include <tuple>

namespace {

using alarmtrend::LayOutTrendWindow;
using alarmtrend::TrendLayoutInput;

TEST(TrendLayout, AMinimisedWindowMovesNothing) {
    TrendLayoutInput in;
    in.minimized = true;
    in.width = 15000;
    in.height = 10000;
    EXPECT_FALSE(LayOutTrendWindow(in).laidOut);
}

TEST(TrendLayout, TheMinimumSize) {
    for (const auto& [w, h, ew, eh] :
         {std::tuple{5000.0, 3000.0, 11640.0, 8250.0}, std::tuple{20000.0, 3000.0, 20000.0, 8250.0},
          std::tuple{11640.0, 9000.0, 11640.0, 9000.0}}) {
        TrendLayoutInput in;
        in.width = w;
        in.height = h;
        const auto out = LayOutTrendWindow(in);
        EXPECT_EQ(out.width, ew);
        EXPECT_EQ(out.height, eh);
    }
}

TEST(TrendLayout, TableGraphAndSummaryAtSeveralSizes) {
    for (const double width : {11640.0, 15000.0, 24000.0}) {
        for (const bool summary : {false, true}) {
            SCOPED_TRACE(testing::Message() << width << " " << summary);
            TrendLayoutInput in;
            in.width = width;
            in.height = 10000;
            in.borderWidth = 240;
            in.borderHeight = 600;
            in.summaryVisible = summary;
            in.graphView = true;
            const auto out = LayOutTrendWindow(in);
            const double sw = width - 240, sh = 10000 - 600;
            // The frame leaves 12 % of the width free on the right.
            EXPECT_DOUBLE_EQ(out.fraMenu.width, sw - 0.12 * sw - 240);
            EXPECT_DOUBLE_EQ(out.fraMenu.height, sh - 180);
            const double w = out.fraMenu.width, h = out.fraMenu.height;
            EXPECT_DOUBLE_EQ(out.optBrowse[1].left, 120 + 1092 + 120);
            EXPECT_DOUBLE_EQ(out.chkEvent.left, out.optBrowse[1].right() + 120);
            if (summary) {
                ASSERT_TRUE(out.vfgSummary.has_value());
                EXPECT_DOUBLE_EQ(out.vfgSummary->top, 240 + 252 + 120);
                EXPECT_DOUBLE_EQ(out.vfgSummary->height, 0.3 * h);
                EXPECT_DOUBLE_EQ(out.vfgBrowse.top, out.vfgSummary->bottom() + 120);
            } else {
                EXPECT_FALSE(out.vfgSummary.has_value());
                EXPECT_DOUBLE_EQ(out.vfgBrowse.top, 240 + 252 + 120);
            }
            // The table ends 120 above the frame's bottom, the graph 800 above it.
            EXPECT_DOUBLE_EQ(out.vfgBrowse.bottom(), h - 120);
            EXPECT_DOUBLE_EQ(out.zvdGraph.bottom(), h - 800);
            EXPECT_DOUBLE_EQ(out.zvdGraph.top, out.vfgBrowse.top);
            EXPECT_DOUBLE_EQ(out.vfgBrowse.width, w - 240);
            // Two rows of graph options under the graph.
            EXPECT_DOUBLE_EQ(out.chkBrowse[0].top, out.zvdGraph.bottom() + 120);
            EXPECT_DOUBLE_EQ(out.chkBrowse[3].left, 3 * w / 4);
            EXPECT_DOUBLE_EQ(out.chkBrowse[4].top, out.chkBrowse[0].bottom());
            EXPECT_DOUBLE_EQ(out.cmbBrowse.left, out.lblTitle1.right() + 240);
            // The buttons right-aligned over the table, "To clipboard" left of Print.
            EXPECT_DOUBLE_EQ(out.cmdBrowse[4].right(), out.vfgBrowse.right());
            EXPECT_DOUBLE_EQ(out.cmdBrowse[4].width, 0.12 * out.vfgBrowse.width);
            EXPECT_DOUBLE_EQ(out.cmdBrowse[3].right(), out.cmdBrowse[4].left - 240);
            EXPECT_DOUBLE_EQ(out.cmdBrowse[2].right(), out.cmdBrowse[3].left);
            EXPECT_DOUBLE_EQ(out.cmdBrowse[0].right(), out.cmdBrowse[2].left);
            EXPECT_DOUBLE_EQ(out.cmdBrowse[1].right(), out.cmdBrowse[0].left);
            for (const auto& button : out.cmdBrowse) {
                EXPECT_EQ(button.top, 240);
                EXPECT_EQ(button.height, 252);
            }
            // From a width of 15 000 the buttons clear the options of the top row.
            if (width >= 15000) {
                EXPECT_GE(out.cmdBrowse[1].left, out.chkEvent.right());
            }
            EXPECT_TRUE(out.graphOptionsShown);
        }
    }
}

// A zoom label whose text needs more room than designed (a longer word in another language)
// grows, and the zoom list stays 240 to its right; a shorter one keeps the designed size.
TEST(TrendLayout, TheZoomLabelFitsItsText) {
    for (const auto& [need, width] : {std::pair{300.0, 444.0}, std::pair{600.0, 600.0}}) {
        TrendLayoutInput in;
        in.width = 15000;
        in.height = 10000;
        in.graphView = true;
        in.zoomLabelWidth = need;
        in.zoomLabelHeight = 240;
        const auto out = LayOutTrendWindow(in);
        EXPECT_EQ(out.lblTitle1.width, width);
        EXPECT_EQ(out.lblTitle1.height, 240);
        EXPECT_EQ(out.cmbBrowse.left, 120 + width + 240);
    }
}

TEST(TrendLayout, ColumnWidthsByTheirCount) {
    TrendLayoutInput in;
    in.width = 15000;
    in.height = 10000;
    in.summaryVisible = true;
    in.summaryCols = 4;
    const auto widthOf = [&](int cols) {
        in.browseCols = cols;
        return LayOutTrendWindow(in);
    };
    const auto eight = widthOf(8);
    const double t = eight.vfgBrowse.width;
    ASSERT_EQ(eight.browseColWidths.size(), 8u);
    EXPECT_EQ(*eight.browseColWidths[0], std::nearbyint(0.10 * t));
    EXPECT_EQ(*eight.browseColWidths[1], std::nearbyint(0.25 * t));
    for (int c = 2; c <= 6; ++c)
        EXPECT_EQ(*eight.browseColWidths[static_cast<size_t>(c)], std::nearbyint(0.10 * t));
    EXPECT_FALSE(eight.browseColWidths[7].has_value());  // the last keeps its width
    EXPECT_TRUE(widthOf(9).browseColWidths.empty());     // nine columns: all kept
    const auto four = widthOf(4);
    EXPECT_EQ(*four.browseColWidths[2], std::nearbyint(0.71 / 2 * t));
    // The summary: 29 % and 14 %, the last kept.
    const double s = four.vfgSummary->width;
    EXPECT_EQ(*four.summaryColWidths[0], std::nearbyint(0.29 * s));
    EXPECT_EQ(*four.summaryColWidths[2], std::nearbyint(0.14 * s));
    EXPECT_FALSE(four.summaryColWidths[3].has_value());
    // The table view hides the graph's options.
    in.graphView = false;
    EXPECT_FALSE(LayOutTrendWindow(in).graphOptionsShown);
}

}  // namespace
