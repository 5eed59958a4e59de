#include "runtime/Color.h"

namespace rt {

QColor ColorFromRgbLong(int32_t rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

int32_t RgbLongFromColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

}  // namespace rt
