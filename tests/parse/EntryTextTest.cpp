// What the phases take out of the text: markers, tags, locations and the title.
#include "ParseTestSupport.h"
#include "parse/ParseEntry.h"

namespace linecal::testing {
namespace {

class EntryText : public ParseFixture {
protected:
    ParsedEntry parse(const char* text) { return parseEntry(icu::UnicodeString::fromUTF8(text), now_); }
};

TEST_F(EntryText, TitlesAndLocations) {
    const struct {
        const char* text;
        const char* title;
        const char* location;  // null: none
    } cases[] = {
        {"Lunch with Anna at Cafe Rio", "Lunch with Anna", "Cafe Rio"},
        {"Dinner at 7pm at Joe's", "Dinner", "Joe's"},
        {"Dinner at Joe's at the corner", "Dinner", "Joe's at the corner"},
        {"Meeting from 2pm to 4pm", "Meeting", nullptr},
        {"Call Bob At", "Call Bob At", nullptr},
        {"today to tomorrow", "to", nullptr},
        {"      ", "", nullptr},
        {"todo buy todo list", "buy list", nullptr},
        {"Lunch at noon", "Lunch", "noon"},
        {"Call 555-1234", "Call 555-1234", nullptr},  // a number that gives no date stays
        {"Call at 10.30 pm", "Call", "pm"},
        {"Standup 9am-10am", "Standup 9am-10am", nullptr},
        {"Next Fri party", "Next party", nullptr},
        {"Wear sun cream", "Wear cream", nullptr},
        {"Sept 5 review", "Sept 5 review", nullptr},
        {"Meeting for 2 hrs", "Meeting", nullptr},
        {"Meeting for 30 min", "Meeting for 30 min", nullptr},
        {"For 2 hours chat", "For 2 hours chat", nullptr},
        {"Pay +15 now", "Pay +15 now", nullptr},
        {"chat at home", "chat home", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ParsedEntry e = parse(c.text);
        EXPECT_EQ(u8(e.title), c.title);
        ASSERT_EQ(e.location.has_value(), c.location != nullptr);
        if (c.location) {
            EXPECT_EQ(u8(*e.location), c.location);
        }
    }
}

TEST_F(EntryText, TaskWordsAlarmsAndCalendarTags) {
    const struct {
        const char* text;
        bool task;
        AlarmMap alarms;
        const char* calendar;
        const char* title;
    } cases[] = {
        {"Pay rent todo", true, {}, nullptr, "Pay rent"},
        {"Todo: buy milk", false, {}, nullptr, "Todo: buy milk"},
        {"Pick up tasks list", true, {}, nullptr, "Pick up list"},
        {"Call Bob @15m @1h", false, {{"15m", 15}, {"1h", 60}}, nullptr, "Call Bob"},
        {"@15m Call Bob", false, {{"15m", 15}}, nullptr, "Call Bob"},
        {"a @1m @2m @3m @4m", false, {{"1m", 1}, {"2m", 2}, {"3m", 3}}, nullptr, "a @4m"},
        {"mail@15m x @15m,", false, {}, nullptr, "mail@15m x @15m,"},
        {"x @90m @2d @1w", false, {{"90m", 90}, {"2d", 2880}, {"1w", 10080}}, nullptr, "x"},
        {"x @0m @15m @15m", false, {{"0m", 0}, {"15m", 15}}, nullptr, "x"},
        {"x @60m @1h", false, {{"60m", 60}, {"1h", 60}}, nullptr, "x"},
        {"Ping @5x", false, {}, nullptr, "Ping @5x"},
        {"Ping @99999999999w", false, {{"99999999999w", 2147483647}}, nullptr, "Ping"},
        {"Review [Work] notes", false, {}, "work", "Review notes"},
        {"Meet [Home Stuff] Friday", false, {}, "home stuff", "Meet"},
        {"x [Work] and [Home] y", false, {}, "work] and [home", "x y"},
        {"Empty [] tag", false, {}, nullptr, "Empty [] tag"},
        {"Trip [May 5]", false, {}, "may 5", "Trip"},
        {"Call Bob @15m [Work] for 30 minutes", false, {{"15m", 15}}, "work", "Call Bob"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ParsedEntry e = parse(c.text);
        EXPECT_EQ(e.task, c.task);
        EXPECT_EQ(e.alarms, c.alarms);
        ASSERT_EQ(e.calendar.has_value(), c.calendar != nullptr);
        if (c.calendar) {
            EXPECT_EQ(u8(*e.calendar), c.calendar);
        }
        EXPECT_EQ(u8(e.title), c.title);
    }
}

TEST_F(EntryText, DurationsAndOffsets) {
    const struct {
        const char* text;
        double duration;  // end minus start
    } cases[] = {
        {"Meeting for 2 hours", 7200},           {"Meeting for 90 minutes", 5400}, {"Meeting for 1 hr", 3600},
        {"Trip for 3 days", 3 * 86400},          {"Trip for 1 week", 604800},      {"Meeting for 2 wks", 0},
        {"Meeting for 99999 weeks", 2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ParsedEntry e = parse(c.text);
        EXPECT_EQ(e.toDate - e.fromDate, c.duration);
    }
    // The plus marker replaces an "in" offset.
    EXPECT_EQ(parse("Call in 3 days +1h").fromDate, now_ + 3600);
}

}  // namespace
}  // namespace linecal::testing
