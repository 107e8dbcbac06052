#include "stores/UserCalendars.h"

#include "stores/Accounts.h"
#include "stores/CalendarCache.h"
#include "stores/LazyServerStore.h"
#include "stores/StoreErrors.h"

#include <algorithm>

namespace linecal {

UserCalendars::UserCalendars(std::unique_ptr<VdirStore> local, std::vector<std::unique_ptr<ServerStore>> servers,
                             std::filesystem::path cacheFolder)
    : local_(std::move(local)), servers_(std::move(servers)), cacheFolder_(std::move(cacheFolder)) {}

UserCalendars::~UserCalendars() {
    for (auto& server : servers_) server->cancel();
    if (refresher_.joinable()) refresher_.join();
}

bool UserCalendars::ensureCalendar(StoreError* error) {
    if (!calendars().empty()) return true;
    return local_->ensureCalendar(error);
}

std::optional<StoreError> UserCalendars::recentFailure(const ServerStore& server) const {
    const std::time_t now = std::time(nullptr);
    {
        std::lock_guard lock(failuresMutex_);
        auto found = failures_.find(server.account().name);
        if (found != failures_.end() && now - found->second.first < kFailureMemory.count()) return found->second.second;
    }
    if (cacheFolder_.empty()) return std::nullopt;
    return readFailedRefresh(cacheFolder_, server.account(), now, kFailureMemory);
}

bool UserCalendars::listIsFresh(const ServerStore& server) const {
    if (!server.hasList()) return false;
    const std::time_t now = std::time(nullptr);
    std::optional<std::time_t> read;
    {
        std::lock_guard lock(failuresMutex_);
        if (auto found = listsRead_.find(server.account().name); found != listsRead_.end()) read = found->second;
    }
    // Another run (the desktop program, an earlier command) may have read it since.
    if (!cacheFolder_.empty()) {
        if (auto cached = cachedListTime(cacheFolder_, server.account()); cached && (!read || *cached > *read))
            read = cached;
    }
    return read && *read <= now && now - *read < kListFreshness.count();  // a clock set back is no proof
}

bool UserCalendars::isOffline(const ServerStore& server) const {
    const auto state = server.state();
    if (state == ServerStore::State::Offline) return true;
    return state != ServerStore::State::Online && recentFailure(server).has_value();
}

bool UserCalendars::refreshServer(ServerStore& server, bool asked) {
    if (!asked && (recentFailure(server) || listIsFresh(server))) return false;
    StoreError why;
    if (server.refresh(&why)) {
        std::lock_guard lock(failuresMutex_);
        failures_.erase(server.account().name);
        listsRead_[server.account().name] = std::time(nullptr);
        return true;
    }
    const std::time_t now = std::time(nullptr);
    {
        std::lock_guard lock(failuresMutex_);
        failures_[server.account().name] = {now, why};
    }
    if (!cacheFolder_.empty()) writeFailedRefresh(cacheFolder_, server.account(), now, why);
    return false;
}

void UserCalendars::refreshServers(bool asked) {
    for (auto& server : servers_) refreshServer(*server, asked);
}

bool UserCalendars::refreshUnknownLists() {
    bool arrived = false;
    for (auto& server : servers_) {
        if (!server->hasList() && refreshServer(*server, false)) arrived = true;
    }
    return arrived;
}

std::optional<StoreError> UserCalendars::unknownCalendarProblem(const CalendarItem& item) const {
    if (!item.unfoundCalendar) return std::nullopt;
    for (const auto& server : servers_) {
        if (server->hasList()) continue;
        StoreError why = recentFailure(*server).value_or(server->lastError());
        return errors::calendarListUnknown(server->account().host(), *item.unfoundCalendar, why);
    }
    return std::nullopt;
}

bool UserCalendars::refreshDesktop() {
    if (!desktop_) return false;
    const auto before = desktop_->calendars();
    desktop_->refresh();
    const auto after = desktop_->calendars();
    auto same = [](const CalendarRef& a, const CalendarRef& b) {
        return a->uid == b->uid && a->title == b->title && a->isEditable == b->isEditable && a->notes == b->notes;
    };
    return !std::equal(before.begin(), before.end(), after.begin(), after.end(), same);
}

void UserCalendars::refreshInBackground(std::function<void()> changed, bool asked) {
    if (changed) changed_ = std::move(changed);
    if ((servers_.empty() && !desktop_) || refreshing_.exchange(true)) return;
    if (refresher_.joinable()) refresher_.join();  // the previous run has ended
    refresher_ = std::thread([this, changed = changed_, asked] {
        if (refreshDesktop() && changed) changed();
        for (auto& server : servers_) {
            if (refreshServer(*server, asked) && changed) changed();
        }
        refreshing_ = false;
    });
}

void UserCalendars::reload() {
    local_->reload();
    refreshInBackground();
}

const ServerStore* UserCalendars::serverOf(const Calendar& calendar) const {
    for (const auto& server : servers_) {
        if (server->calendarWithUID(calendar.uid)) return server.get();
    }
    return nullptr;
}

StoreKind UserCalendars::storeKindOf(const Calendar& calendar) const {
    if (serverOf(calendar)) return StoreKind::CalDav;
    if (desktop_ && desktop_->calendarWithUID(calendar.uid)) return StoreKind::Desktop;
    return StoreKind::Vdir;
}

bool UserCalendars::savesElsewhere(const Calendar& calendar) const { return storeKindOf(calendar) != StoreKind::Vdir; }

std::vector<CalendarRef> UserCalendars::calendars() const {
    std::vector<CalendarRef> all = local_->calendars();
    if (desktop_) {
        auto more = desktop_->calendars();
        all.insert(all.end(), more.begin(), more.end());
    }
    for (const auto& server : servers_) {
        auto more = server->calendars();
        all.insert(all.end(), more.begin(), more.end());
    }
    return all;
}

CalendarStore* UserCalendars::storeOf(const CalendarItem& item) {
    if (!item.calendar) return local_.get();  // which reports the missing calendar
    for (auto& server : servers_) {
        if (server->calendarWithUID(item.calendar->uid)) return server.get();
    }
    if (desktop_ && desktop_->calendarWithUID(item.calendar->uid)) return desktop_.get();
    return local_.get();
}

bool UserCalendars::saveEvent(Event& event, int span, StoreError* error) {
    if (auto problem = unknownCalendarProblem(event)) return fail(error, *problem);
    return storeOf(event)->saveEvent(event, span, error);
}

bool UserCalendars::saveTask(Task& task, StoreError* error) {
    if (auto problem = unknownCalendarProblem(task)) return fail(error, *problem);
    return storeOf(task)->saveTask(task, error);
}

std::unique_ptr<UserCalendars> openUserCalendars(const CalendarsOptions& options) {
    auto local = std::make_unique<VdirStore>(options.storeRoot.empty() ? VdirStore::defaultRoot() : options.storeRoot);
    const auto accountsFile = options.accountsFile.empty() ? defaultAccountsPath() : options.accountsFile;
    const auto cacheFolder = options.cacheFolder.empty() ? defaultCacheFolder() : options.cacheFolder;
    std::string problem;
    auto accounts = readAccounts(accountsFile, &problem);

    std::vector<std::unique_ptr<ServerStore>> servers;
    for (const auto& account : accounts.value_or(std::vector<Account>{})) {
        servers.push_back(std::make_unique<LazyServerStore>(account, options.secrets, cacheFolder, options.limits));
        servers.back()->loadCache();
    }
    auto calendars = std::make_unique<UserCalendars>(std::move(local), std::move(servers), cacheFolder);
    if (!accounts) calendars->accountsError = errors::accountsUnreadable(problem);
    if (options.desktop != DesktopList::Off) {
        calendars->setDesktop(std::make_unique<DesktopCalendars>());
        if (options.desktop == DesktopList::Now) calendars->desktop()->refresh();
    }

    switch (options.refresh) {
        case ServerRefresh::Never:
            break;
        case ServerRefresh::IfNotCached:
            calendars->refreshUnknownLists();
            break;
        case ServerRefresh::Now:
            calendars->refreshServers(false);
            break;
        case ServerRefresh::Asked:
            calendars->refreshServers(true);
            break;
        case ServerRefresh::InBackground:
            calendars->refreshInBackground();
            break;
    }
    return calendars;
}

}  // namespace linecal
