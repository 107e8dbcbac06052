#include "items/CalendarStore.h"

namespace linecal {

CalendarRef CalendarStore::calendarWithUID(const icu::UnicodeString& uid) const {
    for (auto& calendar : calendars()) {
        if (calendar && calendar->uid == uid) return calendar;
    }
    return nullptr;
}

bool saveItem(CalendarStore& store, CalendarItem& item, StoreError* error) {
    if (auto* event = dynamic_cast<Event*>(&item)) return store.saveEvent(*event, CalSpanThisEvent, error);
    if (auto* task = dynamic_cast<Task*>(&item)) return store.saveTask(*task, error);
    if (error) {
        *error = {u"This kind of item cannot be saved.", u"Enter an event or a to-do."};
    }
    return false;
}

}  // namespace linecal
