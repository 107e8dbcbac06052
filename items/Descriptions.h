// The two preview lines of an item, worded with the default locale's short date and time styles
// in ICU's default time zone.
#pragma once

#include "items/Calendar.h"

namespace linecal {

// `now` only matters for the example line an untitled event shows.
icu::UnicodeString ZQeventLine(const CalendarItem& item, Date now);
icu::UnicodeString ZQalarmLine(const CalendarItem& item);
// What the alarm line says instead, in red, when the entry holds a date that names no day
// ("Feb 30 is not a date"); empty when there is nothing to warn of.
icu::UnicodeString ZQwarningLine(const CalendarItem& item);
// The quiet line under the preview that offers a line's other reading: its dates as the
// preview words them ("or 12/5/10, 3:00 PM?", "or 3/12/10 to 3/15/10?"), with the title
// in front only where the other reading cuts the line differently.
icu::UnicodeString ZQotherReadingLine(const CalendarItem& other, const CalendarItem& item);
// The event line, and the alarm line after a blank when the item has alarms.
icu::UnicodeString ZQdescription(const CalendarItem& item, Date now);

}  // namespace linecal
