// What the rest of linecal sees of one server account's calendars. The implementation (CalDAV
// over libcurl, libxml2 and libsecret) lives in a module loaded only when accounts exist, so
// that commands without server calendars do not pay for loading those libraries.
#pragma once

#include "items/CalendarStore.h"
#include "stores/Accounts.h"

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace linecal {

struct HttpLimits {
    std::chrono::milliseconds connect{5000};
    std::chrono::milliseconds request{15000};  // the whole exchange, connecting included
    std::size_t maxReply = 10 * 1024 * 1024;
};

// One calendar as the server described it.
struct ServerCalendar {
    std::string url;   // absolute, ending in '/'
    std::string path;  // the URL's path: what identifies it within the account
    std::string title;
    std::string color;                    // "#RRGGBB[AA]" or empty
    std::vector<std::string> components;  // empty when the server does not say: anything goes
    bool writable = true;

    bool holds(const std::string& component) const {
        if (components.empty()) return true;
        for (const auto& c : components)
            if (c == component) return true;
        return false;
    }
};

class ServerStore : public CalendarStore {
public:
    enum class State {
        Unknown,  // no list yet: neither cached nor discovered
        Cached,   // the cached list, the server not asked in this run
        Online,   // the server answered the last question
        Offline,  // the server did not answer the last question; the list is the last known one
    };

    virtual const Account& account() const = 0;
    virtual State state() const = 0;
    // Whether a list of the account's calendars is known, cached or read in this run; without
    // one, a calendar named in an entry may be on the server.
    virtual bool hasList() const = 0;
    // Why the server was offline the last time it was asked.
    virtual StoreError lastError() const = 0;
    // Takes the cached list; false when there is none.
    virtual bool loadCache() = 0;
    // Asks the server for its calendars now and caches them; on failure the list stays as it was.
    virtual bool refresh(StoreError* error) = 0;
    // After the server once fails to answer, later saves fail at once with the same error instead
    // of each waiting out the time limit: for a batch, where thousands of items may follow. Off
    // by default, so that a user who retries by hand is heard.
    virtual void failFastOnceUnreachable() = 0;
    // Ends a request in progress (at shutdown) and refuses new ones.
    virtual void cancel() = 0;
    // Connections opened to the server so far in this run.
    virtual long connectionsOpened() const = 0;
    // The address of the item the last successful save sent; empty before one.
    virtual std::string lastSavedUrl() const = 0;
};

}  // namespace linecal
