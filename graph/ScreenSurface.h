#pragma once

#include <QHash>
#include <QImage>
#include <memory>

#include "graph/PainterSurface.h"

namespace graph {

// The screen back end: an image of the picture, in device-independent pixels of 15 twips with
// the screen's device pixel ratio. Thin solid lines, filled marks and texts, which a trend
// draws by the ten thousand, go straight into the image's pixels (texts as images of
// themselves, made once per text, colour and font); everything else goes through a painter.
class ScreenSurface : public PainterSurface {
  public:
    ScreenSurface();
    ~ScreenSurface() override;
    // A new image of the given size in device-independent pixels, cleared to BackColor.
    void resize(QSize pixels, qreal devicePixelRatio) override;
    QSize pixelSize() const { return size_; }
    qreal devicePixelRatio() const { return ratio_; }
    // The picture as drawn so far.
    const QImage& image();

    double ScaleWidth() const override { return size_.width() * TwipsPerPixelX(); }
    double ScaleHeight() const override { return size_.height() * TwipsPerPixelY(); }

  protected:
    QPainter* painter() override;
    QPaintDevice* metricsDevice() const override;
    void doClear(int32_t color) override;
    void doLine(QPointF from, QPointF to, const SurfacePen& pen) override;
    void doPolygon(const std::vector<QPointF>& corners, const SurfacePen& pen, bool filled,
                   int32_t fill) override;
    void doText(QPointF topLeft, const QString& text, int32_t color) override;
    double measureWidth(const QString& text) const override;
    void fontChanged() override;

  private:
    // The image's pixels, with no painter drawing into them.
    uint32_t* pixels();
    QPoint devicePoint(QPointF twips) const;
    void plot(int x, int y, uint32_t color);
    // A one-pixel line with both ends, clipped to the image.
    void rawLine(QPointF from, QPointF to, uint32_t color);
    const QImage& textImage(const QString& text, int32_t color);
    void end();

    QImage image_;
    QSize size_;
    qreal ratio_ = 1;
    std::unique_ptr<QPainter> painter_;
    uint32_t* bits_ = nullptr;
    int stride_ = 0;
    int width_ = 1, height_ = 1;  // the image in device pixels
    double scale_ = 1.0 / 15;     // device pixels per twip
    // A text in one font (and colour): the key of the caches.
    struct TextKey {
        int font;
        int32_t color;
        QString text;
        friend bool operator==(const TextKey&, const TextKey&) = default;
        friend size_t qHash(const TextKey& k, size_t seed = 0) {
            return qHashMulti(seed, k.font, k.color, k.text);
        }
    };
    QHash<TextKey, QImage> texts_;
    mutable QHash<TextKey, double> widths_;
    QHash<QString, int> fonts_;  // every font met, by its key
    int font_ = 0;               // the present one
};

}  // namespace graph
