#pragma once

#include "platform/gui/Geometry.h"

namespace app {

// Sizes (twips) that the start-up screen's layout reads from its labels.
struct OpenLayoutInput {
    double titleWidth = 0, titleHeight = 0;
    double tmWidth = 0, tmHeight = 0;
    double pcsWidth = 0, pcsHeight = 0;
    double versionWidth = 0, versionHeight = 0;
    double companyWidth = 0, companyHeight = 0;
    double noticeWidth = 0, noticeHeight = 0;
    double twipsPerPixelX = 15, twipsPerPixelY = 15;
};

struct BorderLine {
    double x1 = 0, x2 = 0, y = 0;
    bool operator==(const BorderLine&) const = default;
};

// Where everything of the start-up screen goes, in twips; label positions are relative to
// the frame, the frame relative to the form.
struct OpenLayout {
    double formWidth = 0, formHeight = 0;
    platform::TwipsRect frame, title, tm, picture, pcs, version, company, notice;
    BorderLine border[2];
};

OpenLayout LayoutOpenScreen(const OpenLayoutInput& in);

}  // namespace app
