// Regular-expression operations on strings, carried out by ICU's uregex engine
// over UTF-16 text, with a process-wide direct-mapped cache of compiled patterns.
// Every operation is safe to call from any thread.
#pragma once

#include <unicode/uregex.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace linecal::rx {

// The largest signed word, as the platform marks an absent location.
inline constexpr std::size_t NotFound = static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());

struct Range {
    std::size_t location = NotFound;
    std::size_t length = 0;
    bool found() const { return location != NotFound; }
    std::size_t end() const { return location + length; }
    friend bool operator==(const Range&, const Range&) = default;
};
inline constexpr Range kNotFoundRange{NotFound, 0};
// Location 0 and the largest unsigned length: "the rest of the string".
inline constexpr Range kWholeRange{0, std::numeric_limits<std::size_t>::max()};

// A string to search. Strings that expose their UTF-16 code units directly are
// searched in place; the others are copied into the service's shared conversion
// buffers (a fixed one for short strings, a growing one for long strings).
class Text {
public:
    virtual ~Text() = default;
    // Stable for the lifetime of the underlying string; used for the identity checks.
    virtual const void* identity() const = 0;
    virtual std::int64_t length() const = 0;        // in UTF-16 code units
    virtual const UChar* directUtf16() const = 0;   // null when there is no direct storage
    virtual void copyUtf16(UChar* dest) const = 0;  // writes length() code units
    virtual std::uint64_t contentHash() const = 0;  // changes when the content changes
    virtual const char* className() const = 0;      // for exception reasons
    // True for a missing string (a bogus icu::UnicodeString); operations refuse it.
    virtual bool isNull() const { return false; }
};

// An icu::UnicodeString searched in place (direct UTF-16 storage).
class UnicodeText final : public Text {
public:
    explicit UnicodeText(const icu::UnicodeString& s) : s_(s) {}
    const void* identity() const override { return &s_; }
    std::int64_t length() const override { return s_.length(); }
    const UChar* directUtf16() const override { return s_.isBogus() ? nullptr : s_.getBuffer(); }
    void copyUtf16(UChar* dest) const override;
    std::uint64_t contentHash() const override;
    const char* className() const override { return "UnicodeString"; }
    bool isNull() const override { return s_.isBogus(); }

private:
    const icu::UnicodeString& s_;
};

// UTF-8 text without direct UTF-16 storage. Ill-formed sequences read as U+FFFD.
class Utf8Text final : public Text {
public:
    explicit Utf8Text(std::string utf8);
    const void* identity() const override { return this; }
    std::int64_t length() const override { return length16_; }
    const UChar* directUtf16() const override { return nullptr; }
    void copyUtf16(UChar* dest) const override;
    std::uint64_t contentHash() const override;
    const char* className() const override { return "Utf8Text"; }
    const std::string& utf8() const { return utf8_; }

private:
    std::string utf8_;
    std::int64_t length16_ = 0;
};

// Error out-parameter: domain, code and an information map.
using InfoValue = std::variant<std::int64_t, std::string>;
struct RegexError {
    std::string domain;
    std::int64_t code = 0;
    std::map<std::string, InfoValue> userInfo;
};

// A named exception for misuse by the caller (NSInvalidArgumentException,
// NSRangeException, NSInternalInconsistencyException, ICURegexException).
class RegexException : public std::runtime_error {
public:
    RegexException(std::string name, std::string reason, std::map<std::string, InfoValue> userInfo = {});
    const std::string& name() const { return name_; }
    const std::string& reason() const { return reason_; }
    const std::map<std::string, InfoValue>& userInfo() const { return userInfo_; }

private:
    std::string name_, reason_;
    std::map<std::string, InfoValue> userInfo_;
};

extern const char* const ICURegexException;
extern const char* const ICURegexErrorDomain;
extern const char* const ICURegexErrorCodeErrorKey;
extern const char* const ICURegexErrorNameErrorKey;
extern const char* const ICURegexLineErrorKey;
extern const char* const ICURegexOffsetErrorKey;
extern const char* const ICURegexPreContextErrorKey;
extern const char* const ICURegexPostContextErrorKey;
extern const char* const ICURegexRegexErrorKey;
extern const char* const ICURegexRegexOptionsErrorKey;

using Strings = std::vector<icu::UnicodeString>;
// Array results are absent (std::nullopt) when the pattern does not compile.
using OptStrings = std::optional<Strings>;

// ---- the family; overloads mirror the variants with and without options/range/capture ----
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex);
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex, int capture);
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex, Range inRange);
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options, Range inRange, int capture,
                   RegexError* error);

bool isMatchedByRegex(const Text& s, const icu::UnicodeString& regex);
bool isMatchedByRegex(const Text& s, const icu::UnicodeString& regex, Range inRange);
bool isMatchedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options, Range inRange,
                      RegexError* error);

std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex);
std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex, int capture);
std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex, Range inRange);
std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex,
                                                   std::uint32_t options, Range inRange, int capture,
                                                   RegexError* error);

OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex);
OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, int capture);
OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, Range range);
OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options, Range range,
                                    int capture, RegexError* error);

OptStrings captureComponentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex);
OptStrings captureComponentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, Range range);
OptStrings captureComponentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options,
                                           Range range, RegexError* error);

std::optional<std::vector<Strings>> arrayOfCaptureComponentsMatchedByRegex(const Text& s,
                                                                           const icu::UnicodeString& regex);
std::optional<std::vector<Strings>> arrayOfCaptureComponentsMatchedByRegex(const Text& s,
                                                                           const icu::UnicodeString& regex,
                                                                           Range range);
std::optional<std::vector<Strings>> arrayOfCaptureComponentsMatchedByRegex(const Text& s,
                                                                           const icu::UnicodeString& regex,
                                                                           std::uint32_t options, Range range,
                                                                           RegexError* error);

OptStrings componentsSeparatedByRegex(const Text& s, const icu::UnicodeString& regex);
OptStrings componentsSeparatedByRegex(const Text& s, const icu::UnicodeString& regex, Range range);
OptStrings componentsSeparatedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options,
                                      Range range, RegexError* error);

std::optional<icu::UnicodeString> stringByReplacingOccurrencesOfRegex(const Text& s, const icu::UnicodeString& regex,
                                                                      const icu::UnicodeString* replacement);
std::optional<icu::UnicodeString> stringByReplacingOccurrencesOfRegex(const Text& s, const icu::UnicodeString& regex,
                                                                      const icu::UnicodeString* replacement,
                                                                      Range range);
std::optional<icu::UnicodeString> stringByReplacingOccurrencesOfRegex(const Text& s, const icu::UnicodeString& regex,
                                                                      const icu::UnicodeString* replacement,
                                                                      std::uint32_t options, Range range,
                                                                      RegexError* error);

// Mutable receiver: replaced in place when the count is not 0.
std::size_t replaceOccurrencesOfRegex(icu::UnicodeString& s, const icu::UnicodeString& regex,
                                      const icu::UnicodeString* replacement);
std::size_t replaceOccurrencesOfRegex(icu::UnicodeString& s, const icu::UnicodeString& regex,
                                      const icu::UnicodeString* replacement, Range range);
std::size_t replaceOccurrencesOfRegex(icu::UnicodeString& s, const icu::UnicodeString& regex,
                                      const icu::UnicodeString* replacement, std::uint32_t options, Range range,
                                      RegexError* error);

// Capture count of a pattern; -1 when it does not compile.
std::int64_t captureCountForRegex(const icu::UnicodeString& regex);
std::int64_t captureCountForRegex(const icu::UnicodeString& regex, std::uint32_t options, RegexError* error);
bool isRegexValid(const icu::UnicodeString& regex);
bool isRegexValid(const icu::UnicodeString& regex, std::uint32_t options, RegexError* error);

void clearStringCache();
void flushCachedRegexData(const Text& s);

// Keeps this pattern object compiled beside the 23 slots for the life of the process, so that a
// caller with more fixed patterns than slots (the entry parser) never has one pushed out by
// another and compiled again. Every operation still runs it through ICU like any pattern; it is
// found by the object's address, so `regex` must outlive every use (a static). Returns `regex`,
// for a static's initialiser.
const icu::UnicodeString& keepRegexCompiled(const icu::UnicodeString& regex, std::uint32_t options = 0);

// A bound on each match, in ICU's units (about a millisecond each); 0, the default, is none. A
// match that runs out raises ICURegexException with U_REGEX_TIME_OUT, like any ICU failure.
// ICU can backtrack exponentially, and loops on a few patterns; callers that run patterns they
// did not write set one.
void setRegexTimeLimit(std::int32_t units);

// Convenience for the common case of an icu::UnicodeString receiver.
inline Range rangeOfRegex(const icu::UnicodeString& s, const icu::UnicodeString& regex) {
    return rangeOfRegex(UnicodeText(s), regex);
}
inline OptStrings componentsMatchedByRegex(const icu::UnicodeString& s, const icu::UnicodeString& regex) {
    return componentsMatchedByRegex(UnicodeText(s), regex);
}
inline OptStrings captureComponentsMatchedByRegex(const icu::UnicodeString& s, const icu::UnicodeString& regex) {
    return captureComponentsMatchedByRegex(UnicodeText(s), regex);
}

// An internal consistency failure, thrown as NSInternalInconsistencyException once the lock
// is released.
struct AssertionFailure {
    std::string description, function, file, exceptionName;
    int line = 0;
};
// Counts how often the lock clean-up found the lock already released.
std::uint64_t debugCacheSpinLockCount();
// The cache slot a pattern maps to, and how many times a pattern has been compiled
// since the process started; for tests and diagnostics.
std::size_t cacheSlotForRegex(const icu::UnicodeString& regex);
std::uint64_t debugRegexCompileCount();

}  // namespace linecal::rx
