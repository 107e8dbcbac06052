#include "stores/caldav/CalDavStore.h"

#include "stores/CalendarCache.h"
#include "stores/ICalendarWriter.h"
#include "stores/MemoryStore.h"
#include "stores/caldav/Passwords.h"
#include "stores/caldav/ServerErrors.h"
#include "stores/StoreErrors.h"

#include <algorithm>

namespace linecal {
namespace {

icu::UnicodeString u(const std::string& text) { return icu::UnicodeString::fromUTF8(text); }

// Identifiers become the item's resource name; one that is not plainly safe in a URL path gets
// a fresh name (the item keeps its UID inside).
bool safeResourceName(const std::string& uid) {
    return !uid.empty() && uid.size() <= 200 && uid[0] != '.' &&
           std::all_of(uid.begin(), uid.end(), [](unsigned char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.' || c == '@';
           });
}

}  // namespace

CalDavStore::CalDavStore(Account account, std::shared_ptr<SecretStore> secrets, std::filesystem::path cacheFolder,
                         HttpLimits limits)
    : account_(std::move(account)), secrets_(std::move(secrets)), cacheFolder_(std::move(cacheFolder)), limits_(limits) {}

CalDavStore::~CalDavStore() { cancel(); }

ServerStore::State CalDavStore::state() const {
    std::lock_guard lock(listMutex_);
    return state_;
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
        fail(error, errors::serverFailed(account_, {HttpFailure::Cancelled, {}, 0, {}, {}}));
        return nullptr;
    }
    if (session_) return session_.get();
    std::string problem;
    auto password = passwordFor(account_, *secrets_, &problem);
    if (!password) {
        fail(error, errors::noPassword(account_, problem));
        return nullptr;
    }
    session_ = std::make_unique<HttpSession>(account_.username, *password, limits_, &cancelled_);
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

    struct Restore {
        CalendarItem& item; icu::UnicodeString old; bool keep = false;
        ~Restore() { if (!keep) item.uid = old; }
    } restore{item, item.uid};
    if (item.uid.isEmpty()) item.uid = u(newUID());

    HttpResponse response;
    {
        std::lock_guard lock(sessionMutex_);
        HttpSession* http = session(error);
        if (!http) return false;
        response = putNew(*http, target, item);
        connections_ = http->connectionsOpened();
    }
    if (response.failure == HttpFailure::None && response.status / 100 == 2) {
        restore.keep = true;
        return true;
    }
    return fail(error, saveError(response, title));
}

HttpResponse CalDavStore::putNew(HttpSession& http, const ServerCalendar& target, CalendarItem& item) {
    HttpResponse response;
    // A taken name (412) draws a new identifier once; a second refusal is reported.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) item.uid = u(newUID());
        std::string uid;
        item.uid.toUTF8String(uid);
        const std::string name = safeResourceName(uid) ? uid : newUID();
        const std::string url = target.url + name + ".ics";
        response = http.perform({"PUT",
                                 url,
                                 {"If-None-Match: *", "Content-Type: text/calendar; charset=utf-8"},
                                 toICalendar(item, clock ? clock() : std::time(nullptr)),
                                 false});
        if (response.failure == HttpFailure::None && response.status / 100 == 2) lastSavedUrl_ = url;
        if (response.failure != HttpFailure::None || response.status != 412) break;
    }
    return response;
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
