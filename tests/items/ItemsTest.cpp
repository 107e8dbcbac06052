#include "TestSupport.h"

#include "items/CalendarMenu.h"
#include "items/Calendars.h"
#include "items/CurrentItem.h"
#include "items/Descriptions.h"
#include "items/ItemBuilding.h"
#include "items/RepetitionWords.h"
#include "stores/MemoryStore.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cmath>

namespace linecal {
namespace {

using testing::local;
using testing::utf8;

// The alarms as " / text trigger [action detail]", such as " / 15m -900 sound bell".
std::string alarmsOf(const CalendarItem& item) {
    std::string out;
    for (const auto& a : item.alarms) {
        out.append(" / ").append(utf8(a->description())).append(" ");
        out.append(std::to_string(static_cast<long long>(a->relativeTrigger)));
        if (a->action) out += std::array{" display", " sound", " email"}[static_cast<int>(*a->action)];
        if (a->sound) out.append(" ").append(utf8(*a->sound));
        if (a->emailAddress) out.append(" ").append(utf8(*a->emailAddress));
    }
    return out;
}

// An item on one line, its dates in minutes after 16:15 on 10 March 2010. Strings are
// appended piece by piece: g++ 12 warns falsely on "literal" + std::string.
std::string describe(const CalendarItem& item) {
    auto at = [](std::optional<Date> d) {
        return d ? std::to_string(std::lround((d->seconds - local(2010, 3, 10, 16, 15).seconds) / 60)) : "-";
    };
    std::string text("'");
    text.append(utf8(item.title.value_or(u"-"))).append("' ");
    if (auto* e = dynamic_cast<const Event*>(&item)) {
        text.append(at(e->startDate)).append("..").append(at(e->endDate)).append(e->isAllDay ? " all-day" : "");
        if (e->location) text.append(" at ").append(utf8(*e->location));
    } else {
        text.append("due ").append(at(dynamic_cast<const Task&>(item).dueDate));
    }
    if (item.calendar) text.append(" [").append(utf8(item.calendar->title)).append("]");
    return text + alarmsOf(item);
}

class Items : public ::testing::Test {
protected:
    void SetUp() override { testing::pinLocale("en_US", "America/Los_Angeles"); }
    // "Call Bob" at a single instant, as a typed line without a duration gives it.
    static ParsedEntry callBob(AlarmMap alarms = {}) {
        ParsedEntry e;
        e.title = u"Call Bob";
        e.fromDate = e.toDate = local(2010, 3, 10, 16, 15);
        e.alarms = std::move(alarms);
        return e;
    }
    MemoryStore store;
    ItemSettings settings;
};

TEST_F(Items, RecordBecomesAnEventOrATaskWithItsFieldsUnchanged) {
    store.addCalendar({u"w1", u"Work", CalCalendarTypeLocal, {}, true});
    ParsedEntry e = callBob({{u"0m", 0}, {u"1h", 60}, {u"2147483647m", INT32_MAX}});
    e.toDate = local(2010, 3, 10, 17);
    e.allDay = true;
    e.location = icu::UnicodeString(u"Cafe");
    e.calendar = icu::UnicodeString(u"work");
    // Record order, no action yet; a huge offset must not wrap round to an alarm after the start.
    const std::string alarms = " / 0m 0 / 1h -3600 / 2147483647m -128849018820";
    EXPECT_EQ(describe(*ZQitemFromHash(e, store, u"iCal")), "'Call Bob' 0..45 all-day at Cafe [Work]" + alarms);
    e.task = true;
    EXPECT_EQ(describe(*ZQitemFromHash(e, store, u"iCal")), "'Call Bob' due 0 [Work]" + alarms);
}

TEST_F(Items, NamedCalendarIsFoundByLowerCaseTitle) {
    store.addCalendar({u"a", u"Work", CalCalendarTypeLocal, {}, true});
    auto later = store.addCalendar({u"b", u"work", CalCalendarTypeLocal, {}, true});
    auto team = store.addCalendar({u"c", u"Team", CalCalendarTypeCalDAV, {}, true});
    const struct {
        const char16_t* name;
        const char16_t* app;
        CalendarRef found;
    } cases[] = {
        {u"work", u"iCal", later},  // the later of two equal names wins
        {u"work", u"BusyCal", later},   {u"team", u"iCal", team},
        {u"team", u"BusyCal", nullptr},  // BusyCal sees local calendars only
        {u"Work", u"iCal", nullptr},     // the record's name is compared exactly
    };
    ParsedEntry e = callBob();
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.name) + " in " + utf8(c.app));
        e.calendar = icu::UnicodeString(c.name);
        EXPECT_EQ(ZQitemFromHash(e, store, c.app)->calendar, c.found);
    }
}

TEST_F(Items, DefaultAlarmJoinsTheTypedOnesAndEveryAlarmGetsThePreferredAction) {
    settings.alarmSound = icu::UnicodeString(u"bell");
    settings.alarmEmail = icu::UnicodeString(u"me@example.org");
    const struct {
        bool enabled;
        std::int32_t minutes;
        AlarmAction action;
        AlarmMap typed;
        const char* alarms;
    } cases[] = {
        {true, 30, AlarmAction::Sound, {{u"30m", 30}}, " / 30m -1800 sound bell"},  // replaces the one with its key
        {true,
         30,
         AlarmAction::Email,
         {{u"15m", 15}},
         " / 15m -900 email me@example.org / 30m -1800 email me@example.org"},
        {true, 60, AlarmAction::Display, {{u"1h", 60}}, " / 1h -3600 display / 60m -3600 display"},  // another key
        {false, 60, AlarmAction::Sound, {{u"1h", 60}}, " / 1h -3600 sound bell"},
        {false, 60, AlarmAction::Display, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alarms);
        settings.alarmEnabled = c.enabled;
        settings.alarmMinutes = c.minutes;
        settings.alarmAction = c.action;
        EXPECT_EQ(alarmsOf(*currentItemFromEntry(callBob(c.typed), settings, store)), c.alarms);
    }
}

TEST_F(Items, SettingsCompleteTheCalendarAndTheLength) {
    store.addCalendar({u"h1", u"Home", CalCalendarTypeLocal, {}, true});
    store.addCalendar({u"w1", u"Work", CalCalendarTypeLocal, {}, true});
    settings.alarmEnabled = false;
    const struct {
        const char16_t* target;
        const char16_t* named;
        bool task;
        int minutes, length;
        const char* item;
    } cases[] = {
        {u"h1", nullptr, false, 0, 60, "'Call Bob' 0..60 [Home]"},  // unnamed: the target calendar
        {u"h1", u"work", false, 0, 60, "'Call Bob' 0..60 [Work]"},
        {u"deleted", nullptr, false, 0, 0, "'Call Bob' 0..0"},
        {nullptr, nullptr, true, 0, 60, "'Call Bob' due 0"},
        {u"h1", nullptr, false, 30, 60, "'Call Bob' 0..30 [Home]"},  // only zero-length events grow
        {u"h1", nullptr, false, 0, -30, "'Call Bob' 0..0 [Home]"},   // never ends before it starts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        settings.targetCalendarUID = c.target ? std::optional<icu::UnicodeString>(c.target) : std::nullopt;
        settings.eventLengthMinutes = c.length;
        ParsedEntry e = callBob();
        e.task = c.task;
        e.toDate = Date{e.fromDate.seconds + c.minutes * 60};
        if (c.named) e.calendar = icu::UnicodeString(c.named);
        EXPECT_EQ(describe(*currentItemFromEntry(e, settings, store)), c.item);
    }
}

TEST_F(Items, HeadingsNameTheAccountOrTheType) {
    const struct {
        const char16_t* type;
        std::optional<icu::UnicodeString> notes;
        const char* heading;
    } cases[] = {
        {CalCalendarTypeCalDAV, u"bob@gmail.com", "bob@gmail.com (Google)"},
        {CalCalendarTypeCalDAV, u"bob@yahoo.com and bob@gmail.com", "bob@yahoo.com and bob@gmail.com (Google)"},
        {CalCalendarTypeCalDAV, u"bob@yahoo.com", "bob@yahoo.com (Yahoo)"},
        {CalCalendarTypeExchange, u"bob@me.com", "bob@me.com (MobileMe)"},
        {CalCalendarTypeCalDAV, u"bob@aol.com", "bob@aol.com (AOL)"},
        {CalCalendarTypeCalDAV, u"bob@Gmail.com", "bob@Gmail.com (CalDAV)"},  // case-sensitive
        {CalCalendarTypeCalDAV, std::nullopt, "Unknown (CalDAV)"},
        {CalCalendarTypeExchange, u"", "Unknown (Exchange)"},
        {CalCalendarTypeLocal, std::nullopt, "Unknown"},
        {CalCalendarTypeLocal, u"On my laptop", "On my laptop"},
        {CalCalendarTypeSubscription, u"bob@gmail.com", "Subscription"},
    };
    for (const auto& c : cases) {
        const Calendar calendar{u"id", u"Title", c.type, c.notes, true};
        EXPECT_EQ(utf8(headingForCalendar(&calendar)), c.heading);
    }
    EXPECT_EQ(utf8(headingForCalendar(nullptr)), "Unknown");
}

// The list the preferences offer, one entry per line: "# heading", "--", "  Title" with
// "(off)" for calendars that cannot be chosen and "*" for the selected one.
std::string menuText(const std::vector<CalendarMenuEntry>& menu) {
    std::string text;
    for (const auto& entry : menu) {
        switch (entry.kind) {
            case CalendarMenuEntry::Kind::Heading:
                text.append("# ").append(utf8(entry.text));
                break;
            case CalendarMenuEntry::Kind::Separator:
                text.append("--");
                break;
            case CalendarMenuEntry::Kind::Calendar:
                text.append(utf8(entry.text)).append(entry.enabled ? "" : " (off)").append(entry.selected ? " *" : "");
                break;
        }
        text += '\n';
    }
    return text;
}

TEST_F(Items, CalendarMenuHeadsEachAccountOnce) {
    auto add = [this](const char16_t* uid, const char16_t* title, const char16_t* type,
                      std::optional<icu::UnicodeString> notes, bool editable) {
        store.addCalendar({uid, title, type, std::move(notes), editable});
    };
    add(u"home", u"Home", CalCalendarTypeLocal, std::nullopt, true);
    add(u"work", u"Work", CalCalendarTypeLocal, std::nullopt, true);
    add(u"team", u"Team", CalCalendarTypeCalDAV, u"alice@127.0.0.1", true);
    add(u"feed", u"Holidays", CalCalendarTypeCalDAV, u"alice@127.0.0.1", false);
    add(u"g", u"Family", CalCalendarTypeCalDAV, u"bob@gmail.com", true);
    add(u"home2", u"Errands", CalCalendarTypeLocal, std::nullopt, true);
    EXPECT_EQ(menuText(calendarMenu(store.calendars(), icu::UnicodeString(u"team"), u"Calendar")),
              "# On This Computer\n  Home\n  Work\n--\n# alice@127.0.0.1 (CalDAV)\n  Team *\n  Holidays (off)\n"
              "--\n# bob@gmail.com (Google)\n  Family\n--\n# Unknown\n  Errands\n");
    // BusyCal lists local calendars only; a stored server calendar then shows as nothing chosen.
    EXPECT_EQ(menuText(calendarMenu(store.calendars(), icu::UnicodeString(u"team"), u"BusyCal")),
              "# On This Computer\n  Home\n  Work\n  Errands\n");

    // With no local calendar (a new user whose first calendars are a server's) the first heading
    // is the account's, and without a listed calendar there is no heading at all.
    MemoryStore servers;
    servers.addCalendar({u"team", u"Team", CalCalendarTypeCalDAV, u"alice@127.0.0.1", true});
    servers.addCalendar({u"g", u"Family", CalCalendarTypeCalDAV, u"bob@gmail.com", true});
    EXPECT_EQ(menuText(calendarMenu(servers.calendars(), std::nullopt, u"Calendar")),
              "# alice@127.0.0.1 (CalDAV)\n  Team\n--\n# bob@gmail.com (Google)\n  Family\n");
    EXPECT_EQ(menuText(calendarMenu(servers.calendars(), std::nullopt, u"BusyCal")), "");
}

const std::string PM = "\u202FPM";  // ICU puts a narrow space between the time and AM/PM in en_US
const std::string AM = "\u202FAM";

std::shared_ptr<Event> event(std::optional<icu::UnicodeString> title, Date start, Date end, bool allDay = false) {
    auto e = std::make_shared<Event>();
    e->title = std::move(title);
    e->startDate = start;
    e->endDate = end;
    e->isAllDay = allDay;
    return e;
}

TEST_F(Items, PreviewLinesInUSEnglish) {
    auto built = [&](AlarmMap typed) { return ZQitemFromHash(callBob(std::move(typed)), store, u"iCal")->alarms; };
    const Date now = local(2010, 3, 10, 15), at415 = local(2010, 3, 10, 16, 15), noon = local(2010, 3, 11, 12);
    auto home = std::make_shared<Calendar>(Calendar{u"h", u"Home", CalCalendarTypeLocal, {}, true});
    auto lunch = event(u"Lunch", noon, local(2010, 3, 11, 13));
    lunch->location = icu::UnicodeString(u"Cafe");
    auto untitled = event(std::nullopt, at415, at415);
    lunch->calendar = untitled->calendar = home;
    lunch->alarms = built({{u"30m", 30}});
    untitled->alarms = built({{u"15m", 15}, {u"2h", 120}, {u"30m", 30}});
    auto task = [&](std::optional<icu::UnicodeString> title, std::optional<Date> due) {
        auto t = std::make_shared<Task>();
        t->title = std::move(title);
        t->dueDate = due;
        t->calendar = home;
        return t;
    };
    const std::pair<std::shared_ptr<CalendarItem>, std::string> cases[] = {
        {event(u"Call Bob", at415, at415), "Call Bob at 3/10/10, 4:15" + PM},
        {lunch, "[Home] Lunch at Cafe from 3/11/10, 12:00" + PM + " to 3/11/10, 1:00" + PM + " 30m alarm"},
        {event(u"Trip", local(2010, 3, 12), local(2010, 3, 15), true), "Trip from 3/12/10 to 3/15/10"},
        {event(u"Holiday", local(2010, 3, 12), local(2010, 3, 12), true), "Holiday at 3/12/10"},
        // Untitled events show an example for tomorrow; blanks are a title.
        {event(u"", at415, at415), "Buy groceries at 3/11/10"},
        {untitled, "[Home] Buy groceries at 3/11/10 15m, 2h, 30m alarms"},
        {event(u"  ", at415, at415), "   at 3/10/10, 4:15" + PM},
        // Tasks show the due date without time, and no example.
        {task(u"Pay rent", at415), "[Home] Pay rent by 3/10/10"},
        {task(u"Pay rent", std::nullopt), "[Home] Pay rent"},
        {task(u"", noon), "[Home]  by 3/11/10"},
    };
    for (const auto& [item, expected] : cases) EXPECT_EQ(utf8(ZQdescription(*item, now)), expected);
    EXPECT_EQ(utf8(ZQalarmLine(Task{})), "No alarms");
}

// The rule in words after the date, the next three days, and the reason when nothing repeats.
TEST_F(Items, RepeatingItemsNameTheirRuleAndTheirNextDays) {
    const Date monday = local(2026, 12, 7, 17, 30);
    ItemSettings quiet;
    quiet.alarmEnabled = false;
    const std::pair<const char*, const char*> lines[] = {
        {"Class every Mon and Thu at 6pm", "Class at 12/7/26, 6:00\u202FPM, every Monday and Thursday"},
        {"Bins every other Tuesday until 6/30", "Bins at 12/8/26, every 2 weeks on Tuesday until 6/30/27"},
        {"Pay bills every last day of the month", "Pay bills at 12/31/26, every month on the last day"},
        {"Club every 2nd and 4th Tuesday", "Club at 12/8/26, every month on the second and fourth Tuesday"},
        {"Birthday every May 5", "Birthday at 5/5/27, every year on May 5"},
        {"Standup every weekday at 9am 10 times", "Standup at 12/8/26, 9:00\u202FAM, every weekday, 10 times"},
        {"todo Water plants every 3 days", "Water plants by 12/7/26, every 3 days"},
    };
    for (const auto& [text, expected] : lines) {
        SCOPED_TRACE(text);
        auto item = currentItem(icu::UnicodeString::fromUTF8(text), monday, quiet, store);
        EXPECT_EQ(utf8(ZQeventLine(*item, monday)), expected);
    }
    auto club = currentItem(u"Club every 2nd and 4th Tuesday", monday, quiet, store);
    EXPECT_EQ(utf8(ZQoccurrencesLine(*club)), "Next: 12/8/26; 12/22/26; 1/12/27");
    auto exception = currentItem(u"Standup every Monday except holidays", monday, quiet, store);
    EXPECT_NE(utf8(ZQoccurrencesLine(*exception)).find("Not repeated"), std::string::npos);
    EXPECT_TRUE(ZQoccurrencesLine(*currentItem(u"Lunch tomorrow", monday, quiet, store)).isEmpty());
}

// The other reading's line names its dates as the preview does, its title only where it differs.
TEST_F(Items, TheOtherReadingIsWordedLikeThePreview) {
    const Date now = local(2010, 3, 10, 15);
    ItemSettings quiet;
    quiet.alarmEnabled = false;
    const std::pair<const char*, std::string> lines[] = {
        {"Call Ann 5/12 at 3pm", "or 12/5/10, 3:00" + PM + "?"},
        {"Trip 5/6 to 5/8", "or 6/5/10 to 8/5/10?"},
        {"todo Pay rent next Friday", "or 3/12/10?"},
        {"Meet 10.30", "or 3/11/10, 10:30" + AM + "?"},
    };
    for (const auto& [text, expected] : lines) {
        SCOPED_TRACE(text);
        const ItemReadings readings = currentReadings(icu::UnicodeString::fromUTF8(text), now, quiet, store);
        ASSERT_FALSE(readings.others.empty());
        EXPECT_EQ(utf8(ZQotherReadingLine(*readings.others.front().item, *readings.item)), expected);
    }
    EXPECT_TRUE(currentReadings(u"Call Ann 5/13 at 3pm", now, quiet, store).others.empty());
    // A task's other reading keeps it a task, with its other due day.
    const ItemReadings task = currentReadings(u"todo Pay rent next Friday", now, quiet, store);
    EXPECT_NE(dynamic_cast<const Task*>(task.others.front().item.get()), nullptr);
}

TEST_F(Items, PreviewLocaleAndZoneDecideTheDateText) {
    testing::pinLocale("de_DE", "Europe/Berlin");
    auto call = event(u"Bob anrufen", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 17, 0));
    EXPECT_EQ(utf8(ZQeventLine(*call, Date{})), "Bob anrufen from 10.03.10, 16:15 to 10.03.10, 17:00");
    EXPECT_EQ(utf8(ZQeventLine(*event(u"", Date{}, Date{}), local(2010, 12, 31, 20))), "Buy groceries at 01.01.11");

    // The same instant, read in another zone, is another wall-clock time.
    testing::pinLocale("en_US", "America/New_York");
    EXPECT_EQ(utf8(ZQeventLine(*call, Date{})), "Bob anrufen from 3/10/10, 10:15\u202FAM to 3/10/10, 11:00\u202FAM");
}

}  // namespace
}  // namespace linecal
