// Whole entries through the parser: what start, end and all-day come out.
#include "ParseTestSupport.h"
#include "parse/ParseEntry.h"

namespace linecal::testing {
namespace {

using Resolved = Reading;

class Resolution : public ParseFixture {
protected:
    template <std::size_t N>
    void expectResolved(const Resolved (&cases)[N]) {
        expectReadings(cases);
    }
};

TEST_F(Resolution, WorkedExamplesAtWednesdayAfternoon) {
    const Resolved cases[] = {
        {"Buy groceries at 4pm tomorrow", local(2010, 3, 11, 16), local(2010, 3, 11, 16), false, "Buy groceries"},
        {"Call Bob", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15), false, "Call Bob"},
        {"Call Bob for 30 minutes", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 45), false, "Call Bob"},
        {"Lunch 12:30pm", local(2010, 3, 11, 12, 30), local(2010, 3, 11, 12, 30), false, "Lunch"},
        {"Dinner 7pm", local(2010, 3, 10, 19), local(2010, 3, 10, 19), false, "Dinner"},
        {"Dentist May 5th", local(2010, 5, 5), local(2010, 5, 5), true, "Dentist"},
        {"Review 1/5", local(2011, 1, 5), local(2011, 1, 5), true, "Review"},
        {"Party today", local(2010, 3, 10), local(2010, 3, 10), true, "Party"},
        {"Vacation tomorrow", local(2010, 3, 11), local(2010, 3, 11), true, "Vacation"},
        {"today to tomorrow", local(2010, 3, 10), local(2010, 3, 11), true, "to"},
        {"Movie Fri 8pm", local(2010, 3, 12, 20), local(2010, 3, 12, 20), false, "Movie"},
        // The clocks go forward on 14 March: day arithmetic must keep noon at noon.
        {"Trip Fri to Mon", local(2010, 3, 12), local(2010, 3, 15), true, "Trip"},
        {"Conference Mon to Thu", local(2010, 3, 15), local(2010, 3, 18), true, "Conference"},
        {"Call mom in 2 hours", local(2010, 3, 10, 17), local(2010, 3, 10, 17), false, "Call mom"},
        {"Pay bills in 3 days", local(2010, 3, 13, 15), local(2010, 3, 13, 15), true, "Pay bills"},
        {"Pay bills in 3 days 5pm", local(2010, 3, 13, 17), local(2010, 3, 13, 17), false, "Pay bills"},
        {"Meeting 2pm to 4pm", local(2010, 3, 11, 14), local(2010, 3, 11, 14), false, "Meeting"},
        {"Standup 9am to 9:30am tomorrow", local(2010, 3, 11, 9), local(2010, 3, 11, 9, 30), false, "Standup"},
        {"Call mom +2h", local(2010, 3, 10, 17), local(2010, 3, 10, 17), false, "Call mom"},
        {"Trip 5 May to 9 May", local(2010, 5, 5), local(2010, 5, 9), true, "Trip"},
        {"Trip May 5 to May 9", local(2010, 5, 5), local(2010, 5, 9), true, "Trip"},
        // 9am EST is 6am here, which has passed: tomorrow at 6am.
        {"Meet 9am EST", local(2010, 3, 11, 6), local(2010, 3, 11, 6), false, "Meet"},
        {"Holiday next Fri", local(2010, 3, 19), local(2010, 3, 19), true, "Holiday"},
        {"Sync 1630", local(2010, 3, 10, 16, 30), local(2010, 3, 10, 16, 30), false, "Sync"},
        {"Sync 430p", local(2010, 3, 10, 16, 30), local(2010, 3, 10, 16, 30), false, "Sync"},
    };
    expectResolved(cases);
}

// Amounts with a decimal part last what was typed, and are never read as a
// date or time; numbers the date phase reads elsewhere keep their meaning.
TEST_F(Resolution, DecimalAmountsAreAmounts) {
    const Resolved cases[] = {
        {"x for 1.5 hours", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 17, 45), false, "x"},
        {"Nap for 0.5 hours", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 45), false, "Nap"},
        {"Run for 10.30 minutes 6pm", local(2010, 3, 10, 18), local(2010, 3, 10, 18, 10, 18), false, "Run"},
        {"Pay bills in 2.5 days", local(2010, 3, 13, 3), local(2010, 3, 13, 3), false, "Pay bills"},
        {"Pay bills in 1.0 days", local(2010, 3, 11, 15), local(2010, 3, 11, 15), true, "Pay bills"},
        {"x for 1.5 hours 5/12", local(2010, 5, 12), local(2010, 5, 12, 13, 30), true, "x"},
        {"x for 1.5 hrs", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15), false, "x"},
        {"Review 1.5 for notes", local(2011, 1, 5), local(2011, 1, 5), true, "Review for notes"},
        {"Call at 10.30 pm", local(2010, 10, 30), local(2010, 10, 30), true, "Call"},
        {"x for 1.5 apples", local(2011, 1, 5), local(2011, 1, 5), true, "x for apples"},
    };
    expectResolved(cases);
}

// Dates that used to come out a year off: midnight of today, a typed year, and
// a year after a month-name date.
TEST_F(Resolution, DatesStayInTheirYear) {
    const Date afterMidnight = local(2010, 3, 10, 0, 30);
    const struct {
        const char* text;
        Date now, from, to;
        bool allDay;
    } cases[] = {
        {"Party 12am", afterMidnight, local(2010, 3, 11, 0), local(2010, 3, 11, 0), false},
        {"Shift 12am to 1am", afterMidnight, local(2010, 3, 11, 0), local(2010, 3, 11, 0), false},
        {"Shift 11pm to 12am", afterMidnight, local(2010, 3, 10, 23), local(2010, 3, 11, 0), false},
        {"Dentist 5/12/2009", now_, local(2009, 5, 12), local(2009, 5, 12), true},
        {"Review 10/31/1974", now_, local(1974, 10, 31), local(1974, 10, 31), true},
        {"Trip 1/5/11 to 1/9/11", now_, local(2011, 1, 5), local(2011, 1, 9), true},
        {"Review 1/5", now_, local(2011, 1, 5), local(2011, 1, 5), true},
        {"Trip 3/1/2010 Fri", now_, local(2010, 3, 12), local(2010, 3, 12), true},
        {"Dentist March 3 2012", now_, local(2012, 3, 3), local(2012, 3, 3), true},
        {"Dentist April 14, 2012", now_, local(2012, 4, 14), local(2012, 4, 14), true},
        {"Dentist April 14th, 2009 4pm", now_, local(2009, 4, 14, 16), local(2009, 4, 14, 16), false},
        {"Dentist 14 April 2012", now_, local(2012, 4, 14), local(2012, 4, 14), true},
        {"Trip March 3 2012 to March 9 2012", now_, local(2012, 3, 3), local(2012, 3, 9), true},
        {"Dentist March 3 1630", now_, local(2011, 3, 3, 16, 30), local(2011, 3, 3, 16, 30), false},
        {"Standup 1630", now_, local(2010, 3, 10, 16, 30), local(2010, 3, 10, 16, 30), false},
        {"Gala March 3, 2150", now_, local(2010, 3, 10, 21, 50), local(2010, 3, 10, 21, 50), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ParsedEntry e = parseEntry(icu::UnicodeString::fromUTF8(c.text), c.now);
        EXPECT_EQ(e.fromDate, c.from);
        EXPECT_EQ(e.toDate, c.to);
        EXPECT_EQ(e.allDay, c.allDay);
    }
}

TEST_F(Resolution, DefaultStartStepsToTheQuarterHourAfterAnHour) {
    const std::pair<int, Date> cases[] = {
        {0, local(2010, 3, 10, 11, 15)},
        {5, local(2010, 3, 10, 11, 15)},
        {25, local(2010, 3, 10, 11, 30)},
        {53, local(2010, 3, 10, 12, 0)},
    };
    for (auto [minute, expected] : cases) {
        ParsedEntry e = parseEntry(u"", local(2010, 3, 10, 10, minute));
        EXPECT_EQ(e.fromDate, expected) << minute;
        EXPECT_EQ(e.toDate, expected);
        EXPECT_FALSE(e.allDay);
        EXPECT_TRUE(e.title.isEmpty());
        EXPECT_TRUE(e.alarms.empty());
        EXPECT_FALSE(e.calendar || e.location);
    }
}

TEST(ResolutionAcrossZones, NumericDatesFollowTheLocaleOrder) {
    const struct {
        const char* locale;
        const char* text;
        int month, day;
    } cases[] = {
        {"en_US", "Review 5/12", 5, 12},       {"de_DE", "Review 5.12.", 12, 5}, {"de_DE", "Review 5/12", 12, 5},
        {"sv_SE", "Review 2010-05-12", 5, 12}, {"sv_SE", "Review 5/12", 5, 12},  {"en_GB", "Review 5/12/10", 12, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.text);
        PinnedZoneAndLocale pin("Europe/Berlin", c.locale);
        ParsedEntry e = parseEntry(icu::UnicodeString::fromUTF8(c.text), local(2010, 3, 10, 15));
        EXPECT_EQ(e.fromDate, local(2010, c.month, c.day));
        EXPECT_TRUE(e.allDay);
    }
}

TEST(ResolutionAcrossZones, PassedTimeOnTheNightTheClocksGoBack) {
    // 31 October 2010 in Berlin has 25 hours; 1am has passed at 2:30 in the second 2am.
    PinnedZoneAndLocale pin("Europe/Berlin", "de_DE");
    Date now{local(2010, 10, 31, 2, 30).seconds + 3600};
    ParsedEntry e = parseEntry(u"Wake 1am", now);
    EXPECT_EQ(e.fromDate, local(2010, 11, 1, 1, 0));
    ParsedEntry later = parseEntry(u"Wake 11pm", now);
    EXPECT_EQ(later.fromDate, local(2010, 10, 31, 23, 0));
}

// A day the line names keeps its place even when its time has passed: the user
// typed it and the preview shows it. Only a time with no day, or with "today",
// moves to tomorrow; a named day before today still means next year.
TEST_F(Resolution, TypedDateOfTodayStaysToday) {
    const Date evening = local(2026, 12, 7, 17, 34);
    const Resolved cases[] = {
        {"Lunch Dec 7 at 1pm", local(2026, 12, 7, 13), local(2026, 12, 7, 13), false, "Lunch"},
        {"Lunch 2026-12-07 13:00", local(2026, 12, 7, 13), local(2026, 12, 7, 13), false, "Lunch"},
        {"Lunch 12/7 1pm", local(2026, 12, 7, 13), local(2026, 12, 7, 13), false, "Lunch"},
        {"Meeting Dec 7 2pm to 4pm", local(2026, 12, 7, 14), local(2026, 12, 7, 16), false, "Meeting"},
        {"Lunch 1pm", local(2026, 12, 8, 13), local(2026, 12, 8, 13), false, "Lunch"},
        {"Lunch today 1pm", local(2026, 12, 8, 13), local(2026, 12, 8, 13), false, "Lunch"},
        {"Lunch Dec 7", local(2026, 12, 7), local(2026, 12, 7), true, "Lunch"},
        {"Review 12/5 1pm", local(2027, 12, 5, 13), local(2027, 12, 5, 13), false, "Review"},
        {"Lunch Dec 7 1pm in 2 days", local(2026, 12, 9, 13), local(2026, 12, 9, 13), false, "Lunch"},
    };
    expectReadings(cases, evening);
}

// A full numeric date that cannot be a date in the locale's order but can in
// the other is read in the other; a date that names no day stays in the title
// and is reported, and never becomes today or tomorrow.
TEST_F(Resolution, UnreadableDatesStayInTheTitle) {
    const Resolved cases[] = {
        {"Flight 24.12.2026 06:15", local(2026, 12, 24, 6, 15), local(2026, 12, 24, 6, 15), false, "Flight"},
        {"Party on 31/12/2026 at 9pm", local(2026, 12, 31, 21), local(2026, 12, 31, 21), false, "Party"},
        {"Call Bob Feb 30", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15), false, "Call Bob Feb 30"},
        {"Trip Feb 30 to May 9", local(2010, 5, 9), local(2010, 5, 9), true, "Trip Feb 30"},
        {"Meet 13.5", local(2010, 3, 10, 16, 15), local(2010, 3, 10, 16, 15), false, "Meet 13.5"},
    };
    expectReadings(cases);
    EXPECT_EQ(parseEntry(u"Call Bob Feb 30", now_).notDates, std::vector<icu::UnicodeString>{u"Feb 30"});
    EXPECT_TRUE(parseEntry(u"Flight 24.12.2026 06:15", now_).notDates.empty());
    {
        PinnedZoneAndLocale pin("Europe/Berlin", "de_DE");
        const Date berlin = local(2010, 3, 10, 15);
        ParsedEntry e = parseEntry(u"Flug 12/31/2026", berlin);
        EXPECT_EQ(e.fromDate, local(2026, 12, 31));
        EXPECT_EQ(u8(e.title), "Flug");
    }
}

}  // namespace
}  // namespace linecal::testing
