#pragma once

namespace platform {

// Layouts compute in twips; the screen has 15 twips per device-independent pixel.
inline constexpr double TwipsPerPixel = 15.0;

constexpr double twipsToPixels(double twips) {
    return twips / TwipsPerPixel;
}
constexpr double pixelsToTwips(double pixels) {
    return pixels * TwipsPerPixel;
}

}  // namespace platform
