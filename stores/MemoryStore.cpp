#include "stores/MemoryStore.h"

#include "stores/NewUID.h"
#include "stores/StoreErrors.h"
#include "text/Utf8.h"

#include <algorithm>

namespace linecal {

CalendarRef MemoryStore::addCalendar(Calendar calendar) {
    if (calendar.uid.isEmpty()) calendar.uid = fromUtf8(newUID());
    auto ref = std::make_shared<const Calendar>(std::move(calendar));
    calendars_.push_back(ref);
    return ref;
}

void MemoryStore::removeCalendar(const icu::UnicodeString& uid) {
    std::erase_if(calendars_, [&](const CalendarRef& c) { return c->uid == uid; });
}

bool MemoryStore::save(CalendarItem& item, std::shared_ptr<const CalendarItem> copy, StoreError* error) {
    if (!item.calendar) return fail(error, errors::noCalendar());
    if (!errors::alarmsComplete(item, error)) return false;
    auto calendar = calendarWithUID(item.calendar->uid);
    if (!calendar) return fail(error, errors::calendarGone(item.calendar->title, {}));
    if (!calendar->isEditable) return fail(error, errors::readOnly(calendar->title, {}));
    saved_.push_back(std::move(copy));
    return true;
}

bool MemoryStore::saveEvent(Event& event, int, StoreError* error) {
    auto copy = std::make_shared<Event>(event);
    if (copy->uid.isEmpty()) copy->uid = fromUtf8(newUID());
    if (!save(event, copy, error)) return false;
    event.uid = copy->uid;
    return true;
}

bool MemoryStore::saveTask(Task& task, StoreError* error) {
    auto copy = std::make_shared<Task>(task);
    if (copy->uid.isEmpty()) copy->uid = fromUtf8(newUID());
    if (!save(task, copy, error)) return false;
    task.uid = copy->uid;
    return true;
}

}  // namespace linecal
