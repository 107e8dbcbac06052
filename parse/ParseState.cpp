// The text handling every phase shares: wrapping, the first match, cutting.
#include "parse/ParseState.h"

#include "parse/MatchHints.h"
#include "parse/TextHelpers.h"

namespace linecal {
namespace {

rx::Range from(int32_t start, int32_t length) {
    return rx::Range{static_cast<std::size_t>(start), static_cast<std::size_t>(length)};
}

}  // namespace

AsciiPresent::AsciiPresent(const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    for (int32_t i = 0, n = text.length(); i < n; ++i)
        if (p[i] < 128) bits_[p[i] >> 6] |= std::uint64_t{1} << (p[i] & 63);
}

void ParseState::wrap() {
    workingText.insert(0, u' ');
    workingText.append(u' ');
}

std::optional<rx::Strings> ParseState::firstMatch(const icu::UnicodeString& pattern, int32_t start) const {
    if (start == hints::kNone) return std::nullopt;
    return firstGroupsIn(workingText, pattern, start, workingText.length() - start);
}

std::optional<icu::UnicodeString> ParseState::firstMatchedText(const icu::UnicodeString& pattern,
                                                               int32_t start) const {
    if (start == hints::kNone) return std::nullopt;
    const rx::Range r = firstRangeIn(workingText, pattern, start);
    if (!r.found()) return std::nullopt;
    return icu::UnicodeString(workingText, static_cast<int32_t>(r.location), static_cast<int32_t>(r.length));
}

std::optional<rx::Strings> ParseState::firstMatchIn(const icu::UnicodeString& pattern, int32_t start,
                                                    int32_t length) const {
    return firstGroupsIn(workingText, pattern, start, length);
}

void ParseState::cut(const icu::UnicodeString& recognised) {
    static const icu::UnicodeString space(u" ");
    replaceOccurrences(workingText, recognised, space);
}

// ICU gives up on pathological text (its match stack is bounded); the parser
// never fails, so the phase simply finds nothing.
std::optional<rx::Strings> firstGroupsIn(const icu::UnicodeString& text, const icu::UnicodeString& pattern,
                                         int32_t start, int32_t length) {
    rx::OptStrings groups;
    try {
        groups = rx::captureComponentsMatchedByRegex(rx::UnicodeText(text), pattern, from(start, length));
    } catch (const rx::RegexException&) {
        return std::nullopt;
    }
    if (!groups || groups->empty()) return std::nullopt;
    return std::move(*groups);
}

rx::Range firstRangeIn(const icu::UnicodeString& text, const icu::UnicodeString& pattern, int32_t start) {
    if (start == hints::kNone) return rx::kNotFoundRange;
    try {
        return rx::rangeOfRegex(rx::UnicodeText(text), pattern, from(start, text.length() - start));
    } catch (const rx::RegexException&) {
        return rx::kNotFoundRange;
    }
}

}  // namespace linecal
