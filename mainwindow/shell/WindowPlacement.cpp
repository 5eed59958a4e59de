#include "mainwindow/shell/WindowPlacement.h"

#include "mainwindow/shell/Layout.h"

namespace shell {

WindowPlace PlaceWindow(SizeTwips screen, SizeTwips outer, int32_t executeCount) {
    WindowPlace place{0, 0, outer.width, outer.height};
    if (executeCount == 1) {
        // The larger value only when strictly greater than the minimum.
        place.width =
            screen.width * 0.8 > MinimumOuterWidth ? screen.width * 0.8 : MinimumOuterWidth;
        place.height =
            screen.height * 0.6 > MinimumOuterHeight ? screen.height * 0.6 : MinimumOuterHeight;
    }
    place.left = (screen.width - place.width) / 2;
    place.top = (screen.height - place.height) / 2;
    return place;
}

}  // namespace shell
