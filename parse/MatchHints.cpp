#include "parse/MatchHints.h"

#include <cstdint>
#include <string_view>

namespace linecal::hints {
namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// One of the words, first letter in either case and the rest lower case as the
// patterns spell month and weekday names, standing before a space and after a
// space (or right after "next", as the weekday pattern allows). Scans the buffer
// without allocating.
bool containsWord(const icu::UnicodeString& text, std::initializer_list<std::u16string_view> words) {
    std::uint32_t firstLetters = 0;  // a bit per letter a word may begin with
    for (std::u16string_view word : words) firstLetters |= 1u << (word[0] - u'a');
    std::u16string_view s(text.getBuffer(), static_cast<std::size_t>(text.length()));
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        const char16_t c = s[i] | 0x20;  // folds A-Z; other characters fail the range test
        if (c < u'a' || c > u'z' || !(firstLetters >> (c - u'a') & 1)) continue;
        bool afterBreak = s[i - 1] == u' ' || (i >= 4 && s.substr(i - 4, 4) == u"next");
        if (!afterBreak) continue;
        for (std::u16string_view word : words) {
            std::size_t end = i + word.size();
            if (c == word[0] && end < s.size() && s[end] == u' ' && s.substr(i + 1, word.size() - 1) == word.substr(1))
                return true;
        }
    }
    return false;
}

}  // namespace

bool containsAny(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals) {
    std::u16string_view s(text.getBuffer(), static_cast<std::size_t>(text.length()));
    for (const char16_t* literal : literals)
        if (s.find(literal) != std::u16string_view::npos) return true;
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
           containsWord(text, {u"jan", u"january", u"feb", u"february", u"ma", u"mar", u"march", u"apr", u"april",
                               u"may", u"jun", u"june", u"jul", u"july", u"aug", u"august", u"sep", u"september",
                               u"oct", u"october", u"nov", u"november", u"dec", u"december"});
}

// A time is a run of digits, ":" and "." after a space that is either followed
// (after at most one space) by a, p, A or P, or holds four digits (16:30);
// only "noon" needs no digit.
bool mayHoldTime(const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    const int32_t n = text.length();
    for (int32_t i = 0; i + 1 < n; ++i) {
        if (p[i] != u' ' || !isDigit(p[i + 1])) continue;
        int32_t end = i + 1, digits = 0;
        for (; end < n && (isDigit(p[end]) || p[end] == u':' || p[end] == u'.'); ++end) digits += isDigit(p[end]);
        const int32_t after = end < n && p[end] == u' ' ? end + 1 : end;
        const char16_t next = after < n ? (p[after] | 0x20) : 0;
        if (digits >= 4 || next == u'a' || next == u'p') return true;
        i = end - 1;
    }
    return containsAny(text, {u"oon"});
}

bool mayHoldWeekday(const icu::UnicodeString& text) {
    return containsWord(text, {u"mon", u"monday", u"tue", u"tues", u"tuesday", u"wed", u"wednesday", u"thu", u"thur",
                               u"thurs", u"thursday", u"fri", u"friday", u"sat", u"saturday", u"sun", u"sunday"});
}

namespace {

// The characters ICU's "." does not cross without the dot-all flag.
bool isLineTerminator(char16_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::optional<std::pair<int32_t, int32_t>> calendarTagBounds(const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    const int32_t n = text.length();
    for (int32_t lineStart = 0; lineStart < n;) {
        int32_t lineEnd = lineStart;
        while (lineEnd < n && !isLineTerminator(p[lineEnd])) ++lineEnd;
        int32_t open = -1;
        for (int32_t i = lineStart; i + 1 < lineEnd && open < 0; ++i)
            if (p[i] == u' ' && p[i + 1] == u'[') open = i;
        // The closing "] " ends before the line does: a terminator is no space.
        for (int32_t close = lineEnd - 2; open >= 0 && close >= open + 3; --close)
            if (p[close] == u']' && p[close + 1] == u' ') return std::make_pair(open, close + 2 - open);
        lineStart = lineEnd + 1;
    }
    return std::nullopt;
}

}  // namespace linecal::hints
