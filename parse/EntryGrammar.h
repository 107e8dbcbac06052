// What an entry line may hold besides its title: the rows every help text shows.
#pragma once

#include <array>

namespace linecal {

struct GrammarRow {
    const char* phrases;  // examples of the phrase, as typed
    const char* meaning;
};

inline constexpr std::array<GrammarRow, 11> kEntryGrammarRows{{
    {"todo, task", "make a to-do instead of an event"},
    {"@15m @2h @1d @1w", "up to three alarms before the start"},
    {"[Work]", "the calendar to save into"},
    {"May 5th, 5 May, 5/12", "up to two dates (numeric in your locale's order)"},
    {"4pm, 10:30am, 1630", "up to two times; a passed time means tomorrow"},
    {"Fri, next Monday", "up to two weekdays"},
    {"today, tomorrow", "the day"},
    {"for 2 hours", "a duration"},
    {"in 3 days, +3d", "an offset from now"},
    {"at Cafe Rio", "the location (after the first lone \"at\")"},
    {"every Monday, daily", "a repeating item (every other week, until 6/30, 10 times)"},
}};

}  // namespace linecal
