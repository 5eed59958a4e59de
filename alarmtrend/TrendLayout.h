#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/gui/Geometry.h"
#include "trendview/BrowseLayout.h"

namespace alarmtrend {

// What the alarm-trend window's layout reads: the window's state and outer size, the frame the
// system puts around its client area, the view, the summary and the grids' column counts (all
// sizes in twips).
struct TrendLayoutInput {
    bool minimized = false;
    double width = 0, height = 0;              // outer
    double borderWidth = 0, borderHeight = 0;  // outer less inner
    bool graphView = false;
    bool summaryVisible = false;
    int browseCols = 0;
    int summaryCols = 0;
    // What the zoom label's text needs; the label is never made smaller than designed.
    double zoomLabelWidth = 0, zoomLabelHeight = 0;
};

// Where everything goes: the frame, and in it the browse panel. Positions inside the frame are
// relative to it.
struct TrendLayout : trendview::BrowsePanel {
    bool laidOut = false;          // false: minimised, nothing moves
    double width = 0, height = 0;  // the window's outer size after the minimum
    platform::TwipsRect fraMenu;
    // The graph's options: the zoom label and list shown, the check boxes left as the graph
    // view set them (Graph view); all hidden (Table view).
    bool graphOptionsShown = false;
};

// The window's minimum outer size.
inline constexpr double MinimumWidth = 11640, MinimumHeight = 8250;

TrendLayout LayOutTrendWindow(const TrendLayoutInput& in);

}  // namespace alarmtrend
