// Finding an account's calendars: the well-known address, the user's principal, the calendar
// home and one PROPFIND of the home's members.
#pragma once

#include "items/CalendarStore.h"
#include "stores/ServerStore.h"
#include "stores/caldav/HttpSession.h"

#include <optional>
#include <string>
#include <vector>

namespace linecal {

// The calendars of the account, sorted by path; nothing, with `error` set, when the server
// cannot be asked or does not answer as a CalDAV server.
std::optional<std::vector<ServerCalendar>> discoverCalendars(HttpSession& session, const Account& account,
                                                             StoreError* error);

}  // namespace linecal
