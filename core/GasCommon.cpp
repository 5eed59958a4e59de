#include "core/GasCommon.h"

#include <cmath>
#include <limits>

#include "core/ClsInstrument.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace core {

namespace {

struct CodeWords {
    const char* value;
    const char* event;
};

// Indexed by -101 - code.
constexpr CodeWords Words[] = {
    {"-----", ""},
    {"NORMAL", "NORMAL"},
    {"WARNING", "WARNING"},
    {"ALARM", "ALARM"},
    {"STEL", "STEL"},
    {"TWA", "TWA"},
    {"OVER", "OVER"},
    {"CALIB.", "CALIB."},
    {"FAIL(Cal.)", "FAIL(Cal.)"},
    {"FAIL(Sen.)", "FAIL(Sen.)"},
    {"FAIL(BATT.)", "FAIL(BATT.)"},
    {"FAIL(Flow)", "FAIL(Flow)"},
    {"FAIL(Cir.)", "FAIL(Cir.)"},
    {"CLG", "CLG"},
    {"MAX", "MAX"},
    {"MIN", ""},
    {"MODE", "MODE"},
    {"?????", ""},
    {"U_OVER", ""},
    {"FAIL(Time)", ""},
};

const QString NoCaption = QStringLiteral("----(---)");

bool decimalsFitted(int16_t decimals) {
    return decimals >= 0 && decimals <= 9;
}

QString fixedMask(int16_t decimals) {
    return decimals >= 1 && decimals <= 3 ? DecimalMask(decimals) : QStringLiteral("#0");
}

QString formatWithMask(float value, const QString& mask) {
    return mask.isEmpty() ? rt::SingleToText(value) : rt::FormatNumber(value, mask);
}

float wordCode(const QString& text) {
    const QString word = rt::Left(rt::Trim(text), 3).toUpper();
    static const std::pair<const char*, float> codes[] = {
        {"OVE", -107}, {"FAI", -110}, {"WAR", -103}, {"ALR", -104}, {"STE", -105},
        {"TWA", -106}, {"MAX", -115}, {"MIN", -116}, {"NOR", -102}};
    for (const auto& [w, code] : codes)
        if (word == QLatin1String(w)) return code;
    return CodeNoValue;
}

// A full scale that is a reading code (no value: one stored that could not be read) is none.
bool noFullScale(float fullScale) {
    return IsReadingCode(fullScale) || !std::isfinite(fullScale);
}

QString caption(const QString& name, const QString& unit, float fullScale, int16_t decimals,
                bool withScale) {
    if (rt::Trim(name).isEmpty()) return NoCaption;
    // A full scale that cannot be read shows empty.
    if (!withScale || noFullScale(fullScale))
        return name + QLatin1Char('(') + unit + QLatin1Char(')');
    return name + QLatin1Char('(') + formatWithMask(fullScale, DecimalMask(decimals)) + unit +
           QLatin1Char(')');
}

}  // namespace

bool IsReadingCode(float value) {
    return value >= FirstReadingCode && value <= LastReadingCode && value == std::floor(value);
}

int16_t IntervalToIndex(int16_t seconds) {
    switch (seconds) {
        case 10:
            return 0;
        case 20:
            return 1;
        case 30:
            return 2;
        case 60:
            return 3;
        case 180:
            return 4;
        case 300:
            return 5;
        case 600:
            return 6;
        default:
            return 5;
    }
}

int16_t IntermittenceToIndex(int16_t seconds) {
    switch (seconds) {
        case 30:
            return 0;
        case 60:
            return 1;
        case 120:
            return 2;
        case 180:
            return 3;
        case 240:
            return 4;
        default:
            return 5;
    }
}

float QuantizeToStep(float value, float step) {
    if (value < 0) return 0.0f;
    if (step == 0.0f) throw rt::RuntimeError(11, QStringLiteral("Division by zero"));
    return static_cast<float>(rt::CInt(static_cast<double>(value) / step) * step);
}

QString ValueText(float value, int16_t decimals) {
    if (IsReadingCode(value))
        return QString::fromLatin1(Words[-101 - static_cast<int>(value)].value);
    return rt::FormatNumber(value, fixedMask(decimals));
}

float ScaleRawValue(float value, int16_t decimals) {
    if (IsReadingCode(value)) return value;
    if (!decimalsFitted(decimals)) return CodeNoValue;
    return static_cast<float>(value * std::pow(0.1, decimals));
}

QString OverIfOutOfRange(const QString& text, float fullScale) {
    const auto v = rt::ParseNumber(text);
    // Without a full scale (one that cannot be read) nothing is out of its range.
    if (!v || noFullScale(fullScale)) return text;
    // Compared at the full scale's own precision: the text 20.9 read as a Double lies above
    // the Single 20.9, and a reading equal to the full scale is not over it.
    if (std::abs(*v) <= std::numeric_limits<float>::max()) {
        const float reading = static_cast<float>(*v);
        if (reading >= 0 && reading <= fullScale) return text;
    }
    return QStringLiteral("OVER");
}

QString EventCodeText(int32_t code) {
    if (code < FirstReadingCode || code > LastReadingCode) return QString();
    return QString::fromLatin1(Words[-101 - code].event);
}

QString GasCaption(const clsInstrument* source, int16_t gas, bool withScale) {
    if (!source) return NoCaption;
    return caption(source->GasName(gas), source->GasUnit(gas), source->GasFullScale(gas),
                   source->GasPoint(gas), withScale && gas != 4);
}

QString GasCaption(const GasListSource* source, int16_t gas, bool withScale) {
    if (!source) return NoCaption;
    const rt::Variant name = source->GasListInfo(gas, 0);
    if (name.isNull() || rt::Trim(name.toText()).isEmpty()) return NoCaption;
    const bool scaled = withScale && gas != 4;
    return caption(name.toText(), source->GasListInfo(gas, 14).toText(),
                   scaled ? source->GasListInfo(gas, 1).toSingle() : 0.0f,
                   scaled ? source->GasListInfo(gas, 3).toInteger() : int16_t(0), scaled);
}

QString GasCaptionFrom(const QString& name, const QString& unit, float fullScale,
                       int16_t decimals) {
    return caption(name, unit, fullScale, decimals, fullScale != -1.0f);
}

QString ValueTextOrZeros(float value, int16_t decimals) {
    if (value < 0) return QStringLiteral("00000");
    return rt::FormatNumber(value, fixedMask(decimals));
}

QString RawCountText(float value, int16_t decimals) {
    if (value < 0 || !decimalsFitted(decimals)) return QStringLiteral("00000");
    const QString text = rt::FormatNumber(value / std::pow(0.1, decimals), QStringLiteral("#0"));
    return rt::Right(QStringLiteral("    ") + text, 5);
}

QString DecimalMask(int16_t decimals) {
    if (decimals == 0) return QStringLiteral("#0");
    if (decimals < 1 || decimals > 9) return QString();
    return QStringLiteral("#0.") + QString(decimals, QLatin1Char('0'));
}

// A number beyond the range of the reading (a garbled field such as "9E99") is no value:
// these parsers take any text and always give a value.
float ParseValueOrStatus(const QString& text) {
    if (const auto v = rt::ParseNumber(text))
        return std::abs(*v) <= std::numeric_limits<float>::max() ? rt::CSng(*v) : CodeNoValue;
    return wordCode(text);
}

float ParseRawValueOrStatus(const QString& text, int16_t decimals) {
    const auto v = rt::ParseNumber(text);
    if (!v) return wordCode(text);
    if (!decimalsFitted(decimals)) return CodeNoValue;
    if (!(*v > -2147483648.5 && *v < 2147483647.5)) return CodeNoValue;
    return static_cast<float>(rt::CLng(*v) * std::pow(0.1, decimals));
}

int16_t DecimalsOf(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) return 0;
    const qsizetype count = text.size() - point - 1;
    if (count > 32767) throw rt::RuntimeError(rt::ErrOverflow);
    return static_cast<int16_t>(count);
}

int16_t StatusNumberToCode(const QString& text) {
    const auto v = rt::ParseNumber(text);
    if (!v) return 0;
    const int16_t n = rt::CInt(*v);
    if (n >= 0 && n <= 11) return static_cast<int16_t>(-102 - n);
    if (n == 12) return -117;
    if (n == 13) return -120;
    return -101;
}

}  // namespace core
