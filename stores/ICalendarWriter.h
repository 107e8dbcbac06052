// One calendar item as an RFC 5545 calendar object.
#pragma once

#include "items/Calendar.h"

#include <ctime>
#include <string>

namespace linecal {

// Timed dates are written in ICU's default time zone, with that zone's definition (trimmed to
// 1970 onwards) under its plain Olson name; zones libical does not know are written in UTC.
// All-day events become dates, the end exclusive. `stamp` is the DTSTAMP. The item needs a uid.
std::string toICalendar(const CalendarItem& item, std::time_t stamp);

}  // namespace linecal
