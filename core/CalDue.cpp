#include "core/CalDue.h"

#include "core/ModMain.h"
#include "runtime/Color.h"
#include "runtime/Convert.h"
#include "runtime/Format.h"

namespace core {

namespace {

enum Text : int { TextNow = 5637, TextRemaining = 5638 };

bool plausible(rt::OleDate date) {
    return date.value() > 0 && date.year() >= 2000;
}

}  // namespace

namespace {

CalDueInfo dueAt(rt::OleDate calibrationDate, int32_t calLimit, rt::OleDate moment) {
    const double due = calibrationDate.value() + calLimit;
    const double now = moment.value();
    if (due < now) return {CalDue::Overdue, 0};
    const int32_t days = rt::CLng(due - now);
    return {days < LimitDays ? CalDue::DueSoon : CalDue::Valid, days};
}

}  // namespace

CalDueInfo CalDueOf(rt::OleDate calibrationDate, int32_t calLimit) {
    return CalDueOf(calibrationDate, calLimit, rt::OleDate::now());
}

CalDueInfo CalDueOf(rt::OleDate calibrationDate, int32_t calLimit, rt::OleDate now) {
    if (!plausible(calibrationDate)) return {};
    return dueAt(calibrationDate, calLimit, now);
}

CalDueInfo CalDueOfAnyDate(rt::OleDate calibrationDate, int32_t calLimit) {
    return dueAt(calibrationDate, calLimit, rt::OleDate::now());
}

QString FormatValidDate(rt::OleDate date) {
    return plausible(date) ? rt::GeneralDate(date) : QString();
}

int32_t CalDueColor(const CalDueInfo& due) {
    switch (due.state) {
        case CalDue::Overdue:
            return rt::RGB(255, 0, 0);
        case CalDue::DueSoon:
            return rt::RGB(255, 128, 0);
        default:
            return 0;
    }
}

QString CalDueText(const CalDueInfo& due) {
    switch (due.state) {
        case CalDue::None:
            return QString();
        case CalDue::Overdue:
            return LoadResText(TextNow);
        default:
            return LoadResText(TextRemaining, {QString::number(due.remainingDays)});
    }
}

}  // namespace core
