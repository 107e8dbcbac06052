#include "TestClock.h"

#include "items/Calendars.h"
#include "items/CurrentItem.h"
#include "items/ItemBuilding.h"

#include <gtest/gtest.h>

#include <climits>

namespace linecal {
namespace {

using testing::local;
using testing::utf8;

// A store that only lists calendars; building never saves.
class ListStore : public CalendarStore {
public:
    CalendarRef add(const char16_t* uid, const char16_t* title, const char16_t* type = CalCalendarTypeLocal,
                    std::optional<icu::UnicodeString> notes = std::nullopt, bool editable = true) {
        auto c = std::make_shared<Calendar>(Calendar{uid, title, type, std::move(notes), editable});
        list.push_back(c);
        return c;
    }
    std::vector<CalendarRef> calendars() const override { return list; }
    bool saveEvent(Event&, int, StoreError*) override { return false; }
    bool saveTask(Task&, StoreError*) override { return false; }
    std::vector<CalendarRef> list;
};

ParsedEntry entry(const char16_t* title, Date from, Date to) {
    ParsedEntry e;
    e.title = title;
    e.fromDate = from;
    e.toDate = to;
    return e;
}

std::vector<std::pair<std::string, double>> alarmsOf(const CalendarItem& item) {
    std::vector<std::pair<std::string, double>> out;
    for (const auto& a : item.alarms) out.emplace_back(utf8(a->description()), a->relativeTrigger);
    return out;
}

class ItemBuilding : public ::testing::Test {
protected:
    void SetUp() override { testing::pinLocale("en_US", "America/Los_Angeles"); }
    ListStore store;
};

TEST_F(ItemBuilding, EventTakesEveryFieldOfTheRecordUnchanged) {
    auto work = store.add(u"w1", u"Work");
    ParsedEntry e = entry(u"Lunch", local(2010, 3, 11, 12), local(2010, 3, 11, 13));
    e.location = icu::UnicodeString(u"Cafe");
    e.calendar = icu::UnicodeString(u"work");
    e.alarms = {{u"0m", 0}, {u"1h", 60}, {u"1d", 1440}};

    auto item = ZQitemFromHash(e, store, u"iCal");
    auto* event = dynamic_cast<Event*>(item.get());
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(utf8(*event->title), "Lunch");
    EXPECT_EQ(event->startDate, local(2010, 3, 11, 12));
    EXPECT_EQ(event->endDate, local(2010, 3, 11, 13));
    EXPECT_FALSE(event->isAllDay);
    EXPECT_EQ(utf8(*event->location), "Cafe");
    EXPECT_EQ(event->calendar, work);
    EXPECT_TRUE(event->uid.isEmpty());
    using A = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(alarmsOf(*event), (A{{"0m", 0}, {"1d", -86400}, {"1h", -3600}}));
    for (const auto& alarm : event->alarms) EXPECT_FALSE(alarm->action.has_value());
}

TEST_F(ItemBuilding, EqualStartAndEndAndAllDayAreLeftAsParsed) {
    ParsedEntry e = entry(u"Holiday", local(2010, 3, 12), local(2010, 3, 12));
    e.allDay = true;
    auto event = ZQeventFromHash(e, store, u"iCal");
    EXPECT_TRUE(event->isAllDay);
    EXPECT_EQ(event->startDate, event->endDate);
    EXPECT_FALSE(event->location.has_value());
    EXPECT_TRUE(event->alarms.empty());
    EXPECT_EQ(event->calendar, nullptr);
}

TEST_F(ItemBuilding, TaskReadsOnlyTitleDueCalendarAndAlarms) {
    auto home = store.add(u"h1", u"Home");
    ParsedEntry e = entry(u"Pay rent", local(2010, 3, 11), local(2010, 3, 14));
    e.task = true;
    e.allDay = true;
    e.location = icu::UnicodeString(u"Bank");
    e.calendar = icu::UnicodeString(u"home");
    e.alarms = {{u"2h", 120}};

    auto item = ZQitemFromHash(e, store, u"iCal");
    auto* task = dynamic_cast<Task*>(item.get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(utf8(*task->title), "Pay rent");
    EXPECT_EQ(task->dueDate, local(2010, 3, 11));
    EXPECT_EQ(task->calendar, home);
    using A = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(alarmsOf(*task), (A{{"2h", -7200}}));
}

TEST_F(ItemBuilding, HugeAlarmOffsetsStayBeforeTheStart) {
    ParsedEntry e = entry(u"x", local(2010, 3, 11), local(2010, 3, 11));
    e.alarms = {{u"2147483647m", INT32_MAX}};
    auto event = ZQeventFromHash(e, store, u"iCal");
    EXPECT_EQ(event->alarms.at(0)->relativeTrigger, -60.0 * INT32_MAX);
}

TEST_F(ItemBuilding, CalendarNamesAreFoundByLowerCaseTitle) {
    store.add(u"a", u"Work");
    auto later = store.add(u"b", u"work");
    auto caldav = store.add(u"c", u"Team", CalCalendarTypeCalDAV);
    ParsedEntry e = entry(u"x", local(2010, 3, 11), local(2010, 3, 11));

    e.calendar = icu::UnicodeString(u"work");
    EXPECT_EQ(ZQitemFromHash(e, store, u"iCal")->calendar, later) << "the later of two equal names wins";
    e.calendar = icu::UnicodeString(u"team");
    EXPECT_EQ(ZQitemFromHash(e, store, u"iCal")->calendar, caldav);
    EXPECT_EQ(ZQitemFromHash(e, store, u"BusyCal")->calendar, nullptr) << "BusyCal sees local calendars only";
    e.calendar = icu::UnicodeString(u"Work");
    EXPECT_EQ(ZQitemFromHash(e, store, u"iCal")->calendar, nullptr) << "the record's name is compared exactly";
    e.calendar = icu::UnicodeString(u"play");
    EXPECT_EQ(ZQitemFromHash(e, store, u"iCal")->calendar, nullptr);

    auto lookup = calendarLookup(store, u"iCal");
    EXPECT_EQ(lookup.size(), 2u);
    EXPECT_EQ(calendarLookup(store, u"BusyCal").count(u"team"), 0u);
}

class CurrentItem : public ItemBuilding {
protected:
    ParsedEntry callBob(std::initializer_list<std::pair<const icu::UnicodeString, std::int32_t>> alarms) {
        ParsedEntry e = entry(u"Call Bob", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15));
        e.alarms = alarms;
        return e;
    }
    ItemSettings settings;
};

TEST_F(CurrentItem, DefaultAlarmJoinsOrReplacesTypedAlarmsByKey) {
    using A = std::vector<std::pair<std::string, double>>;
    settings.alarmMinutes = 30;
    EXPECT_EQ(alarmsOf(*currentItemFromEntry(callBob({{u"30m", 30}}), settings, store)), (A{{"30m", -1800}}));
    EXPECT_EQ(alarmsOf(*currentItemFromEntry(callBob({{u"15m", 15}}), settings, store)),
              (A{{"15m", -900}, {"30m", -1800}}));
    settings.alarmMinutes = 60;
    EXPECT_EQ(alarmsOf(*currentItemFromEntry(callBob({{u"1h", 60}}), settings, store)),
              (A{{"1h", -3600}, {"60m", -3600}}));
    settings.alarmEnabled = false;
    EXPECT_EQ(alarmsOf(*currentItemFromEntry(callBob({{u"1h", 60}}), settings, store)), (A{{"1h", -3600}}));
    EXPECT_TRUE(currentItemFromEntry(callBob({}), settings, store)->alarms.empty());
}

TEST_F(CurrentItem, ItemWithoutCalendarGetsTheTargetCalendar) {
    auto home = store.add(u"h1", u"Home");
    auto work = store.add(u"w1", u"Work");
    settings.targetCalendarUID = icu::UnicodeString(u"h1");
    EXPECT_EQ(currentItemFromEntry(callBob({}), settings, store)->calendar, home);

    ParsedEntry named = callBob({});
    named.calendar = icu::UnicodeString(u"work");
    EXPECT_EQ(currentItemFromEntry(named, settings, store)->calendar, work) << "a named calendar is kept";

    settings.targetCalendarUID = icu::UnicodeString(u"deleted");
    EXPECT_EQ(currentItemFromEntry(callBob({}), settings, store)->calendar, nullptr);
    settings.targetCalendarUID.reset();
    EXPECT_EQ(currentItemFromEntry(callBob({}), settings, store)->calendar, nullptr);
}

TEST_F(CurrentItem, OnlyZeroLengthEventsAreLengthened) {
    settings.eventLengthMinutes = 60;
    auto zero = currentItemFromEntry(callBob({}), settings, store);
    EXPECT_EQ(dynamic_cast<Event&>(*zero).endDate, local(2010, 3, 10, 17, 15));

    ParsedEntry timed = entry(u"Meeting", local(2010, 3, 10, 9), local(2010, 3, 10, 10));
    EXPECT_EQ(dynamic_cast<Event&>(*currentItemFromEntry(timed, settings, store)).endDate, local(2010, 3, 10, 10));

    ParsedEntry task = callBob({});
    task.task = true;
    EXPECT_EQ(dynamic_cast<Task&>(*currentItemFromEntry(task, settings, store)).dueDate, local(2010, 3, 10, 16, 15));

    settings.eventLengthMinutes = 0;
    auto kept = currentItemFromEntry(callBob({}), settings, store);
    EXPECT_EQ(dynamic_cast<Event&>(*kept).endDate, local(2010, 3, 10, 16, 15));
    settings.eventLengthMinutes = -30;
    auto negative = currentItemFromEntry(callBob({}), settings, store);
    EXPECT_EQ(dynamic_cast<Event&>(*negative).endDate, local(2010, 3, 10, 16, 15)) << "never ends before it starts";
}

TEST_F(CurrentItem, EveryAlarmGetsThePreferredActionAndItsDetail) {
    settings.alarmSound = icu::UnicodeString(u"bell");
    settings.alarmEmail = icu::UnicodeString(u"me@example.org");

    settings.alarmAction = AlarmAction::Sound;
    auto sound = currentItemFromEntry(callBob({{u"15m", 15}}), settings, store);
    ASSERT_EQ(sound->alarms.size(), 2u);
    for (const auto& a : sound->alarms) {
        EXPECT_EQ(a->action, AlarmAction::Sound);
        EXPECT_EQ(utf8(a->sound.value_or(u"")), "bell");
        EXPECT_FALSE(a->emailAddress.has_value());
    }

    settings.alarmAction = AlarmAction::Email;
    auto email = currentItemFromEntry(callBob({{u"15m", 15}}), settings, store);
    for (const auto& a : email->alarms) {
        EXPECT_EQ(a->action, AlarmAction::Email);
        EXPECT_EQ(utf8(a->emailAddress.value_or(u"")), "me@example.org");
        EXPECT_FALSE(a->sound.has_value());
    }

    settings.alarmAction = AlarmAction::Display;
    auto display = currentItemFromEntry(callBob({{u"15m", 15}}), settings, store);
    ASSERT_EQ(display->alarms.size(), 2u);
    for (const auto& a : display->alarms) {
        EXPECT_EQ(a->action, AlarmAction::Display);
        EXPECT_FALSE(a->sound.has_value());
        EXPECT_FALSE(a->emailAddress.has_value());
    }
}

class Headings : public ::testing::Test {};

Calendar calendar(const char16_t* type, std::optional<icu::UnicodeString> notes) {
    return Calendar{u"id", u"Title", type, std::move(notes), true};
}

TEST_F(Headings, AccountKindFollowsTheNotesAddress) {
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeCalDAV, u"bob@gmail.com"))), "Google");
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeCalDAV, u"bob@yahoo.com and bob@gmail.com"))), "Google");
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeCalDAV, u"bob@yahoo.com"))), "Yahoo");
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeCalDAV, u"bob@me.com"))), "MobileMe");
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeCalDAV, u"bob@aol.com"))), "AOL");
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeCalDAV, u"bob@Gmail.com"))), "CalDAV");
    EXPECT_EQ(utf8(typeForCalendar(calendar(CalCalendarTypeExchange, std::nullopt))), "Exchange");
}

TEST_F(Headings, HeadingsGroupByAccountOrType) {
    auto heading = [](const Calendar& c) { return utf8(headingForCalendar(&c)); };
    EXPECT_EQ(heading(calendar(CalCalendarTypeCalDAV, u"bob@gmail.com")), "bob@gmail.com (Google)");
    EXPECT_EQ(heading(calendar(CalCalendarTypeCalDAV, std::nullopt)), "Unknown (CalDAV)");
    EXPECT_EQ(heading(calendar(CalCalendarTypeExchange, u"")), "Unknown (Exchange)");
    EXPECT_EQ(heading(calendar(CalCalendarTypeLocal, std::nullopt)), "Unknown");
    EXPECT_EQ(heading(calendar(CalCalendarTypeLocal, u"On my laptop")), "On my laptop");
    EXPECT_EQ(heading(calendar(CalCalendarTypeSubscription, u"bob@gmail.com")), "Subscription");
    EXPECT_EQ(heading(calendar(CalCalendarTypeBirthday, std::nullopt)), "Birthday");
    EXPECT_EQ(utf8(headingForCalendar(nullptr)), "Unknown");
}

}  // namespace
}  // namespace linecal
