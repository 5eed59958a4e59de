#pragma once

#include <QString>
#include <cstdint>

#include "runtime/OleDate.h"

namespace core {

// The due state of a calibration: the last calibration date plus the calibration interval
// (`calLimit` days) against the present moment; due soon when fewer than `LimitDays` whole
// days remain. A date that is unset or before 2000 has no due state.
enum class CalDue { None, Valid, DueSoon, Overdue };

struct CalDueInfo {
    CalDue state = CalDue::None;
    int32_t remainingDays = 0;  // rounded to whole days, halves to even (Valid and DueSoon)
};
CalDueInfo CalDueOf(rt::OleDate calibrationDate, int32_t calLimit);
// The same at a given moment: a list judges all its rows by one reading of the clock.
CalDueInfo CalDueOf(rt::OleDate calibrationDate, int32_t calLimit, rt::OleDate now);
// The same without the guard: an unset or old date is simply long past its due moment.
CalDueInfo CalDueOfAnyDate(rt::OleDate calibrationDate, int32_t calLimit);

// The date in the "General Date" form, or "" for an unset or implausible date (before 2000).
QString FormatValidDate(rt::OleDate date);
// Red when overdue, orange when due soon, else 0 (no colour).
int32_t CalDueColor(const CalDueInfo& due);
// "Now" when overdue, "Remaining n Days" otherwise, "" without a due state.
QString CalDueText(const CalDueInfo& due);

}  // namespace core
