#pragma once

#include <QString>
#include <functional>

namespace platform {

// The text a cell or label of `room` pixels shows of `text`, `width` measuring a text in
// pixels. A text that fits shows whole. One that does not gives way by its words, never by its
// digits: the words before its first number go first, one at a time, then those after its last
// ("Remaining 140 Days" -> "140 Days" -> "140"); the words between numbers (a date's month)
// stay. A text without a digit, and one that its numbers alone do not fit, come back as they
// are, or as its numbers alone, for the usual eliding.
QString WordsGiveWay(const QString& text, int room,
                     const std::function<int(const QString&)>& width);

}  // namespace platform
