// Misuse raises named exceptions with exact reasons; a pattern that does not
// compile raises nothing and reports through the error out-parameter.

#include "RegexTestSupport.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <functional>

using namespace linecal::rx;
using namespace rxtest;

namespace {

// Claims a length without holding the text. Reading it fails (the lock is held then).
class FakeText final : public Text {
public:
    explicit FakeText(std::int64_t length) : length_(length) {}
    const void* identity() const override { return this; }
    std::int64_t length() const override { return length_; }
    const UChar* directUtf16() const override { return nullptr; }
    void copyUtf16(UChar*) const override { throw std::runtime_error("storage went away"); }
    std::uint64_t contentHash() const override { return 1; }
    const char* className() const override { return "FakeText"; }

private:
    std::int64_t length_;
};

struct FailureCase {
    const char* what;
    std::function<void()> call;
    const char* name;
    const char* reason;
};

TEST(RegexFailure, MisuseRaisesTheNamedExceptionWithItsReason) {
    UnicodeString bogus;
    bogus.setToBogus();
    const UnicodeString s("abc"), a("a"), dollar("$5");
    const UnicodeText text(s);
    // A replacement of a billion code units that costs no memory: read-only zero pages.
    constexpr int32_t kHugeUnits = 1'100'000'000;
    void* pages =
        mmap(nullptr, kHugeUnits * sizeof(UChar), PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(pages, MAP_FAILED);
    const UnicodeString huge(false, static_cast<const UChar*>(pages), kHugeUnits);
    const std::vector<FailureCase> cases = {
        {"pattern missing", [&] { rangeOfRegex(text, bogus); }, "NSInvalidArgumentException",
         "*** -[UnicodeString rangeOfRegex:]: The regular expression argument is NULL."},
        {"pattern missing, class operation", [&] { captureCountForRegex(bogus); }, "NSInvalidArgumentException",
         "*** +[UnicodeString captureCountForRegex:]: The regular expression argument is NULL."},
        {"string missing", [&] { componentsMatchedByRegex(UnicodeText(bogus), a); }, "NSInternalInconsistencyException",
         "*** -[UnicodeString componentsMatchedByRegex:]: The match string argument is NULL."},
        {"replacement missing", [&] { stringByReplacingOccurrencesOfRegex(text, a, nullptr); },
         "NSInvalidArgumentException",
         "*** -[UnicodeString stringByReplacingOccurrencesOfRegex:withString:]: The replacement string argument is "
         "NULL."},
        {"replacement bogus, in place",
         [&] {
             UnicodeString m("a");
             replaceOccurrencesOfRegex(m, a, &bogus);
         },
         "NSInvalidArgumentException",
         "*** -[UnicodeString replaceOccurrencesOfRegex:withString:]: The replacement string argument is NULL."},
        {"range past the end",
         [&] {
             rangeOfRegex(text, a, 0, Range{2, 2}, 0, nullptr);
         },
         "NSRangeException",
         "*** -[UnicodeString rangeOfRegex:options:inRange:capture:error:]: Range or index out of bounds."},
        {"rest of the string from past the end",
         [&] {
             componentsSeparatedByRegex(Utf8Text("abc"), a, Range{4, kWholeRange.length});
         },
         "NSRangeException", "*** -[Utf8Text componentsSeparatedByRegex:range:]: Range or index out of bounds."},
        {"range length overflowing",
         [&] {
             isMatchedByRegex(text, a, Range{1, kWholeRange.length - 1});
         },
         "NSRangeException", "*** -[UnicodeString isMatchedByRegex:inRange:]: Range or index out of bounds."},
        {"string too long", [&] { componentsMatchedByRegex(FakeText(INT32_MAX), a); }, "NSRangeException",
         "*** -[FakeText componentsMatchedByRegex:]: String length exceeds INT_MAX."},
        {"capture above the count", [&] { rangeOfRegex(text, UnicodeString("(a)"), 2); }, "NSInvalidArgumentException",
         "*** -[UnicodeString rangeOfRegex:capture:]: The capture argument is not valid."},
        {"capture negative", [&] { componentsMatchedByRegex(text, a, -1); }, "NSInvalidArgumentException",
         "*** -[UnicodeString componentsMatchedByRegex:capture:]: The capture argument is not valid."},
        {"ICU fails while replacing", [&] { stringByReplacingOccurrencesOfRegex(text, a, &dollar); },
         "ICURegexException",
         "*** -[UnicodeString stringByReplacingOccurrencesOfRegex:withString:]: ICU regular expression error #8, "
         "U_INDEX_OUTOFBOUNDS_ERROR."},
        {"ICU fails while matching",
         [&] { rangeOfRegex(UnicodeString(3'000'000, U'a', 3'000'000), UnicodeString("(a|b)*c")); },
         "ICURegexException",
         "*** -[UnicodeString rangeOfRegex:]: ICU regular expression error #66321, U_REGEX_STACK_OVERFLOW."},
        {"replacement too long", [&] { stringByReplacingOccurrencesOfRegex(text, a, &huge); }, "NSRangeException",
         "*** -[UnicodeString stringByReplacingOccurrencesOfRegex:withString:]: Replacement string length exceeds "
         "INT_MAX."},
    };
    for (const FailureCase& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.what << ": nothing raised";
        } catch (const RegexException& e) {
            EXPECT_EQ(e.name(), c.name) << c.what;
            EXPECT_EQ(e.reason(), c.reason) << c.what;
            if (e.name() == ICURegexException) {
                EXPECT_EQ(std::get<std::string>(e.userInfo().at(ICURegexErrorNameErrorKey)) + ".",
                          std::string(c.reason).substr(std::string(c.reason).rfind(' ') + 1))
                    << c.what;
                EXPECT_TRUE(e.userInfo().count(ICURegexRegexErrorKey) &&
                            e.userInfo().count("NSLocalizedFailureReason"));
            }
        }
    }
    munmap(pages, kHugeUnits * sizeof(UChar));
    // The lock was released before each raise, so the service still answers.
    EXPECT_EQ(rangeOfRegex(text, UnicodeString("c")), (Range{2, 1}));
}

// With a time limit, a pattern that backtracks exponentially, and one that ICU loops on, end
// with ICU's time-out instead of holding the caller; the limit goes with the service, not with
// the cached pattern, and 0 lifts it.
TEST(RegexFailure, ATimeLimitEndsRunawayMatches) {
    struct Runaway {
        const char* what;
        UnicodeString pattern;
        UnicodeString subject;
        std::uint32_t options;
    };
    const Runaway cases[] = {
        {"exponential", UnicodeString("(a+)+b"), UnicodeString(40, U'a', 40), 0},
        {"looping", UnicodeString::fromUTF8("\n(\n$\n+\n?i+()\u00ce)?"), UnicodeString(u"\u00001\u0000", 3),
         UREGEX_COMMENTS},
    };
    const UnicodeString replacement("x");
    setRegexTimeLimit(100);
    for (const Runaway& c : cases) {
        try {
            stringByReplacingOccurrencesOfRegex(UnicodeText(c.subject), c.pattern, &replacement, c.options, kWholeRange,
                                                nullptr);
            ADD_FAILURE() << c.what << ": nothing raised";
        } catch (const RegexException& e) {
            EXPECT_EQ(e.name(), ICURegexException) << c.what;
            EXPECT_EQ(std::get<std::string>(e.userInfo().at(ICURegexErrorNameErrorKey)), "U_REGEX_TIME_OUT") << c.what;
        }
    }
    setRegexTimeLimit(0);
    // The same cached pattern, now unbounded, on a subject it finishes quickly.
    EXPECT_TRUE(isMatchedByRegex(UnicodeText(UnicodeString("aab")), UnicodeString("(a+)+b")));
}

struct InvalidCase {
    const char* pattern;
    std::uint32_t options;
    UErrorCode code;
    const char* failureReason;  // null when ICU gives a position
};

TEST(RegexFailure, PatternsThatDoNotCompileGiveEmptyResultsAndAnError) {
    const UnicodeString s("a(b");
    const UnicodeText text(s);
    const InvalidCase cases[] = {
        {"(", 0, U_REGEX_MISMATCHED_PAREN,
         "The error U_REGEX_MISMATCHED_PAREN occurred at line 1, column 1: (<<HERE>>"},
        {"ab{2,1}c", 0, U_REGEX_MAX_LT_MIN,
         "The error U_REGEX_MAX_LT_MIN occurred at line 1, column 8: ab{2,1}<<HERE>>c"},
        {"a", 0x80000000u, U_REGEX_INVALID_FLAG, "The error U_REGEX_INVALID_FLAG occurred."},
    };
    for (const InvalidCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        const UnicodeString pattern(c.pattern);
        // Without an out-parameter: the empty result and nothing raised.
        EXPECT_EQ(rangeOfRegex(text, pattern, c.options, kWholeRange, 0, nullptr), kNotFoundRange);
        EXPECT_FALSE(componentsMatchedByRegex(text, pattern, c.options, kWholeRange, 0, nullptr).has_value());
        EXPECT_FALSE(stringByMatching(text, pattern, c.options, kWholeRange, 0, nullptr).has_value());
        UnicodeString target(s), x("x");
        EXPECT_EQ(replaceOccurrencesOfRegex(target, pattern, &x, c.options, kWholeRange, nullptr), 0u);
        EXPECT_EQ(target, s);
        EXPECT_EQ(captureCountForRegex(pattern, c.options, nullptr), -1);

        RegexError error;
        EXPECT_FALSE(arrayOfCaptureComponentsMatchedByRegex(text, pattern, c.options, kWholeRange, &error).has_value());
        EXPECT_EQ(error.domain, "ICURegexErrorDomain");
        EXPECT_EQ(error.code, c.code);
        const auto& info = error.userInfo;
        EXPECT_EQ(std::get<std::string>(info.at("ICURegexRegex")), c.pattern);
        EXPECT_EQ(std::get<std::int64_t>(info.at("ICURegexRegexOptions")), c.options);
        EXPECT_EQ(std::get<std::int64_t>(info.at("ICURegexErrorCode")), c.code);
        EXPECT_EQ(std::get<std::string>(info.at("ICURegexErrorName")), u_errorName(c.code));
        EXPECT_EQ(std::get<std::string>(info.at("NSLocalizedDescription")),
                  "There was an error compiling the regular expression.");
        EXPECT_EQ(std::get<std::string>(info.at("NSLocalizedFailureReason")), c.failureReason);
        const bool positioned = info.count("ICURegexLine") && info.count("ICURegexOffset") &&
                                info.count("ICURegexPreContext") && info.count("ICURegexPostContext");
        EXPECT_EQ(positioned, c.code != U_REGEX_INVALID_FLAG);

        RegexError validity;
        EXPECT_FALSE(isRegexValid(pattern, c.options, &validity));
        EXPECT_EQ(validity.userInfo, error.userInfo);
    }
}

TEST(RegexFailure, AnExceptionEscapingWithTheLockHeldReleasesItAndSaysSoOnce) {
    const UnicodeString a("a");
    const std::uint64_t notLockedBefore = debugCacheSpinLockCount();
    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) EXPECT_THROW(rangeOfRegex(FakeText(3), a), std::runtime_error);
    const std::string logged = testing::internal::GetCapturedStderr();
    const std::string message =
        "[RegexService] Unusual condition detected: Recorded that cacheSpinLock was locked, but for some reason it "
        "was not unlocked.  Forcibly unlocking cacheSpinLock. Set a breakpoint at debugCacheSpinLock to debug. This "
        "warning is only printed once.\n";
    EXPECT_EQ(logged, message);
    EXPECT_EQ(debugCacheSpinLockCount(), notLockedBefore);
    EXPECT_EQ(rangeOfRegex(Utf8Text("bab"), a), (Range{1, 1}));
}

}  // namespace
