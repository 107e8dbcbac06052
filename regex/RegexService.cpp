// The operation family: thin wrappers that name the operation, pick its code and
// shape the result. The work happens in performRegexOp (RegexOperation.cpp).

#include "regex/RegexInternal.h"

#include <unicode/ustring.h>

#include <algorithm>

namespace linecal::rx {

const char* const ICURegexException = "ICURegexException";
const char* const ICURegexErrorDomain = "ICURegexErrorDomain";
const char* const ICURegexErrorCodeErrorKey = "ICURegexErrorCode";
const char* const ICURegexErrorNameErrorKey = "ICURegexErrorName";
const char* const ICURegexLineErrorKey = "ICURegexLine";
const char* const ICURegexOffsetErrorKey = "ICURegexOffset";
const char* const ICURegexPreContextErrorKey = "ICURegexPreContext";
const char* const ICURegexPostContextErrorKey = "ICURegexPostContext";
const char* const ICURegexRegexErrorKey = "ICURegexRegex";
const char* const ICURegexRegexOptionsErrorKey = "ICURegexRegexOptions";

RegexException::RegexException(std::string name, std::string reason, std::map<std::string, InfoValue> userInfo)
    : std::runtime_error(name + ": " + reason),
      name_(std::move(name)),
      reason_(std::move(reason)),
      userInfo_(std::move(userInfo)) {}

// ---- texts ----

void UnicodeText::copyUtf16(UChar* dest) const { s_.extract(0, s_.length(), dest); }

std::uint64_t UnicodeText::contentHash() const { return detail::textHash(s_.getBuffer(), s_.length()); }

namespace {

constexpr UChar32 kReplacementCharacter = 0xFFFD;

// ICU converts at most INT32_MAX bytes per call. Longer text goes in pieces cut
// before a lead byte, so no sequence is split (a run of more than three
// continuation bytes is ill-formed whichever way it is cut).
template <typename F>
void forEachUtf8Piece(const std::string& utf8, F&& f) {
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t end = std::min(utf8.size(), pos + kPiece);
        for (int back = 0; end < utf8.size() && back < 3 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80;
             ++back) {
            --end;
        }
        f(utf8.data() + pos, static_cast<int32_t>(end - pos));
        pos = end;
    }
}

}  // namespace

Utf8Text::Utf8Text(std::string utf8) : utf8_(std::move(utf8)) {
    forEachUtf8Piece(utf8_, [this](const char* piece, int32_t bytes) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t units = 0;
        u_strFromUTF8WithSub(nullptr, 0, &units, piece, bytes, kReplacementCharacter, nullptr, &status);
        length16_ += units;
    });
}

void Utf8Text::copyUtf16(UChar* dest) const {
    std::int64_t written = 0;
    forEachUtf8Piece(utf8_, [&](const char* piece, int32_t bytes) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t units = 0;
        const std::int64_t room = std::min<std::int64_t>(length16_ - written, INT32_MAX);
        u_strFromUTF8WithSub(dest + written, static_cast<int32_t>(room), &units, piece, bytes, kReplacementCharacter,
                             nullptr, &status);
        written += units;
    });
}

std::uint64_t Utf8Text::contentHash() const {
    std::uint64_t h = detail::kFnvOffsetBasis;
    for (unsigned char byte : utf8_) {
        h ^= byte;
        h *= detail::kFnvPrime;
    }
    return h;
}

// ---- the family ----

namespace {

using detail::OpRequest;
using detail::OpResult;

OpRequest request(const Text& s, const char* name, unsigned op, const icu::UnicodeString& regex, std::uint32_t options,
                  Range range, int capture, RegexError* error) {
    OpRequest q;
    q.text = &s;
    q.opName = name;
    q.op = op;
    q.regex = &regex;
    q.options = options;
    q.capture = capture;
    q.range = range;
    q.error = error;
    return q;
}

OpResult run(const Text& s, const char* name, unsigned op, const icu::UnicodeString& regex, std::uint32_t options,
             Range range, int capture, RegexError* error, const icu::UnicodeString* replacement = nullptr,
             icu::UnicodeString* inPlaceTarget = nullptr) {
    OpRequest q = request(s, name, op, regex, options, range, capture, error);
    q.replacement = replacement;
    q.inPlaceTarget = inPlaceTarget;
    return detail::performRegexOp(q);
}

OpResult lookup(char kind, const char* name, const icu::UnicodeString& regex, std::uint32_t options,
                RegexError* error) {
    OpRequest q;
    q.kind = kind;
    q.opName = name;
    q.regex = &regex;
    q.options = options;
    q.error = error;
    return detail::performRegexOp(q);
}

Range firstRange(const Text& s, const char* name, const icu::UnicodeString& regex, std::uint32_t options, Range range,
                 int capture, RegexError* error) {
    return run(s, name, detail::kFirstRange, regex, options, range, capture, error).range;
}

bool matched(const Text& s, const char* name, const icu::UnicodeString& regex, std::uint32_t options, Range range,
             RegexError* error) {
    return firstRange(s, name, regex, options, range, 0, error).found();
}

std::optional<icu::UnicodeString> matchedString(const Text& s, const char* name, const icu::UnicodeString& regex,
                                                std::uint32_t options, Range range, int capture, RegexError* error) {
    OpRequest q = request(s, name, detail::kFirstRange, regex, options, range, capture, error);
    q.wantMatchedText = true;
    OpResult r = detail::performRegexOp(q);
    if (!r.range.found()) return std::nullopt;
    return std::move(r.matchedText);
}

OptStrings strings(OpResult r) {
    if (!r.compiled) return std::nullopt;
    return std::move(r.strings);
}

std::optional<icu::UnicodeString> replaced(const Text& s, const char* name, const icu::UnicodeString& regex,
                                           const icu::UnicodeString* replacement, std::uint32_t options, Range range,
                                           RegexError* error) {
    OpResult r = run(s, name, detail::kReplace, regex, options, range, 0, error, replacement);
    if (!r.compiled) return std::nullopt;
    return std::move(r.replaced);
}

std::size_t replacedInPlace(icu::UnicodeString& s, const char* name, const icu::UnicodeString& regex,
                            const icu::UnicodeString* replacement, std::uint32_t options, Range range,
                            RegexError* error) {
    const UnicodeText text(s);
    return run(text, name, detail::kReplace | detail::kInPlace, regex, options, range, 0, error, replacement, &s).count;
}

}  // namespace

Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex) {
    return firstRange(s, "rangeOfRegex:", regex, 0, kWholeRange, 0, nullptr);
}
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex, int capture) {
    return firstRange(s, "rangeOfRegex:capture:", regex, 0, kWholeRange, capture, nullptr);
}
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex, Range inRange) {
    return firstRange(s, "rangeOfRegex:inRange:", regex, 0, inRange, 0, nullptr);
}
Range rangeOfRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options, Range inRange, int capture,
                   RegexError* error) {
    return firstRange(s, "rangeOfRegex:options:inRange:capture:error:", regex, options, inRange, capture, error);
}

bool isMatchedByRegex(const Text& s, const icu::UnicodeString& regex) {
    return matched(s, "isMatchedByRegex:", regex, 0, kWholeRange, nullptr);
}
bool isMatchedByRegex(const Text& s, const icu::UnicodeString& regex, Range inRange) {
    return matched(s, "isMatchedByRegex:inRange:", regex, 0, inRange, nullptr);
}
bool isMatchedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options, Range inRange,
                      RegexError* error) {
    return matched(s, "isMatchedByRegex:options:inRange:error:", regex, options, inRange, error);
}

std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex) {
    return matchedString(s, "stringByMatching:", regex, 0, kWholeRange, 0, nullptr);
}
std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex, int capture) {
    return matchedString(s, "stringByMatching:capture:", regex, 0, kWholeRange, capture, nullptr);
}
std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex, Range inRange) {
    return matchedString(s, "stringByMatching:inRange:", regex, 0, inRange, 0, nullptr);
}
std::optional<icu::UnicodeString> stringByMatching(const Text& s, const icu::UnicodeString& regex,
                                                   std::uint32_t options, Range inRange, int capture,
                                                   RegexError* error) {
    return matchedString(s, "stringByMatching:options:inRange:capture:error:", regex, options, inRange, capture, error);
}

OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex) {
    return strings(run(s, "componentsMatchedByRegex:", detail::kCaptureOfEach, regex, 0, kWholeRange, 0, nullptr));
}
OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, int capture) {
    return strings(
        run(s, "componentsMatchedByRegex:capture:", detail::kCaptureOfEach, regex, 0, kWholeRange, capture, nullptr));
}
OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, Range range) {
    return strings(run(s, "componentsMatchedByRegex:range:", detail::kCaptureOfEach, regex, 0, range, 0, nullptr));
}
OptStrings componentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options, Range range,
                                    int capture, RegexError* error) {
    return strings(run(s, "componentsMatchedByRegex:options:range:capture:error:", detail::kCaptureOfEach, regex,
                       options, range, capture, error));
}

OptStrings captureComponentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex) {
    return strings(
        run(s, "captureComponentsMatchedByRegex:", detail::kFirstCaptures, regex, 0, kWholeRange, 0, nullptr));
}
OptStrings captureComponentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, Range range) {
    return strings(
        run(s, "captureComponentsMatchedByRegex:range:", detail::kFirstCaptures, regex, 0, range, 0, nullptr));
}
OptStrings captureComponentsMatchedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options,
                                           Range range, RegexError* error) {
    return strings(run(s, "captureComponentsMatchedByRegex:options:range:error:", detail::kFirstCaptures, regex,
                       options, range, 0, error));
}

namespace {
std::optional<std::vector<Strings>> arrays(OpResult r) {
    if (!r.compiled) return std::nullopt;
    return std::move(r.arrays);
}
constexpr unsigned kArrayOfCaptures = detail::kAllCaptures | detail::kArrayPerMatch;
}  // namespace

std::optional<std::vector<Strings>> arrayOfCaptureComponentsMatchedByRegex(const Text& s,
                                                                           const icu::UnicodeString& regex) {
    return arrays(
        run(s, "arrayOfCaptureComponentsMatchedByRegex:", kArrayOfCaptures, regex, 0, kWholeRange, 0, nullptr));
}
std::optional<std::vector<Strings>> arrayOfCaptureComponentsMatchedByRegex(const Text& s,
                                                                           const icu::UnicodeString& regex,
                                                                           Range range) {
    return arrays(
        run(s, "arrayOfCaptureComponentsMatchedByRegex:range:", kArrayOfCaptures, regex, 0, range, 0, nullptr));
}
std::optional<std::vector<Strings>> arrayOfCaptureComponentsMatchedByRegex(const Text& s,
                                                                           const icu::UnicodeString& regex,
                                                                           std::uint32_t options, Range range,
                                                                           RegexError* error) {
    return arrays(run(s, "arrayOfCaptureComponentsMatchedByRegex:options:range:error:", kArrayOfCaptures, regex,
                      options, range, 0, error));
}

OptStrings componentsSeparatedByRegex(const Text& s, const icu::UnicodeString& regex) {
    return strings(run(s, "componentsSeparatedByRegex:", detail::kSplit, regex, 0, kWholeRange, 0, nullptr));
}
OptStrings componentsSeparatedByRegex(const Text& s, const icu::UnicodeString& regex, Range range) {
    return strings(run(s, "componentsSeparatedByRegex:range:", detail::kSplit, regex, 0, range, 0, nullptr));
}
OptStrings componentsSeparatedByRegex(const Text& s, const icu::UnicodeString& regex, std::uint32_t options,
                                      Range range, RegexError* error) {
    return strings(
        run(s, "componentsSeparatedByRegex:options:range:error:", detail::kSplit, regex, options, range, 0, error));
}

std::optional<icu::UnicodeString> stringByReplacingOccurrencesOfRegex(const Text& s, const icu::UnicodeString& regex,
                                                                      const icu::UnicodeString* replacement) {
    return replaced(s, "stringByReplacingOccurrencesOfRegex:withString:", regex, replacement, 0, kWholeRange, nullptr);
}
std::optional<icu::UnicodeString> stringByReplacingOccurrencesOfRegex(const Text& s, const icu::UnicodeString& regex,
                                                                      const icu::UnicodeString* replacement,
                                                                      Range range) {
    return replaced(s, "stringByReplacingOccurrencesOfRegex:withString:range:", regex, replacement, 0, range, nullptr);
}
std::optional<icu::UnicodeString> stringByReplacingOccurrencesOfRegex(const Text& s, const icu::UnicodeString& regex,
                                                                      const icu::UnicodeString* replacement,
                                                                      std::uint32_t options, Range range,
                                                                      RegexError* error) {
    return replaced(s, "stringByReplacingOccurrencesOfRegex:withString:options:range:error:", regex, replacement,
                    options, range, error);
}

std::size_t replaceOccurrencesOfRegex(icu::UnicodeString& s, const icu::UnicodeString& regex,
                                      const icu::UnicodeString* replacement) {
    return replacedInPlace(s, "replaceOccurrencesOfRegex:withString:", regex, replacement, 0, kWholeRange, nullptr);
}
std::size_t replaceOccurrencesOfRegex(icu::UnicodeString& s, const icu::UnicodeString& regex,
                                      const icu::UnicodeString* replacement, Range range) {
    return replacedInPlace(s, "replaceOccurrencesOfRegex:withString:range:", regex, replacement, 0, range, nullptr);
}
std::size_t replaceOccurrencesOfRegex(icu::UnicodeString& s, const icu::UnicodeString& regex,
                                      const icu::UnicodeString* replacement, std::uint32_t options, Range range,
                                      RegexError* error) {
    return replacedInPlace(s, "replaceOccurrencesOfRegex:withString:options:range:error:", regex, replacement, options,
                           range, error);
}

std::int64_t captureCountForRegex(const icu::UnicodeString& regex) {
    return lookup('+', "captureCountForRegex:", regex, 0, nullptr).captureCount;
}
std::int64_t captureCountForRegex(const icu::UnicodeString& regex, std::uint32_t options, RegexError* error) {
    return lookup('+', "captureCountForRegex:options:error:", regex, options, error).captureCount;
}
bool isRegexValid(const icu::UnicodeString& regex) { return lookup('-', "isRegexValid", regex, 0, nullptr).compiled; }
bool isRegexValid(const icu::UnicodeString& regex, std::uint32_t options, RegexError* error) {
    return lookup('-', "isRegexValidWithOptions:error:", regex, options, error).compiled;
}

}  // namespace linecal::rx
