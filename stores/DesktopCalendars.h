// The desktop's calendars beside linecal's own: EDS's list as last read, with the EDS module
// loaded only once there is a session bus to ask. Without a bus, without the module, or with a
// registry that does not answer in time, the list is empty and the other calendars carry on.
#pragma once

#include "stores/EdsModule.h"

#include <memory>
#include <mutex>
#include <optional>

namespace linecal {

class DesktopCalendars : public CalendarStore {
public:
    explicit DesktopCalendars(EdsLimits limits = {}) : limits_(limits) {}

    // Asks the registry now (at most limits.registry); false with why when it did not answer.
    // Call it off the keystroke path: the list it reads serves until the next call.
    bool refresh(StoreError* why = nullptr);
    // Whether the last refresh heard from the registry.
    bool answered() const;
    // The EDS source that took the last save; empty before one.
    std::string lastSavedSource() const;

    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

private:
    // The module's store, opened on first need; null when the module cannot load.
    EdsStore* store(std::string* problem);

    EdsLimits limits_;
    mutable std::mutex mutex_;  // guards store_ and answered_, set from a refresh thread
    std::unique_ptr<EdsStore> store_;
    bool answered_ = false;
};

// Whether a session bus is there to ask, without asking it: the environment's address, or the
// socket in XDG_RUNTIME_DIR.
bool sessionBusExists();

}  // namespace linecal
