#include "runtime/Convert.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace rt {

double RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff > 0.5) return floor + 1.0;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

int16_t CInt(double value) {
    if (std::isnan(value)) throw RuntimeError(ErrOverflow);
    const double r = RoundHalfEven(value);
    if (r < -32768.0 || r > 32767.0) throw RuntimeError(ErrOverflow);
    return static_cast<int16_t>(r);
}

int32_t CLng(double value) {
    if (std::isnan(value)) throw RuntimeError(ErrOverflow);
    const double r = RoundHalfEven(value);
    if (r < -2147483648.0 || r > 2147483647.0) throw RuntimeError(ErrOverflow);
    return static_cast<int32_t>(r);
}

double CDbl(const QString& text) {
    const auto v = ParseNumber(text);
    if (!v) throw RuntimeError(ErrTypeMismatch);
    return *v;
}

int16_t CInt(const QString& text) {
    return CInt(CDbl(text));
}
int32_t CLng(const QString& text) {
    return CLng(CDbl(text));
}

float CSng(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        throw RuntimeError(ErrOverflow);
    return static_cast<float>(value);
}

double Fix(double value) {
    return std::trunc(value);
}
double Int(double value) {
    return std::floor(value);
}

namespace {

// %G with the given precision, written the way the Basic runtime writes it.
QString generalText(double value, int precision, QChar decimalPoint) {
    if (value == 0.0) return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*G", precision, value);
    QString text = QString::fromLatin1(buffer);
    if (decimalPoint != QLatin1Char('.')) text.replace(QLatin1Char('.'), decimalPoint);
    return text;
}

}  // namespace

QString SingleToText(float value, QChar decimalPoint) {
    return generalText(static_cast<double>(value), 7, decimalPoint);
}

QString DoubleToText(double value, QChar decimalPoint) {
    return generalText(value, 15, decimalPoint);
}

double SingleToDouble(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(value));
    return std::strtod(buffer, nullptr);
}

}  // namespace rt
