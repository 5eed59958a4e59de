#include "alarmtrend/TrendLayout.h"

#include <algorithm>

#include "runtime/Convert.h"

namespace alarmtrend {

namespace {

using platform::TwipsRect;

// The controls' designed sizes (width, height).
constexpr double OptionWidth[] = {1092, 972}, OptionHeight = 252;
constexpr double EventWidth = 1575, EventHeight = 252;
constexpr double CheckWidth = 1092, WideCheckWidth = 1995, CheckHeight = 252;
constexpr double LabelWidth = 444, LabelHeight = 204;
constexpr double ListWidth = 1452, ListHeight = 300;

// The table's column widths by its column count, as fractions of its width.
const std::vector<std::vector<double>>& browseFractions() {
    static const std::vector<std::vector<double>> table = {
        {},
        {},
        {0.29},
        {0.29, 0.71 / 2},
        {0.07, 0.22, 0.71 / 2},
        {0.10, 0.30, 0.20, 0.20},
        {0.10, 0.30, 0.13, 0.13, 0.13},
        {0.07, 0.22, 0.14, 0.14, 0.14, 0.14},
        {0.10, 0.25, 0.10, 0.10, 0.10, 0.10, 0.10},
    };
    return table;
}

double whole(double twips) {
    return rt::CLng(twips);
}

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

    out.optBrowse[0] = {120, 240, OptionWidth[0], OptionHeight};
    out.optBrowse[1] = {out.optBrowse[0].right() + 120, 240, OptionWidth[1], OptionHeight};
    out.chkEvent = {out.optBrowse[1].right() + 120, 240, EventWidth, EventHeight};

    const double b = out.optBrowse[0].bottom();
    if (in.summaryVisible) {
        out.vfgSummary = TwipsRect{120, b + 120, w - 240, 0.3 * h};
        const double s = out.vfgSummary->bottom();
        out.vfgBrowse = {120, s + 120, w - 240, h - s - 240};
        out.zvdGraph = {120, out.vfgBrowse.top, out.vfgBrowse.width, h - s - 920};
    } else {
        out.vfgBrowse = {120, b + 120, w - 240, h - b - 240};
        out.zvdGraph = {120, out.vfgBrowse.top, out.vfgBrowse.width, h - b - 920};
    }

    const double y1 = out.zvdGraph.bottom() + 120;
    const auto check = [](int i) { return i == 3 ? WideCheckWidth : CheckWidth; };
    out.chkBrowse[0] = {120, y1, check(0), CheckHeight};
    out.chkBrowse[1] = {w / 4, y1, check(1), CheckHeight};
    out.chkBrowse[2] = {w / 2, y1, check(2), CheckHeight};
    out.chkBrowse[3] = {3 * w / 4, y1, check(3), CheckHeight};
    const double y2 = out.chkBrowse[0].bottom();
    out.lblTitle1 = {120, y2, std::max(LabelWidth, in.zoomLabelWidth),
                     std::max(LabelHeight, in.zoomLabelHeight)};
    out.cmbBrowse = {out.lblTitle1.right() + 240, y2, ListWidth, ListHeight};
    out.chkBrowse[4] = {w / 4, y2, check(4), CheckHeight};
    out.chkBrowse[5] = {w / 2, y2, check(5), CheckHeight};
    out.chkBrowse[6] = {3 * w / 4, y2, check(6), CheckHeight};

    // The buttons right-aligned over the table: Return, Summary 240 to its left, then Export,
    // Print and To clipboard side by side, each as wide and high as its right neighbour.
    const TwipsRect& t = out.vfgBrowse;
    const double buttonWidth = 0.12 * t.width, buttonHeight = out.chkEvent.height;
    out.cmdBrowse[4] = {t.left + t.width - buttonWidth, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[3] = {out.cmdBrowse[4].left - buttonWidth - 240, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[2] = {out.cmdBrowse[3].left - buttonWidth, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[0] = {out.cmdBrowse[2].left - buttonWidth, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[1] = {out.cmdBrowse[0].left - buttonWidth, 240, buttonWidth, buttonHeight};

    const auto& fractions = browseFractions();
    if (in.browseCols >= 2 && in.browseCols < static_cast<int>(fractions.size())) {
        out.browseColWidths.assign(static_cast<size_t>(in.browseCols), std::nullopt);
        const std::vector<double>& f = fractions[static_cast<size_t>(in.browseCols)];
        for (size_t c = 0; c < f.size(); ++c)
            out.browseColWidths[c] = whole(f[c] * t.width);
    }
    if (in.summaryVisible && in.summaryCols >= 1) {
        out.summaryColWidths.assign(static_cast<size_t>(in.summaryCols), std::nullopt);
        const double width = out.vfgSummary->width;
        if (in.summaryCols >= 2) out.summaryColWidths[0] = whole(0.29 * width);
        for (int c = 1; c <= in.summaryCols - 2; ++c)
            out.summaryColWidths[static_cast<size_t>(c)] = whole(0.14 * width);
    }
    return out;
}

}  // namespace alarmtrend
