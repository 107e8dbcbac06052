// The calendar list of each account as last discovered, kept under $XDG_CACHE_HOME/linecal/ so
// that listing calendars never waits for the network and works while a server is down.
#pragma once

#include "stores/ServerStore.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace linecal {

// $XDG_CACHE_HOME/linecal, or ~/.cache/linecal.
std::filesystem::path defaultCacheFolder();

// The cached list; nothing when there is none, it is damaged, or it was made for another
// address or user of the account. `basicAuth` tells whether the server asked for Basic
// authentication alone, so that the next run can send the password with its first request.
std::optional<std::vector<ServerCalendar>> readCachedCalendars(const std::filesystem::path& folder,
                                                               const Account& account, bool* basicAuth = nullptr);
// Replaces the cached list as a whole; false when it could not be written (the list still
// works, only the next start asks the server again).
bool writeCachedCalendars(const std::filesystem::path& folder, const Account& account,
                          const std::vector<ServerCalendar>& calendars, bool basicAuth = false);
void removeCachedCalendars(const std::filesystem::path& folder, const Account& account);

// The calendar the rest of linecal sees for a server calendar: type CalDAV, the account's address
// as notes, and the identifier "account:path".
CalendarRef calendarFor(const Account& account, const ServerCalendar& calendar);

}  // namespace linecal
