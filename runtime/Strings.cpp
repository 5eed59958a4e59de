#include "runtime/Strings.h"

#include "runtime/RuntimeError.h"

namespace rt {

QString Mid(const QString& text, int start) {
    if (start < 1) throw RuntimeError(ErrInvalidCall);
    if (start > text.size()) return QString();
    return text.mid(start - 1);
}

QString Mid(const QString& text, int start, int length) {
    if (start < 1 || length < 0) throw RuntimeError(ErrInvalidCall);
    if (start > text.size()) return QString();
    return text.mid(start - 1, length);
}

QString Left(const QString& text, int length) {
    if (length < 0) throw RuntimeError(ErrInvalidCall);
    return text.left(length);
}

QString Right(const QString& text, int length) {
    if (length < 0) throw RuntimeError(ErrInvalidCall);
    return text.right(length);
}

QString LTrim(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

QString RTrim(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == QLatin1Char(' '))
        --n;
    return text.left(n);
}

QString Trim(const QString& text) {
    return LTrim(RTrim(text));
}

int InStr(const QString& text, const QString& what, int start) {
    if (start < 1) throw RuntimeError(ErrInvalidCall);
    if (start > text.size() + 1) return 0;
    const qsizetype at = text.indexOf(what, start - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

namespace {

std::optional<double> parseHex(const QString& digits) {
    if (digits.isEmpty() || digits.size() > 4) return std::nullopt;
    bool ok = false;
    const uint value = digits.toUInt(&ok, 16);
    if (!ok) return std::nullopt;
    // "&H" literals are 16-bit Integers: &HFFFF is -1.
    return static_cast<double>(static_cast<qint16>(static_cast<quint16>(value)));
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

std::optional<double> ParseNumber(const QString& text) {
    const QString t = Trim(text);
    if (t.isEmpty()) return std::nullopt;
    if (t.size() >= 2 && t.at(0) == QLatin1Char('&') &&
        (t.at(1) == QLatin1Char('H') || t.at(1) == QLatin1Char('h')))
        return parseHex(t.mid(2));

    qsizetype i = 0;
    if (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-')) ++i;
    int digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (isDigit(c)) {
            ++digits;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < t.size() && (t.at(i) == QLatin1Char('E') || t.at(i) == QLatin1Char('e'))) {
        ++i;
        if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) ++i;
        int expDigits = 0;
        while (i < t.size() && isDigit(t.at(i))) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) return std::nullopt;
    }
    if (i != t.size()) return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
}

bool IsNumeric(const QString& text) {
    return ParseNumber(text).has_value();
}

}  // namespace rt
