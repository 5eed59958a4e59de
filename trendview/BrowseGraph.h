#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <array>
#include <cstdint>

#include "graph/uclZvdGraph.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"

namespace trendview {

// The graph and the controls of its view: the gas boxes 0 to 4, "Event" (5) and "Cursor" (6),
// and the zoom list. Their handlers run when their values change, also from code.
struct GraphView {
    graph::uclZvdGraph& graph;
    std::array<QCheckBox*, 7> chkBrowse;
    QComboBox* cmbBrowse;
};

// A trend for the graph: the kind (1 interval, 2 alarm) and its loaded record.
struct GraphSource {
    int32_t type = 0;
    const records::clsInterval* interval = nullptr;
    const records::clsAlarm* alarm = nullptr;
    // An alarm trend's upper title names its kind by the trend's sampling flag (2: "Interval
    // Trend") instead of always "Alarm Trend".
    bool kindBySampling = false;
};

// A trend of fewer usable samples is shown as a table only.
inline constexpr int32_t GraphSamples = 5;

// The usable readings of an interval trend: the most of any enabled gas 0 to 3 (readings of
// 0 or more and "OVER").
int32_t ValidSampleCount(const records::clsInterval& record);

// Loads the whole graph from a trend: one series per gas, the samples (an interval trend's
// unchanged runs shrunk to their ends, at most 16 361), the event marks, the titles, the zoom
// list and the boxes; then draws it.
void ShowBrowseGraph(const GraphSource& source, GraphView view);

// The handlers of the graph's boxes and of the zoom list.
void chkBrowse_Click(GraphView view, int index);
void cmbBrowse_Click(GraphView view);

}  // namespace trendview
