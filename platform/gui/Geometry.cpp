#include "platform/gui/Geometry.h"

#include <QWidget>
#include <cmath>

#include "platform/Twips.h"

namespace platform {

QRect toPixels(const TwipsRect& rect) {
    const auto px = [](double twips) {
        return static_cast<int>(std::lround(twipsToPixels(twips)));
    };
    return QRect(px(rect.left), px(rect.top), px(rect.width), px(rect.height));
}

TwipsRect toTwips(const QRect& rect) {
    return {pixelsToTwips(rect.x()), pixelsToTwips(rect.y()), pixelsToTwips(rect.width()),
            pixelsToTwips(rect.height())};
}

void placeWidget(QWidget* widget, const TwipsRect& rect) {
    widget->setGeometry(toPixels(rect));
}

}  // namespace platform
