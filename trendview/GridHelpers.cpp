#include "trendview/GridHelpers.h"

#include "runtime/Color.h"
#include "runtime/RuntimeError.h"

namespace trendview {

int32_t ReadingCodeColor(int32_t code, int32_t shade) {
    const int32_t grey = rt::RGB(128, 128, 128);
    switch (code) {
        case -120:
        case -113:
        case -112:
        case -111:
        case -110:
        case -109:
            return grey;  // FAIL(...)
        case -117:
            return rt::RGB(64, 192, 64);  // MODE
        case -116:
            return rt::RGB(128, 255, 192);  // MIN
        case -115:
        case -107:
            return rt::RGB(255, 64, 64);  // MAX, OVER
        case -114:
            return rt::RGB(192, 128, 128);  // CLG
        case -108:
            return rt::RGB(128, 192, 128);  // CALIB.
        case -106:
            return rt::RGB(192, 128, 192);  // TWA
        case -105:
            return rt::RGB(255, 192, 192);  // STEL
        case -104:
            return rt::RGB(255, 0, 0);  // ALARM
        case -103:
            return rt::RGB(255, 128, 0);  // WARNING
        case -102:
            return rt::RGB(64, 192, 128);  // NORMAL
        case -101:
        case 0:
            return shade != 0 ? rt::RGB(192, 192, 192) : 0;
        default:
            return 0;
    }
}

void FillGridRow(platform::FlexGrid& grid, int row, int startCol, bool fillRest,
                 const std::vector<rt::Variant>& values) {
    // Integer arithmetic of the column numbers, as the callers count them.
    const int64_t lastWanted = static_cast<int64_t>(values.size()) - 1 + startCol;
    if (lastWanted > 32767 || lastWanted < -32768) throw rt::RuntimeError(rt::ErrOverflow);
    int last = static_cast<int>(lastWanted);
    if (last >= grid.Cols()) last = grid.Cols() - 1;
    QString text;
    int col = startCol;
    for (; col <= last; ++col) {
        text = values[static_cast<size_t>(col - startCol)].toText();
        grid.setTextMatrix(row, col, text);
    }
    if (!fillRest) return;
    for (; col < grid.Cols(); ++col)
        grid.setTextMatrix(row, col, text);
}

}  // namespace trendview
