#pragma once

#include <QFont>
#include <QPointF>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

namespace graph {

// Pen styles of DrawStyle.
enum DrawStyle : int {
    DrawSolid = 0,
    DrawDash = 1,
    DrawDot = 2,
    DrawDashDot = 3,
    DrawDashDotDot = 4,
    DrawTransparent = 5,
    DrawInsideSolid = 6,
};

// Fill styles of FillStyle: 0 solid, 1 transparent (only these two are used).
enum FillStyle : int { FillSolid = 0, FillTransparent = 1 };

// One pen: a Basic RGB Long, a width in device pixels and a DrawStyle.
struct SurfacePen {
    int32_t color = 0;
    int width = 1;
    int style = DrawSolid;
    friend bool operator==(const SurfacePen&, const SurfacePen&) = default;
};

// A drawing target measured in twips, with the state and the calls of a picture box or the
// printer: the current position, colours, pen, fill and font, and lines, boxes, texts and
// filled polygons. Subclasses put the drawing on a screen image, a printer page or a record.
class GraphSurface {
  public:
    virtual ~GraphSurface() = default;

    // The drawing area in twips.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;
    virtual bool isPrinter() const { return false; }
    // The paper (the printer) or the drawing area (other targets), in twips.
    virtual double Width() const { return ScaleWidth(); }
    virtual double Height() const { return ScaleHeight(); }
    // The next sheet and the end of the job; only a printer has them.
    virtual void NewPage() {}
    virtual void EndDoc() {}
    // Twips per device unit: 15 on the screen (a device-independent pixel), 1440 / dpi on a
    // printer.
    virtual double TwipsPerPixelX() const { return 15.0; }
    virtual double TwipsPerPixelY() const { return 15.0; }
    // A picture's surface takes the picture's size (device-independent pixels); other
    // targets keep theirs.
    virtual void resize(QSize pixels, qreal devicePixelRatio) {
        (void)pixels;
        (void)devicePixelRatio;
    }

    double CurrentX = 0;
    double CurrentY = 0;
    int32_t ForeColor = 0;
    int32_t BackColor = 0xFFFFFF;
    int32_t FillColor = 0;
    int DrawWidth = 1;
    int DrawStyle = DrawSolid;
    int FillStyle = FillTransparent;

    const QFont& font() const { return font_; }
    void setFont(const QFont& font);
    bool FontBold() const { return font_.bold(); }
    void setFontBold(bool bold);
    double FontSize() const { return font_.pointSizeF(); }
    void setFontSize(double points);
    QString FontName() const { return font_.family(); }
    void setFontName(const QString& family);

    // Draws what the surface still holds back (joined lines).
    virtual void flush() {}

    // Clears the area to BackColor; the position goes to 0, 0.
    void Cls();
    // A line in ForeColor or in the given colour; from a point to itself, a dot.
    void Line(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, int32_t color);
    // The outline of the box with the two corners.
    void Box(double x1, double y1, double x2, double y2, int32_t color);
    // The text with its top at CurrentY and its left at CurrentX, in ForeColor; then the next
    // line: CurrentX 0, CurrentY one text height further down.
    void Print(const QString& text);
    // The text at the print position; the next one continues on the same line after it.
    void PrintStay(const QString& text);
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;
    // A polygon with corners in twips: filled with FillColor when FillStyle is solid, outlined
    // with the pen (ForeColor, DrawWidth, DrawStyle).
    void Polygon(const std::vector<QPointF>& corners);

  protected:
    // The pen of a line: dashed styles draw only at width 1, wider pens draw solid.
    SurfacePen pen(int32_t color) const;

    virtual void doClear(int32_t color) = 0;
    virtual void doLine(QPointF from, QPointF to, const SurfacePen& pen) = 0;
    virtual void doBox(QPointF corner1, QPointF corner2, const SurfacePen& pen) = 0;
    virtual void doText(QPointF topLeft, const QString& text, int32_t color) = 0;
    virtual void doPolygon(const std::vector<QPointF>& corners, const SurfacePen& pen, bool filled,
                           int32_t fill) = 0;
    // One line of text in the surface's font, in twips.
    virtual double measureWidth(const QString& text) const = 0;
    virtual double lineHeight() const = 0;
    virtual void fontChanged() {}

  private:
    QFont font_;
};

}  // namespace graph
