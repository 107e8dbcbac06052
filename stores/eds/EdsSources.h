// The registry's calendars and task lists as linecal's calendars: the display name, the source
// UID as identifier, the kind of calendar from the backend and, for an account's calendars, the
// account's address as notes (what the headings and the account rules read).
#pragma once

#include "items/Calendar.h"

#include <libedataserver/libedataserver.h>

#include <string>
#include <vector>

namespace linecal::eds {

struct Source {
    CalendarRef calendar;
    bool tasks = false;   // a task list; otherwise a calendar of events
    std::string account;  // the parent source's UID (the account), empty when none
};

// Every enabled calendar and task list: local ones first, then by account; within an account the
// calendars, then the task lists, each EDS's default first, then by title.
std::vector<Source> listSources(ESourceRegistry* registry);

// The calendar type a backend gives, and whether its calendars take no new items.
icu::UnicodeString typeOfBackend(const std::string& backend);
bool backendIsReadOnly(const std::string& backend);

}  // namespace linecal::eds
