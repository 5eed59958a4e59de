#pragma once

#include <QColor>
#include <cstdint>

namespace rt {

// A Basic RGB Long is 0x00BBGGRR.
constexpr int32_t RGB(int red, int green, int blue) {
    return static_cast<int32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
QColor ColorFromRgbLong(int32_t rgb);
int32_t RgbLongFromColor(const QColor& color);

}  // namespace rt
