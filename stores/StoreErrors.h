// The errors stores report, worded once so every store tells the user the same thing.
#pragma once

#include "items/CalendarStore.h"

#include <string>

namespace linecal {

inline bool fail(StoreError* out, StoreError error) {
    if (out) *out = std::move(error);
    return false;
}

namespace errors {

StoreError noCalendar();
// `folder` may be empty for stores without folders.
StoreError calendarGone(const icu::UnicodeString& title, const std::string& folder);
StoreError readOnly(const icu::UnicodeString& title, const std::string& folder);
// A system call failed with `errnum` while writing into `folder`.
StoreError writeFailed(int errnum, const icu::UnicodeString& title, const std::string& folder);
StoreError emailWithoutAddress();
// False with an error when an alarm lacks what its action needs to be written.
bool alarmsComplete(const CalendarItem& item, StoreError* error);
StoreError duplicateUID(const icu::UnicodeString& uid);
// The folder that should hold the calendars is something else (a file, say).
StoreError rootNotAFolder(const std::string& root);
// The accounts file cannot be read.
StoreError accountsUnreadable(const std::string& why);
// The entry names `calendar`, which is in no list at hand, while the server at `host` could not
// be asked for its list; `why` is what asking it gave.
StoreError calendarListUnknown(const std::string& host, const icu::UnicodeString& calendar, const StoreError& why);
// The CalDAV module cannot be loaded.
StoreError serversUnavailable(const std::string& why);

// The desktop's calendars (Evolution Data Server). `why` is what EDS or the bus said.
StoreError desktopCalendarsUnreachable(const std::string& why);
StoreError desktopSaveUnreachable(const icu::UnicodeString& title, const std::string& why);
StoreError desktopCalendarReadOnly(const icu::UnicodeString& title);
StoreError desktopSaveRefused(const icu::UnicodeString& title, const std::string& why);
// The save did not end within `seconds`, or the daemon went away before it answered; `sent`:
// the item had gone out, so it may be stored under `uid`.
StoreError desktopSaveUnfinished(const icu::UnicodeString& title, const std::string& why, bool sent,
                                 const icu::UnicodeString& uid);
// A to-do (`tasks`) or an event aimed at a calendar of the other kind whose account has none
// of the right kind; `account` names the account, empty for this computer.
StoreError noCalendarOfKind(const icu::UnicodeString& title, bool tasks, const icu::UnicodeString& account);

}  // namespace errors
}  // namespace linecal
