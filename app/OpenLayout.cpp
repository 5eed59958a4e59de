#include "app/OpenLayout.h"

namespace app {

OpenLayout LayoutOpenScreen(const OpenLayoutInput& in) {
    OpenLayout out;
    const double pictureWidth = 130 * in.twipsPerPixelX;
    const double pictureHeight = 180 * in.twipsPerPixelY;

    out.formWidth = (in.pcsWidth + pictureWidth) * 1.02;
    out.formHeight = in.titleHeight + pictureHeight + 450;
    out.frame = {60, 0, out.formWidth - 120, out.formHeight - 120};

    out.title = {240, 240, in.titleWidth, in.titleHeight};
    out.tm = {out.title.right() + 120, 240, in.tmWidth, in.tmHeight};

    const double ruleY = out.title.bottom() + 60;
    out.border[0] = {120, out.frame.width - 120, ruleY};
    out.border[1] = out.border[0];

    out.picture = {20, 670, pictureWidth, pictureHeight};

    const auto rightAligned = [&](double width) { return out.frame.width - 120 - width; };
    out.pcs = {rightAligned(in.pcsWidth), ruleY, in.pcsWidth, in.pcsHeight};
    out.version = {rightAligned(in.versionWidth), out.pcs.bottom() + 120, in.versionWidth,
                   in.versionHeight};
    out.notice = {rightAligned(in.noticeWidth), out.frame.height - 120 - in.noticeHeight,
                  in.noticeWidth, in.noticeHeight};
    out.company = {rightAligned(in.companyWidth), out.notice.top - 120 - in.companyHeight,
                   in.companyWidth, in.companyHeight};
    return out;
}

}  // namespace app
