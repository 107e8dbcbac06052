#include "items/ItemBuilding.h"

#include "items/Calendars.h"

namespace linecal {
namespace {

CalendarRef namedCalendar(const ParsedEntry& entry, const CalendarStore& store, const icu::UnicodeString& calAppName) {
    if (!entry.calendar) return nullptr;
    auto lookup = calendarLookup(store, calAppName);
    auto found = lookup.find(*entry.calendar);
    return found == lookup.end() ? nullptr : found->second;
}

std::vector<AlarmRef> alarmsFrom(const AlarmMap& alarms) {
    std::vector<AlarmRef> result;
    result.reserve(alarms.size());
    for (const auto& [text, minutes] : alarms) {
        auto alarm = std::make_shared<ZQCalAlarm>();
        // 64-bit product: a huge typed offset must not wrap round to an alarm after the start.
        alarm->relativeTrigger = static_cast<double>(static_cast<std::int64_t>(minutes) * -60);
        alarm->relativeTime = text;
        result.push_back(std::move(alarm));
    }
    return result;
}

// What events and tasks take alike from the record.
template <typename Item>
std::unique_ptr<Item> commonItem(const ParsedEntry& entry, const CalendarStore& store,
                                 const icu::UnicodeString& calAppName) {
    auto item = std::make_unique<Item>();
    item->title = entry.title;
    item->calendar = namedCalendar(entry, store, calAppName);
    if (entry.calendar && !item->calendar) item->unfoundCalendar = entry.calendar;
    item->notDates = entry.notDates;
    item->alarms = alarmsFrom(entry.alarms);
    item->recurrence = entry.recurrence;
    item->notRepeated = entry.notRepeated;
    return item;
}

}  // namespace

std::unique_ptr<Event> ZQeventFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                       const icu::UnicodeString& calAppName) {
    auto event = commonItem<Event>(entry, store, calAppName);
    event->isAllDay = entry.allDay;
    event->startDate = entry.fromDate;
    event->endDate = entry.toDate;
    event->location = entry.location;
    return event;
}

std::unique_ptr<Task> ZQtaskFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                     const icu::UnicodeString& calAppName) {
    auto task = commonItem<Task>(entry, store, calAppName);
    task->dueDate = entry.fromDate;
    return task;
}

std::unique_ptr<CalendarItem> ZQitemFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                             const icu::UnicodeString& calAppName) {
    if (entry.task) return ZQtaskFromHash(entry, store, calAppName);
    return ZQeventFromHash(entry, store, calAppName);
}

}  // namespace linecal
