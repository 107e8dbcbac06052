// The calendars as the user chooses among them: under the heading of their account, the first
// heading always naming this computer.
#pragma once

#include "items/CalendarStore.h"

#include <optional>
#include <vector>

namespace linecal {

inline constexpr char16_t kFirstCalendarHeading[] = u"On This Computer";

struct CalendarMenuEntry {
    enum class Kind { Heading, Separator, Calendar };
    Kind kind;
    icu::UnicodeString text;  // the heading, or two spaces and the calendar's title
    CalendarRef calendar;     // calendar entries only
    bool enabled = false;     // calendar entries that can be written to
    bool selected = false;
};

// In the store's order. A heading is added where a calendar's heading differs from the one
// listed before it; a separator goes before every heading but the first. With BusyCal as the
// calendar program only local calendars are listed.
std::vector<CalendarMenuEntry> calendarMenu(const std::vector<CalendarRef>& calendars,
                                            const std::optional<icu::UnicodeString>& selectedUID,
                                            const icu::UnicodeString& calAppName);

}  // namespace linecal
