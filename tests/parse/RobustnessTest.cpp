// Hostile and huge entries: each must come back with a sound record.
#include "ParseTestSupport.h"
#include "bench/AdversarialLines.h"
#include "parse/MatchHints.h"
#include "parse/ParseEntry.h"
#include "parse/Patterns.h"
#include "parse/TextHelpers.h"
#include "regex/RegexService.h"

#include <random>

namespace linecal::testing {
namespace {

class Robustness : public ParseFixture {
protected:
    void expectSound(const ParsedEntry& e) {
        EXPECT_GE(e.toDate, e.fromDate);
        EXPECT_LE(e.alarms.size(), 3u);
        if (e.location) {
            EXPECT_FALSE(e.location->isEmpty());
        }
    }
};

TEST_F(Robustness, HugeAndOddEntries) {
    icu::UnicodeString megabyte;
    for (int i = 0; i < 62000; ++i) megabyte.append(u"Lunch at 4pm Fri ");
    expectSound(parseEntry(megabyte, now_));

    ParsedEntry spaces = parseEntry(icu::UnicodeString(1 << 20, U' ', 1 << 20), now_);
    EXPECT_TRUE(spaces.title.isEmpty());

    icu::UnicodeString tabs = u"x" + icu::UnicodeString(1 << 20, U'\t', 1 << 20) + u"y";
    expectSound(parseEntry(tabs, now_));

    icu::UnicodeString markers;
    for (int i = 0; i < 10000; ++i) markers.append(u"@1m ");
    ParsedEntry m = parseEntry(markers, now_);
    EXPECT_EQ(m.alarms, (AlarmMap{{u"1m", 1}}));
    expectSound(m);
}

TEST_F(Robustness, RandomJunk) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        icu::UnicodeString junk;
        int length = static_cast<int>(rng() % 4000);
        for (int i = 0; i < length; ++i) {
            UChar32 c = static_cast<UChar32>(rng() % 0x11000);
            if (c == 0 || U_IS_SURROGATE(c)) c = u'@';
            junk.append(c);
        }
        expectSound(parseEntry(junk, now_));
    }
}

// Lines built to be slow still give sound records, and the parts a phase reads
// at the far end of a long line are still read: nothing gives up half-way.
TEST_F(Robustness, AdversarialLinesKeepTheirMeaning) {
    for (const auto& shape : bench::kAdversarialShapes) {
        SCOPED_TRACE(shape.name);
        expectSound(parseEntry(bench::adversarialLine(shape, 100 << 10), now_));
    }
    icu::UnicodeString open = bench::adversarialLine(bench::kAdversarialShapes[0], 60000);
    ParsedEntry tagged = parseEntry(open + u"\n x [Work] y", now_);
    ASSERT_TRUE(tagged.calendar);
    EXPECT_EQ(u8(*tagged.calendar), "work");

    icu::UnicodeString digits(u"Nap for ");
    for (int i = 0; i < 60000; ++i) digits.append(u'0');
    ParsedEntry nap = parseEntry(digits + u"1 hours", now_);
    EXPECT_EQ(nap.toDate - nap.fromDate, 3600);
    EXPECT_EQ(u8(nap.title), "Nap");

    icu::UnicodeString tabs(u"Nap for 2 hours");
    for (int i = 0; i < 60000; ++i) tabs.append(u'\t');
    ParsedEntry tabbed = parseEntry(tabs + u" ", now_);
    EXPECT_EQ(tabbed.toDate - tabbed.fromDate, 7200);
}

// The one-pass bounds must find exactly the match the pattern finds alone, over
// texts of brackets, spaces, line breaks and surrogates.
TEST(CalendarTagBounds, AgreeWithThePattern) {
    const char16_t* pieces[] = {u" [", u"] ",     u" ",      u"[",  u"]",          u"a",     u"\n",
                                u"\r", u"\u2028", u"\u0085", u"\t", u"\U0001F600", u"\xd800"};
    std::mt19937 rng(5);
    int tags = 0;
    for (int round = 0; round < 20000; ++round) {
        icu::UnicodeString text;
        for (int n = static_cast<int>(rng() % 12); n > 0; --n) text += pieces[rng() % std::size(pieces)];
        const rx::Range expected = rx::rangeOfRegex(text, patterns::calendarTag());
        const auto bounds = hints::calendarTagBounds(text);
        ASSERT_EQ(bounds.has_value(), expected.found()) << u8(text);
        if (!bounds) continue;
        ++tags;
        EXPECT_EQ(static_cast<std::size_t>(bounds->first), expected.location) << u8(text);
        EXPECT_EQ(static_cast<std::size_t>(bounds->second), expected.length) << u8(text);
    }
    EXPECT_GT(tags, 500);
}

// Cutting a long recognised text takes the same occurrences as a plain search.
TEST(ReplaceOccurrences, LongNeedlesAsShortOnes) {
    std::mt19937 rng(9);
    for (int round = 0; round < 300; ++round) {
        icu::UnicodeString text;
        for (int n = static_cast<int>(rng() % 400); n > 0; --n) text += (rng() % 3 == 0) ? u"ab" : u"a";
        const int32_t from = static_cast<int32_t>(rng() % (text.length() + 1));
        const icu::UnicodeString needle(text, from, 65 + static_cast<int32_t>(rng() % 40));
        if (needle.length() <= 64) continue;
        icu::UnicodeString expected, actual(text);
        for (int32_t at = 0, hit; at <= text.length(); at = hit + needle.length()) {
            hit = text.indexOf(needle, at);
            if (hit < 0) {
                expected.append(text, at, text.length() - at);
                break;
            }
            expected.append(text, at, hit - at).append(u'#');
        }
        replaceOccurrences(actual, needle, u"#");
        EXPECT_EQ(u8(actual), u8(expected));
    }
}

}  // namespace
}  // namespace linecal::testing
