// What each member of the family returns.

#include "RegexTestSupport.h"

#include <gtest/gtest.h>

using namespace linecal::rx;
using namespace rxtest;

namespace {

struct ListCase {
    const char* text;
    const char* pattern;
    Utf8List expected;
};

class Components : public ::testing::TestWithParam<ListCase> {};
TEST_P(Components, EveryMatchLeftToRight) {
    const ListCase& c = GetParam();
    UnicodeString text = U(c.text);
    auto got = componentsMatchedByRegex(text, U(c.pattern));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(S(*got), c.expected);
}
INSTANTIATE_TEST_SUITE_P(Regex, Components,
                         ::testing::Values(ListCase{"a1b22c333", "\\d+", {"1", "22", "333"}}, ListCase{"", "a*", {}},
                                           ListCase{"abc", "z", {}},
                                           // Empty matches give empty strings, advance one unit and stop at the end.
                                           ListCase{"abc", "x*", {"", "", ""}}, ListCase{"ab", "a*", {"a", ""}},
                                           ListCase{"a😀b", "x*", {"", "", ""}}));  // past the pair as a whole

class Split : public ::testing::TestWithParam<ListCase> {};
TEST_P(Split, PiecesBetweenMatchesWithTheirGroups) {
    const ListCase& c = GetParam();
    Utf8Text text(c.text);
    auto got = componentsSeparatedByRegex(text, U(c.pattern));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(S(*got), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Regex, Split,
    ::testing::Values(ListCase{"a,b,,c", ",", {"a", "b", "", "c"}},
                      ListCase{",a,b,", ",", {"", "a", "b"}},  // no empty tail
                      ListCase{"abc", ",", {"abc"}}, ListCase{"", ",", {}},
                      ListCase{"abc", "x*", {"a", "b", "c"}},  // an empty match at the current position is skipped
                      ListCase{"a, b ,c", "\\s*,\\s*", {"a", "b", "c"}},
                      ListCase{"a1b22c", "(\\d)+", {"a", "1", "b", "2", "c"}},
                      ListCase{"k=v;x", "(=)|(;)", {"k", "=", "", "v", "", ";", "x"}}));

TEST(RegexFamily, CaptureComponentsOfTheFirstMatch) {
    UnicodeString text("at 12 and 3.5");
    auto got = captureComponentsMatchedByRegex(text, UnicodeString("(\\d+)(\\.\\d+)?"));
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(S(*got), (Utf8List{"12", "12", ""}));  // the optional group took no part

    EXPECT_EQ(captureComponentsMatchedByRegex(text, UnicodeString("(x)(y)"))->size(), 0u);
    EXPECT_EQ(captureComponentsMatchedByRegex(UnicodeString(), UnicodeString("(a)?"))->size(), 0u);
    // Only the range is searched, and its start is the start for anchors.
    auto inRange = captureComponentsMatchedByRegex(UnicodeText(text), UnicodeString("^(\\d)\\.(\\d)$"), Range{10, 3});
    EXPECT_EQ(S(*inRange), (Utf8List{"3.5", "3", "5"}));
}

TEST(RegexFamily, ArrayOfCapturesHasOneArrayPerMatch) {
    Utf8Text text("k1=v1; k2=; k3=v3");
    auto got = arrayOfCaptureComponentsMatchedByRegex(text, UnicodeString("(\\w+)=(\\w*)"));
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->size(), 3u);
    EXPECT_EQ(S((*got)[0]), (Utf8List{"k1=v1", "k1", "v1"}));
    EXPECT_EQ(S((*got)[1]), (Utf8List{"k2=", "k2", ""}));
    EXPECT_EQ(S((*got)[2]), (Utf8List{"k3=v3", "k3", "v3"}));
    EXPECT_EQ(arrayOfCaptureComponentsMatchedByRegex(text, UnicodeString("z(.)"))->size(), 0u);
}

TEST(RegexFamily, FirstMatchRangeStringAndCapture) {
    UnicodeString hello("hello world");
    const UnicodeText text(hello);
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("o")), (Range{4, 1}));
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("(w)(o)"), 2), (Range{7, 1}));
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("a(x)?|l"), 1), kNotFoundRange);  // group took no part
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("^ w"), Range{5, 6}), (Range{5, 2}));
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("^ w")), kNotFoundRange);
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("d"), Range{0, 10}), kNotFoundRange);
    EXPECT_EQ(rangeOfRegex(UnicodeString(), UnicodeString("x*")), kNotFoundRange);
    EXPECT_TRUE(isMatchedByRegex(text, UnicodeString("wor")));
    EXPECT_FALSE(isMatchedByRegex(text, UnicodeString("wor"), Range{0, 8}));
    EXPECT_EQ(S(*stringByMatching(text, UnicodeString("w\\w+"))), "world");
    EXPECT_EQ(S(*stringByMatching(Utf8Text("née à 9h"), UnicodeString("(\\d)h"), 1)), "9");
    EXPECT_FALSE(stringByMatching(text, UnicodeString("xyz")).has_value());
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("O"), UREGEX_CASE_INSENSITIVE, kWholeRange, 0, nullptr), (Range{4, 1}));
}

TEST(RegexFamily, ReplaceUsesTheTemplateOnTheRangeOnly) {
    UnicodeString name("John Smith"), swapped("$2, $1"), plus("+"), b("b");
    EXPECT_EQ(S(*stringByReplacingOccurrencesOfRegex(UnicodeText(name), UnicodeString("(\\w+) (\\w+)"), &swapped)),
              "Smith, John");
    EXPECT_EQ(S(*stringByReplacingOccurrencesOfRegex(Utf8Text("a-b-c"), UnicodeString("-"), &plus)), "a+b+c");
    EXPECT_EQ(S(*stringByReplacingOccurrencesOfRegex(Utf8Text("aaaa"), UnicodeString("a"), &b, Range{1, 2})), "bb");
    EXPECT_EQ(S(*stringByReplacingOccurrencesOfRegex(Utf8Text("abc"), UnicodeString("z"), &b)), "abc");
    EXPECT_EQ(S(*stringByReplacingOccurrencesOfRegex(Utf8Text(""), UnicodeString("^"), &b)), "b");
}

TEST(RegexFamily, ReplaceRedoesWhenTheOutputOutgrowsItsFirstGuess) {
    std::string subject;
    for (int i = 0; i < 50; ++i) subject += static_cast<char>('a' + i % 26);
    const UnicodeString longReplacement = UnicodeString("<$0>") + UnicodeString(200, U'é', 200);
    for (const char* pattern : {".", "[aeiou]", "(.)(.)"}) {
        const UnicodeString expected = oracleReplace(UnicodeString(pattern), U(subject), longReplacement);
        ASSERT_GT(expected.length(), 50 * 3 / 2 + 2 * longReplacement.length() + 16);  // really overflows
        EXPECT_EQ(*stringByReplacingOccurrencesOfRegex(Utf8Text(subject), UnicodeString(pattern), &longReplacement),
                  expected)
            << pattern;
        UnicodeString inPlace = U(subject);
        EXPECT_GT(replaceOccurrencesOfRegex(inPlace, UnicodeString(pattern), &longReplacement), 0u);
        EXPECT_EQ(inPlace, expected) << pattern;
    }
}

TEST(RegexFamily, ReplaceInPlaceRewritesTheRangeAndCounts) {
    UnicodeString s("x1y22z"), hash("#"), b("b");
    EXPECT_EQ(replaceOccurrencesOfRegex(s, UnicodeString("\\d+"), &hash), 2u);
    EXPECT_EQ(S(s), "x#y#z");
    EXPECT_EQ(replaceOccurrencesOfRegex(s, UnicodeString("\\d+"), &hash), 0u);
    EXPECT_EQ(S(s), "x#y#z");
    UnicodeString a("aaaa");
    EXPECT_EQ(replaceOccurrencesOfRegex(a, UnicodeString("a"), &b, Range{1, 2}), 2u);
    EXPECT_EQ(S(a), "abba");
    EXPECT_EQ(rangeOfRegex(a, UnicodeString("b+")), (Range{1, 2}));  // the cache saw the change
}

TEST(RegexFamily, CaptureCountAndValidity) {
    EXPECT_EQ(captureCountForRegex(UnicodeString("(a)(b(c))(?:d)")), 3);
    EXPECT_EQ(captureCountForRegex(UnicodeString("plain")), 0);
    EXPECT_TRUE(isRegexValid(UnicodeString("a|b")));
    EXPECT_FALSE(isRegexValid(UnicodeString("a{2,1}")));
    EXPECT_FALSE(isRegexValid(UnicodeString()));  // ICU refuses an empty pattern
    EXPECT_EQ(captureCountForRegex(UnicodeString("(")), -1);
}

}  // namespace
