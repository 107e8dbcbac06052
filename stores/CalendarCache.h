// The calendar list of each account as last discovered, kept under $XDG_CACHE_HOME/linecal/ so
// that listing calendars never waits for the network and works while a server is down.
#pragma once

#include "stores/ServerStore.h"

#include <chrono>
#include <ctime>
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
// When the cached list was last written, that is, when the server last gave it; nothing without one.
std::optional<std::time_t> cachedListTime(const std::filesystem::path& folder, const Account& account);

// A refresh that failed is remembered for a while, so that runs in that while do not each wait
// out the time limit again: the error it gave, when it failed less than `maxAge` before `now`.
std::optional<StoreError> readFailedRefresh(const std::filesystem::path& folder, const Account& account,
                                            std::time_t now, std::chrono::seconds maxAge);
// Writing the list again (a refresh that worked) forgets the failure.
void writeFailedRefresh(const std::filesystem::path& folder, const Account& account, std::time_t now,
                        const StoreError& error);

// The calendar the rest of linecal sees for a server calendar: type CalDAV, the account's address
// as notes, and the identifier "account:path".
CalendarRef calendarFor(const Account& account, const ServerCalendar& calendar);

}  // namespace linecal
