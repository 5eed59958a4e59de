#include "runtime/Variant.h"

#include "runtime/Convert.h"
#include "runtime/Format.h"
#include "runtime/RuntimeError.h"
#include "runtime/Strings.h"

namespace rt {

Variant Variant::null() {
    return Variant(Value(NullValue{}));
}

bool Variant::isNumeric() const {
    switch (type()) {
        case Type::Empty:
        case Type::Null:
            return false;
        case Type::String:
            return IsNumeric(std::get<QString>(value_));
        default:
            return true;
    }
}

Variant::Type Variant::type() const {
    return static_cast<Type>(value_.index());
}

QString Variant::toText(const QLocale& locale) const {
    const QChar point =
        locale.decimalPoint().isEmpty() ? QLatin1Char('.') : locale.decimalPoint().at(0);
    switch (type()) {
        case Type::Empty:
            return QString();
        case Type::Null:
            throw RuntimeError(ErrInvalidNull);
        case Type::Boolean:
            return std::get<bool>(value_) ? QStringLiteral("True") : QStringLiteral("False");
        case Type::Integer:
            return QString::number(std::get<int16_t>(value_));
        case Type::Long:
            return QString::number(std::get<int32_t>(value_));
        case Type::Single:
            return SingleToText(std::get<float>(value_), point);
        case Type::Double:
            return DoubleToText(std::get<double>(value_), point);
        case Type::String:
            return std::get<QString>(value_);
        case Type::Date:
            return GeneralDate(std::get<OleDate>(value_), locale);
    }
    return QString();
}

double Variant::toDouble() const {
    switch (type()) {
        case Type::Empty:
            return 0.0;
        case Type::Null:
            throw RuntimeError(ErrInvalidNull);
        case Type::Boolean:
            return std::get<bool>(value_) ? -1.0 : 0.0;
        case Type::Integer:
            return std::get<int16_t>(value_);
        case Type::Long:
            return std::get<int32_t>(value_);
        case Type::Single:
            return std::get<float>(value_);
        case Type::Double:
            return std::get<double>(value_);
        case Type::String:
            return CDbl(std::get<QString>(value_));
        case Type::Date:
            return std::get<OleDate>(value_).value();
    }
    return 0.0;
}

int32_t Variant::toLong() const {
    return CLng(toDouble());
}
int16_t Variant::toInteger() const {
    return CInt(toDouble());
}
float Variant::toSingle() const {
    return CSng(toDouble());
}

bool Variant::toBool() const {
    if (type() == Type::String) {
        const QString s = std::get<QString>(value_).trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    }
    return toDouble() != 0.0;
}

OleDate Variant::toDate() const {
    if (type() == Type::Date) return std::get<OleDate>(value_);
    if (type() == Type::String) throw RuntimeError(ErrTypeMismatch);
    return OleDate(toDouble());
}

}  // namespace rt
