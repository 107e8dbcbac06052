// Finding an account's calendars: the well-known address, the user's principal, the calendar
// home and one PROPFIND of the home's members.
#pragma once

#include "items/CalendarStore.h"
#include "stores/Accounts.h"
#include "stores/HttpSession.h"

#include <optional>
#include <string>
#include <vector>

namespace linecal {

struct ServerCalendar {
    std::string url;   // absolute, ending in '/'
    std::string path;  // the URL's path: what identifies it within the account
    std::string title;
    std::string color;                    // "#RRGGBB[AA]" or empty
    std::vector<std::string> components;  // empty when the server does not say: anything goes
    bool writable = true;

    bool holds(const std::string& component) const;
};

// The calendars of the account, sorted by path; nothing, with `error` set, when the server
// cannot be asked or does not answer as a CalDAV server.
std::optional<std::vector<ServerCalendar>> discoverCalendars(HttpSession& session, const Account& account,
                                                             StoreError* error);

}  // namespace linecal
