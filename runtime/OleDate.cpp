#include "runtime/OleDate.h"

#include <cmath>

namespace rt {

QDate oleEpoch() {
    return QDate(1899, 12, 30);
}

OleDate OleDate::fromDateTime(const QDate& date, const QTime& time) {
    const qint64 days = oleEpoch().daysTo(date);
    const int secs = time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0;
    const double fraction = secs / 86400.0;
    return OleDate(days >= 0 ? static_cast<double>(days) + fraction
                             : static_cast<double>(days) - fraction);
}

OleDate OleDate::fromDateTime(const QDateTime& dateTime) {
    return fromDateTime(dateTime.date(), dateTime.time());
}

std::optional<OleDate> OleDate::fromCivil(int year, int month, int day, int hour, int minute,
                                          int second) {
    const QDate d(year, month, day);
    if (!d.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59)
        return std::nullopt;
    return fromDateTime(d, QTime(hour, minute, second));
}

namespace {

std::optional<OleDate>& fixedNow() {
    static std::optional<OleDate> now;
    return now;
}

}  // namespace

FixedClock::FixedClock(OleDate now) : before_(fixedNow()) {
    fixedNow() = now;
}

FixedClock::~FixedClock() {
    fixedNow() = before_;
}

void FixedClock::set(OleDate now) {
    fixedNow() = now;
}

OleDate OleDate::now() {
    if (fixedNow()) return *fixedNow();
    const QDateTime n = QDateTime::currentDateTime();
    return fromDateTime(n.date(), QTime(n.time().hour(), n.time().minute(), n.time().second()));
}

OleDate OleDate::DateSerial(int year, int month, int day) {
    const int months = year * 12 + (month - 1);
    const QDate first(months / 12 - (months < 0 && months % 12 ? 1 : 0),
                      ((months % 12) + 12) % 12 + 1, 1);
    return fromDateTime(first.addDays(day - 1), QTime(0, 0));
}

OleDate OleDate::addMonths(int months) const {
    const double whole = std::trunc(value_);
    const QDate epoch(1899, 12, 30);
    const QDate moved = epoch.addDays(static_cast<qint64>(whole)).addMonths(months);
    return OleDate(static_cast<double>(epoch.daysTo(moved)) + (value_ - whole));
}

OleDate OleDate::addSeconds(qint64 seconds) const {
    // A civil clock without a time zone counts every day as 86 400 seconds, so the sum is
    // plain arithmetic on whole seconds (a trend's every sample time is one of these, so it
    // must be cheap). Far outside the calendar of any stored date the calendar's own
    // arithmetic decides, as it always did.
    constexpr double Days = 3000000.0;
    constexpr qint64 Seconds = 3000000LL * 86400;
    if (!(std::fabs(value_) < Days) || seconds > Seconds || seconds < -Seconds)
        return fromDateTime(toDateTime().addSecs(seconds));
    qint64 days;
    int secs;
    split(days, secs);
    const qint64 total = days * 86400 + secs + seconds;
    qint64 day = total / 86400;
    qint64 second = total % 86400;
    if (second < 0) {
        second += 86400;
        --day;
    }
    const double fraction = static_cast<int>(second) / 86400.0;
    return OleDate(day >= 0 ? static_cast<double>(day) + fraction
                            : static_cast<double>(day) - fraction);
}

void OleDate::split(qint64& days, int& seconds) const {
    const double whole = std::trunc(value_);
    days = static_cast<qint64>(whole);
    seconds = static_cast<int>(std::llround(std::fabs(value_ - whole) * 86400.0));
    if (seconds >= 86400) {
        // Rounding carried the time into the next calendar day.
        seconds -= 86400;
        days += 1;
    }
}

qint64 OleDate::dayNumber() const {
    qint64 d;
    int s;
    split(d, s);
    return d;
}

int OleDate::secondsOfDay() const {
    qint64 d;
    int s;
    split(d, s);
    return s;
}

QDate OleDate::date() const {
    return oleEpoch().addDays(dayNumber());
}

QTime OleDate::time() const {
    return QTime(0, 0).addSecs(secondsOfDay());
}

// Civil time without a time zone: UTC never skips or repeats an hour.
QDateTime OleDate::toDateTime() const {
    return QDateTime(date(), time(), Qt::UTC);
}

}  // namespace rt
