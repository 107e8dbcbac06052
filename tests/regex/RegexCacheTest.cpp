// The cache and the conversion buffers must never change a result.

#include "RegexTestSupport.h"

#include "parse/Patterns.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

using namespace linecal::rx;
using namespace rxtest;

namespace {

// Two patterns of the form "a{n}" that share a slot, and one that does not.
struct SlotPair {
    UnicodeString first, second, elsewhere;
};
SlotPair findSlotPair() {
    std::map<std::size_t, UnicodeString> seen;
    for (int n = 1;; ++n) {
        UnicodeString p = U("a{" + std::to_string(n) + "}");
        auto [it, inserted] = seen.emplace(cacheSlotForRegex(p), p);
        if (!inserted) {
            for (auto& [slot, other] : seen)
                if (slot != it->first) return {it->second, p, other};
        }
    }
}

TEST(RegexCache, PatternsSharingASlotEvictEachOtherAndStayCorrect) {
    const SlotPair pair = findSlotPair();
    const UnicodeString text(41, U'a', 41);
    const Utf8List first = oracleMatches(pair.first, text), second = oracleMatches(pair.second, text);
    ASSERT_NE(first, second);
    clearStringCache();
    for (int round = 0; round < 6; ++round) {
        const std::uint64_t before = debugRegexCompileCount();
        EXPECT_EQ(S(*componentsMatchedByRegex(text, pair.first)), first);
        EXPECT_EQ(S(*componentsMatchedByRegex(text, pair.second)), second);
        EXPECT_EQ(debugRegexCompileCount() - before, 2u) << "direct-mapped: each use evicts the other";
    }
    // Patterns in different slots, and equal patterns in new objects, compile once.
    componentsMatchedByRegex(text, pair.elsewhere);
    const std::uint64_t before = debugRegexCompileCount();
    for (int round = 0; round < 6; ++round) {
        EXPECT_EQ(S(*componentsMatchedByRegex(text, UnicodeString(pair.second))), second);
        EXPECT_EQ(S(*componentsMatchedByRegex(text, pair.elsewhere)), oracleMatches(pair.elsewhere, text));
    }
    EXPECT_EQ(debugRegexCompileCount(), before);
    // Options are part of the key.
    const UnicodeString upper("xAx"), a("a");
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(rangeOfRegex(UnicodeText(upper), a, UREGEX_CASE_INSENSITIVE, kWholeRange, 0, nullptr), (Range{1, 1}));
        EXPECT_FALSE(isMatchedByRegex(UnicodeText(upper), a));
    }
}

TEST(RegexCache, AKeptPatternIsNeverPushedOutAndItsSlotMateStillWorks) {
    // Kept patterns live as statics do: found by address for the rest of the process.
    static const SlotPair pair = findSlotPair();
    static const UnicodeString& kept = keepRegexCompiled(pair.first);
    const UnicodeString text(41, U'a', 41);
    const Utf8List first = oracleMatches(pair.first, text), second = oracleMatches(pair.second, text);
    clearStringCache();  // a kept pattern stays kept, compiled again on its next use
    EXPECT_EQ(S(*componentsMatchedByRegex(text, kept)), first);
    const std::uint64_t before = debugRegexCompileCount();
    for (int round = 0; round < 6; ++round) {
        EXPECT_EQ(S(*componentsMatchedByRegex(text, kept)), first);
        EXPECT_EQ(S(*componentsMatchedByRegex(text, pair.second)), second);  // its slot-mate, in the slot
    }
    EXPECT_EQ(debugRegexCompileCount() - before, 1u) << "only the slot-mate, once";
    // An equal pattern in another object is an ordinary pattern: the slot serves it.
    EXPECT_EQ(S(*componentsMatchedByRegex(text, UnicodeString(pair.first))), first);
    EXPECT_EQ(S(*componentsMatchedByRegex(text, kept)), first);
    EXPECT_EQ(&keepRegexCompiled(kept), &kept) << "keeping twice keeps once";
}

TEST(RegexCache, TheParsersPatternsEachHaveASlot) {
    using namespace linecal::patterns;
    const UnicodeString* all[] = {&taskWord(),       &alarmMarker(), &calendarTag(), &monthFirstDate(), &dayFirstDate(),
                                  &timeOfDay(),      &weekday(),     &today(),       &tomorrow(),       &duration(),
                                  &relativeOffset(), &plusOffset(),  &location(),    &trailingSpace(),  &leadingSpace(),
                                  &compactTime(),    &amountPoint(), &yearComma()};
    std::set<std::size_t> slots;
    for (const UnicodeString* p : all) {
        EXPECT_TRUE(isRegexValid(*p)) << S(*p);
        slots.insert(cacheSlotForRegex(*p));
    }
    EXPECT_EQ(slots.size(), std::size(all));
}

TEST(RegexCache, ChangedStringsAreSearchedInTheirNewContent) {
    const UnicodeString a("a");
    UnicodeString s("cat");
    EXPECT_EQ(rangeOfRegex(s, a), (Range{1, 1}));
    s.setTo(u"cta");  // same object, same length, same storage
    EXPECT_EQ(rangeOfRegex(s, a), (Range{2, 1}));
    s.append(UnicodeString(100, U'x', 100)).append(u"a");  // storage moves
    EXPECT_EQ(S(*componentsMatchedByRegex(s, a)), (Utf8List{"a", "a"}));
    EXPECT_EQ(rangeOfRegex(s, UnicodeString("xa")), (Range{102, 2}));
    flushCachedRegexData(UnicodeText(s));
    EXPECT_EQ(rangeOfRegex(s, UnicodeString("xa")), (Range{102, 2}));
    // Temporaries that reuse one address with new content, both kinds.
    for (const char* word : {"abc", "bac", "cba", "bca"}) {
        const std::size_t expected = std::string(word).find('a');
        EXPECT_EQ(rangeOfRegex(UnicodeString(word), a).location, expected) << word;
        EXPECT_EQ(rangeOfRegex(Utf8Text(word), a).location, expected) << word;
    }
}

// Strings with a marker at a given unit, around the fixed buffer's limit.
std::string filler(std::size_t units, std::size_t markerAt) {
    std::string s;
    for (std::size_t i = 0; i < units; ++i) s += i == markerAt ? "Z" : (i % 7 == 3 ? "é" : "x");
    return s;
}

TEST(RegexCache, TextWithoutDirectStorageGivesTheSameResultsAtEverySize) {
    const UnicodeString marker("Z"), vowelRun("é+x"), dot("·");
    for (std::size_t units : {0, 1, 2046, 2047, 2048, 2049, 5000}) {
        for (std::size_t markerAt : {std::size_t{0}, units / 2, units ? units - 1 : 0}) {
            const std::string utf8 = filler(units, markerAt);
            const UnicodeString direct = U(utf8);
            ASSERT_EQ(Utf8Text(utf8).length(), static_cast<std::int64_t>(units));
            SCOPED_TRACE(testing::Message() << units << " units, marker at " << markerAt);
            EXPECT_EQ(rangeOfRegex(Utf8Text(utf8), marker), rangeOfRegex(direct, marker));
            EXPECT_EQ(*componentsMatchedByRegex(Utf8Text(utf8), vowelRun), *componentsMatchedByRegex(direct, vowelRun));
            EXPECT_EQ(*stringByReplacingOccurrencesOfRegex(Utf8Text(utf8), UnicodeString("x"), &dot),
                      *stringByReplacingOccurrencesOfRegex(UnicodeText(direct), UnicodeString("x"), &dot));
        }
    }
    // Two long texts alternating through the one growing buffer.
    const Utf8Text shorter(filler(3000, 2999)), longer(filler(9000, 10));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(rangeOfRegex(shorter, marker), (Range{2999, 1}));
        EXPECT_EQ(rangeOfRegex(longer, marker), (Range{10, 1}));
    }
}

TEST(RegexCache, IllFormedUtf8ReadsAsReplacementCharacters) {
    const Utf8Text text(std::string("a\xff\xfe b\xc0\xaf c\xe2\x82"));
    EXPECT_EQ(S(*componentsMatchedByRegex(text, UnicodeString(u"[^\uFFFD]+"))), (Utf8List{"a", " b", " c"}));
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("c")), (Range{8, 1}));
    EXPECT_EQ(text.length(), 10);
    EXPECT_EQ(S(*stringByMatching(text, UnicodeString(u"\uFFFD+$"))), "\xef\xbf\xbd");
}

TEST(RegexCache, ThousandsOfMatchesAreAllReturned) {
    UnicodeString text;
    for (int i = 0; i < 5000; ++i) text.append(u"ab").append(static_cast<char16_t>(u'0' + i % 10));
    auto singles = componentsMatchedByRegex(text, UnicodeString("\\d"));
    ASSERT_EQ(singles->size(), 5000u);
    for (int i = 0; i < 5000; ++i) ASSERT_EQ((*singles)[i], UnicodeString(static_cast<char16_t>(u'0' + i % 10))) << i;

    auto groups = arrayOfCaptureComponentsMatchedByRegex(UnicodeText(text), UnicodeString("(a)(b)(\\d)"));
    ASSERT_EQ(groups->size(), 5000u);
    EXPECT_EQ(S(groups->back()), (Utf8List{"ab9", "a", "b", "9"}));

    auto pieces = componentsSeparatedByRegex(UnicodeText(text), UnicodeString("(\\d)"));
    ASSERT_EQ(pieces->size(), 10000u);
    EXPECT_EQ(S((*pieces)[9998]), "ab");

    const UnicodeString spaces(6000, U' ', 6000);
    EXPECT_EQ(componentsMatchedByRegex(spaces, UnicodeString("x*"))->size(), 6000u);
}

TEST(RegexCache, ManyThreadsShareTheCache) {
    const SlotPair pair = findSlotPair();
    struct Job {
        UnicodeString pattern;
        std::string subject;
        bool utf8;
    };
    const std::vector<Job> jobs = {
        {pair.first, std::string(60, 'a'), false},
        {pair.second, std::string(61, 'a'), true},
        {UnicodeString("[a-z]+"), "lorem ipsum dolor sit amet", true},
        {UnicodeString("\\d+"), filler(3000, 5) + " 12 345 6789", true},
        {UnicodeString("é+"), filler(2500, 9), false},
        {UnicodeString("(\\w)\\1"), "aabbc ddeef gghhi", false},
    };
    std::vector<Utf8List> expected;
    for (const Job& job : jobs) expected.push_back(oracleMatches(job.pattern, U(job.subject)));

    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < jobs.size(); ++t) {
        threads.emplace_back([&, t] {
            const Job& job = jobs[t];
            const UnicodeString direct = U(job.subject);
            const UnicodeString replacement("_");
            for (int i = 0; i < 300; ++i) {
                const Utf8Text utf8(job.subject);
                const UnicodeText wrapped(direct);
                const Text& text = job.utf8 ? static_cast<const Text&>(utf8) : static_cast<const Text&>(wrapped);
                auto all = componentsMatchedByRegex(text, job.pattern);
                auto first = stringByMatching(text, job.pattern);
                auto replaced = stringByReplacingOccurrencesOfRegex(text, job.pattern, &replacement);
                if (!all || S(*all) != expected[t] || !first || S(*first) != expected[t].front() || !replaced ||
                    *replaced != oracleReplace(job.pattern, direct, replacement)) {
                    ++mismatches;
                }
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
