// A calendar store held in memory, for tests and benchmarks.
#pragma once

#include "items/CalendarStore.h"

#include <memory>
#include <vector>

namespace linecal {

class MemoryStore : public CalendarStore {
public:
    // Adds a calendar at the end of the store's order; an empty uid gets a fresh one.
    CalendarRef addCalendar(Calendar calendar);
    void removeCalendar(const icu::UnicodeString& uid);

    std::vector<CalendarRef> calendars() const override { return calendars_; }
    bool saveEvent(Event& event, int span, StoreError* error) override;
    bool saveTask(Task& task, StoreError* error) override;

    // Copies of what was saved, in saving order.
    const std::vector<std::shared_ptr<const CalendarItem>>& savedItems() const { return saved_; }

private:
    bool save(CalendarItem& item, std::shared_ptr<const CalendarItem> copy, StoreError* error);

    std::vector<CalendarRef> calendars_;
    std::vector<std::shared_ptr<const CalendarItem>> saved_;
};

}  // namespace linecal
