// "The user's calendars": the local vdir calendars and every server calendar of the configured
// accounts as one list, and one save that goes to whichever store holds the item's calendar.
// The command line and the desktop program open it with openUserCalendars(); the desktop
// program opens it with ServerRefresh::Never and calls refreshInBackground() with a callback
// that tells its calendar menu.
#pragma once

#include "items/CalendarStore.h"
#include "stores/DesktopCalendars.h"
#include "stores/Secrets.h"
#include "stores/ServerStore.h"
#include "stores/VdirStore.h"

#include <atomic>
#include <filesystem>
#include <chrono>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <thread>
#include <vector>

namespace linecal {

// When the server calendar lists are asked for on opening.
enum class ServerRefresh {
    Never,         // the cached lists only
    IfNotCached,   // ask now only the servers whose list is not cached (the first use of an account)
    Now,           // ask now, waiting for the answers (bounded by the time limits), every server whose
                   // list was not read in the last minute
    Asked,         // ask every server now, waiting: the user asked for the lists
    InBackground,  // the cached lists now, the servers asked on a background thread as for Now
};

// When the desktop's calendars (EDS) are listed on opening.
enum class DesktopList {
    Off,           // not at all
    Now,           // now, waiting for the registry at most its time limit
    InBackground,  // by refreshInBackground(), with the servers
};

struct CalendarsOptions {
    std::filesystem::path storeRoot;     // empty: VdirStore::defaultRoot()
    std::filesystem::path accountsFile;  // empty: defaultAccountsPath()
    std::filesystem::path cacheFolder;   // empty: defaultCacheFolder()
    ServerRefresh refresh = ServerRefresh::InBackground;
    std::shared_ptr<SecretStore> secrets;  // null: the desktop keyring
    HttpLimits limits;
    DesktopList desktop = DesktopList::Now;
};

// Which kind of store holds a calendar, as `linecal calendars` names it.
enum class StoreKind { Vdir, CalDav, Desktop };

class UserCalendars : public CalendarStore {
public:
    // `cacheFolder` keeps, beside the lists, which servers failed to answer lately; empty: in
    // memory only.
    UserCalendars(std::unique_ptr<VdirStore> local, std::vector<std::unique_ptr<ServerStore>> servers,
                  std::filesystem::path cacheFolder = {});
    ~UserCalendars() override;

    VdirStore& local() { return *local_; }
    // The desktop's calendars; null when they are not used.
    DesktopCalendars* desktop() { return desktop_.get(); }
    void setDesktop(std::unique_ptr<DesktopCalendars> desktop) { desktop_ = std::move(desktop); }
    const std::vector<std::unique_ptr<ServerStore>>& servers() const { return servers_; }

    // Set when the accounts file could not be read: the local calendars still work.
    std::optional<StoreError> accountsError;

    // Creates a first local calendar when no calendar exists anywhere.
    bool ensureCalendar(StoreError* error);
    // Asks the servers now. Unless the user `asked`, a server is asked at most once a minute: not
    // when its list was read, or it failed to answer, less than a minute ago.
    void refreshServers(bool asked);
    // For a batch: see ServerStore::failFastOnceUnreachable.
    void failFastOnceUnreachable() {
        for (auto& server : servers_) server->failFastOnceUnreachable();
    }
    // Asks the servers whose list is not known yet, for an entry that names a calendar in none
    // of the lists at hand; true when a list arrived.
    bool refreshUnknownLists();
    // How long a failed refresh keeps a server from being asked again.
    static constexpr std::chrono::seconds kFailureMemory{60};
    // How long a list read from a server is taken as it is, unless the user asks again.
    static constexpr std::chrono::seconds kListFreshness{60};
    // Whether the server's list is the last known one because the server did not answer, now or
    // in the last minute.
    bool isOffline(const ServerStore& server) const;
    // Asks the desktop's registry and every server on a background thread, unless a refresh is
    // already running, and calls `changed` on that thread after each list that was read (and
    // after the desktop's calendars came or went; hop to the GUI thread before touching widgets). calendars() serves
    // the last lists meanwhile; a save to an account waits for that account's refresh, within the time limits. `asked`:
    // the user asked, so every server is asked whatever its last answer.
    void refreshInBackground(std::function<void()> changed = {}, bool asked = false);
    // Reads the local calendars again and asks the servers in the background, telling the
    // callback of the last refreshInBackground(); for when the user opens a view of the list.
    void reload() override;
    // The account that holds the calendar, or null for local calendars.
    const ServerStore* serverOf(const Calendar& calendar) const;
    StoreKind storeKindOf(const Calendar& calendar) const;
    // Whether a save into the calendar waits for another process (a server, EDS's daemons),
    // and so belongs off the GUI thread.
    bool savesElsewhere(const Calendar& calendar) const;

    // Why an item cannot be saved yet: it names a calendar found nowhere while a server's list is
    // unknown, so the calendar may well be there. Nothing when it can go ahead.
    std::optional<StoreError> unknownCalendarProblem(const CalendarItem& item) const;

    // Local calendars first, then the desktop's, then each account's in the accounts file's order.
    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

private:
    CalendarStore* storeOf(const CalendarItem& item);
    bool refreshServer(ServerStore& server, bool asked);
    std::optional<StoreError> recentFailure(const ServerStore& server) const;
    bool listIsFresh(const ServerStore& server) const;

    bool refreshDesktop();

    std::unique_ptr<VdirStore> local_;
    std::unique_ptr<DesktopCalendars> desktop_;
    std::vector<std::unique_ptr<ServerStore>> servers_;
    std::function<void()> changed_;
    std::thread refresher_;
    std::atomic<bool> refreshing_{false};
    std::filesystem::path cacheFolder_;
    mutable std::mutex failuresMutex_;  // the refresher thread writes, the caller's thread reads
    std::map<std::string, std::pair<std::time_t, StoreError>> failures_;  // by account name
    std::map<std::string, std::time_t> listsRead_;                        // by account name, under failuresMutex_
};

// Opens the local calendars under `storeRoot` and the calendars of every account in the
// accounts file, with their cached lists, then refreshes them as `options.refresh` says.
std::unique_ptr<UserCalendars> openUserCalendars(const CalendarsOptions& options = {});

}  // namespace linecal
