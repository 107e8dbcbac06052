// Naming the account a calendar belongs to, and finding calendars by typed name.
#pragma once

#include "items/CalendarStore.h"

#include <map>

namespace linecal {

// Lower-case calendar title to calendar.
using CalendarLookup = std::map<icu::UnicodeString, CalendarRef>;

icu::UnicodeString typeForCalendar(const Calendar& calendar);
// `calendar` may be null.
icu::UnicodeString headingForCalendar(const Calendar* calendar);
// `calAppName` is the calendar application ("iCal" or "BusyCal"); BusyCal sees local calendars only.
CalendarLookup calendarLookup(const CalendarStore& store, const icu::UnicodeString& calAppName);

}  // namespace linecal
