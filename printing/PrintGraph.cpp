#include "core/LogTexts.h"
#include "core/ModMain.h"
#include "graph/TrendFill.h"
#include "printing/FrmPrint.h"

namespace printing {

namespace {}  // namespace

void FrmPrint::LoadGraph() {
    graph::uclZvdGraph& g = *zvdPrint;
    g.Clear();
    g.setCursorVisible(false);
    QFont font = g.font();
    font.setBold(true);
    g.setFont(font);
    g.DrawLineWidth = core::PrintLineWidths[0];
    g.ScaleLineWidth = core::PrintLineWidths[1];
    int samples = 0;
    if (DataType == KindInterval) {
        if (!IntervalData) return;
        const records::clsInterval& r = *IntervalData;
        // The printed graph shows no event marks.
        graph::AddTrendSeries(g, r, false);
        graph::SetTrendTitles(g, r, core::TextIntervalTrend);
        samples = graph::FillIntervalSamples(g, r);
        graph::FillIntervalEvents(g, r);
        g.SampleCount = static_cast<int16_t>(samples);
        graph::ShowEnabledSeries(g, r);
    } else {
        if (!AlarmData) return;
        const records::clsAlarm& r = *AlarmData;
        graph::AddTrendSeries(g, r, false);
        graph::SetTrendTitles(g, r,
                              r.KeptAsInterval() ? core::TextIntervalTrend : core::TextAlarmTrend);
        samples = graph::FillAlarmSamples(g, r);
        g.SampleCount = static_cast<int16_t>(samples);
        graph::ShowEnabledSeries(g, r);
        if (graph::MarkAlarm(g, r)) g.setEventVisible(graph::CommonTexts, true);
    }
    graph::DrawWithAutomaticRanges(g);
}

}  // namespace printing
