#pragma once

#include <QString>
#include <vector>

#include "graph/GraphSurface.h"

namespace testsupport {

// A drawing surface that draws nothing and records every call, with fixed text metrics: each
// character is `charWidth` twips wide and a line `lineHeight` twips high.
class RecordingSurface : public graph::GraphSurface {
  public:
    struct Call {
        enum Kind { Clear, Line, Box, Text, Polygon, NewPage, EndDoc } kind;
        QPointF from, to;  // Line and Box; Text: the top left
        graph::SurfacePen pen;
        QString text;
        int32_t color = 0;  // Clear, Text; Polygon: the fill
        std::vector<QPointF> corners;
        bool filled = false;
        double fontSize = 0;
        bool bold = false;
        QString fontName;
    };

    double width = 9000, height = 6000;
    double paperWidth = 0, paperHeight = 0;  // 0: the drawing area
    double charWidth = 100, lineHeight_ = 200;
    bool printer = false;
    std::vector<Call> calls;
    int clears = 0;  // renders of a picture: each starts with a clear

    double ScaleWidth() const override { return width; }
    double ScaleHeight() const override { return height; }
    bool isPrinter() const override { return printer; }
    double Width() const override { return paperWidth > 0 ? paperWidth : width; }
    double Height() const override { return paperHeight > 0 ? paperHeight : height; }
    void NewPage() override {
        calls.push_back({Call::NewPage, {}, {}, {}, {}, 0, {}, false, 0, false, {}});
    }
    void EndDoc() override {
        calls.push_back({Call::EndDoc, {}, {}, {}, {}, 0, {}, false, 0, false, {}});
    }
    // The calls of each page (split at NewPage).
    std::vector<std::vector<Call>> pages() const {
        std::vector<std::vector<Call>> out(1);
        for (const Call& c : calls) {
            if (c.kind == Call::NewPage)
                out.emplace_back();
            else
                out.back().push_back(c);
        }
        return out;
    }
    double TwipsPerPixelX() const override { return printer ? 1 : 15; }
    double TwipsPerPixelY() const override { return printer ? 1 : 15; }
    void resize(QSize pixels, qreal) override {
        width = pixels.width() * 15.0;
        height = pixels.height() * 15.0;
    }

    std::vector<Call> of(Call::Kind kind) const {
        std::vector<Call> found;
        for (const Call& c : calls)
            if (c.kind == kind) found.push_back(c);
        return found;
    }
    const Call* text(const QString& t) const {
        for (const Call& c : calls)
            if (c.kind == Call::Text && c.text == t) return &c;
        return nullptr;
    }

  protected:
    void doClear(int32_t color) override {
        Call c{Call::Clear, {}, {}, {}, {}, color, {}, false, 0, false, {}};
        calls.clear();
        calls.push_back(c);
        ++clears;
    }
    void doLine(QPointF from, QPointF to, const graph::SurfacePen& pen) override {
        calls.push_back({Call::Line, from, to, pen, {}, pen.color, {}, false, 0, false, {}});
    }
    void doBox(QPointF a, QPointF b, const graph::SurfacePen& pen) override {
        calls.push_back({Call::Box, a, b, pen, {}, pen.color, {}, false, 0, false, {}});
    }
    void doText(QPointF topLeft, const QString& t, int32_t color) override {
        calls.push_back(
            {Call::Text, topLeft, {}, {}, t, color, {}, false, FontSize(), FontBold(), FontName()});
    }
    void doPolygon(const std::vector<QPointF>& corners, const graph::SurfacePen& pen, bool filled,
                   int32_t fill) override {
        calls.push_back({Call::Polygon, {}, {}, pen, {}, fill, corners, filled, 0, false, {}});
    }
    double measureWidth(const QString& t) const override { return t.size() * charWidth; }
    double lineHeight() const override { return lineHeight_; }
};

}  // namespace testsupport
