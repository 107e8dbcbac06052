#include "items/Calendars.h"

namespace linecal {

icu::UnicodeString typeForCalendar(const Calendar& calendar) {
    if (calendar.notes) {
        // Server accounts keep their address in the notes; the tests are case-sensitive on purpose.
        static constexpr std::pair<const char16_t*, const char16_t*> providers[] = {
            {u"gmail.com", u"Google"},
            {u"yahoo.com", u"Yahoo"},
            {u"me.com", u"MobileMe"},
            {u"aol.com", u"AOL"},
        };
        for (auto [needle, name] : providers) {
            if (calendar.notes->indexOf(icu::UnicodeString(needle)) >= 0) return name;
        }
    }
    return calendar.type;
}

icu::UnicodeString headingForCalendar(const Calendar* calendar) {
    if (!calendar) return u"Unknown";
    icu::UnicodeString base =
        calendar->notes && !calendar->notes->isEmpty() ? *calendar->notes : icu::UnicodeString(u"Unknown");
    if (calendar->type == CalCalendarTypeCalDAV || calendar->type == CalCalendarTypeExchange) {
        return base + u" (" + typeForCalendar(*calendar) + u")";
    }
    if (calendar->type == CalCalendarTypeLocal) return base;
    return calendar->type;
}

CalendarLookup calendarLookup(const CalendarStore& store, const icu::UnicodeString& calAppName) {
    CalendarLookup lookup;
    const bool localOnly = calAppName == u"BusyCal";
    for (auto& calendar : store.calendars()) {
        if (!calendar) continue;
        if (localOnly && calendar->type != CalCalendarTypeLocal) continue;
        icu::UnicodeString key = calendar->title;
        key.toLower();
        lookup[key] = calendar;  // a later calendar with the same name wins
    }
    return lookup;
}

}  // namespace linecal
