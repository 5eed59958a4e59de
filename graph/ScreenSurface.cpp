#include "graph/ScreenSurface.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "runtime/Color.h"

namespace graph {

namespace {

// A Basic RGB Long as an opaque pixel of the image.
uint32_t pixelOf(int32_t rgb) {
    return 0xFF000000u | (uint32_t(rgb & 0xFF) << 16) | (uint32_t(rgb & 0xFF00)) |
           (uint32_t(rgb >> 16) & 0xFF);
}

// Each channel of a pixel times a / 255, rounded.
inline uint32_t byteMul(uint32_t x, uint32_t a) {
    uint32_t t = (x & 0xFF00FFu) * a;
    t = ((t + ((t >> 8) & 0xFF00FFu) + 0x800080u) >> 8) & 0xFF00FFu;
    x = ((x >> 8) & 0xFF00FFu) * a;
    x = (x + ((x >> 8) & 0xFF00FFu) + 0x800080u) & 0xFF00FF00u;
    return x | t;
}

bool thinSolid(const SurfacePen& pen) {
    return pen.width <= 1 && (pen.style == DrawSolid || pen.style == DrawInsideSolid);
}

// Cuts the line to the rectangle [0, w) x [0, h) (Liang-Barsky); false when nothing is left.
bool clip(double& x0, double& y0, double& x1, double& y1, double w, double h) {
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 + 0.5, w - 0.5 - x0, y0 + 0.5, h - 0.5 - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
        } else {
            const double t = q[i] / p[i];
            if (p[i] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) return false;
    const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = ax;
    y0 = ay;
    return true;
}

// Keeps the text images of a few renders; a graph uses a handful of texts again and again.
constexpr qsizetype MaxCachedTexts = 4096;

}  // namespace

ScreenSurface::ScreenSurface() : PainterSurface(15.0, 15.0) {
    resize(QSize(1, 1), 1.0);
}

ScreenSurface::~ScreenSurface() {
    end();
}

void ScreenSurface::end() {
    flush();
    if (painter_) painter_->end();
    painter_.reset();
}

void ScreenSurface::resize(QSize pixels, qreal devicePixelRatio) {
    end();
    size_ = pixels.expandedTo(QSize(1, 1));
    ratio_ = devicePixelRatio > 0 ? devicePixelRatio : 1;
    image_ = QImage((QSizeF(size_) * ratio_).toSize(), QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio_);
    image_.fill(rt::ColorFromRgbLong(BackColor));
    width_ = image_.width();
    height_ = image_.height();
    scale_ = ratio_ / TwipsPerPixelX();
    bits_ = nullptr;
    texts_.clear();
    fontChanged();
}

QPainter* ScreenSurface::painter() {
    if (!painter_) {
        bits_ = nullptr;  // the painter may move the pixels
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, true);
    }
    return painter_.get();
}

QPaintDevice* ScreenSurface::metricsDevice() const {
    return const_cast<QImage*>(&image_);
}

const QImage& ScreenSurface::image() {
    end();
    bits_ = nullptr;  // the caller may share the image: the next write copies it first
    return image_;
}

uint32_t* ScreenSurface::pixels() {
    if (painter_) end();
    if (!bits_) {
        bits_ = reinterpret_cast<uint32_t*>(image_.bits());
        stride_ = static_cast<int>(image_.bytesPerLine() / 4);
    }
    return bits_;
}

QPoint ScreenSurface::devicePoint(QPointF twips) const {
    const QPointF d = device(twips) * ratio_;
    return {static_cast<int>(std::floor(d.x() + 0.5)), static_cast<int>(std::floor(d.y() + 0.5))};
}

void ScreenSurface::plot(int x, int y, uint32_t color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    bits_[static_cast<qsizetype>(y) * stride_ + x] = color;
}

void ScreenSurface::rawLine(QPointF from, QPointF to, uint32_t color) {
    pixels();
    double x0 = from.x() * scale_, y0 = from.y() * scale_;
    double x1 = to.x() * scale_, y1 = to.y() * scale_;
    const auto inside = [this](double x, double y) {
        return x >= -0.5 && y >= -0.5 && x < width_ - 0.5 && y < height_ - 0.5;
    };
    if (!(inside(x0, y0) && inside(x1, y1)) && !clip(x0, y0, x1, y1, width_, height_)) return;
    // Both ends lie at -0.5 or beyond: truncation rounds them to the nearest pixel.
    int ax = static_cast<int>(x0 + 0.5), ay = static_cast<int>(y0 + 0.5);
    const int bx = static_cast<int>(x1 + 0.5), by = static_cast<int>(y1 + 0.5);
    const int dx = std::abs(bx - ax), dy = -std::abs(by - ay);
    const int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        plot(ax, ay, color);
        if (ax == bx && ay == by) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            ax += sx;
        }
        if (e2 <= dx) {
            err += dx;
            ay += sy;
        }
    }
}

void ScreenSurface::doClear(int32_t color) {
    end();
    image_.fill(rt::ColorFromRgbLong(color));
    bits_ = nullptr;
}

void ScreenSurface::doLine(QPointF from, QPointF to, const SurfacePen& pen) {
    if (!thinSolid(pen)) {
        PainterSurface::doLine(from, to, pen);
        return;
    }
    rawLine(from, to, pixelOf(pen.color));
}

void ScreenSurface::doPolygon(const std::vector<QPointF>& corners, const SurfacePen& pen,
                              bool filled, int32_t fill) {
    const bool outlined = pen.style != DrawTransparent;
    if (corners.size() != 3 || !filled || (outlined && !thinSolid(pen))) {
        PainterSurface::doPolygon(corners, pen, filled, fill);
        return;
    }
    pixels();
    QPoint p[3];
    for (int i = 0; i < 3; ++i)
        p[i] = devicePoint(corners[static_cast<size_t>(i)]);
    // Every pixel inside the triangle or on its edges.
    const auto edge = [](QPoint a, QPoint b, int x, int y) {
        return qint64(b.x() - a.x()) * (y - a.y()) - qint64(b.y() - a.y()) * (x - a.x());
    };
    const int left = std::max(0, std::min({p[0].x(), p[1].x(), p[2].x()}));
    const int right = std::min(width_ - 1, std::max({p[0].x(), p[1].x(), p[2].x()}));
    const int top = std::max(0, std::min({p[0].y(), p[1].y(), p[2].y()}));
    const int bottom = std::min(height_ - 1, std::max({p[0].y(), p[1].y(), p[2].y()}));
    const uint32_t inside = pixelOf(fill);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            const qint64 e0 = edge(p[0], p[1], x, y), e1 = edge(p[1], p[2], x, y),
                         e2 = edge(p[2], p[0], x, y);
            if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0))
                bits_[static_cast<qsizetype>(y) * stride_ + x] = inside;
        }
    if (!outlined) return;
    for (int i = 0; i < 3; ++i)
        rawLine(corners[static_cast<size_t>(i)], corners[static_cast<size_t>((i + 1) % 3)],
                pixelOf(pen.color));
}

const QImage& ScreenSurface::textImage(const QString& text, int32_t color) {
    const TextKey key{font_, color, text};
    auto found = texts_.constFind(key);
    if (found != texts_.cend()) return *found;
    if (texts_.size() >= MaxCachedTexts) texts_.clear();
    const QFontMetricsF& m = metrics();
    const QSize size(static_cast<int>(std::ceil((m.horizontalAdvance(text) + 2) * ratio_)),
                     static_cast<int>(std::ceil(m.height() * ratio_)));
    QImage tile(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    tile.setDevicePixelRatio(ratio_);
    tile.fill(Qt::transparent);
    {
        QPainter p(&tile);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setFont(font());
        p.setPen(rt::ColorFromRgbLong(color));
        p.drawText(QPointF(0, m.ascent()), text);
    }
    return *texts_.insert(key, tile);
}

void ScreenSurface::doText(QPointF topLeft, const QString& text, int32_t color) {
    if (text.isEmpty()) return;
    const QImage& tile = textImage(text, color);
    pixels();
    const QPoint at = devicePoint(topLeft);
    // The part of the text inside the picture.
    const int fromX = std::max(0, -at.x()), toX = std::min(tile.width(), width_ - at.x());
    const int fromY = std::max(0, -at.y()), toY = std::min(tile.height(), height_ - at.y());
    for (int ty = fromY; ty < toY; ++ty) {
        const auto* src = reinterpret_cast<const uint32_t*>(tile.constScanLine(ty));
        uint32_t* dst = bits_ + static_cast<qsizetype>(at.y() + ty) * stride_ + at.x();
        for (int tx = fromX; tx < toX; ++tx) {
            const uint32_t s = src[tx];
            const uint32_t alpha = s >> 24;
            if (alpha == 0) continue;
            // Source over: the text's premultiplied colour over the picture.
            dst[tx] = alpha == 255 ? s : s + byteMul(dst[tx], 255 - alpha);
        }
    }
}

double ScreenSurface::measureWidth(const QString& text) const {
    const TextKey key{font_, 0, text};
    auto found = widths_.constFind(key);
    if (found != widths_.cend()) return *found;
    if (widths_.size() >= MaxCachedTexts) widths_.clear();
    return *widths_.insert(key, PainterSurface::measureWidth(text));
}

void ScreenSurface::fontChanged() {
    PainterSurface::fontChanged();
    const QString key = font().key();
    auto found = fonts_.constFind(key);
    font_ = found != fonts_.cend() ? *found : *fonts_.insert(key, static_cast<int>(fonts_.size()));
}

}  // namespace graph
