#include "items/CurrentItem.h"

#include "items/ItemBuilding.h"
#include "text/Utf8.h"

#include <string>

namespace linecal {

ParsedEntry withDefaultAlarm(ParsedEntry entry, const ItemSettings& settings) {
    if (!settings.alarmEnabled) return entry;
    icu::UnicodeString key = fromUtf8(std::to_string(settings.alarmMinutes));
    key += u"m";
    entry.alarms[key] = settings.alarmMinutes;
    return entry;
}

std::unique_ptr<CalendarItem> currentItemFromEntry(ParsedEntry entry, const ItemSettings& settings,
                                                   const CalendarStore& store) {
    auto item = ZQitemFromHash(withDefaultAlarm(std::move(entry), settings), store, settings.calAppName);

    if (!item->calendar && settings.targetCalendarUID) {
        item->calendar = store.calendarWithUID(*settings.targetCalendarUID);
    }

    if (auto* event = dynamic_cast<Event*>(item.get())) {
        // A negative length would put the end before the start, which no calendar accepts.
        if (event->startDate && event->endDate && *event->startDate == *event->endDate &&
            settings.eventLengthMinutes > 0) {
            *event->endDate = *event->endDate + static_cast<double>(settings.eventLengthMinutes) * 60;
        }
    }

    for (auto& alarm : item->alarms) {
        alarm->action = settings.alarmAction;
        if (settings.alarmAction == AlarmAction::Sound) alarm->sound = settings.alarmSound;
        if (settings.alarmAction == AlarmAction::Email) alarm->emailAddress = settings.alarmEmail;
    }
    return item;
}

}  // namespace linecal
