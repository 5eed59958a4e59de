#pragma once

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPrinter>
#include <map>
#include <memory>
#include <vector>

#include "graph/GraphSurface.h"

namespace graph {

// A surface that draws through a QPainter in the device's own units (twips divided by the
// twips per device unit). Antialiasing is off and pens are as wide as DrawWidth device units,
// whatever the painter's scale. Joined solid lines of one pixel are drawn as one polyline.
class PainterSurface : public GraphSurface {
  public:
    double TwipsPerPixelX() const override { return tppX_; }
    double TwipsPerPixelY() const override { return tppY_; }
    void flush() override;

  protected:
    PainterSurface(double tppX, double tppY) : tppX_(tppX), tppY_(tppY) {}
    void setUnits(double tppX, double tppY);
    // The painter of the drawing (begun); nullptr draws nothing.
    virtual QPainter* painter() = 0;
    // The device the fonts are measured on.
    virtual QPaintDevice* metricsDevice() const = 0;
    QPointF device(QPointF twips) const { return {twips.x() / tppX_, twips.y() / tppY_}; }

    void doClear(int32_t color) override;
    void doLine(QPointF from, QPointF to, const SurfacePen& pen) override;
    void doBox(QPointF corner1, QPointF corner2, const SurfacePen& pen) override;
    void doText(QPointF topLeft, const QString& text, int32_t color) override;
    void doPolygon(const std::vector<QPointF>& corners, const SurfacePen& pen, bool filled,
                   int32_t fill) override;
    double measureWidth(const QString& text) const override;
    double lineHeight() const override;
    void fontChanged() override;
    // The metrics of the present font on the metrics device (made when first asked for).
    const QFontMetricsF& metrics() const;

  private:
    QPen qpen(const SurfacePen& pen) const;
    QPainter* ready();

    double tppX_, tppY_;
    std::vector<QPointF> pending_;
    SurfacePen pendingPen_;
    // The metrics of the present font, made when first asked for.
    mutable std::unique_ptr<QFontMetricsF> metrics_;
};

// The printer back end: a page of a print job, in the printer's device units, with its origin
// at the printable area. The job owns the painter (begun) and moves from page to page; once
// the painter has ended, nothing more is drawn.
class PrinterSurface : public PainterSurface {
  public:
    PrinterSurface(QPrinter& printer, QPainter& painter);
    ~PrinterSurface() override;
    bool isPrinter() const override { return true; }
    double ScaleWidth() const override;
    double ScaleHeight() const override;

  protected:
    QPainter* painter() override { return painter_.isActive() ? &painter_ : nullptr; }
    QPaintDevice* metricsDevice() const override { return &printer_; }
    // A report measures each of its cells more than once (to fit its columns, to place the
    // cell, to move past it), in a few fonts that it switches between on every sheet: the
    // widths are kept per font.
    double measureWidth(const QString& text) const override;
    void fontChanged() override;

  private:
    QPrinter& printer_;
    QPainter& painter_;
    // The widths measured so far, by the font's key (a map: the present font's entry stays
    // where it is when another font comes), and the present font's.
    mutable std::map<QString, QHash<QString, double>> widths_;
    QHash<QString, double>* fontWidths_ = nullptr;
    mutable qsizetype cachedWidths_ = 0;
};

}  // namespace graph
