#pragma once

#include <QString>
#include <cstdint>

#include "runtime/OleDate.h"

namespace dataview {

// The stored alarm trend of an instrument nearest to an event: among the alarm trends of that
// serial number, other than the download shown, dated from `before` to `after` seconds around
// the event (both ends included), the one with the fewest whole seconds to it (the earlier one
// of two as near; 600 seconds or more never count). Its SeqNo, or -1.
int32_t TrendSearch(const QString& database, int32_t currentSeqNo, const QString& serialNo,
                    rt::OleDate eventDate, int before, int after);

}  // namespace dataview
