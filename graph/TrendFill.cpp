#include "graph/TrendFill.h"

#include <array>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "records/GasInfo.h"
#include "runtime/Format.h"
#include "runtime/Strings.h"

namespace graph {

namespace {

using records::decimalsOf;
using records::gasInfo;

enum Text : int { TextTitle = 5602, TextSampling = 5603 };
constexpr int Gases = 5;
// The sample of an alarm trend at its alarm (the 361st).
constexpr int AlarmSample = 360;

// A sample's time in the lower title: the medium date and the time.
QString titleTime(rt::OleDate date) {
    return rt::FormatDate(date, QStringLiteral("Medium Date")) +
           rt::FormatDate(date, QStringLiteral(" hh:nn:ss"));
}

template <class Record>
void titles(uclZvdGraph& g, const Record& r, int kindText) {
    g.TitleTop = core::LoadResText(TextTitle, {r.GasBaseInfo(0)}) + QStringLiteral(" - ") +
                 core::LoadResText(kindText);
    g.TitleBottom = core::LoadResText(
        TextSampling, {titleTime(r.DateTimes(0)), titleTime(r.DateTimes(r.DataCount() - 1))});
    g.FormatX = QStringLiteral("hh:nn:ss");
}

// One sample of gases 3 and 4 at a graph index, by their rules.
template <class Record>
void plotSample(const Record& r, uclZvdGraph& g, int index, float gas3, float gas4) {
    g.setValueY(3, index, FullScaleValue(gas3, gasInfo(r, 3, 1), decimalsOf(r, 3)));
    g.setValueY(4, index,
                FifthGasValue(gas4, gasInfo(r, 4, 8), gasInfo(r, 4, 9), decimalsOf(r, 4)));
}

}  // namespace

float RoundedAsShown(float value, int16_t decimals) {
    const auto shown = rt::ParseNumber(core::ValueText(value, decimals));
    return shown ? static_cast<float>(*shown) : value;
}

float FullScaleValue(float value, float fullScale, int16_t decimals) {
    if (value > fullScale) return RoundedAsShown(fullScale, decimals);
    if (value > -101) return RoundedAsShown(value, decimals);
    return GapValue;
}

float FifthGasValue(float value, float maximum, float minimum, int16_t decimals) {
    if (maximum > -101) {
        if (value > maximum) return RoundedAsShown(maximum, decimals);
        if (value < minimum) {
            // A recorded minimum that is itself a reading code is never plotted as a number.
            return minimum > -101 ? RoundedAsShown(minimum, decimals) : GapValue;
        }
        return value > -101 ? RoundedAsShown(value, decimals) : GapValue;
    }
    return value > -101 ? RoundedAsShown(value, decimals) : GapValue;
}

void AddTrendSeries(uclZvdGraph& g, const core::GasListSource& r, bool eventsVisible) {
    for (int gas = 0; gas < Gases; ++gas) {
        g.AddSample(r.GasListInfo(gas, 0).toText(), core::GraphColors[static_cast<size_t>(gas)],
                    QStringLiteral("#") + core::DecimalMask(decimalsOf(r, gas)),
                    gasInfo(r, gas, 1));
        g.setEventVisible(gas, eventsVisible);
    }
}

void SetTrendTitles(uclZvdGraph& g, const records::clsInterval& r, int kindText) {
    titles(g, r, kindText);
}

void SetTrendTitles(uclZvdGraph& g, const records::clsAlarm& r, int kindText) {
    titles(g, r, kindText);
}

int FillIntervalSamples(uclZvdGraph& g, const records::clsInterval& r) {
    std::array<float, Gases> previous;
    previous.fill(-99);
    const auto value = [&r](int gas, int32_t i) { return r.GasValue(gas, i).toSingle(); };
    const auto differs = [&](int32_t i) {
        for (int gas = 0; gas < Gases; ++gas)
            if (value(gas, i) != previous[static_cast<size_t>(gas)]) return true;
        return false;
    };
    int kept = 0;
    const int32_t count = r.DataCount();
    for (int32_t i = 0; i <= count - 1; ++i) {
        if (i == count - 1 || i == 0 || differs(i) || differs(i + 1)) {
            g.setValueX(kept, r.DateTimes(i));
            plotSample(r, g, kept, value(3, i), value(4, i));
            ++kept;
            for (int gas = 0; gas < Gases; ++gas)
                previous[static_cast<size_t>(gas)] = value(gas, i);
        }
        if (kept > uclZvdGraph::MaxSamples()) break;
    }
    return kept;
}

void FillIntervalEvents(uclZvdGraph& g, const records::clsInterval& r) {
    for (int gas = 0; gas < Gases; ++gas) {
        int16_t marks = 0;
        for (int32_t j = 0; j < r.EventCount(); ++j) {
            const float code = r.GasEvent(gas, j).toSingle();
            if (!(code < -101)) continue;
            g.setEventX(gas, marks, r.EventDateTimes(j));
            g.setEventFlag(gas, marks, core::ValueText(code, decimalsOf(r, gas)));
            ++marks;
        }
        g.setEventCount(gas, marks);
    }
}

int FillAlarmSamples(uclZvdGraph& g, const records::clsAlarm& r) {
    for (int i = 0; i < r.DataCount(); ++i) {
        g.setValueX(i, r.DateTimes(i));
        plotSample(r, g, i, r.Value(3, i), r.Value(4, i));
    }
    return r.DataCount();
}

bool MarkAlarm(uclZvdGraph& g, const records::clsAlarm& r) {
    if (r.DataCount() <= AlarmSample + 1) return false;
    g.setEventFlag(CommonTexts, AlarmSample, QStringLiteral("Alarm"));
    return true;
}

void DrawWithAutomaticRanges(uclZvdGraph& g) {
    g.setZoom(1);
    g.MinX = 0;
    g.MaxX = 0;
    g.setMinY(0.0f);
    g.setMaxY(0.0f);
    g.Refresh();
}

void ShowEnabledSeries(uclZvdGraph& g, const core::GasListSource& r) {
    for (int gas = 0; gas < Gases; ++gas)
        g.setSampleVisible(gas, r.GasListInfo(gas, 13).toBool());
    g.setSampleVisible(4, core::DebugMode);
}

}  // namespace graph
