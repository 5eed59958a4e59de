#pragma once

#include <QString>
#include <optional>

namespace rt {

// 1-based Mid: the text from position `start` on; shorter text past the end, "" beyond it.
// A start below 1 raises error 5 as the Basic runtime does.
QString Mid(const QString& text, int start);
QString Mid(const QString& text, int start, int length);
QString Left(const QString& text, int length);
QString Right(const QString& text, int length);

// Trim functions remove blanks (U+0020) only, never tabs or other white space.
QString Trim(const QString& text);
QString LTrim(const QString& text);
QString RTrim(const QString& text);

// 1-based position of `what` in `text` from `start`, 0 when absent (case-sensitive).
int InStr(const QString& text, const QString& what, int start = 1);

// The one numeric grammar: optional blanks, sign, digits with at most one ".", optional
// exponent (E or e, sign, digits), optional blanks; or "&H" with 1 to 4 hex digits (16-bit).
bool IsNumeric(const QString& text);
std::optional<double> ParseNumber(const QString& text);

}  // namespace rt
