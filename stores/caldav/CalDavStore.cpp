#include "stores/caldav/CalDavStore.h"

#include "stores/CalendarCache.h"
#include "stores/ICalendarWriter.h"
#include "stores/NewUID.h"
#include "stores/UidDuringSave.h"
#include "stores/caldav/DavXml.h"
#include "stores/caldav/Passwords.h"
#include "stores/caldav/ServerErrors.h"
#include "stores/StoreErrors.h"
#include "text/Utf8.h"

#include <libical/ical.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace linecal {
namespace {

// Identifiers become the item's resource name. One that is not plainly safe in a URL path gets a
// name made from it, the same every time, so a retry of the same item finds its first copy.
bool safeResourceName(const std::string& uid) {
    return !uid.empty() && uid.size() <= 200 && uid[0] != '.' &&
           std::all_of(uid.begin(), uid.end(), [](unsigned char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.' || c == '@';
           });
}

std::string resourceName(const std::string& uid) {
    if (safeResourceName(uid)) return uid;
    std::uint64_t hash = 1469598103934665603ULL;  // FNV-1a: stable across runs and builds
    for (unsigned char c : uid) hash = (hash ^ c) * 1099511628211ULL;
    char name[32];
    std::snprintf(name, sizeof name, "linecal-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

bool stored(const HttpResponse& r) { return r.failure == HttpFailure::None && (r.status == 201 || r.status == 204); }

// A failure that says the server cannot be reached at all, as opposed to one about this request.
bool unreachable(const HttpResponse& r) {
    return r.failure == HttpFailure::Refused || r.failure == HttpFailure::NameNotFound ||
           r.failure == HttpFailure::TimedOut || r.failure == HttpFailure::Other;
}

// Whether a request that got no answer may still have done its work on the server.
bool mayHaveLanded(const HttpResponse& r) {
    return r.requestSent && r.failure != HttpFailure::None && r.failure != HttpFailure::Certificate &&
           r.failure != HttpFailure::ForeignHost;
}

// Whether a fetched iCalendar text holds an item with that identifier, as libical reads it.
bool holdsItem(const std::string& ics, const std::string& uid) {
    std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root(icalparser_parse_string(ics.c_str()),
                                                                  icalcomponent_free);
    // For a VCALENDAR libical looks at the item inside; a bare VEVENT answers for itself.
    const char* found = root ? icalcomponent_get_uid(root.get()) : nullptr;
    return found && uid == found;
}

}  // namespace

CalDavStore::CalDavStore(Account account, std::shared_ptr<SecretStore> secrets, std::filesystem::path cacheFolder,
                         HttpLimits limits)
    : account_(std::move(account)),
      secrets_(std::move(secrets)),
      cacheFolder_(std::move(cacheFolder)),
      limits_(limits) {}

CalDavStore::~CalDavStore() { cancel(); }

ServerStore::State CalDavStore::state() const {
    std::lock_guard lock(listMutex_);
    return state_;
}

bool CalDavStore::hasList() const {
    std::lock_guard lock(listMutex_);
    return hasList_;
}

StoreError CalDavStore::lastError() const {
    std::lock_guard lock(listMutex_);
    return lastError_;
}

long CalDavStore::connectionsOpened() const { return connections_; }

std::string CalDavStore::lastSavedUrl() const {
    std::lock_guard lock(sessionMutex_);
    return lastSavedUrl_;
}

void CalDavStore::setList(const std::vector<ServerCalendar>& calendars, State state) {
    std::vector<Entry> entries;
    for (const auto& server : calendars) entries.push_back({calendarFor(account_, server), server});
    std::lock_guard lock(listMutex_);
    entries_ = std::move(entries);
    state_ = state;
    hasList_ = true;
}

bool CalDavStore::loadCache() {
    bool basic = false;
    auto cached = readCachedCalendars(cacheFolder_, account_, &basic);
    if (!cached) return false;
    {
        std::lock_guard lock(sessionMutex_);
        basicAuth_ = basic;
    }
    setList(*cached, State::Cached);
    return true;
}

bool CalDavStore::refresh(StoreError* error) {
    StoreError why;
    std::optional<std::vector<ServerCalendar>> found;
    bool basic = false;
    {
        std::lock_guard lock(sessionMutex_);
        if (HttpSession* http = session(&why)) {
            found = discoverCalendars(*http, account_, &why);
            basic = basicAuth_ = http->sendsBasicFirst();
        }
    }
    if (!found) {
        std::lock_guard lock(listMutex_);
        state_ = State::Offline;
        lastError_ = why;
        return fail(error, why);
    }
    setList(*found, State::Online);
    writeCachedCalendars(cacheFolder_, account_, *found, basic);
    return true;
}

std::vector<CalendarRef> CalDavStore::calendars() const {
    std::lock_guard lock(listMutex_);
    std::vector<CalendarRef> result;
    for (const auto& entry : entries_) result.push_back(entry.calendar);
    return result;
}

std::optional<CalDavStore::Entry> CalDavStore::entryFor(const Calendar& calendar) const {
    std::lock_guard lock(listMutex_);
    for (const auto& entry : entries_) {
        if (entry.calendar->uid == calendar.uid) return entry;
    }
    return std::nullopt;
}

HttpSession* CalDavStore::session(StoreError* error) {
    if (cancelled_) {
        fail(error, errors::serverFailed(account_, HttpResponse{HttpFailure::Cancelled, {}, 0, {}, {}, false}));
        return nullptr;
    }
    if (session_) return session_.get();
    std::string problem;
    auto password = passwordFor(account_, *secrets_, &problem);
    if (!password) {
        fail(error, errors::noPassword(account_, problem));
        return nullptr;
    }
    session_ = std::make_unique<HttpSession>(account_.url, account_.username, *password, limits_, &cancelled_);
    if (basicAuth_) session_->sendBasicFirst();
    return session_.get();
}

bool CalDavStore::save(CalendarItem& item, bool isTask, StoreError* error) {
    if (!item.calendar) return fail(error, errors::noCalendar());
    auto entry = entryFor(*item.calendar);
    if (!entry) return fail(error, errors::serverCalendarGone(account_, item.calendar->title));
    const ServerCalendar& target = entry->server;
    const icu::UnicodeString& title = entry->calendar->title;
    if (!target.writable) return fail(error, errors::serverReadOnly(account_, title));
    if (isTask && !target.holds("VTODO")) return fail(error, errors::noTasks(account_, title));
    if (!isTask && !target.holds("VEVENT")) return fail(error, errors::noEvents(account_, title));
    if (!errors::alarmsComplete(item, error)) return false;

    UidDuringSave restore(item, item.uid);
    // An identifier the caller brings is a retry of a save whose outcome was unknown: the
    // item already under that name is this one.
    const bool retry = !item.uid.isEmpty();
    if (!retry) item.uid = fromUtf8(newUID());

    PutResult put;
    {
        std::lock_guard lock(sessionMutex_);
        // After a server failed to answer once, the rest of a batch's items fail at once
        // instead of each waiting out the time limit.
        if (unreachable_) return fail(error, *unreachable_);
        HttpSession* http = session(error);
        if (!http) return false;
        put = putNew(*http, target, item, retry);
        connections_ = http->connectionsOpened();
        if (failFast_ && (put.outcome == PutOutcome::Unknown || unreachable(put.response))) {
            unreachable_ = errors::serverFailed(account_, put.response, title);
        }
    }
    switch (put.outcome) {
        case PutOutcome::Stored:
            restore.keep();
            return true;
        case PutOutcome::Unknown:
            restore.keep();  // the caller retries with the identifier the item may be stored under
            return fail(error, errors::outcomeUnknown(account_, put.response, title, item.uid));
        case PutOutcome::NotStored:
            return fail(error, errors::notStored(account_, put.response.status, title));
        case PutOutcome::Failed:
            break;
    }
    return fail(error, saveError(put.response, title));
}

CalDavStore::PutResult CalDavStore::putNew(HttpSession& http, const ServerCalendar& target, CalendarItem& item,
                                           bool retry) {
    PutResult result;
    // A taken name (412) draws a new identifier once; a second refusal is reported. On a retry
    // the name is taken by the first attempt's copy: the item is there.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) item.uid = fromUtf8(newUID());
        std::string uid;
        item.uid.toUTF8String(uid);
        const std::string url = target.url + resourceName(uid) + ".ics";
        HttpResponse& response = result.response;
        response = http.perform({"PUT",
                                 url,
                                 {"If-None-Match: *", "Content-Type: text/calendar; charset=utf-8"},
                                 toICalendar(item, clock ? clock() : std::time(nullptr)),
                                 false});
        result.outcome = judgePut(http, url, uid, response);
        if (result.outcome == PutOutcome::Stored) lastSavedUrl_ = url;
        if (result.outcome != PutOutcome::Failed || response.failure != HttpFailure::None || response.status != 412 ||
            retry) {
            break;
        }
    }
    return result;
}

CalDavStore::PutOutcome CalDavStore::judgePut(HttpSession& http, const std::string& url, const std::string& uid,
                                              HttpResponse& response) {
    if (mayHaveLanded(response)) return PutOutcome::Unknown;
    if (response.failure != HttpFailure::None) return PutOutcome::Failed;
    if (stored(response)) return PutOutcome::Stored;
    if (response.status == 412) {
        // The name is taken. By this very item, most likely: on a retry after an unknown outcome,
        // and also when libcurl itself sent the PUT again after a connection died before the
        // answer. Only an item of another identifier is a real clash.
        return lookFor(http, url, uid, response) == PutOutcome::Stored ? PutOutcome::Stored : PutOutcome::Failed;
    }
    if (response.status == 207) {
        // A multi-status answer to a PUT carries the real outcome inside.
        if (const long failure = dav::multistatusFailure(response.body)) {
            response.status = failure;
            return PutOutcome::Failed;
        }
    } else if (response.status / 100 != 2) {
        return PutOutcome::Failed;
    }
    // 200, 202 and the like say the request was taken, not that the item is stored: look.
    return lookFor(http, url, uid, response);
}

CalDavStore::PutOutcome CalDavStore::lookFor(HttpSession& http, const std::string& url, const std::string& uid,
                                             HttpResponse& response) {
    HttpResponse check = http.perform({"GET", url, {}, {}, false});
    if (check.failure != HttpFailure::None) {
        response = check;
        return PutOutcome::Unknown;
    }
    if (check.status == 200 && holdsItem(check.body, uid)) return PutOutcome::Stored;
    return PutOutcome::NotStored;
}

StoreError CalDavStore::saveError(const HttpResponse& response, const icu::UnicodeString& title) {
    if (response.failure == HttpFailure::None && response.status == 412) return errors::namesTaken(account_, title);
    if (response.failure == HttpFailure::None && (response.status == 404 || response.status == 409)) {
        refresh(nullptr);  // the calendar is gone: let the list show what is there now
        return errors::serverCalendarGone(account_, title);
    }
    return errors::serverFailed(account_, response, title);
}

bool CalDavStore::saveEvent(Event& event, int, StoreError* error) { return save(event, false, error); }
bool CalDavStore::saveTask(Task& task, StoreError* error) { return save(task, true, error); }

}  // namespace linecal
