// A repetition rule, in the terms of an iCalendar RRULE, and the days it gives
// (the same days libical gives for the rule as written to a file). Days and
// times are wall-clock times of the default zone: "every Monday at 9" stays at
// 9 across the clock changes.
#pragma once

#include "parse/Date.h"

#include <optional>
#include <string>
#include <vector>

namespace linecal {

struct Recurrence {
    enum class Frequency { Daily, Weekly, Monthly, Yearly };
    // A weekday (1 = Sunday .. 7 = Saturday), with its place in the month for a
    // monthly rule (1 to 5, or -1 for the last) or 0 for every one.
    struct Weekday {
        int ordinal = 0;
        int day = 0;
        bool operator==(const Weekday&) const = default;
    };
    struct Day {
        int year = 0, month = 0, day = 0;
        bool operator==(const Day&) const = default;
    };

    Frequency frequency = Frequency::Daily;
    int interval = 1;
    std::vector<Weekday> byDay;
    std::vector<int> byMonthDay;  // 1 to 31, or -1 for the last day
    std::vector<int> byMonth;     // 1 to 12
    std::optional<Day> until;     // the last day that may hold an occurrence
    std::optional<int> count;

    bool operator==(const Recurrence&) const = default;
};

// The RRULE value ("FREQ=WEEKLY;BYDAY=MO;WKST=MO"). UNTIL is a date for an
// all-day series, else the end of that day in the default zone, in UTC.
std::string rruleText(const Recurrence& rule, bool allDay);

// Up to `max` occurrences of a series that starts at `start` (an occurrence
// itself), in order, the start first.
std::vector<Date> occurrences(const Recurrence& rule, Date start, bool allDay, std::size_t max);

// The first day and time on the rule at or after `from`, keeping `from`'s time
// of day; nothing when the rule gives none within a few years.
std::optional<Date> firstOccurrence(const Recurrence& rule, Date from, bool allDay);

// How many occurrences fall before `end` (not counting it), from `start` on.
int occurrencesBefore(const Recurrence& rule, Date start, bool allDay, Date end);

}  // namespace linecal
