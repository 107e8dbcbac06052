// Date field arithmetic, the locale's date order and the text helpers.
#include "ParseTestSupport.h"
#include "parse/DateContext.h"
#include "parse/DateHelpers.h"
#include "parse/MatchHints.h"
#include "parse/Patterns.h"
#include "parse/NaturalDate.h"
#include "parse/TextHelpers.h"
#include "regex/RegexService.h"

#include <unicode/basictz.h>
#include <unicode/tztrans.h>

#include <random>

namespace linecal::testing {
namespace {

class DateHelpers : public ParseFixture {};

TEST_F(DateHelpers, FieldArithmeticDropsSecondsAndCarries) {
    EXPECT_EQ(noon(local(2010, 3, 10, 23, 59, 59)), local(2010, 3, 10, 12));
    EXPECT_EQ(noon(local(2010, 3, 10, 0, 0, 0)), local(2010, 3, 10, 12));
    EXPECT_EQ(addOneDay(local(2010, 1, 31, 9, 30, 45)), local(2010, 2, 1, 9, 30));
    EXPECT_EQ(addOneYear(local(2012, 2, 29, 8)), local(2013, 3, 1, 8));
    EXPECT_EQ(addOneWeek(local(2010, 3, 10, 12)), local(2010, 3, 17, 12));  // across the clock change
    EXPECT_EQ(tomorrowAt4pm(local(2010, 3, 10, 23, 30)), local(2010, 3, 11, 16));
}

TEST_F(DateHelpers, QuarterHourStep) {
    const std::pair<std::array<int, 3>, std::array<int, 3>> cases[] = {
        {{10, 0, 0}, {10, 10, 15}},  {{10, 7, 59}, {10, 10, 15}}, {{10, 22, 0}, {10, 10, 15}},
        {{10, 23, 0}, {10, 10, 30}}, {{10, 52, 0}, {10, 10, 45}}, {{10, 53, 0}, {10, 11, 0}},
        {{23, 55, 0}, {11, 0, 0}},
    };
    for (const auto& [in, out] : cases) {
        Date d = dateToNearest15Minutes(local(2010, 3, 10, in[0], in[1], in[2]));
        EXPECT_EQ(d, local(2010, 3, out[0], out[1], out[2])) << in[0] << ":" << in[1];
    }
}

TEST_F(DateHelpers, DayIsAnOpenInterval) {
    Date day = local(2010, 3, 10, 9);
    EXPECT_FALSE(isThisDay(local(2010, 3, 10, 0, 0, 0), day));
    EXPECT_TRUE(isThisDay(local(2010, 3, 10, 0, 0, 1), day));
    EXPECT_TRUE(isThisDay(local(2010, 3, 10, 23, 59, 59), day));
    EXPECT_FALSE(isThisDay(local(2010, 3, 11, 0, 0, 0), day));
    EXPECT_FALSE(isBefore(day, day));
    EXPECT_EQ(busyCalDate(local(2010, 12, 5, 16)), "2010-12-05T16:00:00-0800");
}

// The field work done by plain arithmetic and the zone's offsets must give what
// a lenient ICU Gregorian calendar gives: carries, clock changes (skipped and
// repeated hours), zones far from UTC, and the years before and after.
TEST(DateContextFields, AgreeWithTheCalendar) {
    std::mt19937 rng(3);
    for (const char* zone : {"America/Los_Angeles", "Europe/Berlin", "Australia/Lord_Howe", "Asia/Kathmandu", "UTC"}) {
        PinnedZoneAndLocale pin(zone, "en_US");
        DateContext& ctx = DateContext::current();
        UErrorCode status = U_ZERO_ERROR;
        icu::GregorianCalendar cal(icu::TimeZone::createDefault(), status);
        cal.setLenient(true);
        for (int round = 0; round < 4000; ++round) {
            const int year =
                round % 10 == 0 ? 1550 + static_cast<int>(rng() % 100) : 1990 + static_cast<int>(rng() % 60);
            const int month = static_cast<int>(rng() % 14), day = static_cast<int>(rng() % 34);
            const int hour = static_cast<int>(rng() % 28) - 2, minute = static_cast<int>(rng() % 70) - 5;
            cal.clear();
            cal.set(UCAL_EXTENDED_YEAR, year);
            cal.set(UCAL_MONTH, month - 1);
            cal.set(UCAL_DATE, day);
            cal.set(UCAL_HOUR_OF_DAY, hour);
            cal.set(UCAL_MINUTE, minute);
            const double expected = cal.getTime(status) / 1000.0;
            ASSERT_EQ(ctx.fromFields(year, month, day, hour, minute), expected)
                << zone << " " << year << "-" << month << "-" << day << " " << hour << ":" << minute;

            const double instant = expected + static_cast<double>(rng() % 7200) - 3600.5;
            cal.setTime(instant * 1000.0, status);
            const DateFields f = ctx.fields(instant);
            EXPECT_EQ(f.year, cal.get(UCAL_EXTENDED_YEAR, status)) << zone << " " << instant;
            EXPECT_EQ(f.month, cal.get(UCAL_MONTH, status) + 1) << zone << " " << instant;
            EXPECT_EQ(f.day, cal.get(UCAL_DATE, status)) << zone << " " << instant;
            EXPECT_EQ(f.hour, cal.get(UCAL_HOUR_OF_DAY, status)) << zone << " " << instant;
            EXPECT_EQ(f.minute, cal.get(UCAL_MINUTE, status)) << zone << " " << instant;
        }
        // Every wall time, quarter by quarter, around the clock changes of a few years.
        const auto* zoneRules = dynamic_cast<const icu::BasicTimeZone*>(&cal.getTimeZone());
        icu::TimeZoneTransition change;
        UDate from = local(2009, 1, 1).seconds * 1000.0;
        for (int changes = 0; zoneRules && changes < 6 && zoneRules->getNextTransition(from, false, change);
             ++changes) {
            from = change.getTime();
            const DateFields around = ctx.fields(from / 1000.0 - 7200);
            for (int quarter = 0; quarter < 20; ++quarter) {
                cal.clear();
                cal.set(around.year, around.month - 1, around.day, around.hour, around.minute + 15 * quarter);
                EXPECT_EQ(
                    ctx.fromFields(around.year, around.month, around.day, around.hour, around.minute + 15 * quarter),
                    cal.getTime(status) / 1000.0)
                    << zone << " near " << from / 1000.0 << " + " << quarter;
            }
        }
        EXPECT_TRUE(U_SUCCESS(status));
    }
}

TEST(DateOrder, FollowsTheLocaleShortDatePattern) {
    const std::pair<const char*, const char*> cases[] = {
        {"en_US", "MDYH"}, {"de_DE", "DMYH"}, {"sv_SE", "YMDH"}, {"en_GB", "DMYH"}, {"ja_JP", "YMDH"},
    };
    for (auto [locale, order] : cases) {
        PinnedZoneAndLocale pin("UTC", locale);
        EXPECT_EQ(dateOrderFormat(), order) << locale;
    }
}

TEST_F(DateHelpers, NaturalDateReaderRejectsWhatItCannotRead) {
    for (const char* text :
         {" Feb 30 ", " 13/40 ", " 555-1234 ", " 25PM ", " 4:75PM ", " Ma 5 ", " xyz ", " 4PM XST ", ""}) {
        EXPECT_FALSE(dateWithNaturalLanguageString(icu::UnicodeString::fromUTF8(text), now_, "MDYH")) << text;
    }
    EXPECT_EQ(dateWithNaturalLanguageString(u" NOON PDT ", now_), Date{local(2010, 3, 10, 11).seconds});
    EXPECT_EQ(dateWithNaturalLanguageString(u" 12AM ", now_), local(2010, 3, 10, 0));
    EXPECT_EQ(dateWithNaturalLanguageString(u" Wed ", now_), local(2010, 3, 10));
}

TEST(TextHelpers, ZQtrimCollapsesSpacesAndDoubledAt) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"  Lunch   with  Bob ", u"Lunch with Bob"},
        {u"Dinner at at Joe's", u"Dinner at Joe's"},
        {u"chat at home", u"chat home"},
        {u"", u""},
        {u"     ", u""},
        {u"a\t\tb\t", u"a\t\tb"},
        {u"a           b", u"a  b"},  // eleven spaces keep two
    };
    for (auto [in, out] : cases) EXPECT_EQ(ZQtrim(in), icu::UnicodeString(out)) << u8(in);
}

TEST(TextHelpers, NaturalTimeStringNormalisesCompactTimes) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u" 4pm ", u" 4pm   "},       {u" 9a ", u" 9am   "},     {u" 430pm ", u"4:30pm"},
        {u" 430p ", u"4:30pm"},       {u" 1130am ", u"11:30am"}, {u" 1630 ", u"16:30"},
        {u" 4.30PM ", u" 4:30pm   "}, {u" 430 pm ", u"4:30 pm"}, {u" a am ", u" a am   "},
    };
    for (auto [in, out] : cases) EXPECT_EQ(naturalTimeString(in), icu::UnicodeString(out)) << u8(in);
}

TEST(TextHelpers, UriEncodingAndBooleans) {
    EXPECT_EQ(stringByURIEncoding(u"Team Meeting"), "Team%20Meeting");
    EXPECT_EQ(stringByURIEncoding(u"a/b?c"), "a%2Fb%3Fc");
    EXPECT_EQ(stringByURIEncoding(u"Caf\u00e9 ~x_y-z."), "Caf%C3%A9%20~x_y-z.");
    EXPECT_FALSE(stringByURIEncoding(icu::UnicodeString(static_cast<UChar>(0xD800))));
    EXPECT_STREQ(stringWithBool(false), "No");
    EXPECT_STREQ(stringWithBool(true), "Yes");
}

}  // namespace
}  // namespace linecal::testing

namespace linecal::testing {
namespace {

// A hint may let a pattern run that finds nothing, but must never skip one that
// would have matched, nor start past the first match: checked over texts built
// from the patterns' own words.
TEST(MatchHints, NeverHideAMatch) {
    const char* tokens[] = {"May",  "ma",   "Ma",    "Main",     "Sept",    "sep",  "December", "5th",    "12",
                            "3/4",  "1.2.", "10.30", "next",     "nextFri", "Fri",  "sun",      "Sunday", "thurs",
                            "Thur", "tues", "4pm",   "noon",     "EST",     "1630", "x",        "@",      "@5m",
                            "[",    "]",    "today", "Tomorrow", "for",     "in",   "+2d",      "2",      "hours",
                            "at",   "-",    "todo",  "Tasks",    "2011",    "4 pm", "12:30a",   "Noon",   "3rd",
                            "1.5",  "hrs",  "min",   "mutes",    "wk",      "\t",   "\u00a0",   "\u0663"};
    using Hint = int32_t (*)(const icu::UnicodeString&);
    const std::pair<const icu::UnicodeString*, Hint> checks[] = {
        {&patterns::monthFirstDate(), hints::monthFirstDateStart},
        {&patterns::dayFirstDate(), hints::dayFirstDateStart},
        {&patterns::timeOfDay(), hints::timeStart},
        {&patterns::weekday(), hints::weekdayStart},
        {&patterns::taskWord(),
         [](const icu::UnicodeString& t) {
             return hints::literalStart(t, {u"odo", u"ask"}, 2);
         }},
        {&patterns::today(), [](const icu::UnicodeString& t) { return hints::literalStart(t, {u"oday"}, 2); }},
        {&patterns::tomorrow(), [](const icu::UnicodeString& t) { return hints::literalStart(t, {u"omorrow"}, 2); }},
        {&patterns::alarmMarker(), [](const icu::UnicodeString& t) { return hints::literalStart(t, {u" @"}); }},
        {&patterns::duration(), [](const icu::UnicodeString& t) { return hints::amountStart(t, u" for "); }},
        {&patterns::relativeOffset(), [](const icu::UnicodeString& t) { return hints::amountStart(t, u" in "); }},
    };
    std::mt19937 rng(11);
    int matched = 0;
    for (int round = 0; round < 4000; ++round) {
        icu::UnicodeString text(u" ");
        for (int n = 1 + static_cast<int>(rng() % 6); n > 0; --n) {
            text += icu::UnicodeString::fromUTF8(tokens[rng() % std::size(tokens)]);
            text += (rng() % 4 == 0) ? u"" : u" ";
        }
        for (auto [pattern, hint] : checks) {
            const rx::Range match = rx::rangeOfRegex(text, *pattern);
            if (!match.found()) continue;
            ++matched;
            const int32_t start = hint(text);
            EXPECT_TRUE(start != hints::kNone && static_cast<std::size_t>(start) <= match.location)
                << u8(text) << " / " << u8(*pattern) << " at " << match.location << ", hint " << start;
        }
    }
    EXPECT_GT(matched, 1000);  // the texts really exercise the patterns
}

}  // namespace
}  // namespace linecal::testing
