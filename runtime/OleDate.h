#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <compare>
#include <optional>

namespace rt {

// A Basic Date: days since 1899-12-30 00:00 as a double, the time of day as the fraction.
// Negative values keep a positive time fraction: -1.25 is 1899-12-29 06:00.
class OleDate {
  public:
    constexpr OleDate() = default;
    constexpr explicit OleDate(double value) : value_(value) {}

    // Built from whole seconds so that one civil time always gives the same bits.
    static OleDate fromDateTime(const QDateTime& dateTime);
    static OleDate fromDateTime(const QDate& date, const QTime& time);
    // DateSerial + TimeSerial; nullopt when a part is out of range.
    static std::optional<OleDate> fromCivil(int year, int month, int day, int hour = 0,
                                            int minute = 0, int second = 0);
    static OleDate now();
    // DateSerial: month and day out of range roll over as the Basic runtime does
    // (month 13 is January of the next year, day 0 the last day of the month before).
    static OleDate DateSerial(int year, int month, int day);
    // Whether `days` is a Date of the years 100 to 9999 (the range a Date can hold).
    static constexpr bool inDateRange(double days) { return days >= -657434.0 && days < 2958466.0; }

    // The date some calendar months later or earlier (DateAdd "m"): the day is kept, or the
    // month's last day when the month is shorter; the time of day stays as it is.
    OleDate addMonths(int months) const;
    // The date plus whole seconds (DateAdd "s"), built anew from whole seconds.
    OleDate addSeconds(qint64 seconds) const;

    constexpr double value() const { return value_; }
    QDate date() const;
    QTime time() const;
    // The civil date and time (as a UTC QDateTime, so no hour is skipped or repeated).
    QDateTime toDateTime() const;

    int year() const { return date().year(); }
    int month() const { return date().month(); }
    int day() const { return date().day(); }
    int hour() const { return time().hour(); }
    int minute() const { return time().minute(); }
    int second() const { return time().second(); }

    // Whole days of the date part (0 for 1899-12-30) and seconds of the time part.
    qint64 dayNumber() const;
    int secondsOfDay() const;

    friend constexpr bool operator==(OleDate a, OleDate b) { return a.value_ == b.value_; }
    friend constexpr auto operator<=>(OleDate a, OleDate b) { return a.value_ <=> b.value_; }

  private:
    void split(qint64& days, int& seconds) const;
    double value_ = 0.0;
};

// The clock `OleDate::now` reads: the system's, unless one of these fixes it for as long as it
// lives (tests of everything that depends on the present moment).
class FixedClock {
  public:
    explicit FixedClock(OleDate now);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
    void set(OleDate now);

  private:
    std::optional<OleDate> before_;
};

// The date of OLE day 0.
QDate oleEpoch();

}  // namespace rt
