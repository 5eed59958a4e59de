#include "trendview/BrowseGraph.h"

#include "graph/TrendFill.h"

#include <array>

#include "core/GasCommon.h"
#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "records/GasInfo.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/Strings.h"

namespace trendview {

using records::decimalsOf;
using records::gasInfo;

namespace {

constexpr int Gases = 5;
constexpr int EventBox = 5, CursorBox = 6;
using graph::CommonTexts;

bool ticked(const QCheckBox* box) {
    return box->isChecked();
}

// A box set as the program's code sets it: its handler runs when the value changes.
void setBox(QCheckBox* box, bool on) {
    box->setChecked(on);
}

// The five series with the gas boxes' texts, and the titles.
template <class Record>
void seriesAndTitles(const Record& r, int kindText, GraphView view) {
    graph::AddTrendSeries(view.graph, r, ticked(view.chkBrowse[EventBox]));
    for (int gas = 0; gas < Gases; ++gas)
        view.chkBrowse[gas]->setText(r.GasListInfo(gas, 0).toText());
    graph::SetTrendTitles(view.graph, r, kindText);
}

// The gas boxes by the record's enabled gases: hidden, the series shown when enabled; the
// fifth gas only in debug mode, and then with its box.
template <class Record>
void gasBoxes(const Record& r, GraphView view) {
    for (int gas = 0; gas < Gases; ++gas) {
        setBox(view.chkBrowse[gas], r.GasListInfo(gas, 13).toBool());
        view.chkBrowse[gas]->hide();
    }
    graph::ShowEnabledSeries(view.graph, r);
    setBox(view.chkBrowse[4], core::DebugMode);
    view.chkBrowse[4]->setVisible(core::DebugMode);
}

void intervalGraph(const records::clsInterval& r, GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    seriesAndTitles(r, core::TextIntervalTrend, view);
    const int kept = graph::FillIntervalSamples(g, r);
    graph::FillIntervalEvents(g, r);
    g.SampleCount = static_cast<int16_t>(kept);
    gasBoxes(r, view);
    view.chkBrowse[EventBox]->show();
    view.chkBrowse[CursorBox]->show();
}

void alarmGraph(const records::clsAlarm& r, bool kindBySampling, GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    const bool sampled = kindBySampling && r.KeptAsInterval();
    seriesAndTitles(r, sampled ? core::TextIntervalTrend : core::TextAlarmTrend, view);
    g.SampleCount = static_cast<int16_t>(graph::FillAlarmSamples(g, r));
    gasBoxes(r, view);
    view.chkBrowse[EventBox]->hide();
    view.chkBrowse[CursorBox]->show();
    if (graph::MarkAlarm(g, r)) g.setEventVisible(CommonTexts, ticked(view.chkBrowse[EventBox]));
}

// The zoom factors a trend of that many samples can show, the ranges back to automatic, and
// the graph drawn.
void zoomAndDraw(GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    QComboBox* zoom = view.cmbBrowse;
    {
        const QSignalBlocker quiet(zoom);
        zoom->clear();
        zoom->addItem(QStringLiteral("1"));
        const int samples = g.SampleCount;
        for (const auto& [above, factor] :
             {std::pair{30, "3"}, std::pair{50, "5"}, std::pair{100, "10"}, std::pair{200, "20"},
              std::pair{300, "30"}, std::pair{500, "50"}})
            if (samples > above) zoom->addItem(QString::fromLatin1(factor));
        zoom->setCurrentIndex(-1);
    }
    zoom->setCurrentIndex(0);  // "1", through its handler
    graph::DrawWithAutomaticRanges(g);
}

}  // namespace

int32_t ValidSampleCount(const records::clsInterval& record) {
    std::array<int32_t, 4> counts{};
    for (int32_t i = 0; i < record.DataCount(); ++i)
        for (int gas = 0; gas < 4; ++gas) {
            const float v = record.GasValue(gas, i).toSingle();
            if (v >= 0 || v == -107) ++counts[static_cast<size_t>(gas)];
        }
    int32_t most = 0;
    for (int gas = 0; gas < 4; ++gas)
        if (record.GasListInfo(gas, 13).toBool())
            most = std::max(most, counts[static_cast<size_t>(gas)]);
    return most;
}

void ShowBrowseGraph(const GraphSource& source, GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    g.Clear();
    g.setCursorVisible(ticked(view.chkBrowse[CursorBox]));
    QFont font = g.font();
    font.setBold(true);
    g.setFont(font);
    if (source.type == 1 && source.interval)
        intervalGraph(*source.interval, view);
    else if (source.type == 2 && source.alarm)
        alarmGraph(*source.alarm, source.kindBySampling, view);
    zoomAndDraw(view);
}

void chkBrowse_Click(GraphView view, int index) {
    graph::uclZvdGraph& g = view.graph;
    const bool events = ticked(view.chkBrowse[EventBox]);
    if (index >= 0 && index < Gases) {
        const bool on = ticked(view.chkBrowse[index]);
        g.setSampleVisible(index, on);
        g.setEventVisible(index, on && events);
    } else if (index == EventBox) {
        for (int s = 0; s < g.SampleDataCount(); ++s)
            g.setEventVisible(s, events);
        g.setEventVisible(CommonTexts, events);
    } else if (index == CursorBox) {
        g.setCursorVisible(ticked(view.chkBrowse[CursorBox]));
    }
    if (!g.isHidden()) {
        g.Refresh();
        g.setFocus();
    }
}

void cmbBrowse_Click(GraphView view) {
    if (view.cmbBrowse->currentIndex() < 0) return;
    graph::uclZvdGraph& g = view.graph;
    g.setZoom(rt::CInt(view.cmbBrowse->currentText()));
    if (!g.isHidden()) {
        g.Refresh();
        g.setFocus();
    }
}

}  // namespace trendview
