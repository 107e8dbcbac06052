#include "items/CalendarMenu.h"

#include "items/Calendars.h"

namespace linecal {

std::vector<CalendarMenuEntry> calendarMenu(const std::vector<CalendarRef>& calendars,
                                            const std::optional<icu::UnicodeString>& selectedUID,
                                            const icu::UnicodeString& calAppName) {
    using Kind = CalendarMenuEntry::Kind;
    std::vector<CalendarMenuEntry> menu;
    const Calendar* last = nullptr;
    for (const CalendarRef& calendar : calendars) {
        if (!calendar) continue;
        if (calAppName == u"BusyCal" && calendar->type != CalCalendarTypeLocal) continue;
        const icu::UnicodeString heading = headingForCalendar(calendar.get());
        if (!last) {
            // Only a calendar kept on this computer is listed under its name; a list that starts
            // with an account's calendars starts with the account.
            const bool local = calendar->type == CalCalendarTypeLocal;
            menu.push_back({Kind::Heading, local ? icu::UnicodeString(kFirstCalendarHeading) : heading, nullptr});
        } else if (heading != headingForCalendar(last)) {
            menu.push_back({Kind::Separator, {}, nullptr});
            menu.push_back({Kind::Heading, heading, nullptr});
        }
        menu.push_back({Kind::Calendar, icu::UnicodeString(u"  ") + calendar->title, calendar, calendar->isEditable,
                        selectedUID && *selectedUID == calendar->uid});
        last = calendar.get();
    }
    return menu;
}

}  // namespace linecal
