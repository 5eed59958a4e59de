#pragma once

#include <cstdint>

#include "core/GasCommon.h"
#include "graph/uclZvdGraph.h"
#include "records/ClsAlarm.h"
#include "records/ClsInterval.h"

// How a trend record becomes a graph: one filling for the data page's graph, the printed
// graph and the alarm-trend window's graph.
namespace graph {

// The number a value shows as in the table with that many decimal places (ValueText), as a
// Single: what the graph plots.
float RoundedAsShown(float value, int16_t decimals);
// Gas 3: a value above the full scale plots at the full scale; a reading code leaves a gap.
float FullScaleValue(float value, float fullScale, int16_t decimals);
// The fifth gas stays within the download's recorded range; without a recorded maximum a
// reading code leaves a gap.
float FifthGasValue(float value, float maximum, float minimum, int16_t decimals);

// One series per gas 0 to 4 (name, colour, value format, full scale), each with its event
// marks shown or hidden; series i is gas i.
void AddTrendSeries(uclZvdGraph& g, const core::GasListSource& r, bool eventsVisible);
// "Data Browse (name) - kind" above, the first and last sample times below, the time labels.
void SetTrendTitles(uclZvdGraph& g, const records::clsInterval& r, int kindText);
void SetTrendTitles(uclZvdGraph& g, const records::clsAlarm& r, int kindText);

// The samples of an interval trend, runs of unchanged samples shrunk to their ends (the first,
// the last, every change and the sample before it), at most MaxSamples() + 1. Returns how many
// the graph holds.
int FillIntervalSamples(uclZvdGraph& g, const records::clsInterval& r);
// Every event code of a gas as an event mark with its word.
void FillIntervalEvents(uclZvdGraph& g, const records::clsInterval& r);
// Every sample of an alarm trend. Returns how many.
int FillAlarmSamples(uclZvdGraph& g, const records::clsAlarm& r);
// The graph's own text "Alarm" at the 361st sample when the trend goes beyond it; whether it
// was set.
bool MarkAlarm(uclZvdGraph& g, const records::clsAlarm& r);
// The series of the enabled gases shown, the fifth only in debug mode.
void ShowEnabledSeries(uclZvdGraph& g, const core::GasListSource& r);

// Zoom 1 and every range back to automatic (from the samples), then the graph drawn.
void DrawWithAutomaticRanges(uclZvdGraph& g);

// The series number of the graph's own texts.
inline constexpr int CommonTexts = 1000;

}  // namespace graph
