#include "graph/GraphSurface.h"

#include <QStringList>
#include <algorithm>

namespace graph {

void GraphSurface::setFont(const QFont& font) {
    font_ = font;
    fontChanged();
}

void GraphSurface::setFontBold(bool bold) {
    font_.setBold(bold);
    fontChanged();
}

void GraphSurface::setFontSize(double points) {
    // A size the font cannot take leaves it as it is, as a picture box does.
    if (points > 0) font_.setPointSizeF(points);
    fontChanged();
}

void GraphSurface::setFontName(const QString& family) {
    font_.setFamily(family);
    fontChanged();
}

SurfacePen GraphSurface::pen(int32_t color) const {
    SurfacePen p{color, DrawWidth < 1 ? 1 : DrawWidth, DrawStyle};
    if (p.width > 1 && p.style >= DrawDash && p.style <= DrawDashDotDot) p.style = DrawSolid;
    return p;
}

void GraphSurface::Cls() {
    doClear(BackColor);
    CurrentX = CurrentY = 0;
}

void GraphSurface::Line(double x1, double y1, double x2, double y2) {
    Line(x1, y1, x2, y2, ForeColor);
}

void GraphSurface::Line(double x1, double y1, double x2, double y2, int32_t color) {
    doLine({x1, y1}, {x2, y2}, pen(color));
    CurrentX = x2;
    CurrentY = y2;
}

void GraphSurface::Box(double x1, double y1, double x2, double y2, int32_t color) {
    doBox({x1, y1}, {x2, y2}, pen(color));
    CurrentX = x2;
    CurrentY = y2;
}

void GraphSurface::Print(const QString& text) {
    doText({CurrentX, CurrentY}, text, ForeColor);
    CurrentX = 0;
    CurrentY += TextHeight(text);
}

void GraphSurface::PrintStay(const QString& text) {
    if (!text.isEmpty()) doText({CurrentX, CurrentY}, text, ForeColor);
    CurrentX += TextWidth(text);
}

double GraphSurface::TextWidth(const QString& text) const {
    // Nearly every text is one line: it is measured as it is, not split.
    if (!text.contains(QLatin1Char('\n'))) return std::max(0.0, measureWidth(text));
    double widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, measureWidth(line));
    return widest;
}

double GraphSurface::TextHeight(const QString& text) const {
    return lineHeight() * (text.count(QLatin1Char('\n')) + 1);
}

void GraphSurface::Polygon(const std::vector<QPointF>& corners) {
    doPolygon(corners, pen(ForeColor), FillStyle == FillSolid, FillColor);
}

}  // namespace graph
