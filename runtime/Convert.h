#pragma once

#include <QString>
#include <cstdint>

namespace rt {

// Round half to even, as CInt/CLng do (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// CInt / CLng: round half to even; error 6 (Overflow) outside 16 / 32 bits.
int16_t CInt(double value);
int32_t CLng(double value);
// From text with the one numeric grammar; error 13 (Type mismatch) when it is not numeric.
int16_t CInt(const QString& text);
int32_t CLng(const QString& text);
double CDbl(const QString& text);
// Single from a double; error 6 when out of the Single range.
float CSng(double value);

// Fix and Int of the Basic runtime (towards zero / towards minus infinity).
double Fix(double value);
double Int(double value);

// Ordinary conversion of numbers to text: a Single with at most 7 significant digits,
// a Double with at most 15 (20.9f -> "20.9", 1e-5 -> "1E-05"). The decimal point is "."
// unless the caller passes another.
QString SingleToText(float value, QChar decimalPoint = QLatin1Char('.'));
QString DoubleToText(double value, QChar decimalPoint = QLatin1Char('.'));

// The double that a Single's 7-digit text stands for (20.9f -> 20.9).
double SingleToDouble(float value);

}  // namespace rt
