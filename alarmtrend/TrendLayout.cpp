#include "alarmtrend/TrendLayout.h"

#include <algorithm>

#include "trendview/BrowseLayout.h"

namespace alarmtrend {

namespace {

using platform::TwipsRect;

// The controls' designed sizes (width, height).
constexpr double OptionWidth[] = {1092, 972}, OptionHeight = 252;
constexpr double EventWidth = 1575, EventHeight = 252;
constexpr double CheckWidth = 1092, WideCheckWidth = 1995, CheckHeight = 252;
constexpr double LabelWidth = 444, LabelHeight = 204;
constexpr double ListWidth = 1452, ListHeight = 300;

}  // namespace

TrendLayout LayOutTrendWindow(const TrendLayoutInput& in) {
    TrendLayout out;
    if (in.minimized) return out;
    out.laidOut = true;
    out.width = std::max(in.width, MinimumWidth);
    out.height = std::max(in.height, MinimumHeight);
    const double sw = out.width - in.borderWidth, sh = out.height - in.borderHeight;

    out.fraMenu = {0, 120, sw - 0.12 * sw - 240, sh - 180};
    const double w = out.fraMenu.width, h = out.fraMenu.height;
    out.graphOptionsShown = in.graphView;

    trendview::BrowsePanelInput panel;
    panel.width = w;
    panel.height = h;
    panel.optBrowse = {TwipsRect{0, 0, OptionWidth[0], OptionHeight},
                       TwipsRect{0, 0, OptionWidth[1], OptionHeight}};
    panel.chkEvent = {0, 0, EventWidth, EventHeight};
    for (int i = 0; i < 7; ++i)
        panel.chkBrowse[static_cast<size_t>(i)] = {0, 0, i == 3 ? WideCheckWidth : CheckWidth,
                                                   CheckHeight};
    panel.lblTitle1 = {0, 0, std::max(LabelWidth, in.zoomLabelWidth),
                       std::max(LabelHeight, in.zoomLabelHeight)};
    panel.cmbBrowse = {0, 0, ListWidth, ListHeight};
    panel.summaryVisible = in.summaryVisible;
    panel.browseCols = in.browseCols;
    panel.summaryCols = in.summaryCols;
    panel.eightColumnShares = {0.10, 0.25, 0.10, 0.10, 0.10, 0.10, 0.10};
    // "To clipboard" stands directly left of Print, as wide and high.
    static_cast<trendview::BrowsePanel&>(out) = trendview::LayOutBrowsePanel(panel);
    return out;
}

}  // namespace alarmtrend
