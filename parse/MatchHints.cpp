#include "parse/MatchHints.h"

#include <string_view>

namespace linecal::hints {
namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A word stem whose first letter may be either case and the rest lower case, as
// the patterns spell month and weekday names. Scans the buffer without allocating.
bool containsStem(const icu::UnicodeString& text, std::initializer_list<std::u16string_view> stems) {
    std::u16string_view s(text.getBuffer(), static_cast<std::size_t>(text.length()));
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        char16_t first = s[i] >= u'A' && s[i] <= u'Z' ? static_cast<char16_t>(s[i] + 32) : s[i];
        for (std::u16string_view stem : stems)
            if (first == stem[0] && s.substr(i + 1, stem.size() - 1) == stem.substr(1)) return true;
    }
    return false;
}

}  // namespace

bool containsAny(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals) {
    for (const char16_t* literal : literals)
        if (text.indexOf(icu::UnicodeString(literal)) >= 0) return true;
    return false;
}

bool hasDigit(const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    for (int32_t i = 0, n = text.length(); i < n; ++i)
        if (isDigit(p[i])) return true;
    return false;
}

bool mayHoldDate(const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    for (int32_t i = 0, n = text.length(); i + 2 < n; ++i)
        if (isDigit(p[i]) && (p[i + 1] == u'-' || p[i + 1] == u'/' || p[i + 1] == u'.') && isDigit(p[i + 2]))
            return true;
    return hasDigit(text) &&
           containsStem(text, {u"jan", u"feb", u"ma", u"apr", u"jun", u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"});
}

bool mayHoldTime(const icu::UnicodeString& text) { return hasDigit(text) || containsAny(text, {u"oon"}); }

bool mayHoldWeekday(const icu::UnicodeString& text) {
    return containsStem(text, {u"mon", u"tue", u"wed", u"thu", u"fri", u"sat", u"sun"});
}

}  // namespace linecal::hints
