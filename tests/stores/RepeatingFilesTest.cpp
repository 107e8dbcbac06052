// The rule a repeating item's file states, read back and expanded by libical in
// the file's own zone, gives exactly the days the preview promised, across month
// ends, leap days, clock changes and the last day of a series.
#include "TestSupport.h"
#include "items/CurrentItem.h"
#include "items/RepetitionWords.h"
#include "stores/ICalendarWriter.h"
#include "stores/MemoryStore.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <memory>
#include <vector>

namespace linecal::testing {
namespace {

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

// Every start the file's rule gives, up to `max`, as seconds since the epoch.
std::vector<double> expandFile(const std::string& text, std::size_t max) {
    std::unique_ptr<icalcomponent, ComponentFree> calendar(icalparser_parse_string(text.c_str()));
    EXPECT_TRUE(calendar);
    if (!calendar) return {};
    icalcomponent* body = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    if (!body) body = icalcomponent_get_first_component(calendar.get(), ICAL_VTODO_COMPONENT);
    icalproperty* start = icalcomponent_get_first_property(body, ICAL_DTSTART_PROPERTY);
    if (!start) start = icalcomponent_get_first_property(body, ICAL_DUE_PROPERTY);
    icalproperty* rule = icalcomponent_get_first_property(body, ICAL_RRULE_PROPERTY);
    EXPECT_TRUE(start && rule);
    if (!start || !rule) return {};
    icaltimetype first = icalvalue_get_datetime(icalproperty_get_value(start));
    icaltimezone* zone = nullptr;
    if (icalparameter* tzid = icalproperty_get_first_parameter(start, ICAL_TZID_PARAMETER)) {
        zone = icalcomponent_get_timezone(calendar.get(), icalparameter_get_tzid(tzid));
        EXPECT_TRUE(zone) << "the file names a zone it does not hold";
        first = icaltime_set_timezone(&first, zone);
    }
    icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(rule), first);
    std::vector<double> out;
    for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && out.size() < max;
         t = icalrecur_iterator_next(it)) {
        if (t.is_date) t.hour = 12;  // all-day days are held at noon
        out.push_back(static_cast<double>(icaltime_as_timet_with_zone(t, t.is_date ? icaltimezone_get_builtin_timezone("America/Los_Angeles") : zone)));
    }
    icalrecur_iterator_free(it);
    return out;
}

TEST(RepeatingFiles, TheFileGivesTheDaysThePreviewPromised) {
    pinLocale("en_US", "America/Los_Angeles");
    MemoryStore store;
    ItemSettings settings;
    const Date monday = local(2026, 12, 7, 17, 30);
    for (const char* entry : {"Standup every weekday at 9:30am", "Rent on the 1st every month", "x every 31st at 8am",
                              "Pay bills every last day of the month", "Leap every Feb 29", "Book club every 3rd Friday at 7pm",
                              "Call mom every Sunday at 6pm until March 28", "Bins every other Tuesday at 7am",
                              "Meds daily at 8am 10 times", "todo water plants every 3 days at 8am",
                              "Yoga every mon, tue and fri at 7am for 6 weeks"}) {
        SCOPED_TRACE(entry);
        auto item = currentItem(icu::UnicodeString::fromUTF8(entry), monday, settings, store);
        ASSERT_TRUE(item->recurrence);
        item->uid = u"A";
        const auto* event = dynamic_cast<const Event*>(item.get());
        const auto* task = dynamic_cast<const Task*>(item.get());
        const Date start = event ? *event->startDate : *task->dueDate;
        const bool allDay = event && event->isAllDay;
        // Thirty days of the series: past the spring clock change for the Sunday calls.
        const auto promised = occurrences(*item->recurrence, start, allDay, 30);
        const auto fromFile = expandFile(toICalendar(*item, 0), 30);
        ASSERT_EQ(fromFile.size(), promised.size());
        for (std::size_t i = 0; i < promised.size(); ++i) EXPECT_EQ(fromFile[i], promised[i].seconds) << "occurrence " << i;
        // The preview's own line lists the first of them.
        EXPECT_NE(utf8(ZQoccurrencesLine(*item)).find("Next: "), std::string::npos);
    }
}

TEST(RepeatingFiles, OnlyRepeatingItemsCarryARule) {
    pinLocale("en_US", "America/Los_Angeles");
    MemoryStore store;
    auto item = currentItem(u"Lunch tomorrow at noon", local(2026, 12, 7, 17, 30), ItemSettings{}, store);
    item->uid = u"B";
    EXPECT_EQ(toICalendar(*item, 0).find("RRULE:"), std::string::npos);
    EXPECT_TRUE(ZQoccurrencesLine(*item).isEmpty());
    auto weekly = currentItem(u"Sync every other week", local(2026, 12, 7, 17, 30), ItemSettings{}, store);
    weekly->uid = u"C";
    EXPECT_NE(toICalendar(*weekly, 0).find("RRULE:FREQ=WEEKLY;INTERVAL=2;WKST=MO"), std::string::npos);
}

}  // namespace
}  // namespace linecal::testing
