#pragma once

#include <QRect>
#include <QRectF>

class QWidget;

namespace platform {

// A rectangle in twips, as the layout routines compute it.
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
    bool operator==(const TwipsRect&) const = default;
};

// A length in whole pixels, rounded.
int toPixels(double twips);
QRect toPixels(const TwipsRect& rect);
TwipsRect toTwips(const QRect& rect);
// Places a widget at a twips rectangle of its parent.
void placeWidget(QWidget* widget, const TwipsRect& rect);

}  // namespace platform
