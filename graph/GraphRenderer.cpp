#include "graph/GraphRenderer.h"

#include <algorithm>
#include <cmath>

#include "runtime/Convert.h"
#include "runtime/Format.h"

namespace graph {

namespace {

const QString TimeLabelFormat = QStringLiteral("mm/dd hh:nn:ss");

// A Single as the value text formats see it (its 7 significant digits).
QString formatValue(float value, const QString& mask) {
    return rt::FormatNumber(rt::SingleToDouble(value), mask);
}

int penWidth(float width) {
    return rt::CInt(width);
}

}  // namespace

int32_t BlendColor(int32_t colour1, int32_t colour2, float ratio) {
    const auto channels = [](int32_t c) {
        return std::array<int, 3>{static_cast<int>(c % 256), static_cast<int>((c / 256) % 256),
                                  static_cast<int>(rt::RoundHalfEven(c / 65536.0))};
    };
    const auto a = channels(colour1), b = channels(colour2);
    int mixed[3];
    for (int i = 0; i < 3; ++i) {
        const float channel = static_cast<float>(a[i] - b[i]) * ratio + static_cast<float>(b[i]);
        mixed[i] = std::min(255, static_cast<int>(rt::RoundHalfEven(channel)));
    }
    return mixed[0] | (mixed[1] << 8) | (mixed[2] << 16);
}

QSizeF PictureSize(double innerWidth, double innerHeight, int zoom, double scrollBarHeight) {
    const double height = zoom >= 2 ? innerHeight - scrollBarHeight - 60 : innerHeight;
    return {innerWidth, height};
}

// ---- layout ------------------------------------------------------------------------------------

void GraphRenderer::CalcLayout(const LayoutFrame& frame) {
    d_.FormatX = TimeLabelFormat;
    if (!frame.onPicture) {
        if (d_.SetDrawWidth == 0) d_.SetDrawWidth = static_cast<float>(frame.innerWidth);
        if (d_.SetDrawHeight == 0) d_.SetDrawHeight = static_cast<float>(frame.innerHeight);
    }
    const int titles = (d_.TitleTop.isEmpty() ? 0 : 1) + (d_.TitleBottom.isEmpty() ? 0 : 1);
    const double lineHeight = s_.TextHeight(d_.TitleBottom);
    // The left column is measured with the value format of the fourth series; with fewer
    // than three series there is none, and an empty format is measured.
    const QString leftFormat = d_.upper() >= 3 ? d_.SampleData[3].FormatY : QString();
    const double left = s_.TextWidth(leftFormat) + 360;
    const double reserve = left + s_.TextWidth(QStringLiteral("##0")) + 360;

    const double width = frame.onPicture ? s_.ScaleWidth() : d_.SetDrawWidth;
    const double height = frame.onPicture ? s_.ScaleHeight() : d_.SetDrawHeight;
    const double x0 = frame.onPicture ? 0 : d_.SetDrawLeft;
    const double y0 = frame.onPicture ? 0 : d_.SetDrawTop;
    d_.PlotLeft = static_cast<float>(x0 + left);
    d_.PlotTop = static_cast<float>(titles > 0 ? y0 + lineHeight + 120 : y0 + 120);
    d_.PlotWidth = static_cast<float>(width - reserve);
    d_.PlotHeight = static_cast<float>(height - s_.TextHeight(QStringLiteral("8")) -
                                       (titles + 1) * lineHeight - 120);
    if (d_.PlotWidth <= 0) d_.PlotWidth = 1;
    if (d_.PlotHeight <= 0) d_.PlotHeight = 1;

    if (d_.MaxX == 0) d_.MinX = 0;
    if (d_.MaxX <= 0 || d_.MinX >= d_.MaxX) {
        double largest = -1e11;
        for (int i = 0; i < d_.SampleCount; ++i)
            largest = std::max(largest, double(d_.Sample[static_cast<size_t>(i)].seconds));
        d_.MaxX = static_cast<float>(largest);
    }
    d_.PosXStp = (d_.MaxX - d_.MinX) / 10;
    d_.XScale = d_.MaxX == d_.MinX ? 0 : d_.PlotWidth / (d_.MaxX - d_.MinX);
    AutoScaleY();
}

void GraphRenderer::AutoScaleY() {
    for (int s = 0; s < d_.upper(); ++s) {
        SeriesRecord& r = d_.SampleData[static_cast<size_t>(s)];
        const int unit = r.FullScale < 10 ? 1 : 10;
        const auto values = r.Value.begin();
        const auto end = values + std::max<int>(0, d_.SampleCount);
        if (r.MaxY == 0) {
            const float smallest =
                std::min(1e11f, values == end ? 1e11f : *std::min_element(values, end));
            float minY;
            if (smallest >= 0)
                minY = 0;
            else if (smallest < GapValue)  // real negative readings
                minY = -static_cast<float>(rt::RoundHalfEven(std::fabs(double(smallest))));
            else  // only the gap value below zero
                minY = -static_cast<float>(rt::RoundHalfEven(std::fabs(double(smallest)) * 1.2));
            r.MinY = minY == 0 ? 0.0f : minY;
        }
        if (r.MaxY <= 0 || r.MinY >= r.MaxY) {
            const float largest =
                std::max(-1e11f, values == end ? -1e11f : *std::max_element(values, end));
            if (largest <= GapValue) {
                r.MaxY = 0;  // no reading at all
            } else {
                const int32_t n = rt::CLng(double(largest) * 1.2);
                r.MaxY = static_cast<float>((n / unit + 1) * unit);
            }
        }
        r.PosYStp = (r.MaxY - r.MinY) / 10;
        r.YScale = r.MaxY == r.MinY ? 0 : d_.PlotHeight / (r.MaxY - r.MinY);
    }
}

// ---- frame, grid, titles and scales ---------------------------------------------------------

void GraphRenderer::DrawScale() {
    const int32_t background = s_.isPrinter() ? 0xFFFFFF : s_.BackColor;
    const double bottom = double(d_.PlotTop) + d_.PlotHeight;
    const double right = double(d_.PlotLeft) + d_.PlotWidth;
    s_.DrawWidth = penWidth(d_.ScaleLineWidth);
    s_.Box(d_.PlotLeft, d_.PlotTop, right, bottom, d_.scaleColor);
    s_.ForeColor = d_.scaleColor;

    const double titleGap = 1.5 * s_.TextHeight(QStringLiteral("8888"));
    if (!d_.TitleTop.isEmpty()) {
        s_.CurrentX = (s_.ScaleWidth() - s_.TextWidth(d_.TitleTop)) / 2;
        s_.CurrentY = d_.PlotTop - titleGap;
        s_.Print(d_.TitleTop);
    }
    if (!d_.TitleBottom.isEmpty()) {
        s_.CurrentX = (s_.ScaleWidth() - s_.TextWidth(d_.TitleBottom)) / 2;
        s_.CurrentY = bottom + titleGap;
        s_.Print(d_.TitleBottom);
    }

    // Time labels, anchored to the samples; a label that would overlap the one before it, or
    // stand past the left edge, is left out with its tick and grid line.
    const int32_t grid = BlendColor(background, s_.ForeColor, 0.8f);
    const int divisions =
        rt::CInt(double(d_.MaxX - d_.MinX) / (double(d_.PosXStp) / d_.ZoomFactor));
    int step = divisions == 0 ? 0 : rt::CInt(double(d_.SampleCount) / divisions);
    if (step == 0) step = 1;
    double lastEnd = 0;
    for (int i = 0; i <= d_.SampleCount - 1; i += step) {
        const AxisTime& t = d_.Sample[static_cast<size_t>(i)];
        if (!(d_.MinX <= t.seconds && t.seconds <= d_.MaxX)) continue;
        const double x = d_.xPos(static_cast<float>(t.seconds));
        const QString text = rt::FormatDate(t.date, d_.FormatX);
        const double w = s_.TextWidth(text);
        if (!(x - w / 2 > lastEnd)) continue;
        s_.Line(x, bottom, x, bottom + 40);
        s_.CurrentX = x - w / 2;
        s_.CurrentY = bottom + 80;
        s_.Print(text);
        lastEnd = x + 1.125 * w / 2;
        if (t.seconds != d_.MinX && t.seconds != d_.MaxX) {
            s_.DrawStyle = DrawDashDotDot;
            s_.Line(x, d_.PlotTop, x, bottom, grid);
            s_.DrawStyle = DrawSolid;
        }
    }

    // The horizontal grid with its ticks outside both edges.
    const double tick = 4 * ScreenTwipsPerPixel;
    for (int j = 1; j <= 9; ++j) {
        const double y = double(d_.PlotHeight) / 10 * j + d_.PlotTop;
        s_.Line(d_.PlotLeft - tick, y, d_.PlotLeft, y);
        s_.Line(right + tick, y, right, y);
        s_.DrawStyle = DrawDashDotDot;
        s_.Line(d_.PlotLeft, y, right, y, grid);
        s_.DrawStyle = DrawSolid;
    }

    // One value scale per visible series: the fourth on the left, the others stacked right.
    double leftEdge = 0, rightEdge = right;
    const double nameTop = d_.SetDrawTop + 2 * ScreenTwipsPerPixel;
    const double halfLabel = s_.TextHeight(QStringLiteral("00000")) / 2;
    for (int s = 0; s < d_.upper(); ++s) {
        const SeriesRecord& r = d_.SampleData[static_cast<size_t>(s)];
        if (!r.SampleVisible) continue;
        const int labels = r.PosYStp != 0 ? rt::CInt(double(r.MaxY - r.MinY) / r.PosYStp) : 0;
        s_.ForeColor = r.ValueColor;
        const bool leftColumn = s == 3;
        const double column = 530 + (leftColumn ? leftEdge : rightEdge);
        s_.CurrentX = leftColumn ? column - s_.TextWidth(r.ValueName) / 4
                                 : column - s_.TextWidth(r.ValueName);
        s_.CurrentY = nameTop;
        s_.Print(r.ValueName);
        for (int j = 0; j <= labels; ++j) {
            const float value = static_cast<float>(j) * r.PosYStp + r.MinY;
            const QString text = formatValue(value, r.FormatY);
            s_.CurrentX = column - s_.TextWidth(text);
            s_.CurrentY = d_.yPos(value, s) - halfLabel;
            s_.Print(text);
        }
        (leftColumn ? leftEdge : rightEdge) += 530;
    }
}

// ---- series ----------------------------------------------------------------------------------

void GraphRenderer::DrawSampleLines() {
    s_.DrawWidth = penWidth(d_.DrawLineWidth);
    s_.DrawStyle = DrawSolid;
    // The positions of the samples, worked out once for every series.
    int last = 0;
    for (int s = 0; s < d_.upper(); ++s)
        if (d_.SampleData[static_cast<size_t>(s)].SampleVisible)
            last = std::max<int>(last, d_.SampleData[static_cast<size_t>(s)].LastSample);
    std::vector<double> xs(static_cast<size_t>(last) + 1);
    for (int i = 0; i <= last; ++i)
        xs[static_cast<size_t>(i)] =
            d_.xPos(static_cast<float>(d_.Sample[static_cast<size_t>(i)].seconds));
    for (int s = 0; s < d_.upper(); ++s) {
        const SeriesRecord& r = d_.SampleData[static_cast<size_t>(s)];
        if (!r.SampleVisible) continue;
        // yPos of the series, without its index check.
        const double bottom = double(d_.PlotTop) + d_.PlotHeight;
        const auto y = [&r, bottom](float v) {
            return double(static_cast<float>(bottom - (double(v) - r.MinY) * r.YScale));
        };
        const auto x = [&xs](int i) { return xs[static_cast<size_t>(i)]; };
        for (int i = 0; i < r.LastSample; ++i) {
            const int32_t seconds = d_.Sample[static_cast<size_t>(i)].seconds;
            if (!(d_.MinX <= seconds && seconds < d_.MaxX)) continue;
            const float v0 = r.Value[static_cast<size_t>(i)];
            const float v1 = r.Value[static_cast<size_t>(i) + 1];
            if (v1 == GapValue)  // a reading before a gap stays visible as a dot
                s_.Line(x(i), y(v0), x(i), y(v0), r.ValueColor);
            else if (v0 == GapValue)  // after a gap, a lead-in at the next reading's level
                s_.Line(x(i), y(v1), x(i + 1), y(v1), r.ValueColor);
            else
                s_.Line(x(i), y(v0), x(i + 1), y(v1), r.ValueColor);
        }
    }
    s_.FillStyle = FillTransparent;
}

// ---- events ----------------------------------------------------------------------------------

void GraphRenderer::DrawEventLabels() {
    const bool bold = s_.FontBold();
    const double size = s_.FontSize();
    s_.setFontBold(false);
    s_.setFontSize(size - 3.5);

    const int n = d_.upper();
    const int half = rt::CInt(n / 2.0);
    for (int s = 0; s < n; ++s) {
        EventBlock& block = d_.EventData[static_cast<size_t>(s)];
        if (!block.EventVisible) continue;
        const SeriesRecord& r = d_.SampleData[static_cast<size_t>(s)];
        const bool upper = s < half;
        const double row = upper ? double(d_.PlotTop) + (s / 2.0 + 1) * 300
                                 : double(d_.PlotTop) + d_.PlotHeight - (s / 2.0 + 2) * 300;
        const int count = std::min<int>(d_.EventCounts[static_cast<size_t>(s)], MaxEventIndex + 1);
        for (int k = 0; k < count; ++k) {
            const AxisTime& t = block.Event[static_cast<size_t>(k)];
            const QString& text = block.EventText[static_cast<size_t>(k)];
            if (!(d_.MinX <= t.seconds && t.seconds <= d_.MaxX) || text.isEmpty()) continue;
            const float x = d_.xPos(static_cast<float>(t.seconds));
            DrawEventMark(x, static_cast<float>(row), false, 50, r.ValueColor);
            block.EventRowY = static_cast<float>(row);
            s_.CurrentX = x - s_.TextWidth(text) / 2;
            s_.CurrentY = upper ? row - 240 : row + 120;
            s_.Print(text);
        }
    }

    if (d_.CommonFlagVisible) {
        const double bottom = double(d_.PlotTop) + d_.PlotHeight;
        for (int i = 0; i <= std::min<int>(d_.SampleCount - 1, MaxEventIndex); ++i) {
            const int32_t seconds = d_.Sample[static_cast<size_t>(i)].seconds;
            const QString& text = d_.CommonFlag[static_cast<size_t>(i)];
            if (!(d_.MinX <= seconds && seconds <= d_.MaxX) || text.isEmpty()) continue;
            const float x = d_.xPos(static_cast<float>(seconds));
            DrawEventMark(x, static_cast<float>(bottom - 300), true, 50, 1);
            d_.CommonRowY = static_cast<float>(bottom - 300);
            s_.CurrentX = x - s_.TextWidth(text) / 2;
            s_.CurrentY = bottom - 180;
            s_.Print(text);
        }
    }

    s_.setFontBold(bold);
    s_.setFontSize(size);
}

void GraphRenderer::DrawEventMark(float x, float y, bool up, float size, int32_t colour) {
    s_.FillColor = colour;
    s_.ForeColor = colour;
    s_.FillStyle = FillSolid;
    s_.DrawWidth = penWidth(d_.DrawLineWidth);
    // Corners in the units of the target: screen pixels with their one-unit apex shift, twips
    // on the printer (which the printer surface maps to its own device units).
    const double tx = s_.isPrinter() ? 1 : rt::RoundHalfEven(ScreenTwipsPerPixel);
    const double ty = tx;
    const auto r = [](double v) { return rt::RoundHalfEven(v); };
    const double sign = up ? 1 : -1;
    const double base = y + sign * 2.2 * size;
    const std::vector<QPointF> corners = {
        {r(x / tx) * tx, (r(y / ty) + sign) * ty},
        {r((x - 0.83 * size) / tx) * tx, r(base / ty) * ty},
        {r((x + 0.83 * size) / tx) * tx, r(base / ty) * ty},
    };
    s_.Polygon(corners);
    s_.FillStyle = FillTransparent;
}

}  // namespace graph
