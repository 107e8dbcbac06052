#include "stores/LazyServerStore.h"

#include "stores/CalendarCache.h"
#include "stores/ServerModule.h"
#include "stores/StoreErrors.h"

namespace linecal {

LazyServerStore::LazyServerStore(Account account, std::shared_ptr<SecretStore> secrets,
                                 std::filesystem::path cacheFolder, HttpLimits limits)
    : account_(std::move(account)),
      secrets_(std::move(secrets)),
      cacheFolder_(std::move(cacheFolder)),
      limits_(limits) {}

LazyServerStore::~LazyServerStore() = default;

ServerStore* LazyServerStore::server(StoreError* error) {
    std::lock_guard lock(mutex_);
    if (server_) return server_.get();
    std::string problem;
    const ServerModule* module = serverModule(&problem);
    if (!module) {
        moduleError_ = errors::serversUnavailable(problem);
        fail(error, *moduleError_);
        return nullptr;
    }
    server_ = module->openStore(account_, secrets_ ? secrets_ : module->keyring(), cacheFolder_, limits_);
    server_->loadCache();
    if (cancelled_) server_->cancel();
    if (failFast_) server_->failFastOnceUnreachable();
    return server_.get();
}

ServerStore::State LazyServerStore::state() const {
    std::lock_guard lock(mutex_);
    if (server_) return server_->state();
    if (moduleError_) return State::Offline;
    return hasCache_ ? State::Cached : State::Unknown;
}

bool LazyServerStore::hasList() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->hasList() : hasCache_;
}

StoreError LazyServerStore::lastError() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->lastError() : moduleError_.value_or(StoreError{});
}

bool LazyServerStore::loadCache() {
    auto cached = readCachedCalendars(cacheFolder_, account_);
    if (!cached) return false;
    std::vector<CalendarRef> calendars;
    for (const auto& c : *cached) calendars.push_back(calendarFor(account_, c));
    std::lock_guard lock(mutex_);
    cached_ = std::move(calendars);
    hasCache_ = true;
    return true;
}

bool LazyServerStore::refresh(StoreError* error) {
    ServerStore* s = server(error);
    return s && s->refresh(error);
}

void LazyServerStore::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (server_) server_->cancel();
}

void LazyServerStore::failFastOnceUnreachable() {
    std::lock_guard lock(mutex_);
    failFast_ = true;
    if (server_) server_->failFastOnceUnreachable();
}

long LazyServerStore::connectionsOpened() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->connectionsOpened() : 0;
}

std::string LazyServerStore::lastSavedUrl() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->lastSavedUrl() : std::string();
}

std::vector<CalendarRef> LazyServerStore::calendars() const {
    std::lock_guard lock(mutex_);
    return server_ ? server_->calendars() : cached_;
}

bool LazyServerStore::saveEvent(Event& event, int span, StoreError* error) {
    ServerStore* s = server(error);
    return s && s->saveEvent(event, span, error);
}

bool LazyServerStore::saveTask(Task& task, StoreError* error) {
    ServerStore* s = server(error);
    return s && s->saveTask(task, error);
}

}  // namespace linecal
