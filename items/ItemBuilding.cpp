#include "items/ItemBuilding.h"

#include "items/Calendars.h"

namespace linecal {
namespace {

CalendarRef namedCalendar(const ParsedEntry& entry, const CalendarStore& store,
                          const icu::UnicodeString& calAppName) {
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

}  // namespace

std::unique_ptr<Event> ZQeventFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                       const icu::UnicodeString& calAppName) {
    auto event = std::make_unique<Event>();
    event->isAllDay = entry.allDay;
    event->startDate = entry.fromDate;
    event->endDate = entry.toDate;
    event->location = entry.location;
    event->title = entry.title;
    event->calendar = namedCalendar(entry, store, calAppName);
    event->alarms = alarmsFrom(entry.alarms);
    return event;
}

std::unique_ptr<Task> ZQtaskFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                     const icu::UnicodeString& calAppName) {
    auto task = std::make_unique<Task>();
    task->dueDate = entry.fromDate;
    task->title = entry.title;
    task->calendar = namedCalendar(entry, store, calAppName);
    task->alarms = alarmsFrom(entry.alarms);
    return task;
}

std::unique_ptr<CalendarItem> ZQitemFromHash(const ParsedEntry& entry, const CalendarStore& store,
                                             const icu::UnicodeString& calAppName) {
    if (entry.task) return ZQtaskFromHash(entry, store, calAppName);
    return ZQeventFromHash(entry, store, calAppName);
}

}  // namespace linecal
