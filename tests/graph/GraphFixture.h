#pragma once

#include <memory>
#include <vector>

#include "graph/uclZvdGraph.h"
#include "tests/support/RecordingSurface.h"

namespace graphtest {

using Call = testsupport::RecordingSurface::Call;

inline rt::OleDate minuteOf(int sample, int stepSeconds = 60) {
    return rt::OleDate::fromCivil(2024, 5, 31, 10, 0, 0)->addSeconds(qint64(sample) * stepSeconds);
}

// A graph on a recording picture of 600 x 400 pixels (9000 x 6000 twips) without a border:
// characters 100 twips wide, lines 200 twips high. Series s is named "G<s>", coloured s + 1
// (unless given), formatted "##0.0", full scale 100.
struct LoadedGraph {
    testsupport::RecordingSurface* picture = new testsupport::RecordingSurface;
    graph::uclZvdGraph g{std::unique_ptr<graph::GraphSurface>(picture)};

    explicit LoadedGraph(int series = 5, int samples = 361, int stepSeconds = 60) {
        g.setBorderStyle(0);
        g.resize(600, 400);
        for (int s = 0; s < series; ++s)
            g.AddSample(QStringLiteral("G%1").arg(s), s + 1, QStringLiteral("##0.0"), 100);
        for (int i = 0; i < samples; ++i) {
            g.setValueX(i, minuteOf(i, stepSeconds));
            for (int s = 0; s < series; ++s)
                g.setValueY(s, i, 10.0f + s);
        }
        g.SampleCount = static_cast<int16_t>(samples);
    }
    void refresh() { g.Refresh(); }
    std::vector<Call> lines() const { return picture->of(Call::Line); }
    // Lines drawn in one colour.
    std::vector<Call> linesIn(int32_t color) const {
        std::vector<Call> found;
        for (const Call& c : lines())
            if (c.pen.color == color) found.push_back(c);
        return found;
    }
    double bottom() const { return double(g.PlotTop) + g.PlotHeight; }
    double right() const { return double(g.PlotLeft) + g.PlotWidth; }
    // The x of every time-label tick.
    std::vector<double> ticks() const {
        std::vector<double> xs;
        for (const Call& c : lines())
            if (c.from.x() == c.to.x() && c.from.y() == bottom() && c.to.y() == bottom() + 40)
                xs.push_back(c.from.x());
        return xs;
    }
    double xOf(int sample) const { return g.xPos(static_cast<float>(g.Sample[sample].seconds)); }
};

}  // namespace graphtest
