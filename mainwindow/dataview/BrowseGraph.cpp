#include "mainwindow/dataview/BrowseGraph.h"

#include <array>

#include "core/GasCommon.h"
#include "core/ModMain.h"
#include "mainwindow/dataview/GasInfo.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/Strings.h"

namespace dataview {

namespace {

enum Text : int {
    TextTitle = 5602,
    TextSampling = 5603,
    TextInterval = 5624,
    TextAlarm = 5625,
};

constexpr int Gases = 5;
constexpr int EventBox = 5, CursorBox = 6;
// A series number beyond every gas: the graph's own texts.
constexpr int CommonTexts = 1000;

bool ticked(const QCheckBox* box) {
    return box->isChecked();
}

// A box set as the program's code sets it: its handler runs when the value changes.
void setBox(QCheckBox* box, bool on) {
    box->setChecked(on);
}

// A sample's time in the lower title: the medium date and the time.
QString titleTime(rt::OleDate date) {
    return rt::FormatDate(date, QStringLiteral("Medium Date")) +
           rt::FormatDate(date, QStringLiteral(" hh:nn:ss"));
}

// The five series, the titles and the time format of a trend.
template <class Record>
void seriesAndTitles(const Record& r, int kindText, GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    const bool events = ticked(view.chkBrowse[EventBox]);
    for (int gas = 0; gas < Gases; ++gas) {
        const QString name = r.GasListInfo(gas, 0).toText();
        view.chkBrowse[gas]->setText(name);
        g.AddSample(name, core::GraphColors[static_cast<size_t>(gas)],
                    QStringLiteral("#") + core::DecimalMask(decimalsOf(r, gas)),
                    gasInfo(r, gas, 1));
        g.setEventVisible(gas, events);
    }
    g.TitleTop = core::LoadResText(TextTitle, {r.GasBaseInfo(0)}) + QStringLiteral(" - ") +
                 core::LoadResText(kindText);
    g.TitleBottom = core::LoadResText(
        TextSampling, {titleTime(r.DateTimes(0)), titleTime(r.DateTimes(r.DataCount() - 1))});
    g.FormatX = QStringLiteral("hh:nn:ss");
}

// The gas boxes by the record's enabled gases: hidden, the series shown when enabled; the
// fifth gas only in debug mode, and then with its box.
template <class Record>
void gasBoxes(const Record& r, GraphView view) {
    for (int gas = 0; gas < Gases; ++gas) {
        const bool enabled = r.GasListInfo(gas, 13).toBool();
        setBox(view.chkBrowse[gas], enabled);
        view.chkBrowse[gas]->hide();
        view.graph.setSampleVisible(gas, enabled);
    }
    setBox(view.chkBrowse[4], core::DebugMode);
    view.chkBrowse[4]->setVisible(core::DebugMode);
}

// One sample of gases 3 and 4 at a graph index, by their rules.
template <class Record>
void plotSample(const Record& r, graph::uclZvdGraph& g, int index, float gas3, float gas4) {
    g.setValueY(3, index, FullScaleValue(gas3, gasInfo(r, 3, 1), decimalsOf(r, 3)));
    g.setValueY(4, index,
                FifthGasValue(gas4, gasInfo(r, 4, 8), gasInfo(r, 4, 9), decimalsOf(r, 4)));
}

void intervalGraph(const records::clsInterval& r, GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    seriesAndTitles(r, TextInterval, view);
    // Samples: the first, the last, every change of any gas and the sample before it.
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
        if (kept > graph::uclZvdGraph::MaxSamples()) break;
    }
    // Event marks: every event code of a gas, with its word.
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
    g.SampleCount = static_cast<int16_t>(kept);
    gasBoxes(r, view);
    view.chkBrowse[EventBox]->show();
    view.chkBrowse[CursorBox]->show();
}

void alarmGraph(const records::clsAlarm& r, GraphView view) {
    graph::uclZvdGraph& g = view.graph;
    seriesAndTitles(r, TextAlarm, view);
    for (int i = 0; i < r.DataCount(); ++i) {
        g.setValueX(i, r.DateTimes(i));
        plotSample(r, g, i, r.Value(3, i), r.Value(4, i));
    }
    g.SampleCount = r.DataCount();
    gasBoxes(r, view);
    view.chkBrowse[EventBox]->hide();
    view.chkBrowse[CursorBox]->show();
    // The moment of the alarm: the 361st sample.
    if (r.DataCount() > 361) {
        g.setEventFlag(CommonTexts, 360, QStringLiteral("Alarm"));
        g.setEventVisible(CommonTexts, ticked(view.chkBrowse[EventBox]));
    }
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
    g.setZoom(1);
    g.MinX = 0;
    g.MaxX = 0;
    g.setMinY(0.0f);
    g.setMaxY(0.0f);
    g.Refresh();
}

}  // namespace

float RoundedAsShown(float value, int16_t decimals) {
    const auto shown = rt::ParseNumber(core::ValueText(value, decimals));
    return shown ? static_cast<float>(*shown) : value;
}

float FullScaleValue(float value, float fullScale, int16_t decimals) {
    if (value > fullScale) return RoundedAsShown(fullScale, decimals);
    if (value > -101) return RoundedAsShown(value, decimals);
    return graph::GapValue;
}

float FifthGasValue(float value, float maximum, float minimum, int16_t decimals) {
    if (maximum > -101) {
        if (value > maximum) return RoundedAsShown(maximum, decimals);
        if (value < minimum) {
            // A recorded minimum that is itself a reading code is never plotted as a number.
            return minimum > -101 ? RoundedAsShown(minimum, decimals) : graph::GapValue;
        }
        return value > -101 ? RoundedAsShown(value, decimals) : graph::GapValue;
    }
    return value > -101 ? RoundedAsShown(value, decimals) : graph::GapValue;
}

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
        alarmGraph(*source.alarm, view);
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

}  // namespace dataview
