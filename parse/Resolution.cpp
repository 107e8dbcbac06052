// Combines what the phases read into start, end and the all-day flag. The rules
// run in a fixed order; later rules see what earlier ones set.
#include "parse/DateContext.h"
#include "parse/DateHelpers.h"
#include "parse/ParseState.h"

#include <cmath>
#include <limits>

namespace linecal {
namespace {

bool given(double time) { return time != NoTime; }

Date wholeSeconds(Date d) { return Date{std::trunc(d.seconds)}; }

std::int32_t truncated32(double v) {
    if (!(v > std::numeric_limits<std::int32_t>::min())) return std::numeric_limits<std::int32_t>::min();
    if (!(v < std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

// A typed year stays with its explicit date only while that date holds the
// start or end; whatever replaces it (weekday, today, tomorrow, offset) has none.
void placeDays(ParseState& st) {
    if (st.startDate && given(st.startTime)) st.startDate = *st.startDate + st.startTime;
    if (st.endDate && given(st.endTime)) st.endDate = *st.endDate + st.endTime;
    if (st.firstWeekday) {
        Date d = given(st.startTime) ? *st.firstWeekday + st.startTime : *st.firstWeekday;
        st.startDate = wholeSeconds(d);
        st.startYearGiven = st.startDayTyped = false;
    }
    if (st.secondWeekday) {
        Date d = given(st.endTime) ? *st.secondWeekday + st.endTime : *st.secondWeekday;
        st.endDate = wholeSeconds(d);
        st.endYearGiven = st.endDayTyped = false;
        if (st.firstWeekday && st.startDate && *st.endDate < *st.startDate) st.endDate = addOneWeek(*st.endDate);
    }
    if (st.todayDate) {
        st.startDate = given(st.startTime) ? noon(st.now) + st.startTime : *st.todayDate;
        st.startYearGiven = st.startDayTyped = false;
    }
    if (st.tomorrowDate) {
        Date d = given(st.startTime) ? *st.tomorrowDate + st.startTime : *st.tomorrowDate;
        if (!st.startDate) {
            st.startDate = d;
        } else {
            st.endDate = d;
            st.endYearGiven = st.endDayTyped = false;
        }
    }
    if (!st.startDate && given(st.startTime)) st.startDate = noon(st.now) + st.startTime;
    if (!st.endDate && given(st.endTime) && st.startDate) {
        st.endDate = noon(*st.startDate) + st.endTime;
        st.endDayTyped = st.startDayTyped;
    }
}

bool allDayFlag(const ParseState& st) {
    std::int32_t k = truncated32(st.offset);
    if (k != 0) return k % 86400 == 0 && !given(st.startTime);
    return st.startDate && !given(st.startTime) && !given(st.endTime);
}

void applyOffset(ParseState& st) {
    if (st.offset == 0) return;
    st.startDate = st.endDate = st.now + st.offset;
    st.startYearGiven = st.endYearGiven = st.startDayTyped = st.endDayTyped = false;
    if (given(st.startTime)) st.startDate = st.endDate = noon(*st.startDate) + st.startTime;
    if (given(st.endTime)) st.endDate = noon(*st.startDate) + st.endTime;
}

// Times of today that have passed mean tomorrow, unless the line named today's
// date (the preview shows it in the past, where the user put it); days that
// have passed mean next year, unless the user typed the year. Today here runs from its own
// midnight: "12am" typed after midnight is a passed time of today and moves a
// day, where the open interval of isThisDay leaves midnight out and so moved it
// a year.
void movePassed(ParseState& st, bool allDay) {
    // The same day as isThisDay's, with its first instant, found once.
    DateContext& ctx = DateContext::current();
    const DateFields f = ctx.fields(st.now.seconds);
    const double midnight = ctx.fromFields(f.year, f.month, f.day, 0, 0);
    const double nextMidnight = ctx.fromFields(f.year, f.month, f.day + 1, 0, 0);
    auto today = [&](Date d) { return d.seconds >= midnight && d.seconds < nextMidnight; };
    auto passedToday = [&](const std::optional<Date>& d) { return d && today(*d) && isBefore(*d, st.now); };
    auto passedDay = [&](const std::optional<Date>& d) { return d && !today(*d) && isBefore(*d, st.now); };
    // A weekday named on its own day means that day of next week once its time
    // has passed ("Standup Monday at 9am" on Monday afternoon); the end of the
    // same day goes with it.
    const bool weekdayStart = st.firstWeekday && !st.todayDate && st.offset == 0;
    if (passedToday(st.startDate) && !allDay && weekdayStart) {
        st.startDate = addOneWeek(*st.startDate);
        if (st.endDate && today(*st.endDate)) st.endDate = addOneWeek(*st.endDate);
    }
    if (passedToday(st.startDate) && !allDay && !st.passedTodayStays && !st.startDayTyped)
        st.startDate = addOneDay(*st.startDate);
    if (passedToday(st.endDate) && !st.passedTodayStays && !st.endDayTyped) st.endDate = addOneDay(*st.endDate);
    if (passedDay(st.startDate) && !st.startYearGiven) {
        st.startBeforeYearMove = st.startDate;
        st.startDate = addOneYear(*st.startDate);
    }
    if (passedDay(st.endDate) && !st.endYearGiven) {
        st.endBeforeYearMove = st.endDate;
        st.endDate = addOneYear(*st.endDate);
    }
}

}  // namespace

void resolveDates(ParseState& st) {
    placeDays(st);
    bool allDay = allDayFlag(st);
    applyOffset(st);
    movePassed(st, allDay);
    if (st.startDate && st.endDate && *st.endDate < *st.startDate) st.endDate = st.startDate;
    if (!st.startDate) {
        st.startDate = aboutAnHour(st.now);
        // An end kept without a start (the first date was unreadable) must not
        // end up before the default start.
        if (st.endDate && *st.endDate < *st.startDate) st.endDate = st.startDate;
    }
    st.record.allDay = allDay;
    st.record.fromDate = *st.startDate;
    st.record.toDate = (st.endDate ? *st.endDate : *st.startDate) + st.duration;
}

}  // namespace linecal
