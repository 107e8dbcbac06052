// The other readings of a line: offered exactly where the reading chose between
// two meanings, each reading the other way, and each rewritten text reading that
// way with no choice of its own, in month-first, day-first and dotted locales.
#include "ParseTestSupport.h"
#include "parse/Alternatives.h"

#include <vector>

namespace linecal::testing {
namespace {

struct Other {
    const char* reason;
    Date from, to;
    const char* text;
};

struct Line {
    const char* text;
    Date from;  // the reading itself, unchanged by the alternatives
    std::vector<Other> others;
};

void expectOthers(const std::vector<Line>& lines, Date now) {
    for (const Line& line : lines) {
        SCOPED_TRACE(line.text);
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(line.text);
        const ParsedEntry record = parseEntry(text, now);
        EXPECT_EQ(record.fromDate, line.from);
        const std::vector<Alternative> found = alternativesOf(text, record, now);
        ASSERT_EQ(found.size(), line.others.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(choiceName(found[i].choice), line.others[i].reason);
            EXPECT_EQ(found[i].record.fromDate, line.others[i].from);
            EXPECT_EQ(found[i].record.toDate, line.others[i].to);
            EXPECT_EQ(u8(found[i].text), line.others[i].text);
            EXPECT_EQ(found[i].record.title, record.title);
        }
    }
}

// The rewritten text asks for no choice of the kind it settled.
void expectSettled(const std::vector<const char*>& lines, Date now) {
    for (const char* line : lines) {
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(line);
        for (const Alternative& a : alternativesOf(text, parseEntry(text, now), now)) {
            SCOPED_TRACE(u8(a.text));
            for (const Alternative& again : alternativesOf(a.text, a.record, now)) EXPECT_NE(again.choice, a.choice);
        }
    }
}

TEST(Alternatives, MonthFirstLocale) {
    PinnedZoneAndLocale pin("America/Los_Angeles", "en_US");
    const Date wednesday = local(2010, 3, 10, 15, 0);
    expectOthers(
        {
            {"Call Ann 5/12 at 3pm",
             local(2010, 5, 12, 15),
             {{"date-order", local(2010, 12, 5, 15), local(2010, 12, 5, 15), "Call Ann 5 Dec at 3pm"}}},
            {"Trip 5/6 to 5/8",
             local(2010, 5, 6),
             {{"date-order", local(2010, 6, 5), local(2010, 8, 5), "Trip 5 Jun to 5 Aug"}}},
            {"Pay 5/12/2026",
             local(2026, 5, 12),
             {{"date-order", local(2026, 12, 5), local(2026, 12, 5), "Pay 5 Dec 2026"}}},
            {"Lunch next Friday",
             local(2010, 3, 19),
             {{"next-weekday", local(2010, 3, 12), local(2010, 3, 12), "Lunch Friday"}}},
            // Typed on a Wednesday: the reading is already the first one after today.
            {"Lunch next Wed",
             local(2010, 3, 17),
             {{"next-weekday", local(2010, 3, 24), local(2010, 3, 24), "Lunch 24 Mar"}}},
            {"Lunch Wednesday",
             local(2010, 3, 10),
             {{"weekday-today", local(2010, 3, 17), local(2010, 3, 17), "Lunch 17 Mar"}}},
            // 9am has passed, so the reading moved a week; the other keeps today.
            {"Lunch Wednesday at 9am",
             local(2010, 3, 17, 9),
             {{"weekday-today", local(2010, 3, 10, 9), local(2010, 3, 10, 9), "Lunch 10 Mar at 9am"}}},
            {"Meet 10.30",
             local(2010, 10, 30),
             {{"dot-time", local(2010, 3, 11, 10, 30), local(2010, 3, 11, 10, 30), "Meet 10:30"}}},
            {"Review 1/5",
             local(2011, 1, 5),
             {{"date-order", local(2010, 5, 1), local(2010, 5, 1), "Review 1 May"},
              {"passed-date", local(2010, 1, 5), local(2010, 1, 5), "Review 5 Jan 2010"}}},
            {"Party Feb 14",
             local(2011, 2, 14),
             {{"passed-date", local(2010, 2, 14), local(2010, 2, 14), "Party 14 Feb 2010"}}},
            // No choice made: the day cannot be the month, a weekday not today, a
            // capital Next, equal parts, a leading year, a time, a typed year.
            {"Call Ann 5/13 at 3pm", local(2010, 5, 13, 15), {}},
            {"Lunch Friday", local(2010, 3, 12), {}},
            {"Next Friday", local(2010, 3, 12), {}},
            {"Dinner 5/5", local(2010, 5, 5), {}},
            {"Dinner 2010-05-06", local(2010, 5, 6), {}},
            {"Dinner at 7pm", local(2010, 3, 10, 19), {}},
            {"Review 5 Jan 2010", local(2010, 1, 5), {}},
            {"Standup tomorrow 9am", local(2010, 3, 11, 9), {}},
        },
        wednesday);
}

TEST(Alternatives, DayFirstLocale) {
    PinnedZoneAndLocale pin("Europe/London", "en_GB");
    const Date wednesday = local(2010, 3, 10, 15, 0);
    expectOthers(
        {
            {"Call Ann 5/12 at 3pm",
             local(2010, 12, 5, 15),
             {{"date-order", local(2010, 5, 12, 15), local(2010, 5, 12, 15), "Call Ann 12 May at 3pm"}}},
            {"Lunch 13/5", local(2010, 5, 13), {}},
            // Day 10 of month 30 is no date, so no choice was made.
            {"Meet 10.30", local(2010, 3, 10, 16, 15), {}},
        },
        wednesday);
}

TEST(Alternatives, DottedLocale) {
    PinnedZoneAndLocale pin("Europe/Berlin", "de_DE");
    const Date wednesday = local(2010, 3, 10, 15, 0);
    expectOthers(
        {
            {"Essen 5.12.",
             local(2010, 12, 5),
             {{"date-order", local(2010, 5, 12), local(2010, 5, 12), "Essen 12 May"}}},
            {"Essen 10.11",
             local(2010, 11, 10),
             {{"date-order", local(2010, 10, 11), local(2010, 10, 11), "Essen 11 Oct"},
              {"dot-time", local(2010, 3, 11, 10, 11), local(2010, 3, 11, 10, 11), "Essen 10:11"}}},
            {"Essen 3.4.11",
             local(2011, 4, 3),
             {{"date-order", local(2011, 3, 4), local(2011, 3, 4), "Essen 4 Mar 2011"}}},
            {"Essen 24.12.", local(2010, 12, 24), {}},
        },
        wednesday);
}

TEST(Alternatives, EachRewrittenLineReadsItsWayWithoutThatChoice) {
    const std::vector<const char*> lines = {
        "Call Ann 5/12 at 3pm", "Trip 5/6 to 6/8", "Review 1/5",     "Lunch next Friday", "Lunch next Wed at 9am",
        "Lunch Wednesday",      "Lunch Wed 9am",   "Meet 10.30",     "Essen 10.11",       "Party Feb 14 at 8pm",
        "Pay 1/2/2011",         "Gym 9.05",        "Dec 5 to Jan 2", "Tea 5/12 next Sat",
    };
    // A Wednesday in March and one in late December, when dates without a year wrap.
    for (const auto& [zone, locale] : {std::pair{"America/Los_Angeles", "en_US"}, std::pair{"Europe/London", "en_GB"},
                                       std::pair{"Europe/Berlin", "de_DE"}}) {
        SCOPED_TRACE(locale);
        PinnedZoneAndLocale pin(zone, locale);
        expectSettled(lines, local(2010, 3, 10, 15, 0));
        expectSettled(lines, local(2010, 12, 29, 18, 0));
    }
}

TEST(Alternatives, ATakenOrderOfNumericDatesTurnsTheLocalesIntoTheOtherReading) {
    for (const auto& [zone, locale] :
         {std::pair{"America/Los_Angeles", "en_US"}, std::pair{"Europe/Berlin", "de_DE"}}) {
        SCOPED_TRACE(locale);
        PinnedZoneAndLocale pin(zone, locale);
        const Date now = local(2010, 3, 10, 15, 0);
        const bool monthFirst = std::string(locale) == "en_US";
        const icu::UnicodeString text = monthFirst ? u"Call Ann 5/12" : u"Essen 5.12.";
        const ParseOptions taken{true};
        const ParsedEntry asLocale = parseEntry(text, now), asTaken = parseEntry(text, now, taken);
        EXPECT_EQ(asLocale.fromDate, monthFirst ? local(2010, 5, 12) : local(2010, 12, 5));
        EXPECT_EQ(asTaken.fromDate, monthFirst ? local(2010, 12, 5) : local(2010, 5, 12));
        const std::vector<Alternative> other = alternativesOf(text, asTaken, now, taken);
        ASSERT_EQ(other.size(), 1u);
        EXPECT_EQ(other[0].record.fromDate, asLocale.fromDate);
        // Full dates that fit only one order, and dates led by their year, read alike either way.
        for (const char16_t* clear : {u"x 12/24/2010", u"x 24.12.2010", u"x 2010-05-06"})
            EXPECT_EQ(parseEntry(clear, now, taken).fromDate, parseEntry(clear, now).fromDate) << u8(clear);
    }
}

TEST(Alternatives, TheRewriteTouchesOnlyWholeWords) {
    PinnedZoneAndLocale pin("America/Los_Angeles", "en_US");
    const Date now = local(2010, 3, 10, 15, 0);
    // "15/12" holds the chosen "5/12" but is another word: it stays as typed.
    const icu::UnicodeString text = u"Call 5/12 re invoice 15/12";
    const std::vector<Alternative> found = alternativesOf(text, parseEntry(text, now), now);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(u8(found.front().text), "Call 5 Dec re invoice 15/12");
}

}  // namespace
}  // namespace linecal::testing
