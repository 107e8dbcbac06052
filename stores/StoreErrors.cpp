#include "stores/StoreErrors.h"

#include "text/Utf8.h"

#include <cerrno>
#include <cstring>

namespace linecal::errors {
namespace {

icu::UnicodeString quoted(const icu::UnicodeString& title) { return icu::UnicodeString(u"“") + title + u"”"; }
icu::UnicodeString at(const std::string& folder) {
    return folder.empty() ? icu::UnicodeString() : u" (" + fromUtf8(folder) + u")";
}

}  // namespace

StoreError noCalendar() {
    StoreError error{u"The item has no calendar.",
                     u"Name a calendar in brackets, such as [Work], or choose a default calendar "
                     u"(`linecal calendars` lists them)."};
    error.kind = StoreError::Kind::NoCalendar;
    return error;
}

StoreError calendarGone(const icu::UnicodeString& title, const std::string& folder) {
    return {u"The calendar " + quoted(title) + u" does not exist" + at(folder) + u".",
            u"Choose another calendar, or restore the calendar's folder."};
}

StoreError readOnly(const icu::UnicodeString& title, const std::string& folder) {
    return {u"The calendar " + quoted(title) + u" is read-only" + at(folder) + u".",
            u"Choose a writable calendar, or make the calendar's folder writable."};
}

StoreError writeFailed(int errnum, const icu::UnicodeString& title, const std::string& folder) {
    StoreError error{u"Could not save into the calendar " + quoted(title) + at(folder) + u": " +
                         fromUtf8(std::strerror(errnum)) + u".",
                     {}};
    switch (errnum) {
        case ENOSPC:
        case EDQUOT:
            error.recoverySuggestion = u"Free some disk space, then add the item again.";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            error.recoverySuggestion = u"Make the calendar's folder writable, or choose another calendar.";
            break;
        case ENOENT:
        case ENOTDIR:
            error.recoverySuggestion = u"Choose another calendar, or restore the calendar's folder.";
            break;
        default:
            error.recoverySuggestion = u"Check the calendar's folder and the disk, then add the item again.";
    }
    return error;
}

StoreError emailWithoutAddress() {
    return {u"The e-mail alarm has no address.",
            u"Choose an address for e-mail alarms in the preferences, or another alarm type."};
}

bool alarmsComplete(const CalendarItem& item, StoreError* error) {
    for (const auto& alarm : item.alarms) {
        if (alarm && alarm->action == AlarmAction::Email && (!alarm->emailAddress || alarm->emailAddress->isEmpty())) {
            return fail(error, emailWithoutAddress());
        }
    }
    return true;
}

StoreError duplicateUID(const icu::UnicodeString& uid) {
    return {u"An item with the identifier " + uid + u" already exists.",
            u"Add the item again; it will get a new identifier."};
}

StoreError rootNotAFolder(const std::string& root) {
    StoreError error{u"The calendar folder " + fromUtf8(root) + u" is not a folder.",
                     u"Move what is there out of the way, or choose another folder for the calendars (--store)."};
    error.kind = StoreError::Kind::RootNotAFolder;
    error.path = root;
    return error;
}

StoreError accountsUnreadable(const std::string& why) {
    return {u"The accounts file cannot be read: " + fromUtf8(why) + u".",
            u"Fix or remove the file; linecal does not change it while it is damaged."};
}

StoreError calendarListUnknown(const std::string& host, const icu::UnicodeString& calendar, const StoreError& why) {
    icu::UnicodeString message = u"Could not reach " + fromUtf8(host) +
                                 u"; the list of its calendars is unknown, so [" + calendar + u"] was not found";
    if (!why.message.isEmpty()) {
        icu::UnicodeString reason = why.message;
        if (reason.endsWith(u".")) reason.truncate(reason.length() - 1);
        message += u": " + reason;
    }
    return {message + u".", u"Not saved: check the connection to " + fromUtf8(host) + u", then add it again."};
}

StoreError serversUnavailable(const std::string& why) {
    return {u"Server calendars are not available: " + fromUtf8(why) + u".",
            u"Reinstall linecal with its CalDAV module; the local calendars still work."};
}

namespace {
icu::UnicodeString sentence(const std::string& why) {
    icu::UnicodeString text = fromUtf8(why);
    if (text.endsWith(u".")) text.truncate(text.length() - 1);
    return text;
}
}  // namespace

StoreError desktopCalendarsUnreachable(const std::string& why) {
    return {u"The desktop's calendars (Evolution Data Server) are not available: " + sentence(why) + u".",
            u"They are listed again once Evolution Data Server runs; the other calendars work meanwhile."};
}

StoreError desktopSaveUnreachable(const icu::UnicodeString& title, const std::string& why) {
    return {u"Could not reach Evolution Data Server, which keeps the calendar " + quoted(title) + u": " +
                sentence(why) + u".",
            u"Not saved: start the desktop session's calendar service (log out and in again, or open Evolution or "
            u"GNOME Calendar once), then add the item again, or choose another calendar."};
}

StoreError desktopCalendarReadOnly(const icu::UnicodeString& title) {
    return {u"The calendar " + quoted(title) + u" is read-only in Evolution Data Server.",
            u"Not saved: choose a writable calendar."};
}

StoreError desktopSaveRefused(const icu::UnicodeString& title, const std::string& why) {
    return {u"Evolution Data Server did not save the item into " + quoted(title) + u": " + sentence(why) + u".",
            u"Not saved: check the calendar in the desktop's calendar program, then add the item again, or choose "
            u"another calendar."};
}

StoreError desktopSaveUnfinished(const icu::UnicodeString& title, const std::string& why, bool sent,
                                 const icu::UnicodeString& uid) {
    StoreError error{u"Evolution Data Server did not finish saving into " + quoted(title) + u": " + sentence(why) +
                         (sent ? u"; the item may have been saved." : u"."),
                     sent ? u"Look for the item in the calendar before adding it again."
                          : u"Not saved: add the item again once the desktop's calendar service answers."};
    error.outcomeUnknown = sent;
    if (sent) error.uid = uid;
    return error;
}

StoreError noCalendarOfKind(const icu::UnicodeString& title, bool tasks, const icu::UnicodeString& account) {
    const icu::UnicodeString where = account.isEmpty() ? icu::UnicodeString(u"this computer") : account;
    return {u"The calendar " + quoted(title) + (tasks ? u" holds events, not to-dos" : u" holds to-dos, not events") +
                u", and " + where +
                (tasks ? u" has no task list to take the to-do." : u" has no calendar to take the event."),
            tasks ? u"Name a task list in brackets, such as [Tasks], or add one in the desktop's calendar program."
                  : u"Name a calendar of events in brackets, such as [Work]."};
}

}  // namespace linecal::errors
