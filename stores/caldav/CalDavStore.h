// The calendars of one CalDAV account. The list comes from the cache until the server has been
// asked; saving sends one PUT per item over the account's one connection.
#pragma once

#include "items/CalendarStore.h"
#include "stores/caldav/CalDavDiscovery.h"
#include "stores/Secrets.h"
#include "stores/ServerStore.h"

#include <atomic>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

namespace linecal {

class CalDavStore : public ServerStore {
public:
    CalDavStore(Account account, std::shared_ptr<SecretStore> secrets, std::filesystem::path cacheFolder,
                HttpLimits limits = {});
    ~CalDavStore() override;

    const Account& account() const override { return account_; }
    State state() const override;
    bool hasList() const override;
    StoreError lastError() const override;
    bool loadCache() override;
    bool refresh(StoreError* error) override;
    void cancel() override { cancelled_ = true; }
    void failFastOnceUnreachable() override { failFast_ = true; }

    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

    long connectionsOpened() const override;
    std::string lastSavedUrl() const override;

    // The clock for DTSTAMP.
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };

private:
    struct Entry {
        CalendarRef calendar;
        ServerCalendar server;
    };
    void setList(const std::vector<ServerCalendar>& calendars, State state);
    std::optional<Entry> entryFor(const Calendar& calendar) const;
    // The session, opened with the account's password on first use; null with `error` set.
    HttpSession* session(StoreError* error);
    bool save(CalendarItem& item, bool isTask, StoreError* error);
    enum class PutOutcome { Stored, Failed, NotStored, Unknown };
    struct PutResult {
        PutOutcome outcome = PutOutcome::Failed;
        HttpResponse response;  // the last answer; what a failure is reported from
    };
    // PUT of a new item; a taken name draws a new identifier once, unless this is a `retry` of
    // an item that brought its identifier. Called under sessionMutex_.
    PutResult putNew(HttpSession& http, const ServerCalendar& target, CalendarItem& item, bool retry);
    // What one PUT's answer means; answers that do not say the item is stored are checked with
    // a GET. A 207's failing status replaces the response's.
    PutOutcome judgePut(HttpSession& http, const std::string& url, const std::string& uid, HttpResponse& response);
    // Whether the item of `uid` is at `url`: Stored, NotStored, or Unknown (with the GET's
    // failure in `response`) when the server does not answer.
    PutOutcome lookFor(HttpSession& http, const std::string& url, const std::string& uid, HttpResponse& response);
    // What a failed PUT means for the user; a vanished calendar also reads the list again.
    StoreError saveError(const HttpResponse& response, const icu::UnicodeString& title);

    Account account_;
    std::shared_ptr<SecretStore> secrets_;
    std::filesystem::path cacheFolder_;
    HttpLimits limits_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> failFast_{false};

    mutable std::mutex listMutex_;  // guards the list, the state and the last error
    std::vector<Entry> entries_;
    State state_ = State::Unknown;
    bool hasList_ = false;
    StoreError lastError_;

    mutable std::mutex sessionMutex_;  // one request at a time on the one connection
    std::unique_ptr<HttpSession> session_;
    bool basicAuth_ = false;  // from the cache: the server asks for Basic alone
    std::atomic<long> connections_{0};
    std::string lastSavedUrl_;               // guarded by sessionMutex_
    std::optional<StoreError> unreachable_;  // guarded by sessionMutex_: set once the server did not answer
};

}  // namespace linecal
