#include "graph/PainterSurface.h"

#include <QFontMetricsF>
#include <QPolygonF>

#include "runtime/Color.h"

namespace graph {

namespace {

// The widths a printer surface keeps at most (a list of 54 000 rows has some 110 000 texts).
constexpr qsizetype MaxCachedWidths = qsizetype(1) << 18;

}  // namespace

// ---- painter ---------------------------------------------------------------------------------

void PainterSurface::setUnits(double tppX, double tppY) {
    flush();
    tppX_ = tppX;
    tppY_ = tppY;
    metrics_.reset();
}

QPen PainterSurface::qpen(const SurfacePen& pen) const {
    static const Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                          Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen,
                                          Qt::SolidLine};
    QPen q(rt::ColorFromRgbLong(pen.color));
    q.setWidth(pen.width);
    q.setCosmetic(true);
    q.setStyle(pen.style >= 0 && pen.style <= 6 ? styles[pen.style] : Qt::SolidLine);
    q.setCapStyle(Qt::SquareCap);
    return q;
}

QPainter* PainterSurface::ready() {
    flush();
    return painter();
}

void PainterSurface::flush() {
    if (pending_.size() < 2) {
        pending_.clear();
        return;
    }
    if (QPainter* p = painter()) {
        p->setPen(qpen(pendingPen_));
        p->drawPolyline(pending_.data(), static_cast<int>(pending_.size()));
    }
    pending_.clear();
}

void PainterSurface::doClear(int32_t color) {
    pending_.clear();
    if (QPainter* p = painter()) {
        const QRectF all(0, 0, ScaleWidth() / tppX_, ScaleHeight() / tppY_);
        p->fillRect(all, rt::ColorFromRgbLong(color));
    }
}

void PainterSurface::doLine(QPointF from, QPointF to, const SurfacePen& pen) {
    const QPointF a = device(from), b = device(to);
    if (a == b) {
        if (QPainter* p = ready()) {
            p->setPen(qpen(pen));
            p->drawPoint(a);
        }
        return;
    }
    // A line that goes on from the end of the last one, with the same thin solid pen, joins
    // it: the pixels are those of the separate lines.
    const bool joins = pen.width == 1 && (pen.style == DrawSolid || pen.style == DrawInsideSolid);
    if (joins && !pending_.empty() && pen == pendingPen_ && pending_.back() == a) {
        pending_.push_back(b);
        return;
    }
    flush();
    if (joins) {
        pending_ = {a, b};
        pendingPen_ = pen;
        return;
    }
    if (QPainter* p = painter()) {
        p->setPen(qpen(pen));
        p->drawLine(a, b);
    }
}

void PainterSurface::doBox(QPointF corner1, QPointF corner2, const SurfacePen& pen) {
    if (QPainter* p = ready()) {
        p->setPen(qpen(pen));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRectF(device(corner1), device(corner2)).normalized());
    }
}

void PainterSurface::doText(QPointF topLeft, const QString& text, int32_t color) {
    QPainter* p = ready();
    if (!p || text.isEmpty()) return;
    p->setFont(font());
    p->setPen(rt::ColorFromRgbLong(color));
    const QPointF at = device(topLeft);
    // The baseline below the top by the font's ascent.
    p->drawText(QPointF(at.x(), at.y() + metrics().ascent()), text);
}

void PainterSurface::doPolygon(const std::vector<QPointF>& corners, const SurfacePen& pen,
                               bool filled, int32_t fill) {
    QPainter* p = ready();
    if (!p) return;
    QPolygonF polygon;
    for (const QPointF& c : corners)
        polygon << device(c);
    p->setPen(qpen(pen));
    p->setBrush(filled ? QBrush(rt::ColorFromRgbLong(fill)) : QBrush(Qt::NoBrush));
    p->drawPolygon(polygon);
    p->setBrush(Qt::NoBrush);
}

void PainterSurface::fontChanged() {
    metrics_.reset();
}

const QFontMetricsF& PainterSurface::metrics() const {
    if (!metrics_) metrics_ = std::make_unique<QFontMetricsF>(font(), metricsDevice());
    return *metrics_;
}

double PainterSurface::measureWidth(const QString& text) const {
    return metrics().horizontalAdvance(text) * tppX_;
}

double PainterSurface::lineHeight() const {
    return metrics().height() * tppY_;
}

// ---- printer ---------------------------------------------------------------------------------

PrinterSurface::PrinterSurface(QPrinter& printer, QPainter& painter)
    : PainterSurface(1440.0 / printer.resolution(), 1440.0 / printer.resolution()),
      printer_(printer),
      painter_(painter) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    fontWidths_ = &widths_[font().key()];
    ForeColor = 0;
    BackColor = 0xFFFFFF;
}

PrinterSurface::~PrinterSurface() {
    flush();
}

void PrinterSurface::fontChanged() {
    PainterSurface::fontChanged();
    fontWidths_ = &widths_[font().key()];
}

double PrinterSurface::measureWidth(const QString& text) const {
    const auto found = fontWidths_->constFind(text);
    if (found != fontWidths_->cend()) return *found;
    if (cachedWidths_ >= MaxCachedWidths) {
        for (auto& [key, widths] : widths_)
            widths.clear();
        cachedWidths_ = 0;
    }
    ++cachedWidths_;
    return *fontWidths_->insert(text, PainterSurface::measureWidth(text));
}

double PrinterSurface::ScaleWidth() const {
    return printer_.width() * TwipsPerPixelX();
}

double PrinterSurface::ScaleHeight() const {
    return printer_.height() * TwipsPerPixelY();
}

}  // namespace graph
