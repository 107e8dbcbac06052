// The rule a repeating item's file states, read back and expanded by libical in
// the file's own zone, gives exactly the days the preview promised, across month
// ends, leap days, clock changes and the last day of a series.
#include "TestSupport.h"
#include "items/CurrentItem.h"
#include "items/RepetitionWords.h"
#include "parse/DateContext.h"
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
        out.push_back(static_cast<double>(icaltime_as_timet_with_zone(
            t, t.is_date ? icaltimezone_get_builtin_timezone("America/Los_Angeles") : zone)));
    }
    icalrecur_iterator_free(it);
    return out;
}

TEST(RepeatingFiles, TheFileGivesTheDaysThePreviewPromised) {
    pinLocale("en_US", "America/Los_Angeles");
    MemoryStore store;
    ItemSettings settings;
    const Date monday = local(2026, 12, 7, 17, 30);
    for (const char* entry :
         {"Standup every weekday at 9:30am", "Rent on the 1st every month", "x every 31st at 8am",
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
        for (std::size_t i = 0; i < promised.size(); ++i)
            EXPECT_EQ(fromFile[i], promised[i].seconds) << "occurrence " << i;
        // The preview's own line lists the first of them.
        EXPECT_NE(utf8(ZQoccurrencesLine(*item)).find("Next: "), std::string::npos);
    }
}

// The parser's own expansion against libical's, rule by rule, from starts spread over
// two years (month ends, leap days and both clock changes among them).
TEST(RepeatingFiles, TheOwnExpansionGivesLibicalsDays) {
    pinLocale("en_US", "America/Los_Angeles");
    using F = Recurrence::Frequency;
    auto rule = [](F f, int interval, std::vector<Recurrence::Weekday> byDay, std::vector<int> byMonthDay,
                   std::vector<int> byMonth = {}) {
        Recurrence r;
        r.frequency = f;
        r.interval = interval;
        r.byDay = std::move(byDay);
        r.byMonthDay = std::move(byMonthDay);
        r.byMonth = std::move(byMonth);
        return r;
    };
    std::vector<Recurrence> rules = {
        rule(F::Daily, 1, {}, {}),
        rule(F::Daily, 3, {}, {}),
        rule(F::Weekly, 1, {}, {}),
        rule(F::Weekly, 1, {{0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}}, {}),
        rule(F::Weekly, 2, {{0, 3}}, {}),
        rule(F::Weekly, 3, {{0, 1}, {0, 7}}, {}),
        rule(F::Monthly, 1, {}, {31}),
        rule(F::Monthly, 1, {}, {-1}),
        rule(F::Monthly, 2, {}, {15}),
        rule(F::Monthly, 1, {{3, 6}}, {}),
        rule(F::Monthly, 1, {{2, 3}, {4, 3}}, {}),
        rule(F::Monthly, 1, {{-1, 6}}, {}),
        rule(F::Monthly, 1, {{5, 2}}, {}),
        rule(F::Monthly, 6, {}, {}),
        rule(F::Yearly, 1, {}, {29}, {2}),
        rule(F::Yearly, 1, {}, {5}, {5}),
        rule(F::Yearly, 2, {}, {}),
    };
    Recurrence until = rules[3];
    until.until = Recurrence::Day{2027, 11, 9};
    rules.push_back(until);
    Recurrence counted = rules[10];
    counted.count = 7;
    rules.push_back(counted);
    for (const Recurrence& r : rules) {
        SCOPED_TRACE(rruleText(r, false));
        for (int offset = 0; offset < 730; offset += 13) {
            const auto first = firstOccurrence(r, local(2027, 1, 1 + offset, 9, 30), false);
            ASSERT_TRUE(first);
            const auto own = occurrences(r, *first, false, 40);
            // libical, on the rule as written, from the same wall-clock start.
            icalrecurrencetype rec = icalrecurrencetype_from_string(rruleText(r, false).c_str());
            const DateFields f = DateContext::current().fields(first->seconds);
            icaltimetype start = icaltime_null_time();
            start.year = f.year, start.month = f.month, start.day = f.day, start.hour = f.hour, start.minute = f.minute;
            start = icaltime_set_timezone(&start, icaltimezone_get_builtin_timezone("America/Los_Angeles"));
            icalrecur_iterator* it = icalrecur_iterator_new(rec, start);
            std::vector<Date> theirs;
            for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t) && theirs.size() < 40;
                 t = icalrecur_iterator_next(it))
                theirs.push_back(Date{static_cast<double>(icaltime_as_timet_with_zone(t, t.zone))});
            icalrecur_iterator_free(it);
            ASSERT_EQ(own, theirs) << "from " << f.year << "-" << f.month << "-" << f.day;
        }
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
