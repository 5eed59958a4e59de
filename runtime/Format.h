#pragma once

#include <QLocale>
#include <QString>

#include "runtime/OleDate.h"

namespace rt {

// Format with a numeric mask of "0", "#", ".", "," (thousands), "%" and literal text.
// Rounds half away from zero on the decimal value (1.005 -> "1.01" with "0.00").
QString FormatNumber(double value, const QString& mask);

// Format with a date mask: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss AM/PM,
// quoted literals and backslash escapes. "m" right after an hour is minutes; "nn" is minutes.
// Named formats: "General Date", "Short Date", "Medium Date", "Long Date", "Long Time",
// "Short Time".
QString FormatDate(OleDate date, const QString& mask, const QLocale& locale = QLocale::system());

// "General Date": the locale's short date with a four-digit year and the time with seconds;
// the date is left out on day 0 and the time at midnight.
QString GeneralDate(OleDate date, const QLocale& locale = QLocale::system());

// "Medium Date": the day, the locale's short month name and a two-digit year ("31-May-24");
// in Japanese the numeric year, month and day ("24-05-31").
QString MediumDate(OleDate date, const QLocale& locale = QLocale::system());

// The locale's short date pattern with a four-digit year (Qt pattern letters).
QString ShortDatePattern(const QLocale& locale);

}  // namespace rt
