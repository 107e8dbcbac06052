#include "TestClock.h"

#include "items/Descriptions.h"

#include <gtest/gtest.h>

namespace linecal {
namespace {

using testing::local;
using testing::utf8;

const std::string kNarrowSpace = "\u202F";  // ICU puts it between the time and AM/PM in en_US

std::shared_ptr<Event> event(const char16_t* title, Date start, Date end, bool allDay = false) {
    auto e = std::make_shared<Event>();
    e->title = icu::UnicodeString(title);
    e->startDate = start;
    e->endDate = end;
    e->isAllDay = allDay;
    return e;
}

AlarmRef alarm(const char16_t* text) {
    auto a = std::make_shared<ZQCalAlarm>();
    a->relativeTime = text;
    return a;
}

CalendarRef home() { return std::make_shared<Calendar>(Calendar{u"h", u"Home", CalCalendarTypeLocal, {}, true}); }

class PreviewUS : public ::testing::Test {
protected:
    void SetUp() override { testing::pinLocale("en_US", "America/Los_Angeles"); }
    Date now() const { return local(2010, 3, 10, 15); }
};

TEST_F(PreviewUS, EventLinesNameTitleLocationAndTimes) {
    auto call = event(u"Call Bob", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15));
    EXPECT_EQ(utf8(ZQeventLine(*call, now())), "Call Bob at 3/10/10, 4:15" + kNarrowSpace + "PM");

    auto lunch = event(u"Lunch", local(2010, 3, 11, 12), local(2010, 3, 11, 13));
    lunch->location = icu::UnicodeString(u"Cafe");
    lunch->calendar = home();
    EXPECT_EQ(utf8(ZQeventLine(*lunch, now())),
              "[Home] Lunch at Cafe from 3/11/10, 12:00" + kNarrowSpace + "PM to 3/11/10, 1:00" + kNarrowSpace + "PM");

    lunch->endDate = lunch->startDate;
    EXPECT_EQ(utf8(ZQeventLine(*lunch, now())), "[Home] Lunch at Cafe at 3/11/10, 12:00" + kNarrowSpace + "PM");
}

TEST_F(PreviewUS, AllDayEventsShowDatesOnly) {
    EXPECT_EQ(utf8(ZQeventLine(*event(u"Trip", local(2010, 3, 12), local(2010, 3, 15), true), now())),
              "Trip from 3/12/10 to 3/15/10");
    EXPECT_EQ(utf8(ZQeventLine(*event(u"Holiday", local(2010, 3, 12), local(2010, 3, 12), true), now())),
              "Holiday at 3/12/10");
}

TEST_F(PreviewUS, UntitledEventShowsTheExampleForTomorrow) {
    auto untitled = event(u"", local(2010, 3, 10, 16), local(2010, 3, 10, 16));
    EXPECT_EQ(utf8(ZQeventLine(*untitled, now())), "Buy groceries at 3/11/10");
    untitled->title.reset();
    untitled->calendar = home();
    EXPECT_EQ(utf8(ZQeventLine(*untitled, now())), "[Home] Buy groceries at 3/11/10");
    // Only an empty title is untitled; blanks are a title.
    auto blank = event(u"  ", local(2010, 3, 10, 16), local(2010, 3, 10, 16));
    EXPECT_EQ(utf8(ZQeventLine(*blank, now())), "   at 3/10/10, 4:00" + kNarrowSpace + "PM");
}

TEST_F(PreviewUS, TaskLinesUseTheDueDateWithoutTime) {
    Task task;
    task.title = icu::UnicodeString(u"Pay rent");
    task.dueDate = local(2010, 3, 11, 16);
    EXPECT_EQ(utf8(ZQeventLine(task, now())), "Pay rent by 3/11/10");
    task.calendar = home();
    task.dueDate.reset();
    EXPECT_EQ(utf8(ZQeventLine(task, now())), "[Home] Pay rent");
    task.title = icu::UnicodeString();
    task.dueDate = local(2010, 3, 11, 16);
    EXPECT_EQ(utf8(ZQeventLine(task, now())), "[Home]  by 3/11/10") << "a task has no example line";
}

TEST_F(PreviewUS, AlarmLineCountsAndKeepsTheItemsOrder) {
    auto e = event(u"Call Bob", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15));
    EXPECT_EQ(utf8(ZQalarmLine(*e)), "No alarms");
    EXPECT_EQ(utf8(ZQdescription(*e, now())), "Call Bob at 3/10/10, 4:15" + kNarrowSpace + "PM");
    e->alarms = {alarm(u"30m")};
    EXPECT_EQ(utf8(ZQalarmLine(*e)), "30m alarm");
    e->alarms = {alarm(u"30m"), alarm(u"15m"), alarm(u"2h")};
    EXPECT_EQ(utf8(ZQalarmLine(*e)), "30m, 15m, 2h alarms");
    EXPECT_EQ(utf8(ZQdescription(*e, now())),
              "Call Bob at 3/10/10, 4:15" + kNarrowSpace + "PM 30m, 15m, 2h alarms");
}

TEST(PreviewLocales, LocaleAndZoneDecideTheDateText) {
    testing::pinLocale("de_DE", "Europe/Berlin");
    auto call = event(u"Bob anrufen", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 17, 0));
    EXPECT_EQ(utf8(ZQeventLine(*call, local(2010, 3, 10, 15))), "Bob anrufen from 10.03.10, 16:15 to 10.03.10, 17:00");
    EXPECT_EQ(utf8(ZQeventLine(*event(u"", Date{}, Date{}), local(2010, 12, 31, 20))), "Buy groceries at 01.01.11");

    testing::pinLocale("en_GB", "Europe/London");
    EXPECT_EQ(utf8(ZQeventLine(*event(u"Tea", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15)), Date{})),
              "Tea at 10/03/2010, 16:15");

    // The same instant, read in another zone, is another wall-clock time.
    const Date instant = local(2010, 3, 10, 16, 15);
    testing::pinLocale("en_US", "America/New_York");
    EXPECT_EQ(utf8(ZQeventLine(*event(u"Call", instant, instant), Date{})), "Call at 3/10/10, 11:15" + kNarrowSpace + "AM");
}

}  // namespace
}  // namespace linecal
