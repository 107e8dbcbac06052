#include "stores/DesktopCalendars.h"

#include "stores/StoreErrors.h"

#include <cstdlib>
#include <filesystem>

namespace linecal {

bool sessionBusExists() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    return runtime && *runtime && std::filesystem::exists(std::filesystem::path(runtime) / "bus", ec);
}

EdsStore* DesktopCalendars::store(std::string* problem) {
    {
        std::lock_guard lock(mutex_);
        if (store_) return store_.get();
    }
    // Loaded outside the lock, so that a listing meanwhile does not wait for it.
    const EdsCalendarModule* module = edsCalendarModule(problem);
    if (!module) return nullptr;
    auto opened = module->openStore(limits_);
    std::lock_guard lock(mutex_);
    if (!store_) store_ = std::move(opened);
    return store_.get();
}

bool DesktopCalendars::refresh(StoreError* why) {
    bool answered = false;
    // Without a bus, the module and its libraries are not even loaded.
    if (!sessionBusExists()) {
        fail(why, errors::desktopCalendarsUnreachable("there is no session bus"));
    } else if (std::string problem; EdsStore* eds = store(&problem)) {
        answered = eds->refresh(why);
    } else {
        fail(why, errors::desktopCalendarsUnreachable("the module for them cannot be loaded: " + problem));
    }
    std::lock_guard lock(mutex_);
    answered_ = answered;
    return answered;
}

bool DesktopCalendars::answered() const {
    std::lock_guard lock(mutex_);
    return answered_;
}

std::string DesktopCalendars::lastSavedSource() const {
    std::lock_guard lock(mutex_);
    return store_ ? store_->lastSavedSource() : std::string();
}

std::vector<CalendarRef> DesktopCalendars::calendars() const {
    std::lock_guard lock(mutex_);
    return store_ ? store_->calendars() : std::vector<CalendarRef>{};
}

bool DesktopCalendars::saveEvent(Event& event, int span, StoreError* error) {
    std::string problem;
    if (EdsStore* eds = store(&problem)) return eds->saveEvent(event, span, error);
    return fail(error, errors::desktopSaveUnreachable(event.calendar ? event.calendar->title : u"", problem));
}

bool DesktopCalendars::saveTask(Task& task, StoreError* error) {
    std::string problem;
    if (EdsStore* eds = store(&problem)) return eds->saveTask(task, error);
    return fail(error, errors::desktopSaveUnreachable(task.calendar ? task.calendar->title : u"", problem));
}

}  // namespace linecal
