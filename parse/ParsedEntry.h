// The record one parse of an entry line produces.
#pragma once

#include "parse/Date.h"
#include "parse/Recurrence.h"

#include <unicode/unistr.h>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace linecal {

// Key strings of the record, as its JSON form and its readers name them.
inline constexpr const char* VOK_TITLE = "VOK_TITLE";
inline constexpr const char* VOK_FROM_DATE = "VOK_FROM_DATE";
inline constexpr const char* VOK_TO_DATE = "VOK_TO_DATE";
inline constexpr const char* VOK_ALL_DAY = "VOK_ALL_DAY";
inline constexpr const char* VOK_TASK = "VOK_TASK";
inline constexpr const char* VOK_ALARMS = "VOK_ALARMS";
inline constexpr const char* VOK_CALENDAR = "VOK_CALENDAR";
inline constexpr const char* VOK_LOCATION = "VOK_LOCATION";
inline constexpr const char* VOK_READ = "VOK_READ";
inline constexpr const char* VOK_RECURRENCE = "VOK_RECURRENCE";
inline constexpr const char* VOK_ALTERNATIVES = "VOK_ALTERNATIVES";

// Alarm marker text (such as "15m") to minutes before the start.
using AlarmMap = std::map<icu::UnicodeString, std::int32_t>;

// The places where the reading chose between two meanings of what was typed.
enum class Choice : std::uint8_t {
    DateOrder,     // "5/12": day and month could be either way round
    NextWeekday,   // "next Friday": the coming one or the one a week later
    WeekdayToday,  // "Wednesday" typed on a Wednesday: today or a week on
    DotTime,       // "10.30": a date, or half past ten
    PassedDate,    // a date without a year that has passed: next year's, or this year's gone by
};

// One choice made: the text it read, and text that reads the other way
// without a choice, to put in its place.
struct ChoiceMade {
    Choice choice;
    icu::UnicodeString typed;
    icu::UnicodeString instead;
};

struct ParsedEntry {
    icu::UnicodeString title;  // always; may be empty
    Date fromDate;             // always
    Date toDate;               // always, never before fromDate
    bool allDay = false;
    bool task = false;
    AlarmMap alarms;                                // always, possibly empty
    std::optional<icu::UnicodeString> calendar;     // lower-cased tag text, only when tagged
    std::optional<icu::UnicodeString> location;     // only when " at " is followed by text
    std::vector<icu::UnicodeString> read;           // the everyday phrases read, as typed, in reading order
    std::optional<Recurrence> recurrence;           // only when the line repeats; the start is its first occurrence
    std::optional<icu::UnicodeString> notRepeated;  // why a repetition phrase made no rule
    std::vector<icu::UnicodeString> notDates;       // dates typed that name no day ("Feb 30"), left in the title
    std::vector<ChoiceMade> choices;                // where the reading chose; see parse/Alternatives.h
};

}  // namespace linecal
