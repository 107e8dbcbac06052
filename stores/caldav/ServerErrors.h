// What goes wrong talking to a calendar server, worded so the user knows what to do next.
#pragma once

#include "items/CalendarStore.h"
#include "stores/Accounts.h"
#include "stores/caldav/HttpSession.h"

#include <string>

namespace linecal::errors {

// A reply that was not what was asked for: no answer, a refusal or a server fault. `title` is
// the calendar being written, empty while listing calendars.
StoreError serverFailed(const Account& account, const HttpResponse& response, const icu::UnicodeString& title = {});
// A reply that does not read as CalDAV.
StoreError malformedReply(const Account& account, const std::string& why);
// The account's password could not be had.
StoreError noPassword(const Account& account, const std::string& why);
StoreError notCalDav(const Account& account);
StoreError serverReadOnly(const Account& account, const icu::UnicodeString& title);
StoreError noTasks(const Account& account, const icu::UnicodeString& title);
StoreError noEvents(const Account& account, const icu::UnicodeString& title);
StoreError serverCalendarGone(const Account& account, const icu::UnicodeString& title);
StoreError namesTaken(const Account& account, const icu::UnicodeString& title);
// A reply named an address off the account's scheme, host and port.
StoreError foreignAddress(const Account& account, const std::string& url);
// The PUT went out and no answer said what became of it; `uid` is the identifier it carried.
StoreError outcomeUnknown(const Account& account, const HttpResponse& response, const icu::UnicodeString& title,
                          const icu::UnicodeString& uid);
// The server said it took the item (HTTP `status`) but a look for it finds nothing.
StoreError notStored(const Account& account, long status, const icu::UnicodeString& title);

}  // namespace linecal::errors
