#pragma once

#include <cstdint>
#include <vector>

#include "platform/gui/FlexGrid.h"
#include "runtime/Variant.h"

namespace trendview {

// The background of a table cell that shows a gas value, by the value's reading code (0 for a
// code without a colour of its own). With `shade`, "-----" and a reading of 0 are grey too.
int32_t ReadingCodeColor(int32_t code, int32_t shade);

// Writes the texts of `values` into one row from column `startCol` on; values beyond the last
// column are dropped. With `fillRest`, the columns after the last one written take the last
// value's text (blank when nothing was written). Other rows and columns, and the grid's counts,
// stay as they are.
void FillGridRow(platform::FlexGrid& grid, int row, int startCol, bool fillRest,
                 const std::vector<rt::Variant>& values);

}  // namespace trendview
