// Unsaved events and tasks from a parsed entry record.
#pragma once

#include "items/CalendarStore.h"
#include "parse/ParsedEntry.h"

#include <memory>

namespace linecal {

// The calendar named in the record is looked up in `store` as `calendarLookup` does.
std::unique_ptr<CalendarItem> ZQitemFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                             const icu::UnicodeString& calAppName);
std::unique_ptr<Event> ZQeventFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                       const icu::UnicodeString& calAppName);
std::unique_ptr<Task> ZQtaskFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                     const icu::UnicodeString& calAppName);

}  // namespace linecal
