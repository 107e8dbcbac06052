// The desktop's own calendars (Evolution Data Server): a module loaded on first need, so that
// the EDS libraries, some thirty shared libraries, stay out of commands that do not list
// calendars. Plain C++ on this side: neither GLib nor EDS headers cross over.
#pragma once

#include "items/CalendarStore.h"
#include "modules/ModuleEntry.h"

#include <chrono>
#include <memory>
#include <string>

namespace linecal {

struct EdsLimits {
    std::chrono::milliseconds registry{500};  // the registry's answer when listing
    std::chrono::milliseconds save{15000};    // one whole save, the daemons' start included
};

// The calendars and task lists of EDS's registry. Thread-safe: a listing may run while a save
// does.
class EdsStore : public CalendarStore {
public:
    // Asks the registry for its sources; on failure the list is empty and `why` says what
    // happened (EDS not running, not answering in time).
    virtual bool refresh(StoreError* why) = 0;
    // The source and the item identifier of the last successful save, for a calendar program
    // that opens an item by both.
    virtual std::string lastSavedSource() const = 0;
};

// Raise kEdsCalendarModuleVersion whenever this struct or what it hands out changes.
struct EdsCalendarModule : modules::ModuleEntry {
    std::unique_ptr<EdsStore> (*openStore)(const EdsLimits& limits);
};

inline constexpr int kEdsCalendarModuleVersion = 1;
inline constexpr const char* kEdsCalendarModuleName = "linecal-eds-calendars";
inline constexpr const char* kEdsCalendarModuleEntry = "linecal_eds_calendar_module";

// The module, loaded once per process; null with `problem` set when it cannot be loaded
// (the loader's cause, which errors::desktopCalendarsUnreachable words for the user).
const EdsCalendarModule* edsCalendarModule(std::string* problem);

}  // namespace linecal
