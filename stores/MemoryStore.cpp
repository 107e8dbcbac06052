#include "stores/MemoryStore.h"

#include "stores/StoreErrors.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace linecal {

std::string newUID() {
    static thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uint64_t hi = engine(), lo = engine();
    hi = (hi & ~0xF000ULL) | 0x4000ULL;                        // version 4
    lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL;  // RFC 4122 variant
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(hi >> 32),
                  static_cast<unsigned>((hi >> 16) & 0xFFFF), static_cast<unsigned>(hi & 0xFFFF),
                  static_cast<unsigned>(lo >> 48),
                  static_cast<unsigned long long>(lo & 0xFFFFFFFFFFFFULL));
    return text;
}

CalendarRef MemoryStore::addCalendar(Calendar calendar) {
    if (calendar.uid.isEmpty()) calendar.uid = icu::UnicodeString::fromUTF8(newUID());
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
    if (copy->uid.isEmpty()) copy->uid = icu::UnicodeString::fromUTF8(newUID());
    if (!save(event, copy, error)) return false;
    event.uid = copy->uid;
    return true;
}

bool MemoryStore::saveTask(Task& task, StoreError* error) {
    auto copy = std::make_shared<Task>(task);
    if (copy->uid.isEmpty()) copy->uid = icu::UnicodeString::fromUTF8(newUID());
    if (!save(task, copy, error)) return false;
    task.uid = copy->uid;
    return true;
}

}  // namespace linecal
