// Everyday phrases beyond the core grammar, family by family, and the three
// readings they mend: what start, end, all-day and title come out.
#include "ParseTestSupport.h"
#include "parse/ParseEntry.h"

#include <vector>

namespace linecal::testing {
namespace {

class Everyday : public ParseFixture {
protected:
    // Nothing is read: the default start an hour on, and the whole text as the title.
    Date unread() const { return local(2010, 3, 10, 16, 15); }
};

// Monday 7 December 2026, 17:30: the moment the issue's own lines were typed.
const Date& mondayEvening() {
    static const Date d = [] {
        PinnedZoneAndLocale pin("America/Los_Angeles", "en_US");
        return local(2026, 12, 7, 17, 30);
    }();
    return d;
}

TEST_F(Everyday, WeekdayOfTodayWithAPassedTimeMeansNextWeek) {
    const Date monday = mondayEvening();
    const Reading cases[] = {
        {"Standup Monday at 9am", local(2026, 12, 14, 9), local(2026, 12, 14, 9), false, "Standup"},
        {"Standup Mon 9am to 10am", local(2026, 12, 14, 9), local(2026, 12, 14, 10), false, "Standup"},
        {"Review Monday 6pm", local(2026, 12, 7, 18), local(2026, 12, 7, 18), false, "Review"},
        {"Review Monday", local(2026, 12, 7), local(2026, 12, 7), true, "Review"},
        // A passed time of today without a weekday still means tomorrow.
        {"Standup 9am", local(2026, 12, 8, 9), local(2026, 12, 8, 9), false, "Standup"},
        {"Standup today 9am", local(2026, 12, 8, 9), local(2026, 12, 8, 9), false, "Standup"},
        {"Standup next Mon 9am", local(2026, 12, 14, 9), local(2026, 12, 14, 9), false, "Standup"},
    };
    expectReadings(cases, monday);
}

TEST_F(Everyday, ADayNamedForTodayKeepsAPassedTime) {
    const Date monday = mondayEvening();
    const Reading cases[] = {
        {"Pay rent on the 7th at 1pm", local(2026, 12, 7, 13), local(2026, 12, 7, 13), false, "Pay rent"},
        {"Review the 7th of December 9am", local(2026, 12, 7, 9), local(2026, 12, 7, 9), false, "Review"},
    };
    expectReadings(cases, monday);
}

TEST_F(Everyday, NumericGroupsThatGiveNoDateStayInTheTitle) {
    const Reading cases[] = {
        {"Call 555-1234", unread(), unread(), false, "Call 555-1234"},
        {"Call 415-555-0199", unread(), unread(), false, "Call 415-555-0199"},
        {"Ticket 2024-1234", unread(), unread(), false, "Ticket 2024-1234"},
        {"Call 555-1234 on 5/12", local(2010, 5, 12), local(2010, 5, 12), true, "Call 555-1234"},
        {"Review 5/12", local(2010, 5, 12), local(2010, 5, 12), true, "Review"},
        {"12.5.11", local(2011, 12, 5), local(2011, 12, 5), true, ""},
        {"Call at 10.30 pm", local(2010, 10, 30), local(2010, 10, 30), true, "Call"},
        {"Fix 99/99 then 5/12", local(2010, 5, 12), local(2010, 5, 12), true, "Fix 99/99 then"},
        {"Pin a99/99 99/99 then", unread(), unread(), false, "Pin a99/99 99/99 then"},
    };
    expectReadings(cases);
}

TEST_F(Everyday, NumbersWithAUnitAreAmounts) {
    const Reading cases[] = {
        {"Buy 2.5 kg flour", unread(), unread(), false, "Buy 2.5 kg flour"},
        {"Buy 2.5kg flour", unread(), unread(), false, "Buy 2.5kg flour"},
        {"Buy 1.5 l milk 5/12", local(2010, 5, 12), local(2010, 5, 12), true, "Buy 1.5 l milk"},
        {"Swim 1500 m", unread(), unread(), false, "Swim 1500 m"},
        {"Run 10.5 km", unread(), unread(), false, "Run 10.5 km"},
        {"Tip 12.5 %", unread(), unread(), false, "Tip 12.5 %"},
        {"Mix 1.2 oz", unread(), unread(), false, "Mix 1.2 oz"},
        // After "for" and "in" a unit is a length of time.
        {"Call in 5 m", now_ + 300, now_ + 300, false, "Call"},
        {"Run for 10.30 minutes 6pm", local(2010, 3, 10, 18), local(2010, 3, 10, 18, 10, 18), false, "Run"},
    };
    expectReadings(cases);
}

TEST_F(Everyday, DaysAroundToday) {
    const Reading cases[] = {
        {"Dinner the day after tomorrow at 7pm", local(2010, 3, 12, 19), local(2010, 3, 12, 19), false, "Dinner"},
        {"day after tomorrow", local(2010, 3, 12), local(2010, 3, 12), true, ""},
        {"Lunch yesterday", local(2010, 3, 9), local(2010, 3, 9), true, "Lunch"},
        {"Lunch Yesterday at 1pm", local(2010, 3, 9, 13), local(2010, 3, 9, 13), false, "Lunch"},
        {"Gym the day before yesterday", local(2010, 3, 8), local(2010, 3, 8), true, "Gym"},
        {"Church last Sunday", local(2010, 3, 7), local(2010, 3, 7), true, "Church"},
        {"Class last Wednesday", local(2010, 3, 3), local(2010, 3, 3), true, "Class"},
        {"Met Ann 3 days ago", local(2010, 3, 7), local(2010, 3, 7), true, "Met Ann"},
        {"Called a week ago", local(2010, 3, 3), local(2010, 3, 3), true, "Called"},
        {"Last call", unread(), unread(), false, "Last call"},
    };
    expectReadings(cases);
    // Month ends and a leap day.
    const Reading marchFirst[] = {{"Lunch yesterday", local(2012, 2, 29), local(2012, 2, 29), true, "Lunch"}};
    expectReadings(marchFirst, local(2012, 3, 1, 10));
    const Reading newYear[] = {{"Party two days ago", local(2009, 12, 30), local(2009, 12, 30), true, "Party"}};
    expectReadings(newYear, local(2010, 1, 1, 10));
}

TEST_F(Everyday, PartsOfTheDay) {
    const Reading cases[] = {
        {"Team sync tonight at 8", local(2010, 3, 10, 20), local(2010, 3, 10, 20), false, "Team sync"},
        {"Call mom tomorrow afternoon at 5", local(2010, 3, 11, 17), local(2010, 3, 11, 17), false, "Call mom"},
        {"Tea 3 in the afternoon", local(2010, 3, 10, 15), local(2010, 3, 10, 15), false, "Tea"},
        {"Run 8 in the morning", local(2010, 3, 11, 8), local(2010, 3, 11, 8), false, "Run"},
        {"Dinner this evening at 7:30", local(2010, 3, 10, 19, 30), local(2010, 3, 10, 19, 30), false, "Dinner"},
        {"Drinks tonight", local(2010, 3, 10, 20), local(2010, 3, 10, 20), false, "Drinks"},
        {"Dinner 7pm tonight", local(2010, 3, 10, 19), local(2010, 3, 10, 19), false, "Dinner"},
        {"Yoga tomorrow morning", local(2010, 3, 11, 9), local(2010, 3, 11, 9), false, "Yoga"},
        {"Party Friday evening", local(2010, 3, 12, 19), local(2010, 3, 12, 19), false, "Party"},
        {"Walk dog at night", local(2010, 3, 10, 20), local(2010, 3, 10, 20), false, "Walk dog"},
        {"Call at 11 at night", local(2010, 3, 10, 23), local(2010, 3, 10, 23), false, "Call"},
        // A part of today that has passed stays today; a morning with no day is the next one.
        {"Meeting this morning", local(2010, 3, 10, 9), local(2010, 3, 10, 9), false, "Meeting"},
        {"Run morning", local(2010, 3, 11, 9), local(2010, 3, 11, 9), false, "Run"},
        {"Deploy at midnight", local(2010, 3, 11, 0), local(2010, 3, 11, 0), false, "Deploy"},
        {"Deploy midnight Friday", local(2010, 3, 12, 0), local(2010, 3, 12, 0), false, "Deploy"},
        {"Lunch at noon", unread(), unread(), false, "Lunch"},
    };
    expectReadings(cases);
    // The clocks go forward at 2am on Sunday 14 March.
    const Reading saturday[] = {
        {"Yoga tomorrow morning", local(2010, 3, 14, 9), local(2010, 3, 14, 9), false, "Yoga"},
        {"Deploy at midnight", local(2010, 3, 14, 0), local(2010, 3, 14, 0), false, "Deploy"},
    };
    expectReadings(saturday, local(2010, 3, 13, 15));
    const Reading monday[] = {
        {"Team sync tonight at 8", local(2026, 12, 7, 20), local(2026, 12, 7, 20), false, "Team sync"},
        {"Dentist in half an hour", local(2026, 12, 7, 18), local(2026, 12, 7, 18), false, "Dentist"},
        {"Dinner the day after tomorrow at 7pm", local(2026, 12, 9, 19), local(2026, 12, 9, 19), false, "Dinner"},
    };
    expectReadings(monday, mondayEvening());
}

TEST_F(Everyday, AmountsInWords) {
    const Reading cases[] = {
        {"Dentist in half an hour", now_ + 1800, now_ + 1800, false, "Dentist"},
        {"Ping in a minute", now_ + 60, now_ + 60, false, "Ping"},
        {"Call in an hour", now_ + 3600, now_ + 3600, false, "Call"},
        {"Call in an hour and a half", now_ + 5400, now_ + 5400, false, "Call"},
        {"Call in a couple of hours", now_ + 7200, now_ + 7200, false, "Call"},
        {"Trip in two weeks", now_ + 14 * 86400, now_ + 14 * 86400, true, "Trip"},
        {"Trip in ten days", now_ + 10 * 86400, now_ + 10 * 86400, true, "Trip"},
        {"Call an hour from now", now_ + 3600, now_ + 3600, false, "Call"},
        {"Pay 3 days from now", now_ + 3 * 86400, now_ + 3 * 86400, true, "Pay"},
        {"Pay in ten days 5pm", local(2010, 3, 20, 17), local(2010, 3, 20, 17), false, "Pay"},
        // The digit forms decide when both are typed.
        {"Call in an hour +2h", now_ + 7200, now_ + 7200, false, "Call"},
        {"Sit in a chair", unread(), unread(), false, "Sit in a chair"},
    };
    expectReadings(cases);
}

TEST_F(Everyday, ToDoWordsGoWithTheirDate) {
    const Reading cases[] = {
        {"todo file taxes by April 15", local(2010, 4, 15), local(2010, 4, 15), true, "file taxes"},
        {"Pay rent due Friday", local(2010, 3, 12), local(2010, 3, 12), true, "Pay rent"},
        {"Call Bob before 5pm", local(2010, 3, 10, 17), local(2010, 3, 10, 17), false, "Call Bob"},
        {"Report due by next Fri", local(2010, 3, 19), local(2010, 3, 19), true, "Report"},
        {"Essay due next week", local(2010, 3, 15), local(2010, 3, 15), true, "Essay"},
        {"Stand by me", unread(), unread(), false, "Stand by me"},
        {"Split by 3 people", unread(), unread(), false, "Split by 3 people"},
        {"Call Bob before lunch", unread(), unread(), false, "Call Bob before lunch"},
        {"Due diligence", unread(), unread(), false, "Due diligence"},
    };
    expectReadings(cases);
    ParsedEntry task = parseEntry(u"todo file taxes by April 15", now_);
    EXPECT_TRUE(task.task);
}

TEST_F(Everyday, Ranges) {
    const Reading cases[] = {
        {"Meeting 3-4pm Friday", local(2010, 3, 12, 15), local(2010, 3, 12, 16), false, "Meeting"},
        {"Call 4 to 5pm", local(2010, 3, 10, 16), local(2010, 3, 10, 17), false, "Call"},
        {"Class from 4 to 5:30pm", local(2010, 3, 10, 16), local(2010, 3, 10, 17, 30), false, "Class"},
        {"Call between 4 and 5pm", local(2010, 3, 10, 16), local(2010, 3, 10, 17), false, "Call"},
        {"Review 10:30-11:15am", local(2010, 3, 11, 10, 30), local(2010, 3, 11, 11, 15), false, "Review"},
        {"Brunch 11-1pm tomorrow", local(2010, 3, 11, 11), local(2010, 3, 11, 13), false, "Brunch"},
        {"Trip July 13-15", local(2010, 7, 13), local(2010, 7, 15), true, "Trip"},
        {"Trip 13-15 July", local(2010, 7, 13), local(2010, 7, 15), true, "Trip"},
        {"Trip from 13 to 15 July", local(2010, 7, 13), local(2010, 7, 15), true, "Trip"},
        {"Trip Feb 27-28", local(2011, 2, 27), local(2011, 2, 28), true, "Trip"},
        {"Offsite Mon-Wed", local(2010, 3, 15), local(2010, 3, 17), true, "Offsite"},
        // What the core grammar reads on its own stays its reading.
        {"Meeting 2pm to 4pm", local(2010, 3, 11, 14), local(2010, 3, 11, 14), false, "Meeting"},
        {"Standup 9am-10am", unread(), unread(), false, "Standup 9am-10am"},
        {"Trip 5 May to 9 May", local(2010, 5, 5), local(2010, 5, 9), true, "Trip"},
        {"Read pages 3-4 a day", local(2011, 3, 4), local(2011, 3, 4), true, "Read pages a day"},
        {"Trip Feb 27-30", unread(), unread(), false, "Trip Feb 27-30"},
    };
    expectReadings(cases);
}

TEST_F(Everyday, WeeksMonthsAndYears) {
    const Reading cases[] = {
        {"Plan next week", local(2010, 3, 15), local(2010, 3, 15), true, "Plan"},
        {"Hike this weekend", local(2010, 3, 13), local(2010, 3, 13), true, "Hike"},
        {"Hike next weekend", local(2010, 3, 20), local(2010, 3, 20), true, "Hike"},
        {"Budget next month", local(2010, 4, 1), local(2010, 4, 1), true, "Budget"},
        {"Invoice end of the month", local(2010, 3, 31), local(2010, 3, 31), true, "Invoice"},
        {"Taxes next year", local(2011, 1, 1), local(2011, 1, 1), true, "Taxes"},
        {"Trip October 2014", local(2014, 10, 1), local(2014, 10, 1), true, "Trip"},
        {"Moved in March 2009", local(2009, 3, 1), local(2009, 3, 1), true, "Moved"},
        {"Pay ABC 2000", local(2010, 3, 10, 20), local(2010, 3, 10, 20), false, "Pay ABC"},
    };
    expectReadings(cases);
    // February's end in a leap year; next week seen from a Sunday and a Monday.
    const Reading leap[] = {{"Invoice end of the month", local(2012, 2, 29), local(2012, 2, 29), true, "Invoice"}};
    expectReadings(leap, local(2012, 2, 10, 15));
    const Reading sunday[] = {{"Plan next week", local(2010, 3, 15), local(2010, 3, 15), true, "Plan"}};
    expectReadings(sunday, local(2010, 3, 14, 15));
    const Reading monday[] = {{"Plan next week", local(2010, 3, 22), local(2010, 3, 22), true, "Plan"}};
    expectReadings(monday, local(2010, 3, 15, 15));
}

TEST_F(Everyday, DayOfTheMonth) {
    const Reading cases[] = {
        {"Pay rent on the 1st", local(2010, 4, 1), local(2010, 4, 1), true, "Pay rent"},
        {"Dentist the 15th", local(2010, 3, 15), local(2010, 3, 15), true, "Dentist"},
        {"Pay on 1st", local(2010, 4, 1), local(2010, 4, 1), true, "Pay"},
        {"Party on the 10th", local(2010, 3, 10), local(2010, 3, 10), true, "Party"},
        {"Party first of March", local(2011, 3, 1), local(2011, 3, 1), true, "Party"},
        {"Party March first", local(2011, 3, 1), local(2011, 3, 1), true, "Party"},
        {"Party the twenty-first of June", local(2010, 6, 21), local(2010, 6, 21), true, "Party"},
        {"Review the 3rd of next month", local(2010, 4, 3), local(2010, 4, 3), true, "Review"},
        {"Review March 3rd 2015", local(2015, 3, 3), local(2015, 3, 3), true, "Review"},
        {"Call for the first time", unread(), unread(), false, "Call for the first time"},
        {"You may first call", unread(), unread(), false, "You may first call"},
    };
    expectReadings(cases);
    const Reading april[] = {{"Pay on the 31st", local(2010, 5, 31), local(2010, 5, 31), true, "Pay"}};
    expectReadings(april, local(2010, 4, 5, 15));
    const Reading january[] = {
        {"Pay the 29th of next month", local(2012, 2, 29), local(2012, 2, 29), true, "Pay"},
    };
    expectReadings(january, local(2012, 1, 31, 15));
}

TEST_F(Everyday, Holidays) {
    const Reading cases[] = {
        {"Thanksgiving", local(2010, 11, 25), local(2010, 11, 25), true, "Thanksgiving"},
        {"Dinner Thanksgiving 2014", local(2014, 11, 27), local(2014, 11, 27), true, "Dinner"},
        {"Dinner on Thanksgiving 2009", local(2009, 11, 26), local(2009, 11, 26), true, "Dinner"},
        {"Party New Year's Eve", local(2010, 12, 31), local(2010, 12, 31), true, "Party"},
        {"Brunch New Year’s Day", local(2011, 1, 1), local(2011, 1, 1), true, "Brunch"},
        {"Flowers Valentines Day", local(2011, 2, 14), local(2011, 2, 14), true, "Flowers"},
        {"Parade St Patrick's Day", local(2010, 3, 17), local(2010, 3, 17), true, "Parade"},
        {"BBQ 4th of July", local(2010, 7, 4), local(2010, 7, 4), true, "BBQ"},
        {"Party Halloween", local(2010, 10, 31), local(2010, 10, 31), true, "Party"},
        {"Christmas Eve dinner", local(2010, 12, 24), local(2010, 12, 24), true, "dinner"},
        {"Boxing Day sale", local(2010, 12, 26), local(2010, 12, 26), true, "sale"},
        {"Off MLK Day", local(2011, 1, 17), local(2011, 1, 17), true, "Off"},
        {"Off Presidents' Day", local(2011, 2, 21), local(2011, 2, 21), true, "Off"},
        {"Call mom Mother's Day", local(2010, 5, 9), local(2010, 5, 9), true, "Call mom"},
        {"Parade Memorial Day", local(2010, 5, 31), local(2010, 5, 31), true, "Parade"},
        {"Call dad Father's Day", local(2010, 6, 20), local(2010, 6, 20), true, "Call dad"},
        {"Off Labor Day", local(2010, 9, 6), local(2010, 9, 6), true, "Off"},
        {"Off Columbus Day", local(2010, 10, 11), local(2010, 10, 11), true, "Off"},
        {"Shop Black Friday", local(2010, 11, 26), local(2010, 11, 26), true, "Shop"},
        {"Brunch Easter", local(2010, 4, 4), local(2010, 4, 4), true, "Brunch"},
        {"Church Ash Wednesday", local(2011, 3, 9), local(2011, 3, 9), true, "Church"},
        {"Church Palm Sunday", local(2010, 3, 28), local(2010, 3, 28), true, "Church"},
        {"Church Maundy Thursday", local(2010, 4, 1), local(2010, 4, 1), true, "Church"},
        {"Off Good Friday", local(2010, 4, 2), local(2010, 4, 2), true, "Off"},
        {"Off Easter Monday", local(2010, 4, 5), local(2010, 4, 5), true, "Off"},
        {"Church Pentecost", local(2010, 5, 23), local(2010, 5, 23), true, "Church"},
        {"Off Whit Monday", local(2010, 5, 24), local(2010, 5, 24), true, "Off"},
        {"Feast Orthodox Easter 2013", local(2013, 5, 5), local(2013, 5, 5), true, "Feast"},
        {"Rosh Hashanah", local(2010, 9, 9), local(2010, 9, 9), true, "Rosh Hashanah"},
        {"Fast Yom Kippur", local(2010, 9, 18), local(2010, 9, 18), true, "Fast"},
        {"Seder Passover", local(2010, 3, 30), local(2010, 3, 30), true, "Seder"},
        {"Candles Hanukkah", local(2010, 12, 2), local(2010, 12, 2), true, "Candles"},
        {"Fast Ramadan", local(2010, 8, 11), local(2010, 8, 11), true, "Fast"},
        {"Feast Eid al-Fitr", local(2010, 9, 10), local(2010, 9, 10), true, "Feast"},
        {"Feast Eid al-Adha", local(2010, 11, 16), local(2010, 11, 16), true, "Feast"},
        {"Dinner Chinese New Year", local(2011, 2, 3), local(2011, 2, 3), true, "Dinner"},
    };
    expectReadings(cases);
    // A holiday on its own day is today's; the day after, next year's.
    const Reading onTheDay[] = {{"Thanksgiving", local(2010, 11, 25), local(2010, 11, 25), true, "Thanksgiving"}};
    expectReadings(onTheDay, local(2010, 11, 25, 15));
    const Reading dayAfter[] = {{"Dinner Christmas", local(2011, 12, 25), local(2011, 12, 25), true, "Dinner"}};
    expectReadings(dayAfter, local(2010, 12, 26, 15));
    // Where the day depends on the country, the locale's region decides.
    PinnedZoneAndLocale britain("Europe/London", "en_GB");
    const Reading gb[] = {{"Call mum Mother's Day", local(2010, 3, 14), local(2010, 3, 14), true, "Call mum"}};
    expectReadings(gb, local(2010, 3, 10, 15));
}

TEST_F(Everyday, ThingsThatStayWords) {
    for (const char* text : {"Ship v1.2", "$20 for pizza", "5k run", "Top 10 ideas", "item 3 of 4", "Room 404",
                             "Lunch at noon", "Read chapter 3 in the book", "Today's agenda"}) {
        SCOPED_TRACE(text);
        ParsedEntry e = parseEntry(icu::UnicodeString::fromUTF8(text), now_);
        EXPECT_EQ(e.fromDate, unread());
        EXPECT_FALSE(e.allDay);
        EXPECT_TRUE(e.read.empty());
    }
    EXPECT_EQ(u8(parseEntry(u"Room 404", now_).title), "Room 404");
    EXPECT_EQ(u8(parseEntry(u"item 3 of 4", now_).title), "item 3 of 4");
}

TEST_F(Everyday, ReadPhrasesAreListedOnlyForEverydayWords) {
    EXPECT_TRUE(parseEntry(u"Buy groceries at 4pm tomorrow", now_).read.empty());
    EXPECT_TRUE(parseEntry(u"Call 555-1234", now_).read.empty());
    const ParsedEntry e = parseEntry(u"Dinner the day after tomorrow at 7pm tonight", now_);
    std::vector<std::string> read;
    for (const auto& phrase : e.read) read.push_back(u8(phrase));
    EXPECT_EQ(read, (std::vector<std::string>{"the day after tomorrow", "tonight"}));
}

}  // namespace
}  // namespace linecal::testing
