#pragma once

#include <cstdint>

namespace shell {

struct SizeTwips {
    double width = 0, height = 0;
};

// The window's outer rectangle on its screen, twips.
struct WindowPlace {
    double left = 0, top = 0, width = 0, height = 0;
};

// Where the window stands when it first shows: on the first run of the program (execute count
// 1) 80 % of the screen's width and 60 % of its height, but no less than the minimum; on any
// other run the size it has. Always centred on the screen.
WindowPlace PlaceWindow(SizeTwips screen, SizeTwips outer, int32_t executeCount);

}  // namespace shell
