// An account's calendars from the cache, with the CalDAV module loaded only when the server
// must be asked or written to: listing and typing with accounts configured cost no more than
// without them.
#pragma once

#include "stores/Secrets.h"
#include "stores/ServerStore.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace linecal {

class LazyServerStore : public ServerStore {
public:
    LazyServerStore(Account account, std::shared_ptr<SecretStore> secrets, std::filesystem::path cacheFolder,
                    HttpLimits limits);
    ~LazyServerStore() override;

    const Account& account() const override { return account_; }
    State state() const override;
    bool hasList() const override;
    StoreError lastError() const override;
    bool loadCache() override;
    bool refresh(StoreError* error) override;
    void cancel() override;
    void failFastOnceUnreachable() override;
    long connectionsOpened() const override;
    std::string lastSavedUrl() const override;

    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

private:
    // The module's store for the account; null with `error` set when the module cannot load.
    ServerStore* server(StoreError* error);

    Account account_;
    std::shared_ptr<SecretStore> secrets_;  // null: the module's keyring
    std::filesystem::path cacheFolder_;
    HttpLimits limits_;
    std::vector<CalendarRef> cached_;
    bool hasCache_ = false;
    bool cancelled_ = false;
    bool failFast_ = false;
    std::optional<StoreError> moduleError_;
    mutable std::mutex mutex_;  // guards server_, created from whichever thread needs it first
    std::unique_ptr<ServerStore> server_;
};

}  // namespace linecal
