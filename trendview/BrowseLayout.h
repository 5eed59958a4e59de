#pragma once

#include <array>
#include <optional>
#include <vector>

#include "platform/gui/Geometry.h"

namespace trendview {

// What a browse panel (the data page's, the alarm-trend window's) is laid out from: its size,
// the sizes of the controls it only moves, the summary, the grids' column counts and the
// table's column shares for eight columns (the one row the two panels differ in). Sizes in
// twips; positions come out relative to the panel.
struct BrowsePanelInput {
    double width = 0, height = 0;
    std::array<platform::TwipsRect, 2> optBrowse;  // only the sizes are read
    platform::TwipsRect chkEvent;
    std::array<platform::TwipsRect, 7> chkBrowse;
    platform::TwipsRect lblTitle1, cmbBrowse;
    bool summaryVisible = false;
    int browseCols = 0, summaryCols = 0;
    std::vector<double> eightColumnShares;
    // How much narrower each grid's inside is than the grid (its border, a vertical scroll
    // bar): the columns' shares are of the inside.
    double browseInsideMargin = 0, summaryInsideMargin = 0;
};

// Where everything goes: the view options and "Event Only" on the top row, the summary (while
// shown) and the table below them, the graph in the table's place leaving two rows of graph
// options, the buttons right-aligned over the table on the top row.
struct BrowsePanel {
    std::array<platform::TwipsRect, 2> optBrowse;
    platform::TwipsRect chkEvent;
    std::optional<platform::TwipsRect> vfgSummary;
    platform::TwipsRect vfgBrowse, zvdGraph;
    std::array<platform::TwipsRect, 7> chkBrowse;
    platform::TwipsRect lblTitle1, cmbBrowse;
    // Return, Summary 240 to its left, then Export, Print and To clipboard side by side.
    std::array<platform::TwipsRect, 5> cmdBrowse;
    // Column widths in whole twips by column; nullopt keeps a column's width.
    std::vector<std::optional<double>> browseColWidths, summaryColWidths;
};

BrowsePanel LayOutBrowsePanel(const BrowsePanelInput& in);

}  // namespace trendview
