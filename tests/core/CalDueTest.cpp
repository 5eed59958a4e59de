#include <gtest/gtest.h>

#include "core/CalDue.h"
#include "core/ModMain.h"
#include "runtime/Color.h"
#include "runtime/Format.h"
#include "tests/support/GlobalsSnapshot.h"

namespace {

constexpr int32_t Red = rt::RGB(255, 0, 0);
constexpr int32_t Orange = rt::RGB(255, 128, 0);

TEST(CalDue, AroundTheDueSoonThresholdAndTheDueMoment) {
    testsupport::GlobalsSnapshot globals;
    core::LimitDays = 30;
    const rt::OleDate now = *rt::OleDate::fromCivil(2026, 6, 15, 12, 0, 0);
    const rt::FixedClock clock(now);
    // Calibrated `back` days before now with an interval of 180 days: due 180 - back days on.
    struct Case {
        double back;
        int32_t calLimit;
        const char* text;
        int32_t colour;
    };
    const std::vector<Case> cases = {
        {180 - 29.4, 180, "Remaining 29 Days", Orange},
        {180 - 30.6, 180, "Remaining 31 Days", 0},
        {180 - 29.5, 180, "Remaining 30 Days", 0},  // halves go to the even number
        {180 - 28.5, 180, "Remaining 28 Days", Orange},
        {180 - 30.5, 180, "Remaining 30 Days", 0},
        {180.0, 180, "Remaining 0 Days", Orange},  // due this very moment
        {180 + 1.0 / 24, 180, "Now", Red},         // an hour past due
        {0.25, 0, "Now", Red},                     // no interval: always due
        {-2, 0, "Remaining 2 Days", Orange},       // a date ahead of the clock
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.back);
        const rt::OleDate calibrated(now.value() - c.back);
        EXPECT_EQ(core::CalDueText(core::CalDueOf(calibrated, c.calLimit)), c.text);
        EXPECT_EQ(core::CalDueColor(core::CalDueOf(calibrated, c.calLimit)), c.colour);
        EXPECT_EQ(core::FormatValidDate(calibrated), rt::GeneralDate(calibrated));
    }
}

TEST(CalDue, DatesBefore2000HaveNoDueState) {
    const rt::FixedClock clock(*rt::OleDate::fromCivil(2026, 6, 15));
    for (const rt::OleDate date :
         {rt::OleDate(), rt::OleDate(-5.5), *rt::OleDate::fromCivil(1999, 12, 31, 23, 59, 59)}) {
        EXPECT_EQ(core::FormatValidDate(date), "");
        EXPECT_EQ(core::CalDueText(core::CalDueOf(date, 180)), "");
        EXPECT_EQ(core::CalDueColor(core::CalDueOf(date, 180)), 0);
        EXPECT_EQ(core::CalDueOf(date, 180).state, core::CalDue::None);
    }
    const rt::OleDate first = *rt::OleDate::fromCivil(2000, 1, 1);
    EXPECT_EQ(core::CalDueText(core::CalDueOf(first, 180)), "Now");
}

// A moment given judges as the clock would at that moment, whatever the clock says now.
TEST(CalDue, AtAGivenMoment) {
    testsupport::GlobalsSnapshot globals;
    core::LimitDays = 30;
    const rt::OleDate moment = *rt::OleDate::fromCivil(2026, 6, 15, 12, 0, 0);
    const rt::FixedClock clock(*rt::OleDate::fromCivil(2030, 1, 1));
    for (const double back : {0.0, 100.0, 150.6, 179.4, 180.5, 400.0}) {
        SCOPED_TRACE(back);
        const rt::OleDate calibrated(moment.value() - back);
        const core::CalDueInfo at = core::CalDueOf(calibrated, 180, moment);
        core::CalDueInfo then;
        {
            const rt::FixedClock past(moment);
            then = core::CalDueOf(calibrated, 180);
        }
        EXPECT_EQ(at.state, then.state);
        EXPECT_EQ(at.remainingDays, then.remainingDays);
        EXPECT_EQ(core::CalDueOf(calibrated, 180).state, core::CalDue::Overdue);
    }
    EXPECT_EQ(core::CalDueOf(rt::OleDate(), 180, moment).state, core::CalDue::None);
}

}  // namespace
