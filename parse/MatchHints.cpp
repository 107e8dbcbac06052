#include "parse/MatchHints.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace linecal::hints {
namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isLetter(char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; }

using View = std::u16string_view;

View view(const icu::UnicodeString& text) { return View(text.getBuffer(), static_cast<std::size_t>(text.length())); }

// Names filed under their first letter, so a word is compared only with the
// few that begin as it does.
class NameTable {
public:
    NameTable(std::initializer_list<View> names) {
        for (View name : names) byInitial_[static_cast<std::size_t>(name[0] - u'a')].push_back(name);
    }
    // The ASCII word at i, spelled as the patterns spell names (first letter in
    // either case, the rest lower case), is one of the names.
    bool holds(View s, std::size_t i, std::size_t length) const {
        const char16_t first = s[i] | 0x20;
        if (first < u'a' || first > u'z') return false;
        for (View name : byInitial_[static_cast<std::size_t>(first - u'a')])
            if (name.size() == length && s.substr(i + 1, length - 1) == name.substr(1)) return true;
        return false;
    }

private:
    std::array<std::vector<View>, 26> byInitial_;
};

bool isName(View s, std::size_t i, std::size_t length, const NameTable& names) { return names.holds(s, i, length); }

std::size_t letterRun(View s, std::size_t i) {
    std::size_t end = i;
    while (end < s.size() && isLetter(s[end])) ++end;
    return end - i;
}

std::size_t digitRun(View s, std::size_t i) {
    std::size_t end = i;
    while (end < s.size() && isDigit(s[end])) ++end;
    return end - i;
}

const NameTable kMonths = {u"jan",   u"january",   u"feb", u"february", u"ma",  u"mar",      u"march", u"apr",
                           u"april", u"may",       u"jun", u"june",     u"jul", u"july",     u"aug",   u"august",
                           u"sep",   u"september", u"oct", u"october",  u"nov", u"november", u"dec",   u"december"};
const NameTable kWeekdays = {u"mon",       u"monday", u"tue",      u"tues",  u"tuesday",  u"wed",
                             u"wednesday", u"thu",    u"thur",     u"thurs", u"thursday", u"fri",
                             u"friday",    u"sat",    u"saturday", u"sun",   u"sunday"};

// After the space at i: one to four digits, a separator, a digit.
bool numericDateAt(View s, std::size_t i) {
    const std::size_t digits = digitRun(s, i + 1), sep = i + 1 + digits;
    return digits >= 1 && digits <= 4 && sep + 1 < s.size() && (s[sep] == u'-' || s[sep] == u'/' || s[sep] == u'.') &&
           isDigit(s[sep + 1]);
}

// After the space at i: a day of one or two digits, an optional suffix, a space
// and a month name standing as a word.
bool dayMonthAt(View s, std::size_t i) {
    const std::size_t digits = digitRun(s, i + 1);
    if (digits < 1 || digits > 2) return false;
    std::size_t k = i + 1 + digits;
    for (View suffix : {View(u"st"), View(u"nd"), View(u"rd"), View(u"th")}) {
        if (s.substr(k, 2) == suffix) {
            k += 2;
            break;
        }
    }
    if (k + 1 >= s.size() || s[k] != u' ') return false;
    const std::size_t length = letterRun(s, k + 1);
    return length >= 2 && k + 1 + length < s.size() && s[k + 1 + length] == u' ' && isName(s, k + 1, length, kMonths);
}

// After the space at i: a month name, a space and a digit.
bool monthDayAt(View s, std::size_t i) {
    const std::size_t length = letterRun(s, i + 1), end = i + 1 + length;
    return length >= 2 && end + 1 < s.size() && s[end] == u' ' && isDigit(s[end + 1]) &&
           isName(s, i + 1, length, kMonths);
}

template <typename Test>
int32_t firstSpaceWhere(const icu::UnicodeString& text, Test test) {
    const View s = view(text);
    for (std::size_t i = s.find(u' '); i != View::npos && i + 1 < s.size(); i = s.find(u' ', i + 1))
        if (test(s, i)) return static_cast<int32_t>(i);
    return kNone;
}

}  // namespace

bool containsAny(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals) {
    return literalStart(text, literals) != kNone;
}

bool hasDigit(const icu::UnicodeString& text) {
    const View s = view(text);
    return std::any_of(s.begin(), s.end(), isDigit);
}

int32_t literalStart(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals, int32_t lead) {
    const View s = view(text);
    std::size_t first = View::npos;
    for (const char16_t* literal : literals) first = std::min(first, s.find(literal));
    if (first == View::npos) return kNone;
    return std::max<int32_t>(0, static_cast<int32_t>(first) - lead);
}

int32_t dayFirstDateStart(const icu::UnicodeString& text) {
    return firstSpaceWhere(text, [](View s, std::size_t i) { return numericDateAt(s, i) || dayMonthAt(s, i); });
}

int32_t monthFirstDateStart(const icu::UnicodeString& text) {
    return firstSpaceWhere(text, [](View s, std::size_t i) { return numericDateAt(s, i) || monthDayAt(s, i); });
}

// A time is a run of digits, ":" and "." after a space that is either followed
// (after at most one space) by a, p, A or P, or holds four digits (16:30); or
// the word noon after a space.
int32_t timeStart(const icu::UnicodeString& text) {
    return firstSpaceWhere(text, [](View s, std::size_t i) {
        if ((s[i + 1] | 0x20) == u'n') return s.substr(i + 2, 3) == u"oon";
        if (!isDigit(s[i + 1])) return false;
        std::size_t end = i + 1, digits = 0;
        for (; end < s.size() && (isDigit(s[end]) || s[end] == u':' || s[end] == u'.'); ++end)
            digits += isDigit(s[end]);
        const std::size_t after = end < s.size() && s[end] == u' ' ? end + 1 : end;
        const char16_t next = after < s.size() ? (s[after] | 0x20) : 0;
        return digits >= 4 || next == u'a' || next == u'p';
    });
}

int32_t amountStart(const icu::UnicodeString& text, const char16_t* word) {
    const View s = view(text), w(word);
    // Between the word and the unit stand only white space, digits and a point;
    // outside ASCII a character may be either of the first two.
    auto inAmount = [](char16_t c) {
        return c == u' ' || (c >= 0x09 && c <= 0x0D) || isDigit(c) || c == u'.' || c >= 0x80;
    };
    for (std::size_t at = s.find(w); at != View::npos; at = s.find(w, at + 1)) {
        bool digit = false;
        std::size_t i = at + w.size();
        for (; i < s.size() && inAmount(s[i]); ++i) digit = digit || isDigit(s[i]) || s[i] >= 0x80;
        if (digit && i < s.size() && (s[i] == u'w' || s[i] == u'd' || s[i] == u'h' || s[i] == u'm'))
            return static_cast<int32_t>(at);
    }
    return kNone;
}

int32_t weekdayStart(const icu::UnicodeString& text) {
    const View s = view(text);
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        if (!isLetter(s[i]) || !(s[i - 1] == u' ' || (i >= 4 && s.substr(i - 4, 4) == u"next"))) continue;
        const std::size_t length = letterRun(s, i);
        if (i + length < s.size() && s[i + length] == u' ' && isName(s, i, length, kWeekdays))
            return static_cast<int32_t>(i >= 6 ? i - 6 : 0);  // room for " next " before the name
    }
    return kNone;
}

namespace {

// The word as a whole is a name of the list, spelled as the patterns spell it.
bool isWholeName(View word, const NameTable& names) {
    return !word.empty() && letterRun(word, 0) == word.size() && isName(word, 0, word.size(), names);
}

}  // namespace

namespace {

bool equals(View word, View literal) {
    return word.size() == literal.size() &&
           std::memcmp(word.data(), literal.data(), word.size() * sizeof(char16_t)) == 0;
}

void noteLetterWord(View w, Candidates& c) {
    // Only the words a word's first letter can begin are compared.
    switch (w[0] | 0x20) {
        case u'a':
            c.atWord = c.atWord || equals(w, u"at");
            break;
        case u'f':
            c.forWord = c.forWord || equals(w, u"for");
            break;
        case u'i':
            c.inWord = c.inWord || equals(w, u"in");
            break;
        case u'n':
            c.noon = c.noon || (w.size() >= 4 && (equals(w.substr(0, 4), u"noon") || equals(w.substr(0, 4), u"Noon")));
            c.weekday =
                c.weekday || (w.size() > 4 && equals(w.substr(0, 4), u"next") && isWholeName(w.substr(4), kWeekdays));
            break;
        case u't': {
            // todo, task, today, tomorrow: a capital or not, and a plural for the first two.
            const View rest = w.substr(1);
            c.taskWord = c.taskWord || equals(rest, u"odo") || equals(rest, u"odos") || equals(rest, u"ask") ||
                         equals(rest, u"asks");
            c.today = c.today || equals(rest, u"oday");
            c.tomorrow = c.tomorrow || equals(rest, u"omorrow");
            break;
        }
        default:
            break;
    }
    if (w.size() <= 9) {  // "september", "wednesday": the longest names
        c.monthName = c.monthName || isWholeName(w, kMonths);
        c.weekday = c.weekday || isWholeName(w, kWeekdays);
    }
}

void noteWord(View w, Candidates& c) {
    const char16_t first = w[0];
    if (isDigit(first)) {
        c.digitWord = true;
        // The numeric date's own test, on the word with a space before it.
        const std::size_t digits = digitRun(w, 0);
        c.numericDate =
            c.numericDate || (digits >= 1 && digits <= 4 && digits + 1 < w.size() &&
                              (w[digits] == u'-' || w[digits] == u'/' || w[digits] == u'.') && isDigit(w[digits + 1]));
    } else if ((first == u'@' || first == u'+') && w.size() > 1 && isDigit(w[1])) {
        (first == u'@' ? c.alarm : c.plus) = true;
    } else if (isLetter(first)) {
        noteLetterWord(w, c);
    }
}

}  // namespace

Candidates scanCandidates(const icu::UnicodeString& text) {
    const char16_t* p = text.getBuffer();
    const std::size_t n = static_cast<std::size_t>(text.length());
    Candidates c;
    std::uint64_t(&ascii)[2] = c.ascii;
    for (std::size_t start = 0, i = 0; i <= n; ++i) {
        if (i < n && p[i] != u' ') {
            if (p[i] < 128) ascii[p[i] >> 6] |= std::uint64_t{1} << (p[i] & 63);
            continue;
        }
        if (i > start) noteWord(View(p + start, i - start), c);
        start = i + 1;
    }
    c.point = c.has(u'.');
    c.comma = c.has(u',');
    c.bracket = c.has(u'[');
    c.digit = (ascii[0] >> u'0' & 0x3FF) != 0;
    return c;
}

namespace {

// The characters ICU's "." does not cross without the dot-all flag.
bool isLineTerminator(char16_t c) { return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029; }

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
