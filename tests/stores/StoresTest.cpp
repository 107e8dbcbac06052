#include "StoreTestSupport.h"

#include "stores/ICalendarWriter.h"
#include "stores/MemoryStore.h"

#include <gtest/gtest.h>

namespace linecal {
namespace {

using testing::local;
using testing::parseICalendar;
using testing::propertyText;

std::shared_ptr<ZQCalAlarm> alarm(const char16_t* text, double trigger, AlarmAction action) {
    auto a = std::make_shared<ZQCalAlarm>();
    a->relativeTime = text;
    a->relativeTrigger = trigger;
    a->action = action;
    return a;
}

Event timedEvent() {
    Event e;
    e.uid = u"E1";
    e.title = icu::UnicodeString(u"Lunch with Jörg");
    e.location = icu::UnicodeString(u"Café, Markt 1");
    e.startDate = local(2010, 3, 10, 16, 15);
    e.endDate = local(2010, 3, 10, 17, 45);
    return e;
}

// The instant libical reads back for a date-time property, using the file's own VTIMEZONE.
time_t readBack(icalcomponent* calendar, icalproperty_kind kind) {
    icalcomponent* inner = icalcomponent_get_first_real_component(calendar);
    icalproperty* p = icalcomponent_get_first_property(inner, kind);
    icaltimetype t = icalproperty_get_datetime_with_component(p, inner);
    return icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
}

class ICalendarText : public ::testing::Test {
protected:
    void SetUp() override { testing::pinLocale("de_DE", "Europe/Berlin"); }
};

TEST_F(ICalendarText, TimedEventIsLocalTimeWithItsOwnZoneDefinition) {
    Event e = timedEvent();
    std::string text = toICalendar(e, 1268234100);
    auto calendar = parseICalendar(text);
    ASSERT_TRUE(calendar);
    EXPECT_EQ(icalrestriction_check(calendar.get()), 1) << text;

    icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_TRUE(event);
    EXPECT_EQ(propertyText(event, ICAL_DTSTART_PROPERTY), "DTSTART;TZID=Europe/Berlin:20100310T161500");
    EXPECT_EQ(propertyText(event, ICAL_DTEND_PROPERTY), "DTEND;TZID=Europe/Berlin:20100310T174500");
    EXPECT_STREQ(icalcomponent_get_summary(event), "Lunch with Jörg");
    EXPECT_STREQ(icalcomponent_get_location(event), "Café, Markt 1");
    EXPECT_STREQ(icalcomponent_get_uid(event), "E1");

    icalcomponent* zone = icalcomponent_get_first_component(calendar.get(), ICAL_VTIMEZONE_COMPONENT);
    ASSERT_TRUE(zone);
    EXPECT_EQ(propertyText(zone, ICAL_TZID_PROPERTY), "TZID:Europe/Berlin");
    EXPECT_EQ(text.find("freeassociation"), std::string::npos);
    EXPECT_LT(text.size(), 2000u) << "the zone definition is trimmed";

    EXPECT_EQ(readBack(calendar.get(), ICAL_DTSTART_PROPERTY), static_cast<time_t>(e.startDate->seconds));
    EXPECT_EQ(readBack(calendar.get(), ICAL_DTEND_PROPERTY), static_cast<time_t>(e.endDate->seconds));

    e.endDate = e.startDate;
    auto zeroLength = parseICalendar(toICalendar(e, 0));
    EXPECT_EQ(icalrestriction_check(zeroLength.get()), 1);
    event = icalcomponent_get_first_component(zeroLength.get(), ICAL_VEVENT_COMPONENT);
    EXPECT_EQ(propertyText(event, ICAL_DTEND_PROPERTY), "") << "DTEND must be later than DTSTART";
    EXPECT_EQ(propertyText(event, ICAL_DURATION_PROPERTY), "DURATION:PT0S");
}

TEST_F(ICalendarText, SummerTimeInstantsReadBackExactly) {
    testing::pinLocale("en_US", "America/Los_Angeles");
    Event e = timedEvent();
    e.startDate = local(2010, 7, 4, 21, 30);
    e.endDate = local(2010, 11, 7, 1, 30);  // the hour that happens twice
    auto calendar = parseICalendar(toICalendar(e, 0));
    EXPECT_EQ(readBack(calendar.get(), ICAL_DTSTART_PROPERTY), static_cast<time_t>(e.startDate->seconds));
    EXPECT_EQ(readBack(calendar.get(), ICAL_DTEND_PROPERTY), static_cast<time_t>(e.endDate->seconds));
}

TEST_F(ICalendarText, AllDayEventsAreDatesWithExclusiveEnd) {
    Event e = timedEvent();
    e.isAllDay = true;
    e.startDate = local(2010, 3, 12);
    e.endDate = local(2010, 3, 14);
    std::string text = toICalendar(e, 0);
    auto calendar = parseICalendar(text);
    EXPECT_EQ(icalrestriction_check(calendar.get()), 1) << text;
    icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    EXPECT_EQ(propertyText(event, ICAL_DTSTART_PROPERTY), "DTSTART;VALUE=DATE:20100312");
    EXPECT_EQ(propertyText(event, ICAL_DTEND_PROPERTY), "DTEND;VALUE=DATE:20100315");
    EXPECT_EQ(icalcomponent_get_first_component(calendar.get(), ICAL_VTIMEZONE_COMPONENT), nullptr);

    e.endDate = e.startDate;
    auto single = parseICalendar(toICalendar(e, 0));
    event = icalcomponent_get_first_component(single.get(), ICAL_VEVENT_COMPONENT);
    EXPECT_EQ(propertyText(event, ICAL_DTEND_PROPERTY), "DTEND;VALUE=DATE:20100313");
}

TEST_F(ICalendarText, ZonesLibicalLacksAreWrittenInUTC) {
    testing::pinLocale("en_US", "Etc/UTC");
    Event e = timedEvent();
    auto calendar = parseICalendar(toICalendar(e, 0));
    icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    EXPECT_EQ(propertyText(event, ICAL_DTSTART_PROPERTY), "DTSTART:20100310T161500Z");
    EXPECT_EQ(icalcomponent_get_first_component(calendar.get(), ICAL_VTIMEZONE_COMPONENT), nullptr);
}

TEST_F(ICalendarText, EachAlarmCarriesWhatItsActionNeeds) {
    Event e = timedEvent();
    auto sound = alarm(u"15m", -900, AlarmAction::Sound);
    sound->sound = icu::UnicodeString(u"bell");
    auto email = alarm(u"1d", -86400, AlarmAction::Email);
    email->emailAddress = icu::UnicodeString(u"me@example.org");
    auto plain = std::make_shared<ZQCalAlarm>();  // built but never given an action
    plain->relativeTrigger = 0;
    e.alarms = {alarm(u"30m", -1800, AlarmAction::Display), sound, email, plain};

    std::string text = toICalendar(e, 0);
    auto calendar = parseICalendar(text);
    EXPECT_EQ(icalrestriction_check(calendar.get()), 1) << text;
    icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    std::vector<std::string> seen;
    for (icalcomponent* a = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        std::string line = propertyText(a, ICAL_ACTION_PROPERTY) + " " + propertyText(a, ICAL_TRIGGER_PROPERTY);
        for (auto kind : {ICAL_DESCRIPTION_PROPERTY, ICAL_SUMMARY_PROPERTY, ICAL_ATTACH_PROPERTY, ICAL_ATTENDEE_PROPERTY}) {
            if (auto p = propertyText(a, kind); !p.empty()) line += " | " + p;
        }
        seen.push_back(line);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "ACTION:DISPLAY TRIGGER:-PT30M | DESCRIPTION:Lunch with Jörg",
                        "ACTION:AUDIO TRIGGER:-PT15M | ATTACH:file:///usr/share/sounds/freedesktop/stereo/bell.oga",
                        "ACTION:EMAIL TRIGGER:-P1D | DESCRIPTION:Lunch with Jörg | SUMMARY:Lunch with Jörg | "
                        "ATTENDEE:mailto:me@example.org",
                        "ACTION:DISPLAY TRIGGER:PT0S | DESCRIPTION:Lunch with Jörg",
                    }));
}

TEST_F(ICalendarText, TaskIsATodoDueWithAlarmsCountedFromTheDueDate) {
    Task t;
    t.uid = u"T1";
    t.title = icu::UnicodeString(u"Pay rent");
    t.dueDate = local(2010, 3, 11, 12);
    t.alarms = {alarm(u"2h", -7200, AlarmAction::Display)};
    std::string text = toICalendar(t, 0);
    auto calendar = parseICalendar(text);
    EXPECT_EQ(icalrestriction_check(calendar.get()), 1) << text;
    icalcomponent* todo = icalcomponent_get_first_component(calendar.get(), ICAL_VTODO_COMPONENT);
    ASSERT_TRUE(todo);
    EXPECT_EQ(propertyText(todo, ICAL_DUE_PROPERTY), "DUE;TZID=Europe/Berlin:20100311T120000");
    EXPECT_EQ(propertyText(todo, ICAL_DTSTART_PROPERTY), "");
    icalcomponent* a = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
    EXPECT_EQ(propertyText(a, ICAL_TRIGGER_PROPERTY), "TRIGGER;RELATED=END:-PT2H");
}

class Memory : public ::testing::Test {
protected:
    void SetUp() override { testing::pinLocale("en_US", "America/Los_Angeles"); }
    MemoryStore store;
};

TEST_F(Memory, SavingGivesTheItemAnIdentifierAndKeepsACopy) {
    auto home = store.addCalendar({{}, u"Home", CalCalendarTypeLocal, {}, true});
    EXPECT_FALSE(home->uid.isEmpty());
    Event e = timedEvent();
    e.uid.remove();
    e.calendar = home;
    StoreError error;
    ASSERT_TRUE(saveItem(store, e, &error));
    EXPECT_EQ(e.uid.length(), 36);
    ASSERT_EQ(store.savedItems().size(), 1u);
    EXPECT_EQ(store.savedItems()[0]->uid, e.uid);
    EXPECT_EQ(store.calendarWithUID(home->uid), home);
    EXPECT_EQ(store.calendarWithUID(u"nope"), nullptr);
}

TEST_F(Memory, RefusalsExplainWhatToDoAndSaveNothing) {
    auto readOnly = store.addCalendar({u"ro", u"Holidays", CalCalendarTypeSubscription, {}, false});
    auto gone = store.addCalendar({u"gone", u"Old", CalCalendarTypeLocal, {}, true});
    store.removeCalendar(u"gone");
    auto home = store.addCalendar({u"home", u"Home", CalCalendarTypeLocal, {}, true});

    Task t;
    t.title = icu::UnicodeString(u"x");
    auto email = alarm(u"5m", -300, AlarmAction::Email);
    for (auto [calendar, alarms] : {std::pair{CalendarRef{}, std::vector<AlarmRef>{}},
                                    std::pair{readOnly, std::vector<AlarmRef>{}},
                                    std::pair{gone, std::vector<AlarmRef>{}},
                                    std::pair{home, std::vector<AlarmRef>{email}}}) {
        t.calendar = calendar;
        t.alarms = alarms;
        StoreError error;
        EXPECT_FALSE(store.saveTask(t, &error));
        EXPECT_FALSE(error.message.isEmpty());
        EXPECT_FALSE(error.recoverySuggestion.isEmpty());
        EXPECT_TRUE(t.uid.isEmpty());
    }
    EXPECT_TRUE(store.savedItems().empty());
}

}  // namespace
}  // namespace linecal
