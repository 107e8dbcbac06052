#include "stores/caldav/ServerErrors.h"

#include "text/Utf8.h"

namespace linecal::errors {
namespace {

icu::UnicodeString quoted(const icu::UnicodeString& title) { return icu::UnicodeString(u"“") + title + u"”"; }
icu::UnicodeString host(const Account& a) { return fromUtf8(a.host()); }
icu::UnicodeString name(const Account& a) { return fromUtf8(a.name); }
icu::UnicodeString what(const icu::UnicodeString& title) {
    return title.isEmpty() ? icu::UnicodeString(u"the calendar list") : u"the calendar " + quoted(title);
}

StoreError noAnswer(const Account& account, const HttpResponse& response) {
    const icu::UnicodeString detail = fromUtf8(response.detail);
    switch (response.failure) {
        case HttpFailure::Refused:
            return {u"Could not connect to " + host(account) + u": the connection was refused.",
                    u"Check that the server is running and that the address of account " + name(account) +
                        u" is right (`linecal accounts list`), then add the item again."};
        case HttpFailure::NameNotFound:
            return {u"The server name " + host(account) + u" was not found.",
                    u"Check the network connection and the address of account " + name(account) +
                        u" (`linecal accounts list`), then add the item again."};
        case HttpFailure::Certificate:
            return {u"The certificate of " + host(account) + u" cannot be trusted (" + detail + u").",
                    u"Have the server's certificate fixed, or install its authority in the system's trust store "
                    u"(update-ca-certificates); linecal does not skip the check."};
        case HttpFailure::TimedOut:
            return {host(account) + u" did not answer in time.",
                    u"Check the network connection, or try again later; the server may be busy."};
        case HttpFailure::TooLarge:
            return {u"The reply from " + host(account) + u" is larger than 10 MB.",
                    u"Check that the address of account " + name(account) +
                        u" points at a CalDAV server (`linecal accounts list`)."};
        case HttpFailure::Cancelled:
            return {u"The request to " + host(account) + u" was cancelled.", u"Add the item again."};
        case HttpFailure::ForeignHost:
            return foreignAddress(account, response.detail);
        default:
            return {u"Could not talk to " + host(account) + u" (" + detail + u").",
                    u"Check the network connection and the address of account " + name(account) +
                        u", then add the item again."};
    }
}

}  // namespace

StoreError serverFailed(const Account& account, const HttpResponse& response, const icu::UnicodeString& title) {
    if (response.failure != HttpFailure::None) return noAnswer(account, response);
    const long status = response.status;
    const icu::UnicodeString code = fromUtf8(std::to_string(status));
    const std::string redirectedTo = response.finalUrl.empty() ? std::string() : urlOrigin(response.finalUrl);
    if (status == 401 && !redirectedTo.empty() && redirectedTo != urlOrigin(account.url)) {
        // A redirect took the request elsewhere, and the password stayed behind: the account
        // itself was not refused.
        const icu::UnicodeString other = fromUtf8(urlHostAndPort(response.finalUrl));
        return {other + u", where " + host(account) +
                    u" sent linecal, asked for a password; linecal gives the "
                    u"password of account " +
                    name(account) + u" only to " + host(account) + u".",
                u"If your calendars are on " + other +
                    u", add an account with that address "
                    u"(`linecal accounts add`); otherwise ask the administrator of " +
                    host(account) + u" about the redirect."};
    }
    if (status == 401) {
        return {host(account) + u" refused the user name or password of account " + name(account) + u".",
                u"Check the password: `linecal accounts remove " + name(account) + u"`, then add the account again."};
    }
    if (status == 403 && title.isEmpty()) {
        return {host(account) + u" does not let " + fromUtf8(account.username) + u" read the calendar list.",
                u"Check that the address of account " + name(account) + u" is your own calendar home."};
    }
    if (status == 403) {
        return {host(account) + u" does not let " + fromUtf8(account.username) + u" change " + what(title) + u".",
                u"Choose a calendar you may write to, or ask the server's administrator for the right."};
    }
    if (status == 404) return serverCalendarGone(account, title);
    if (status >= 500) {
        return {host(account) + u" failed with a server error (HTTP " + code + u").",
                u"Try again later; if it goes on, tell the server's administrator."};
    }
    return {host(account) + u" answered " + what(title) + u" with HTTP " + code + u".",
            u"Check that the address of account " + name(account) + u" points at a CalDAV server."};
}

StoreError malformedReply(const Account& account, const std::string& why) {
    return {u"The reply from " + host(account) + u" is not valid CalDAV: " + fromUtf8(why) + u".",
            u"Check that the address of account " + name(account) + u" points at a CalDAV server."};
}

StoreError noPassword(const Account& account, const std::string& why) {
    return {u"No password for account " + name(account) + u".", fromUtf8(why.empty() ? why : why + ".")};
}

StoreError notCalDav(const Account& account) {
    return {host(account) + u" did not name a calendar home for " + fromUtf8(account.username) + u".",
            u"Check that the address of account " + name(account) +
                u" is the server's CalDAV address (the server's documentation gives it)."};
}

StoreError serverReadOnly(const Account& account, const icu::UnicodeString& title) {
    return {u"The calendar " + quoted(title) + u" on " + host(account) + u" is read-only.",
            u"Choose a calendar you may write to."};
}

StoreError noTasks(const Account& account, const icu::UnicodeString& title) {
    return {u"The calendar " + quoted(title) + u" on " + host(account) + u" does not hold to-dos.",
            u"Name a calendar that holds to-dos in brackets, such as [Tasks], or save an event instead."};
}

StoreError noEvents(const Account& account, const icu::UnicodeString& title) {
    return {u"The calendar " + quoted(title) + u" on " + host(account) + u" holds only to-dos.",
            u"Add the word todo to save a to-do, or name another calendar in brackets."};
}

StoreError serverCalendarGone(const Account& account, const icu::UnicodeString& title) {
    return {what(title) + u" no longer exists on " + host(account) + u".",
            u"Choose another calendar; the list of calendars has been read again."};
}

StoreError namesTaken(const Account& account, const icu::UnicodeString& title) {
    return {host(account) + u" refused two new item names in the calendar " + quoted(title) + u".",
            u"Add the item again."};
}

StoreError foreignAddress(const Account& account, const std::string& url) {
    const icu::UnicodeString other = fromUtf8(urlHostAndPort(url));
    const icu::UnicodeString own = fromUtf8(urlHostAndPort(account.url));
    const bool downgrade = urlHost(url) == urlHost(account.url);
    return {u"The server at " + own + u" named an address at " + (downgrade ? fromUtf8(url) : other) +
                u"; linecal sends the password of account " + name(account) + u" only to " +
                fromUtf8(urlOrigin(account.url)) + u" and did not follow it.",
            u"If your calendars are at " + other +
                u", add an account with that address (`linecal accounts add`); "
                u"otherwise ask the administrator of " +
                own + u" why it names another server."};
}

StoreError outcomeUnknown(const Account& account, const HttpResponse& response, const icu::UnicodeString& title,
                          const icu::UnicodeString& uid) {
    StoreError error{host(account) + u" did not confirm the save into " + what(title) + u" (" +
                         (response.failure == HttpFailure::TimedOut ? icu::UnicodeString(u"no answer in time")
                                                                    : fromUtf8(response.detail)) +
                         u"); the item may have reached the server.",
                     u"Look for it in the calendar before adding it again; a retry with the same identifier cannot "
                     u"store it twice."};
    error.outcomeUnknown = true;
    error.uid = uid;
    return error;
}

StoreError notStored(const Account& account, long status, const icu::UnicodeString& title) {
    return {host(account) + u" answered HTTP " + fromUtf8(std::to_string(status)) + u" but did not store the item in " +
                what(title) + u".",
            u"Try again later; if it goes on, tell the server's administrator."};
}

}  // namespace linecal::errors
