// The engine's hand-written fast paths against the forms they replaced, on
// random text: the regex trims, the replacement passes of the title tidy-up,
// and the literal test that spares the compact-time pattern.
#include "ParseTestSupport.h"
#include "parse/DateContext.h"
#include "parse/GramIndex.h"
#include "parse/ParseState.h"
#include "parse/MatchHints.h"
#include "parse/Patterns.h"
#include "parse/TextHelpers.h"
#include "regex/RegexService.h"

#include <gtest/gtest.h>

#include <unicode/basictz.h>
#include <unicode/tztrans.h>

#include <random>
#include <string>

namespace linecal {
namespace {

// Code units weighted towards what the trims and the tidy-up look at: every
// White_Space character, its near misses (other controls, ZWSP, BOM), "at",
// digits and surrogates.
icu::UnicodeString randomText(std::mt19937& rng, int maxLength) {
    static const char16_t pool[] = {u' ',   u' ',   u' ',   u' ',   u'a',   u't',   u'a',   u't',   u'x',   u'1',
                                    u'4',   u'0',   u'p',   u'm',   0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x1C,
                                    0x1F,   0x08,   0x00,   0x85,   0xA0,   0x1680, 0x180E, 0x2000, 0x200A, 0x200B,
                                    0x2028, 0x2029, 0x202F, 0x205F, 0x3000, 0xFEFF, 0xD83D, 0xDE00};
    icu::UnicodeString s;
    const int n = static_cast<int>(rng() % static_cast<unsigned>(maxLength + 1));
    for (int i = 0; i < n; ++i) s.append(pool[rng() % (sizeof pool / sizeof pool[0])]);
    return s;
}

void removeFirstMatch(icu::UnicodeString& s, const icu::UnicodeString& pattern) {
    const rx::Range r = rx::rangeOfRegex(s, pattern);
    if (r.found() && r.length > 0) s.remove(static_cast<int32_t>(r.location), static_cast<int32_t>(r.length));
}

// The title tidy-up as it was: four replacement passes, then the two regex trims.
icu::UnicodeString oldTidy(icu::UnicodeString s) {
    for (const char16_t* run : {u"    ", u"   ", u"  "}) replaceOccurrences(s, icu::UnicodeString(run), u" ");
    replaceOccurrences(s, icu::UnicodeString(u"at at"), icu::UnicodeString(u"at"));
    removeFirstMatch(s, patterns::trailingSpace());
    removeFirstMatch(s, patterns::leadingSpace());
    return s;
}

TEST(FastPaths, WhiteSpaceIsWhatTheRegexMatchesAsSpace) {
    static const icu::UnicodeString space(u"\\s");
    for (UChar32 c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const icu::UnicodeString one(c);
        ASSERT_EQ(isWhiteSpace(static_cast<char16_t>(c)), rx::isMatchedByRegex(rx::UnicodeText(one), space)) << c;
    }
}

TEST(FastPaths, TrimAndTidyMatchTheirRegexForms) {
    std::mt19937 rng(15);
    for (int i = 0; i < 20000; ++i) {
        const icu::UnicodeString text = randomText(rng, i % 10 == 0 ? 200 : 24);
        icu::UnicodeString trimmed(text), expected(text);
        trimWhiteSpace(trimmed);
        removeFirstMatch(expected, patterns::trailingSpace());
        removeFirstMatch(expected, patterns::leadingSpace());
        ASSERT_EQ(trimmed, expected) << "trim, case " << i;
        ASSERT_EQ(ZQtrim(text), oldTidy(text)) << "tidy, case " << i;
    }
}

TEST(FastPaths, CaseMappingIsTheRootLocales) {
    std::mt19937 rng(20);
    static const char16_t pool[] = {u'a', u'Z', u'm', u'P', u'@',  u'[',  u'`',  u'{',
                                    u'0', u' ', 0x7F, 0xDF, 0x130, 0x3A3, 0xFB00};
    for (int i = 0; i < 20000; ++i) {
        icu::UnicodeString text;
        const bool ascii = i % 2 == 0;
        for (int k = static_cast<int>(rng() % 12); k > 0; --k)
            text.append(pool[rng() % (ascii ? 10 : sizeof pool / sizeof pool[0])]);
        for (bool upper : {false, true}) {
            icu::UnicodeString fast(text), icu(text);
            changeCaseRoot(fast, upper);
            upper ? icu.toUpper(icu::Locale::getRoot()) : icu.toLower(icu::Locale::getRoot());
            ASSERT_EQ(fast, icu) << "case " << i << (upper ? " upper" : " lower");
        }
    }
}

TEST(FastPaths, CompactTimesNeedASpaceAndThreeDigits) {
    // Times with the shapes the pattern reads, among noise: the normalised form
    // must be what running the pattern on every text gives.
    std::mt19937 rng(16);
    static const char16_t* parts[] = {u" ", u"  ", u"1",  u"12",   u"4", u"30", u"0", u"9",      u"am", u"pm",
                                      u"a", u"p",  u"PM", u" est", u"x", u":",  u".", u"\u00a0", u"\t"};
    for (int i = 0; i < 20000; ++i) {
        icu::UnicodeString text(u" ");
        for (int k = static_cast<int>(rng() % 6); k >= 0; --k)
            text.append(parts[rng() % (sizeof parts / sizeof parts[0])]);
        text.append(u" ");
        icu::UnicodeString lowered(text);
        lowered.toLower();
        // Whether the pattern finds a compact time in what naturalTimeString searches.
        icu::UnicodeString searched(lowered);
        replaceOccurrences(searched, u".", u":");
        searched.append(u"  ");
        if (searched.indexOf(u"a ") >= 0 && searched.indexOf(u"am ") < 0) replaceOccurrences(searched, u"a ", u"am ");
        if (searched.indexOf(u"p ") >= 0 && searched.indexOf(u"pm ") < 0) replaceOccurrences(searched, u"p ", u"pm ");
        const bool compact = rx::rangeOfRegex(searched, patterns::compactTime()).found();
        // A compact time is trimmed and gets its colon; anything else keeps the appended spaces.
        const icu::UnicodeString normalised = naturalTimeString(text);
        ASSERT_EQ(compact, !normalised.endsWith(u"  ")) << "case " << i;
    }
}

TEST(FastPaths, CuttingInPlaceIsReplacingWithOneSpace) {
    // Small alphabets make overlapping and adjacent occurrences common; long
    // needles take the linear search.
    std::mt19937 rng(18);
    for (int i = 0; i < 20000; ++i) {
        const int alphabet = 2 + static_cast<int>(rng() % 3);
        auto word = [&](int length) {
            icu::UnicodeString w;
            for (int k = 0; k < length; ++k) w.append(static_cast<char16_t>(u'a' + rng() % alphabet));
            return w;
        };
        const bool longNeedle = i % 20 == 0;
        const icu::UnicodeString needle =
            word(longNeedle ? 65 + static_cast<int>(rng() % 10) : 1 + static_cast<int>(rng() % 4));
        icu::UnicodeString text = word(static_cast<int>(rng() % 40));
        for (int k = static_cast<int>(rng() % 4); k > 0; --k)
            text.insert(static_cast<int32_t>(rng() % (text.length() + 1)), needle);
        // ICU's own replacement as the yardstick for both forms.
        icu::UnicodeString expected(text), replaced(text);
        expected.findAndReplace(needle, u" ");
        replaceOccurrences(replaced, needle, u" ");
        ASSERT_EQ(replaced, expected) << "case " << i;
        std::u16string buffer(text.getBuffer(), static_cast<std::size_t>(text.length()));
        const int32_t length = cutOccurrences(buffer.data(), text.length(), needle.getBuffer(), needle.length());
        ASSERT_EQ(icu::UnicodeString(buffer.data(), length), expected) << "case " << i;
    }
}

// Words near and on the patterns' words, so that flags come out both ways.
icu::UnicodeString randomWord(std::mt19937& rng) {
    static const char16_t* words[] = {
        u"todo", u"Todos",   u"tasks",      u"todoo",   u"@15m",   u"@x",    u"@2",       u"+3d",   u"+",
        u"5/12", u"12.5.11", u"2011-04-02", u"5",       u"14,",    u"5th",   u"1630",     u"4pm",   u"10:30am",
        u"0930", u"noon",    u"Noon",       u"noonish", u"May",    u"ma",    u"Sept",     u"march", u"MAY",
        u"Fri",  u"nextMon", u"next",       u"thurs",   u"Tues",   u"today", u"Tomorrow", u"for",   u"in",
        u"at",   u"For",     u"1.5",        u"hours",   u"days",   u"m",     u"[Work]",   u"x",     u"EST",
        u"PM",   u"a",       u",",          u"2012",    u"\u00a0", u"\t",    u"\u0663"};
    return icu::UnicodeString(words[rng() % (sizeof words / sizeof words[0])]).unescape();
}

TEST(FastPaths, APhaseWithoutCandidatesCouldNotHaveMatched) {
    // For entries of random words: whenever a flag says a phase can find
    // nothing, its pattern finds nothing in the entry nor in any text the cuts
    // could leave (the words in order, some left out, spaced by one or more).
    using namespace patterns;
    struct Check {
        const char* name;
        bool (*flag)(const hints::Candidates&);
        const icu::UnicodeString& (*pattern)();
    };
    const Check checks[] = {
        {"task", [](const hints::Candidates& c) { return c.taskWord; }, taskWord},
        {"alarm", [](const hints::Candidates& c) { return c.alarm; }, alarmMarker},
        {"day-first date", [](const hints::Candidates& c) { return c.dates(); }, dayFirstDate},
        {"month-first date", [](const hints::Candidates& c) { return c.dates(); }, monthFirstDate},
        {"time", [](const hints::Candidates& c) { return c.times(); }, timeOfDay},
        {"weekday", [](const hints::Candidates& c) { return c.weekday; }, weekday},
        {"today", [](const hints::Candidates& c) { return c.today; }, today},
        {"tomorrow", [](const hints::Candidates& c) { return c.tomorrow; }, tomorrow},
        {"duration", [](const hints::Candidates& c) { return c.forWord; }, duration},
        {"offset", [](const hints::Candidates& c) { return c.inWord; }, relativeOffset},
        {"plus", [](const hints::Candidates& c) { return c.plus; }, plusOffset},
        {"location", [](const hints::Candidates& c) { return c.atWord; }, location},
        {"amount point", [](const hints::Candidates& c) { return c.point && (c.forWord || c.inWord); }, amountPoint},
        {"year comma", [](const hints::Candidates& c) { return c.comma; }, yearComma},
    };
    std::mt19937 rng(19);
    int skipped = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<icu::UnicodeString> words;
        for (int k = 1 + static_cast<int>(rng() % 6); k > 0; --k) words.push_back(randomWord(rng));
        icu::UnicodeString entry;
        for (const auto& w : words) entry.append(entry.isEmpty() ? u"" : u" ").append(w);
        const hints::Candidates candidates = hints::scanCandidates(entry);
        for (int variant = 0; variant < 6; ++variant) {
            icu::UnicodeString left(u" ");
            for (const auto& w : words)
                if (variant == 0 || rng() % 3) left.append(w).append(rng() % 4 ? u" " : u"  ");
            for (const Check& check : checks) {
                if (check.flag(candidates)) continue;
                ++skipped;
                std::string utf8;
                ASSERT_FALSE(rx::isMatchedByRegex(rx::UnicodeText(left), check.pattern()))
                    << check.name << " in \"" << left.toUTF8String(utf8) << "\"";
            }
        }
    }
    EXPECT_GT(skipped, 10000);  // the flags do say no, often
}

// Instants spread over centuries, and many within hours of a transition of
// the zone, where a cached offset would most likely be stale.
std::vector<double> probeInstants(const icu::TimeZone& zone, std::mt19937& rng) {
    std::vector<double> ms;
    std::uniform_real_distribution<double> anyTime(-1.5e13, 2.5e14);  // about 1495 to 9900
    for (int i = 0; i < 3000; ++i) ms.push_back(std::floor(anyTime(rng) / 1000) * 1000);
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(&zone);
    icu::TimeZoneTransition t;
    double at = -2.2e12;  // 1900
    for (int i = 0; basic && i < 300 && basic->getNextTransition(at, false, t); ++i) {
        at = t.getTime();
        for (double d : {-86400e3, -7200e3, -3600e3, -1800e3, -1e3, 0.0, 1e3, 1800e3, 3600e3, 7200e3, 86400e3})
            ms.push_back(at + d);
    }
    std::shuffle(ms.begin(), ms.end(), rng);
    return ms;
}

// The index may say yes wrongly but never no: every word that occurs, in any
// letter case, is found, also after cuts have brought words next to each other.
TEST(FastPaths, TheCharacterIndexNeverMissesAWordThatOccurs) {
    std::mt19937 rng(1207);
    static const char16_t letters[] = {u'a', u'e', u'n', u't', u'o', u'y', u'A',  u'N',
                                       u'T', u' ', u' ', u'-', u'5', 0xE9, 0x2013};
    auto pick = [&](int n) {
        std::u16string s;
        for (int i = 0; i < n; ++i) s += letters[rng() % (sizeof letters / sizeof letters[0])];
        return s;
    };
    auto lower = [](std::u16string s) {
        for (auto& c : s) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
        return s;
    };
    int yes = 0, no = 0;
    for (int round = 0; round < 3000; ++round) {
        ParseState st;
        const std::u16string text = pick(static_cast<int>(rng() % 40));
        st.working.assign(icu::UnicodeString(text.data(), static_cast<int32_t>(text.size())), 2);
        st.wrap();
        (void)st.grams();
        // A cut of a whole word, as the phases make them, keeps the index built before it.
        const auto& now = st.workingText();
        const int32_t space = now.indexOf(u' ', 1 + static_cast<int32_t>(rng() % std::max(1, now.length() - 1)));
        const int32_t next = space < 0 ? -1 : now.indexOf(u' ', space + 1);
        if (next > space + 1) st.cut(icu::UnicodeString(now, space, next - space + 1));
        const std::u16string after =
            lower(std::u16string(st.workingText().getBuffer(), static_cast<std::size_t>(st.workingText().length())));
        for (int k = 0; k < 20; ++k) {
            std::u16string word = lower(pick(2 + static_cast<int>(rng() % 4)));
            while (!word.empty() && word.front() == u' ') word.erase(0, 1);
            while (!word.empty() && word.back() == u' ') word.pop_back();
            if (word.size() < 2) continue;
            const bool occurs = after.find(word) != std::u16string::npos;
            const bool said = st.grams().mayContain(word);
            if (occurs) {
                EXPECT_TRUE(said) << "missed \""
                                  << testing::u8(icu::UnicodeString(word.data(), static_cast<int32_t>(word.size())))
                                  << "\" in \"" << testing::u8(st.workingText()) << "\"";
                ++yes;
            } else if (!said) {
                ++no;
            }
        }
    }
    EXPECT_GT(yes, 100);
    EXPECT_GT(no, 10000);  // and it does say no
}

TEST(FastPaths, CachedZoneOffsetsAndWeekdaysAreTheZonesOwn) {
    std::mt19937 rng(17);
    for (const char* id : {"America/Los_Angeles", "Europe/Berlin", "Australia/Lord_Howe", "America/Sao_Paulo",
                           "Asia/Kolkata", "Pacific/Apia", "UTC"}) {
        testing::PinnedZoneAndLocale pinned(id, "en_US");
        DateContext& context = DateContext::current();
        std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(id));
        for (double ms : probeInstants(*zone, rng)) {
            for (bool wall : {false, true}) {
                UErrorCode status = U_ZERO_ERROR;
                int32_t raw = 0, dst = 0, cached = 0;
                zone->getOffset(ms, wall, raw, dst, status);
                ASSERT_TRUE(context.zoneOffset(ms, wall, cached));
                ASSERT_EQ(cached, raw + dst) << id << (wall ? " wall " : " utc ") << ms;
            }
            // The weekday, reckoned from the cached offset, against the calendar's.
            UErrorCode status = U_ZERO_ERROR;
            icu::GregorianCalendar calendar(zone->clone(), status);
            calendar.setTime(ms, status);
            ASSERT_EQ(context.weekday(ms / 1000.0), calendar.get(UCAL_DAY_OF_WEEK, status)) << id << " " << ms;
        }
    }
}

}  // namespace
}  // namespace linecal
