#include "runtime/Format.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace rt {

namespace {

// Decimal digits of |value| rounded half away from zero to `decimals` places, taken from its
// 15-significant-digit text so that binary noise does not decide the rounding.
void roundedDigits(double value, int decimals, QString& integerPart, QString& fraction) {
    const double a = std::fabs(value);
    QString digits;
    int exponent = 0;
    if (a != 0.0 && std::isfinite(a)) {
        char buffer[48];
        std::snprintf(buffer, sizeof buffer, "%.14E", a);
        const QString text = QString::fromLatin1(buffer);
        const qsizetype e = text.indexOf(QLatin1Char('E'));
        digits = text.left(e);
        digits.remove(QLatin1Char('.'));
        exponent = text.mid(e + 1).toInt();
    } else {
        digits = QStringLiteral("0");
    }
    // digits d1 d2 ... stand for 0.d1d2... x 10^(exponent + 1)
    int intCount = exponent + 1;
    const int keep = intCount + decimals;
    if (keep < 0) {
        digits = QStringLiteral("0");
        intCount = 1;
    } else {
        bool roundUp = keep < digits.size() && digits.at(keep) >= QLatin1Char('5');
        if (keep < digits.size()) digits.truncate(keep);
        while (digits.size() < keep)
            digits.append(QLatin1Char('0'));
        for (qsizetype i = digits.size() - 1; roundUp && i >= 0; --i) {
            if (digits.at(i) == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
            } else {
                digits[i] = QChar(digits.at(i).unicode() + 1);
                roundUp = false;
            }
        }
        if (roundUp) {
            digits.prepend(QLatin1Char('1'));
            ++intCount;
        }
    }
    if (intCount > 0) {
        integerPart = digits.left(intCount);
        fraction = digits.mid(intCount);
    } else {
        integerPart = QString();
        fraction = QString(-intCount, QLatin1Char('0')) + digits;
    }
    while (integerPart.size() > 1 && integerPart.at(0) == QLatin1Char('0'))
        integerPart.remove(0, 1);
    if (integerPart == QLatin1String("0")) integerPart.clear();
    fraction = fraction.left(decimals);
    while (fraction.size() < decimals)
        fraction.append(QLatin1Char('0'));
}

bool isPlaceholder(QChar c) {
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

}  // namespace

QString FormatNumber(double value, const QString& fullMask) {
    const QString mask = fullMask.section(QLatin1Char(';'), 0, 0);
    // Split the mask into literal text around one numeric field.
    QString prefix, suffix;
    QString field;
    bool inField = false, fieldDone = false, percent = false;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('"')) {
            const qsizetype end = mask.indexOf(QLatin1Char('"'), i + 1);
            const QString literal = mask.mid(i + 1, (end < 0 ? mask.size() : end) - i - 1);
            (inField || fieldDone ? suffix : prefix) += literal;
            if (inField) fieldDone = true, inField = false;
            i = end < 0 ? mask.size() : end;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < mask.size()) {
            if (inField) fieldDone = true, inField = false;
            (fieldDone ? suffix : prefix) += mask.at(++i);
            continue;
        }
        const bool numeric =
            isPlaceholder(c) || c == QLatin1Char('.') || (c == QLatin1Char(',') && inField);
        if (numeric && !fieldDone) {
            inField = true;
            field += c;
            continue;
        }
        if (c == QLatin1Char('%')) percent = true;
        if (inField) fieldDone = true, inField = false;
        (fieldDone ? suffix : prefix) += c;
    }
    if (percent) value *= 100.0;

    const qsizetype point = field.indexOf(QLatin1Char('.'));
    const QString intMask = point < 0 ? field : field.left(point);
    const QString fracMask = point < 0 ? QString() : field.mid(point + 1);
    const bool thousands = intMask.contains(QLatin1Char(','));
    const int minInt = static_cast<int>(intMask.count(QLatin1Char('0')));
    int decimals = 0;
    for (QChar c : fracMask)
        if (isPlaceholder(c)) ++decimals;

    QString integerPart, fraction;
    roundedDigits(value, decimals, integerPart, fraction);
    // Trailing "#" places drop their zeros; "0" places keep them.
    int required = decimals;
    for (qsizetype i = fracMask.size() - 1; i >= 0 && fracMask.at(i) != QLatin1Char('0'); --i)
        if (fracMask.at(i) == QLatin1Char('#')) --required;
    while (fraction.size() > required && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (integerPart.size() < minInt)
        integerPart.prepend(QLatin1Char('0'));
    if (thousands) {
        for (qsizetype i = integerPart.size() - 3; i > 0; i -= 3)
            integerPart.insert(i, QLatin1Char(','));
    }
    const bool zero = integerPart.count(QLatin1Char('0')) + integerPart.count(QLatin1Char(',')) ==
                          integerPart.size() &&
                      fraction.count(QLatin1Char('0')) == fraction.size();
    QString number = integerPart;
    if (point >= 0) number += QLatin1Char('.') + fraction;
    if (field.isEmpty()) number.clear();
    const bool negative = value < 0.0 && !zero;
    return (negative ? QStringLiteral("-") : QString()) + prefix + number + suffix;
}

QString ShortDatePattern(const QLocale& locale) {
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

namespace {

// The time with seconds as the locale writes it: its short time pattern with the seconds
// added after the minutes ("H:mm" -> "H:mm:ss", "h:mm AP" -> "h:mm:ss AP").
QString longTimePattern(const QLocale& locale) {
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    pattern.remove(QLatin1Char('t'));
    pattern = pattern.trimmed();
    if (!pattern.contains(QLatin1Char('s'))) {
        const qsizetype minutes = pattern.indexOf(QLatin1String("mm"));
        if (minutes >= 0)
            pattern.insert(minutes + 2, QLatin1String(":ss"));
        else
            pattern += QLatin1String(":ss");
    }
    return pattern;
}

QString shortTimePattern(const QLocale& locale) {
    QString pattern = locale.timeFormat(QLocale::ShortFormat);
    pattern.remove(QLatin1Char('t'));
    return pattern.trimmed();
}

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

namespace {

// The date and time patterns of the last locale asked for: a table writes thousands of
// dates in one locale.
struct GeneralPatterns {
    QLocale locale;
    QString date, time;
};

const GeneralPatterns& generalPatterns(const QLocale& locale) {
    thread_local std::optional<GeneralPatterns> cached;
    if (!cached || !(cached->locale == locale))
        cached = GeneralPatterns{locale, ShortDatePattern(locale), longTimePattern(locale)};
    return *cached;
}

}  // namespace

QString GeneralDate(OleDate date, const QLocale& locale) {
    const qint64 day = date.dayNumber();
    const int secs = date.secondsOfDay();
    const GeneralPatterns& patterns = generalPatterns(locale);
    QStringList parts;
    // Day 0 shows as its time alone, midnight included, as Basic prints an empty date.
    if (day != 0) parts << locale.toString(date.date(), patterns.date);
    if (secs != 0 || day == 0) parts << locale.toString(date.time(), patterns.time);
    return parts.join(QLatin1Char(' '));
}

QString MediumDate(OleDate date, const QLocale& locale) {
    // Day, the month's short name and a two-digit year; in Japanese the numeric year first.
    if (locale.language() == QLocale::Japanese)
        return locale.toString(date.date(), QStringLiteral("yy-MM-dd"));
    return locale.toString(date.date(), QStringLiteral("dd-MMM-yy"));
}

QString FormatDate(OleDate date, const QString& mask, const QLocale& locale) {
    if (mask.compare(QLatin1String("General Date"), Qt::CaseInsensitive) == 0 || mask.isEmpty())
        return GeneralDate(date, locale);
    if (mask.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0)
        return locale.toString(date.date(), ShortDatePattern(locale));
    if (mask.compare(QLatin1String("Long Date"), Qt::CaseInsensitive) == 0)
        return locale.toString(date.date(), QLocale::LongFormat);
    if (mask.compare(QLatin1String("Medium Date"), Qt::CaseInsensitive) == 0)
        return MediumDate(date, locale);
    if (mask.compare(QLatin1String("Long Time"), Qt::CaseInsensitive) == 0)
        return locale.toString(date.time(), longTimePattern(locale));
    if (mask.compare(QLatin1String("Short Time"), Qt::CaseInsensitive) == 0)
        return locale.toString(date.time(), shortTimePattern(locale));

    const QDate d = date.date();
    const QTime t = date.time();
    const bool twelveHour = mask.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive) ||
                            mask.contains(QLatin1String("A/P"), Qt::CaseInsensitive);
    int hour = t.hour();
    if (twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;

    QString out;
    bool afterHour = false;
    auto run = [&](qsizetype i, QChar c) {
        qsizetype n = 0;
        while (i + n < mask.size() && mask.at(i + n).toLower() == c)
            ++n;
        return n;
    };
    for (qsizetype i = 0; i < mask.size();) {
        const QChar c = mask.at(i);
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"')) {
            const qsizetype end = mask.indexOf(QLatin1Char('"'), i + 1);
            out += mask.mid(i + 1, (end < 0 ? mask.size() : end) - i - 1);
            i = end < 0 ? mask.size() : end + 1;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < mask.size()) {
            out += mask.at(i + 1);
            i += 2;
            continue;
        }
        if (mask.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            const bool upper = c.isUpper();
            QString ampm = t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            out += upper ? ampm : ampm.toLower();
            i += 5;
            continue;
        }
        if (mask.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            QString ap = t.hour() < 12 ? QStringLiteral("A") : QStringLiteral("P");
            out += c.isUpper() ? ap : ap.toLower();
            i += 3;
            continue;
        }
        const qsizetype n = run(i, lc);
        if (lc == QLatin1Char('y')) {
            out += n >= 3 ? QString::number(d.year()) : twoDigits(d.year() % 100);
            afterHour = false;
        } else if (lc == QLatin1Char('m')) {
            if (afterHour && n <= 2) {
                out += n == 2 ? twoDigits(t.minute()) : QString::number(t.minute());
            } else if (n >= 4) {
                out += locale.monthName(d.month(), QLocale::LongFormat);
            } else if (n == 3) {
                out += locale.monthName(d.month(), QLocale::ShortFormat);
            } else {
                out += n == 2 ? twoDigits(d.month()) : QString::number(d.month());
            }
            afterHour = false;
        } else if (lc == QLatin1Char('d')) {
            if (n >= 4) {
                out += locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
            } else if (n == 3) {
                out += locale.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            } else {
                out += n == 2 ? twoDigits(d.day()) : QString::number(d.day());
            }
            afterHour = false;
        } else if (lc == QLatin1Char('h')) {
            out += n >= 2 ? twoDigits(hour) : QString::number(hour);
            afterHour = true;
        } else if (lc == QLatin1Char('n')) {
            out += n >= 2 ? twoDigits(t.minute()) : QString::number(t.minute());
            afterHour = false;
        } else if (lc == QLatin1Char('s')) {
            out += n >= 2 ? twoDigits(t.second()) : QString::number(t.second());
            afterHour = false;
        } else {
            out += c;
            i += 1;
            continue;
        }
        i += n;
    }
    return out;
}

}  // namespace rt
