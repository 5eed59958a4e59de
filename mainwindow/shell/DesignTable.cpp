#include "mainwindow/shell/DesignTable.h"

namespace shell {

namespace {

using mainwindow::ControlKey;
using platform::TwipsRect;

// Heights that suit the widgets at the 9-point font: a check box or option button 300, a
// command button 330 or more, a caption 270.
constexpr double Check = 300, Button = 375, Caption = 270, Value = 300;

std::map<ControlKey, TwipsRect> makeRects() {
    std::map<ControlKey, TwipsRect> r;
    const auto at = [&r](const char* name, int index, TwipsRect rect) {
        r[{QString::fromLatin1(name), index}] = rect;
    };
    // The window: page frames and the menu column (placed by the layout).
    for (int i = 0; i < 6; ++i) {
        at("fraMenu", i, {0, 120, 10000, 7000});
        at("cmdInst", i, {10300, 180 + i * 1200.0, 1500, 1080});
    }

    // Download page. The sizes the layout keeps: the status frame 612 high, the lamps 200
    // square, the lamp labels; the automatic-mode frame is 1500 high (not 852) so that each of
    // its two boxes, a fifth of the frame, is as high as a check box needs.
    at("fraDown", 0, {120, 240, 6000, 612});
    at("fraDown", 1, {6240, 240, 3600, 1500});
    at("fraDown", 2, {6240, 1740, 3600, 5000});
    at("fraDown", 3, {120, 5000, 6000, 2000});
    for (int i = 0; i < 4; ++i)
        at("shpStatus", i, {120.0 + i * 1500, 240, 200, 200});
    at("lblStatus", 0, {380, 240, 1092, 252});
    at("lblStatus", 1, {1760, 240, 852, 252});
    at("lblStatus", 8, {3260, 240, 852, 252});
    at("lblStatus", 9, {4760, 240, 852, 252});
    at("lblTitle", 0, {120, 912, 1800, Caption});
    at("rtbLog", -1, {120, 1260, 6000, 3600});
    at("chkAutoLoad", 0, {120, 240, 3360, Check});
    at("chkAutoLoad", 1, {120, 600, 3360, Check});
    for (int i = 0; i < 11; ++i)
        at("cmdDown", i, {120, 240.0 + i * 450, 3360, Button});
    at("fraDown3Ceneter", -1, {470, 300, 5055, 975});
    // The identity: captions on the left, their values in boxes on the right.
    at("lblStatus", 2, {0, 45, 2500, Caption});
    at("lblStatus", 5, {2600, 30, 2400, Value});
    at("lblStatus", 4, {0, 585, 2500, Caption});
    at("lblStatus", 7, {2600, 570, 2400, Value});
    for (int unused : {3, 6, 10})
        at("lblStatus", unused, {0, 0, 0, 0});
    at("picOptionToZevra", -1, {470, 1275, 5055, 615});
    at("lblStatus", 11, {0, 180, 2700, Caption});
    at("txtSuffix", -1, {2800, 135, 2200, 345});

    // Instrument information: the identity stacked, each caption over its value, so the centred
    // frame fits the narrow status frame.
    at("fraInst", -1, {120, 240, 2500, 3600});
    at("fraInstCeneter", -1, {50, 300, 2400, 3000});
    const int captions[] = {0, 1, 2, 6, 8}, values[] = {3, 4, 5, 7, 9};
    for (int k = 0; k < 5; ++k) {
        at("lblInst", captions[k], {0, k * 600.0, 2400, Caption});
        at("lblInst", values[k], {0, k * 600.0 + Caption, 2400, Value});
    }
    at("vfgInst", -1, {2740, 360, 6000, 3000});
    at("vfgInstSensor", -1, {120, 3960, 9000, 2500});

    // Library.
    at("tvwLog", -1, {120, 240, 3500, 5000});
    at("fraLog", -1, {120, 5240, 3500, 1600});
    at("fraLogCenter", -1, {100, 300, 3300, 990});
    for (int i = 0; i < 3; ++i)
        at("chkLog", i, {0, i * 345.0, 1800, Check});
    at("cmdLogInst", -1, {1950, 307, 1350, Button});
    at("lvwLog", -1, {3740, 240, 6000, 3000});
    at("vfgLog", -1, {3740, 3360, 6000, 3000});
    at("cmdDetail", -1, {5000, 6600, 2880, 400});

    // Data view. cmdBrowse(1), which the layout never moves, stands in the top row after the
    // table's check boxes.
    at("optBrowse", 0, {120, 240, 840, 330});
    at("optBrowse", 1, {1080, 240, 840, 330});
    at("chkEvent", -1, {2040, 240, 1320, 330});
    at("chkOutline", -1, {3480, 240, 1320, 330});
    at("vfgSummary", -1, {120, 660, 9000, 1800});
    at("vfgBrowse", -1, {120, 660, 9000, 5000});
    at("zvdGraph", -1, {120, 660, 9000, 4300});
    for (int i = 0; i < 7; ++i)
        at("chkBrowse", i, {120.0 + (i % 4) * 2250, 5100.0 + (i / 4) * Check, 1500, Check});
    at("lblTitle", 1, {120, 5400, 700, Caption});
    at("cmbBrowse", -1, {1060, 5400, 1800, 330});
    for (int i = 0; i < 5; ++i)
        at("cmdBrowse", i, {5000.0 + i * 1250, 240, 1200, 330});
    at("cmdBrowse", 1, {4920, 240, 1230, 330});
    for (const char* picture : {"Alarm0", "Interval0", "AlarmG", "IntervalG"})
        at(picture, -1, {0, 0, 480, 480});

    // Last calibration.
    for (int i = 0; i < 3; ++i)
        at("optHistory", i, {60 + i * 2500.0, 240, 2400, Check});
    at("vfgHistory", -1, {60, 600, 9000, 5000});
    at("cmdLastCal", -1, {7800, 240, 1300, Check});

    // Set page: the display buttons in a column, the settings as captions and values.
    at("fraOption", 0, {120, 240, 3000, 4900});
    at("fraOption", 1, {3240, 240, 6000, 4400});
    at("fraOption", 2, {3240, 240, 6000, 4900});
    at("fraOptionCenter0", -1, {300, 600, 2400, 3705});
    for (int i = 0; i < 10; ++i)
        at("cmdOptionDisp", i, {0, i * 375.0, 2400, 330});
    // The station (caption 1, box 1) is not shown here: its row is left out and the rows after
    // it close up.
    at("fraOptionCenter1", -1, {400, 700, 5200, 2480});
    const int settingRows[] = {0, 2, 3, 4, 7, 8};
    for (int k = 0; k < 6; ++k)
        at("lblOption", settingRows[k], {0, k * 420.0 + 30, 2500, Caption});
    at("lblOption", 1, {0, 30, 2500, Caption});
    at("txtOption", 0, {2600, 0, 2600, 345});
    at("txtOption", 1, {2600, 0, 2600, 345});
    at("txtOption", 2, {2600, 420, 2600, 345});
    at("cmbInterval", -1, {2600, 4 * 420.0, 1300, 345});
    at("cmbIntermittence", -1, {2600, 5 * 420.0, 1300, 345});
    at("lblOption", 5, {2600, 2 * 420.0, 2600, Value});
    at("lblOption", 6, {2600, 3 * 420.0, 2600, Value});
    for (int i = 0; i < 4; ++i)
        at("cmdOption", i, {3240 + i * 1500.0, 4760, 1400, Button});
    at("vfgOption", -1, {120, 5260, 9000, 1500});
    at("vfgCal", -1, {120, 240, 5760, 3400});
    for (int i = 0; i < 3; ++i)
        at("cmdCal", i, {120 + i * 1900.0, 3760, 1780, 800});
    return r;
}

std::map<ControlKey, QString> makeCaptions() {
    std::map<ControlKey, QString> c;
    const auto caption = [&c](const char* name, int index, const char* text) {
        c[{QString::fromLatin1(name), index}] = QString::fromLatin1(text);
    };
    caption("cmdOptionDisp", 1, "Graph Color - HC");
    caption("cmdOptionDisp", 2, "Graph Color - OXY");
    caption("cmdOptionDisp", 3, "Graph Color - H2S");
    caption("cmdOptionDisp", 7, "Factory Setting");
    caption("chkBrowse", 0, "HC");
    caption("chkBrowse", 1, "OXY");
    caption("chkBrowse", 2, "H2S");
    caption("chkBrowse", 3, "CO2");
    caption("chkBrowse", 4, "Temp");
    return c;
}

}  // namespace

const std::map<ControlKey, TwipsRect>& DesignRects() {
    static const std::map<ControlKey, TwipsRect> rects = makeRects();
    return rects;
}

const std::map<ControlKey, QString>& DesignCaptions() {
    static const std::map<ControlKey, QString> captions = makeCaptions();
    return captions;
}

}  // namespace shell
