#include "trendview/BrowseLayout.h"

#include <cmath>

namespace trendview {

namespace {

using platform::TwipsRect;

// A control moved to a place, its size kept.
TwipsRect at(const TwipsRect& size, double left, double top) {
    return {left, top, size.width, size.height};
}

// Whole twips, halves to even.
double whole(double twips) {
    return std::nearbyint(twips);
}

}  // namespace

BrowsePanel LayOutBrowsePanel(const BrowsePanelInput& in) {
    BrowsePanel out;
    const double w = in.width, h = in.height;
    out.optBrowse[0] = at(in.optBrowse[0], 120, 240);
    out.optBrowse[1] = at(in.optBrowse[1], out.optBrowse[0].right() + 120, 240);
    out.chkEvent = at(in.chkEvent, out.optBrowse[1].right() + 120, 240);

    double bottom = out.optBrowse[0].bottom();
    if (in.summaryVisible) {
        out.vfgSummary = TwipsRect{120, bottom + 120, w - 240, 0.3 * h};
        bottom = out.vfgSummary->bottom();
    }
    out.vfgBrowse = {120, bottom + 120, w - 240, h - bottom - 240};
    out.zvdGraph = {120, out.vfgBrowse.top, out.vfgBrowse.width, h - bottom - 920};

    const double firstRow = out.zvdGraph.bottom() + 120;
    out.chkBrowse[0] = at(in.chkBrowse[0], 120, firstRow);
    out.chkBrowse[1] = at(in.chkBrowse[1], w / 4, firstRow);
    out.chkBrowse[2] = at(in.chkBrowse[2], w / 2, firstRow);
    out.chkBrowse[3] = at(in.chkBrowse[3], 3 * w / 4, firstRow);
    const double secondRow = out.chkBrowse[0].bottom();
    out.lblTitle1 = at(in.lblTitle1, 120, secondRow);
    out.cmbBrowse = at(in.cmbBrowse, out.lblTitle1.right() + 240, secondRow);
    out.chkBrowse[4] = at(in.chkBrowse[4], w / 4, secondRow);
    out.chkBrowse[5] = at(in.chkBrowse[5], w / 2, secondRow);
    out.chkBrowse[6] = at(in.chkBrowse[6], 3 * w / 4, secondRow);

    const TwipsRect& t = out.vfgBrowse;
    const double buttonWidth = 0.12 * t.width, buttonHeight = out.chkEvent.height;
    out.cmdBrowse[4] = {t.left + t.width - buttonWidth, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[3] = {out.cmdBrowse[4].left - buttonWidth - 240, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[2] = {out.cmdBrowse[3].left - buttonWidth, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[0] = {out.cmdBrowse[2].left - buttonWidth, 240, buttonWidth, buttonHeight};
    out.cmdBrowse[1] = {out.cmdBrowse[0].left - buttonWidth, 240, buttonWidth, buttonHeight};

    // The table's columns as shares of its width by their count; the last keeps its width.
    const std::vector<std::vector<double>> shares = {
        {0.29},
        {0.29, 0.71 / 2},
        {0.07, 0.22, 0.71 / 2},
        {0.10, 0.30, 0.20, 0.20},
        {0.10, 0.30, 0.13, 0.13, 0.13},
        {0.07, 0.22, 0.14, 0.14, 0.14, 0.14},
        in.eightColumnShares,
    };
    if (in.browseCols >= 2 && in.browseCols <= 8) {
        out.browseColWidths.assign(static_cast<size_t>(in.browseCols), std::nullopt);
        const std::vector<double>& f = shares[static_cast<size_t>(in.browseCols - 2)];
        const double inside = t.width - in.browseInsideMargin;
        for (size_t c = 0; c < f.size() && c < out.browseColWidths.size(); ++c)
            out.browseColWidths[c] = whole(f[c] * inside);
    }
    if (in.summaryVisible && in.summaryCols >= 1) {
        out.summaryColWidths.assign(static_cast<size_t>(in.summaryCols), std::nullopt);
        const double width = out.vfgSummary->width - in.summaryInsideMargin;
        if (in.summaryCols >= 2) out.summaryColWidths[0] = whole(0.29 * width);
        for (int c = 1; c <= in.summaryCols - 2; ++c)
            out.summaryColWidths[static_cast<size_t>(c)] = whole(0.14 * width);
    }
    return out;
}

}  // namespace trendview
