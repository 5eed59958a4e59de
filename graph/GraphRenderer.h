#pragma once

#include <QSizeF>
#include <cstdint>

#include "graph/GraphData.h"
#include "graph/GraphSurface.h"

namespace graph {

// The screen's twips per pixel: the length of the grid ticks and the small offsets of the
// drawing, also on the printer.
inline constexpr double ScreenTwipsPerPixel = 15.0;

// Where the graph is drawn: on the control's own picture or on another target inside the
// drawing box, and the control's inner size (twips).
struct LayoutFrame {
    bool onPicture = true;
    double innerWidth = 0;
    double innerHeight = 0;
};

// Mixes two colours (Basic RGB Longs) by the ratio of the first, channel by channel, each
// rounded half to even. The blue part is the colour divided by 65536, rounded, as the control
// always took it (so a blue of 255 with a green of 128 or more mixes as 256).
int32_t BlendColor(int32_t colour1, int32_t colour2, float ratio);

// The size of the control's own picture (twips): the inner size, less the scroll bar and a
// gap when the graph is zoomed.
QSizeF PictureSize(double innerWidth, double innerHeight, int zoom, double scrollBarHeight);

// Lays the graph out and draws it on one surface: the plot rectangle, the time window and the
// value ranges, then the frame, grid, titles and scales, the series lines, and the event marks
// and texts. What it works out stays in the graph's fields.
class GraphRenderer {
  public:
    GraphRenderer(GraphData& data, GraphSurface& target) : d_(data), s_(target) {}

    void CalcLayout(const LayoutFrame& frame);
    void AutoScaleY();
    void DrawScale();
    void DrawSampleLines();
    void DrawEventLabels();
    void DrawEventMark(float x, float y, bool up, float size, int32_t colour);

  private:
    GraphData& d_;
    GraphSurface& s_;
};

}  // namespace graph
