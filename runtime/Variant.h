#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>
#include <variant>

#include "runtime/OleDate.h"

namespace rt {

// A Basic Variant: Empty, Null and typed values stay distinguishable.
class Variant {
  public:
    enum class Type { Empty, Null, Boolean, Integer, Long, Single, Double, String, Date };

    Variant() = default;
    Variant(bool v) : value_(v) {}
    Variant(int16_t v) : value_(v) {}
    Variant(int32_t v) : value_(v) {}
    Variant(int64_t v) : value_(static_cast<double>(v)) {}
    Variant(float v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(const QString& v) : value_(v) {}
    Variant(const char* v) : value_(QString::fromUtf8(v)) {}
    Variant(OleDate v) : value_(v) {}

    static Variant null();

    Type type() const;
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    // IsNumeric: a number, a Boolean, a date or a numeric text.
    bool isNumeric() const;
    bool isDate() const { return type() == Type::Date; }

    // CStr: Empty gives "", Null raises error 94; numbers use the locale's decimal point,
    // dates the "General Date" form of the locale.
    QString toText(const QLocale& locale = QLocale::system()) const;
    // CDbl / CLng / CInt / CBool / CDate: Empty is 0, Null raises 94, text must be numeric (13).
    double toDouble() const;
    int32_t toLong() const;
    int16_t toInteger() const;
    float toSingle() const;
    bool toBool() const;
    OleDate toDate() const;

    friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

  private:
    struct EmptyValue {
        bool operator==(const EmptyValue&) const = default;
    };
    struct NullValue {
        bool operator==(const NullValue&) const = default;
    };
    using Value = std::variant<EmptyValue, NullValue, bool, int16_t, int32_t, float, double,
                               QString, OleDate>;
    explicit Variant(Value v) : value_(std::move(v)) {}
    Value value_;
};

}  // namespace rt
