#include "parse/PhaseViews.h"

#include "parse/MatchHints.h"
#include "parse/Patterns.h"
#include "regex/RegexService.h"

namespace linecal {
namespace {

bool isAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Replaces every match by the template, which keeps the length.
bool replaceLastOfEach(icu::UnicodeString& text, const icu::UnicodeString& pattern,
                       const icu::UnicodeString& replacement) {
    try {
        auto replaced = rx::stringByReplacingOccurrencesOfRegex(rx::UnicodeText(text), pattern, &replacement);
        if (!replaced || *replaced == text || replaced->length() != text.length()) return false;
        text = std::move(*replaced);
        return true;
    } catch (const rx::RegexException&) {
        return false;  // ICU gave up: the phases see the text as it is
    }
}

}  // namespace

const icu::UnicodeString& phaseView(const icu::UnicodeString& text, ViewFor phase, const hints::Candidates& candidates,
                                    icu::UnicodeString& scratch) {
    // "_" is in none of the date or time patterns' sets, so a hidden point
    // breaks the number; a blanked comma lets the month-first pattern end there.
    static const icu::UnicodeString hiddenPoint(u"$1_"), blankComma(u" ");
    const bool amounts = candidates.point && (candidates.forWord || candidates.inWord) &&
                         hints::containsAny(text, {u"."}) && hints::containsAny(text, {u" for ", u" in "});
    const bool commas = phase == ViewFor::Dates && candidates.comma && hints::containsAny(text, {u","}) &&
                        hints::containsAny(text, {u", 19", u", 20"});
    if (!amounts && !commas) return text;
    scratch = text;
    bool changed = amounts && replaceLastOfEach(scratch, patterns::amountPoint(), hiddenPoint);
    changed = (commas && replaceLastOfEach(scratch, patterns::yearComma(), blankComma)) || changed;
    return changed ? scratch : text;
}

int32_t yearAfterMonthNameDate(const icu::UnicodeString& text, int32_t start, int32_t end) {
    bool monthName = false;
    for (int32_t i = start; i < end && !monthName; ++i)
        monthName = (text[i] | 0x20) >= u'a' && (text[i] | 0x20) <= u'z';
    if (!monthName || end > text.length()) return 0;
    int32_t year = end;
    if (end > start && text[end - 1] == u',') {
        if (end >= text.length() || text[end] != u' ') return 0;
        ++year;
    }
    if (year + 4 >= text.length() || text[year + 4] != u' ') return 0;
    for (int32_t i = year; i < year + 4; ++i)
        if (!isAsciiDigit(text[i])) return 0;
    const bool century =
        (text[year] == u'1' && text[year + 1] == u'9') || (text[year] == u'2' && text[year + 1] == u'0');
    return century ? year + 5 - end : 0;
}

}  // namespace linecal
