#include "platform/gui/Geometry.h"

#include <QWidget>
#include <cmath>

#include "platform/Twips.h"

namespace platform {

int toPixels(double twips) {
    return static_cast<int>(std::lround(twipsToPixels(twips)));
}

QRect toPixels(const TwipsRect& rect) {
    return QRect(toPixels(rect.left), toPixels(rect.top), toPixels(rect.width),
                 toPixels(rect.height));
}

TwipsRect toTwips(const QRect& rect) {
    return {pixelsToTwips(rect.x()), pixelsToTwips(rect.y()), pixelsToTwips(rect.width()),
            pixelsToTwips(rect.height())};
}

void placeWidget(QWidget* widget, const TwipsRect& rect) {
    widget->setGeometry(toPixels(rect));
}

}  // namespace platform
