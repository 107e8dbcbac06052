// Repetition phrases: the rule each one makes, where its series starts, and the
// days libical gives for it: month ends, 29 February, the clock changes, the
// last day of a series, a passed time today, and the phrases that make no rule.
#include "ParseTestSupport.h"
#include "parse/DateContext.h"
#include "parse/ParseEntry.h"
#include "parse/Recurrence.h"

#include <vector>

namespace linecal::testing {
namespace {

class Repetition : public ::testing::Test {
protected:
    PinnedZoneAndLocale pin_{"America/Los_Angeles", "en_US"};
    // Monday 7 December 2026, 17:30.
    Date monday_ = local(2026, 12, 7, 17, 30);

    ParsedEntry parse(const char* text, Date now) const { return parseEntry(icu::UnicodeString::fromUTF8(text), now); }
    ParsedEntry parse(const char* text) const { return parse(text, monday_); }
    static std::string rule(const ParsedEntry& e) { return e.recurrence ? rruleText(*e.recurrence, e.allDay) : "none"; }
    static std::vector<Date> next(const ParsedEntry& e, std::size_t n) {
        return e.recurrence ? occurrences(*e.recurrence, e.fromDate, e.allDay, n) : std::vector<Date>{};
    }
};

struct Case {
    const char* text;
    const char* rule;
    Date first;
    bool allDay;
    const char* title;
};

TEST_F(Repetition, EachPhraseMakesItsRuleAndStartsOnItsFirstDay) {
    const Case cases[] = {
        {"Standup every weekday at 9:30am", "FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;WKST=MO", local(2026, 12, 8, 9, 30),
         false, "Standup"},
        {"Rent on the 1st every month", "FREQ=MONTHLY;BYMONTHDAY=1;WKST=MO", local(2027, 1, 1), true, "Rent"},
        {"Rent every month on the 15th", "FREQ=MONTHLY;BYMONTHDAY=15;WKST=MO", local(2026, 12, 15), true, "Rent"},
        {"Bins every other Tuesday", "FREQ=WEEKLY;INTERVAL=2;BYDAY=TU;WKST=MO", local(2026, 12, 8), true, "Bins"},
        {"Class every Mon and Thu at 6pm", "FREQ=WEEKLY;BYDAY=MO,TH;WKST=MO", local(2026, 12, 7, 18), false, "Class"},
        {"Gym every mon, tue and fri", "FREQ=WEEKLY;BYDAY=MO,TU,FR;WKST=MO", local(2026, 12, 7), true, "Gym"},
        {"Standup Mondays at 10am", "FREQ=WEEKLY;BYDAY=MO;WKST=MO", local(2026, 12, 14, 10), false, "Standup"},
        {"Market on weekends", "FREQ=WEEKLY;BYDAY=SA,SU;WKST=MO", local(2026, 12, 12), true, "Market"},
        {"Pay bills every last day of the month", "FREQ=MONTHLY;BYMONTHDAY=-1;WKST=MO", local(2026, 12, 31), true,
         "Pay bills"},
        {"Book club every 3rd Friday at 7pm", "FREQ=MONTHLY;BYDAY=3FR;WKST=MO", local(2026, 12, 18, 19), false,
         "Book club"},
        {"Board every last Friday", "FREQ=MONTHLY;BYDAY=-1FR;WKST=MO", local(2026, 12, 25), true, "Board"},
        {"Club every 2nd and 4th Tuesday", "FREQ=MONTHLY;BYDAY=2TU,4TU;WKST=MO", local(2026, 12, 8), true, "Club"},
        {"Birthday every May 5", "FREQ=YEARLY;BYMONTH=5;BYMONTHDAY=5;WKST=MO", local(2027, 5, 5), true, "Birthday"},
        {"Birthday every 5 May", "FREQ=YEARLY;BYMONTH=5;BYMONTHDAY=5;WKST=MO", local(2027, 5, 5), true, "Birthday"},
        {"Party every year on Christmas", "FREQ=YEARLY;WKST=MO", local(2026, 12, 25), true, "Party"},
        {"Review every 2 weeks", "FREQ=WEEKLY;INTERVAL=2;WKST=MO", local(2026, 12, 7), true, "Review"},
        {"Water plants every 3 days at 8am", "FREQ=DAILY;INTERVAL=3;WKST=MO", local(2026, 12, 8, 8), false,
         "Water plants"},
        {"Dentist every six months", "FREQ=MONTHLY;INTERVAL=6;WKST=MO", local(2026, 12, 7), true, "Dentist"},
        {"Report monthly", "FREQ=MONTHLY;WKST=MO", local(2026, 12, 7), true, "Report"},
        {"Taxes annually", "FREQ=YEARLY;WKST=MO", local(2026, 12, 7), true, "Taxes"},
        {"Sync biweekly on Thursday", "FREQ=WEEKLY;INTERVAL=2;WKST=MO", local(2026, 12, 10), true, "Sync"},
        // A part of the day gives its hour, or the hour with it; "tonight" stays a one-off.
        {"Gym every morning", "FREQ=DAILY;WKST=MO", local(2026, 12, 8, 9), false, "Gym"},
        {"Walk every evening at 7", "FREQ=DAILY;WKST=MO", local(2026, 12, 7, 19), false, "Walk"},
        {"Meds daily at 8am 10 times", "FREQ=DAILY;COUNT=10;WKST=MO", local(2026, 12, 8, 8), false, "Meds"},
        // Six weeks of three days each; "for 2 hours" stays a length.
        {"Yoga every mon, tue and fri at 7am for 6 weeks", "FREQ=WEEKLY;BYDAY=MO,TU,FR;COUNT=18;WKST=MO",
         local(2026, 12, 8, 7), false, "Yoga"},
        {"Lesson every Wednesday at 4pm for 2 hours", "FREQ=WEEKLY;BYDAY=WE;WKST=MO", local(2026, 12, 9, 16), false,
         "Lesson"},
        {"Call mom every Sunday until 6/30", "FREQ=WEEKLY;BYDAY=SU;UNTIL=20270630;WKST=MO", local(2026, 12, 13), true,
         "Call mom"},
        {"Run every day through January", "FREQ=DAILY;UNTIL=20270131;WKST=MO", local(2026, 12, 7), true, "Run"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ParsedEntry e = parse(c.text);
        EXPECT_EQ(rule(e), c.rule);
        EXPECT_EQ(e.fromDate, c.first);
        EXPECT_EQ(e.allDay, c.allDay);
        EXPECT_EQ(u8(e.title), c.title);
        // The series starts with its start: the start lies on the rule.
        const auto days = next(e, 1);
        ASSERT_EQ(days.size(), 1u);
        EXPECT_EQ(days[0], e.fromDate);
    }
    EXPECT_EQ(parse("Lesson every Wednesday at 4pm for 2 hours").toDate, local(2026, 12, 9, 18));
    EXPECT_TRUE(parse("todo water plants every 3 days").task);
}

TEST_F(Repetition, MonthEndsAndLeapDaysFollowTheRules) {
    // "every 31st" skips the months without one; "every last day" takes each month's last.
    EXPECT_EQ(next(parse("x every 31st"), 4),
              (std::vector<Date>{local(2026, 12, 31), local(2027, 1, 31), local(2027, 3, 31), local(2027, 5, 31)}));
    EXPECT_EQ(next(parse("x every last day of the month"), 4),
              (std::vector<Date>{local(2026, 12, 31), local(2027, 1, 31), local(2027, 2, 28), local(2027, 3, 31)}));
    EXPECT_EQ(next(parse("Leap party every Feb 29"), 2), (std::vector<Date>{local(2028, 2, 29), local(2032, 2, 29)}));
    // A day no month has makes no rule.
    EXPECT_FALSE(parse("x every Feb 30").recurrence);
}

TEST_F(Repetition, TheClockTimeHoldsAcrossClockChanges) {
    // Clocks go forward on 14 March 2027 and back on 7 November 2027.
    for (const auto& [text, from] : {std::pair{"Standup every Sunday at 9am", local(2027, 3, 1)},
                                     std::pair{"Standup every Sunday at 9am", local(2027, 10, 25)}}) {
        const ParsedEntry e = parse(text, from);
        for (Date d : next(e, 4)) {
            const DateFields f = DateContext::current().fields(d.seconds);
            EXPECT_EQ(f.hour, 9);
            EXPECT_EQ(f.minute, 0);
            EXPECT_EQ(DateContext::current().weekday(d.seconds), 1);
        }
    }
}

TEST_F(Repetition, TheLastDayOfASeriesIsItsLastOccurrence) {
    const ParsedEntry timed = parse("Run every day at 9am until Dec 10");
    // 23:59:59 on 10 December in Los Angeles is 07:59:59 the next day in UTC.
    EXPECT_EQ(rule(timed), "FREQ=DAILY;UNTIL=20261211T075959Z;WKST=MO");
    EXPECT_EQ(next(timed, 10),
              (std::vector<Date>{local(2026, 12, 8, 9), local(2026, 12, 9, 9), local(2026, 12, 10, 9)}));
    const ParsedEntry allDay = parse("Run every day until Dec 10");
    EXPECT_EQ(next(allDay, 10).size(), 4u);  // 7 to 10 December
    // A month alone runs to its end; a passed month is next year's.
    EXPECT_EQ(rule(parse("x every Monday through May")), "FREQ=WEEKLY;BYDAY=MO;UNTIL=20270531;WKST=MO");
}

TEST_F(Repetition, APassedTimeTodayStartsAtTheNextOccurrence) {
    EXPECT_EQ(parse("Standup every Monday at 9am", local(2026, 12, 7, 8)).fromDate, local(2026, 12, 7, 9));
    EXPECT_EQ(parse("Standup every Monday at 9am").fromDate, local(2026, 12, 14, 9));
    // Never on a day outside the rule: Saturday evening goes to Monday, not Sunday.
    EXPECT_EQ(parse("Standup every weekday at 9am", local(2026, 12, 12, 18)).fromDate, local(2026, 12, 14, 9));
    // A date typed in the line starts the search.
    EXPECT_EQ(parse("Class every Thursday from Jan 5").fromDate, local(2027, 1, 7));
}

TEST_F(Repetition, WhatCannotBeARuleLeavesTheLineAsItWas) {
    const ParsedEntry exception = parse("Standup every Monday except holidays");
    EXPECT_FALSE(exception.recurrence);
    ASSERT_TRUE(exception.notRepeated);
    EXPECT_NE(u8(*exception.notRepeated).find("except holidays"), std::string::npos);
    // Words that only look like the phrases: no rule, and the reading of before.
    for (const char* text : {"Everyday carry review", "Each of us Monday", "Dinner tonight", "Weekday plans"}) {
        SCOPED_TRACE(text);
        const ParsedEntry e = parse(text);
        EXPECT_FALSE(e.recurrence);
    }
    EXPECT_EQ(u8(parse("Everyday carry review").title), "Everyday carry review");
}

}  // namespace
}  // namespace linecal::testing
