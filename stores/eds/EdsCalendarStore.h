// The store over EDS's registry: the list read by refresh(), saves through the calendar daemon.
#pragma once

#include "stores/EdsModule.h"
#include "stores/eds/EdsSources.h"

#include <mutex>
#include <string>
#include <vector>

namespace linecal::eds {

class EdsCalendarStore final : public EdsStore {
public:
    explicit EdsCalendarStore(EdsLimits limits) : limits_(limits) {}

    bool refresh(StoreError* why) override;
    std::string lastSavedSource() const override;
    std::vector<CalendarRef> calendars() const override;
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

private:
    bool save(CalendarItem& item, bool tasks, StoreError* error);
    // Where an item of this kind aimed at `source` goes: the source itself, or the account's
    // default of the right kind; null when the account has none.
    const Source* targetFor(const Source& source, bool tasks) const;

    EdsLimits limits_;
    mutable std::mutex mutex_;  // a listing may run on one thread while another saves
    std::vector<Source> sources_;
    std::string defaultCalendar_, defaultTaskList_;
    std::string lastSaved_;
};

}  // namespace linecal::eds
