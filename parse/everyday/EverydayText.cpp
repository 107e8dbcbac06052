#include "parse/everyday/EverydayText.h"

#include "parse/DateContext.h"
#include "parse/TextHelpers.h"

#include <algorithm>
#include <cstdint>

namespace linecal::everyday {
namespace {

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// The first place before `before` where the word starts, case aside, or -1.
int32_t occursFolded(const icu::UnicodeString& u, std::u16string_view word, int32_t before) {
    const std::u16string_view text(u.getBuffer(), static_cast<std::size_t>(u.length()));
    if (word.empty() || word.size() > text.size()) return -1;
    const std::size_t last = std::min(text.size() - word.size(), static_cast<std::size_t>(std::max(before, 1) - 1));
    for (std::size_t i = 0; i <= last; ++i) {
        if (folded(text[i]) != word[0]) continue;
        std::size_t k = 1;
        while (k < word.size() && folded(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return static_cast<int32_t>(i);
    }
    return -1;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

template <typename Test>
bool anyDigitWhere(const icu::UnicodeString& text, Test test) {
    const std::u16string_view s(text.getBuffer(), static_cast<std::size_t>(text.length()));
    for (std::size_t i = 0; i < s.size(); ++i)
        if (isDigit(s[i]) && test(s, i)) return true;
    return false;
}

}  // namespace

bool hasDigitSeparatorDigit(const icu::UnicodeString& text) {
    return anyDigitWhere(text, [](std::u16string_view s, std::size_t i) {
        return i + 2 < s.size() && (s[i + 1] == u'-' || s[i + 1] == u'/' || s[i + 1] == u'.') && isDigit(s[i + 2]);
    });
}

bool hasDigitThenUnitLetter(const icu::UnicodeString& text) {
    return anyDigitWhere(text, [](std::u16string_view s, std::size_t i) {
        std::size_t k = i + 1;
        if (k < s.size() && s[k] == u' ') ++k;
        if (k >= s.size()) return false;
        const char16_t c = folded(s[k]);
        return c == u'k' || c == u'g' || c == u'l' || c == u'o' || c == u'm' || c == u'%' || c == u'x';
    });
}

bool hasOrdinal(const ParseState& st) {
    const bool digits = anyDigitWhere(st.workingText(), [](std::u16string_view s, std::size_t i) {
        if (i + 2 >= s.size()) return false;
        const char16_t a = folded(s[i + 1]), b = folded(s[i + 2]);
        return (a == u's' && b == u't') || (a == u'n' && b == u'd') || (a == u'r' && b == u'd') ||
               (a == u't' && b == u'h');
    });
    static const WordList kOrdinals{u"first",  u"second", u"third", u"fourth",   u"fifth",   u"sixth",  u"seventh",
                                    u"eighth", u"ninth",  u"tenth", u"eleventh", u"twelfth", u"teenth", u"tieth"};
    return digits || mentions(st, kOrdinals);
}

bool hasYear(const icu::UnicodeString& text) {
    return anyDigitWhere(text, [](std::u16string_view s, std::size_t i) {
        return i > 0 && s[i - 1] == u' ' && i + 4 < s.size() && s[i + 4] == u' ' && isDigit(s[i + 1]) &&
               isDigit(s[i + 2]) && isDigit(s[i + 3]) &&
               ((s[i] == u'1' && s[i + 1] == u'9') || (s[i] == u'2' && s[i + 1] == u'0'));
    });
}

bool mentionsMonth(const ParseState& st) {
    static const WordList kMonths{u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                  u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
    return mentions(st, kMonths);
}

bool hasLetterDashLetter(const icu::UnicodeString& text) {
    auto letter = [](char16_t c) { return (c | 0x20) >= u'a' && (c | 0x20) <= u'z'; };
    for (int32_t i = 1; i + 1 < text.length(); ++i)
        if ((text[i] == u'-' || text[i] == u'\u2013') && letter(text[i - 1]) && letter(text[i + 1])) return true;
    return false;
}

WordList::WordList(std::initializer_list<std::u16string_view> words)
    : WordList(std::vector<std::u16string>(words.begin(), words.end())) {}

WordList::WordList(std::vector<std::u16string> words) : words_(std::move(words)) {
    for (const std::u16string& w : words_) probes_.push_back(hints::GramIndex::probe(w));
}

namespace {

// The first place of the first word found; with `earliest`, the first place of any of them.
int32_t findMention(const ParseState& st, const WordList& words, bool earliest) {
    const hints::GramIndex& grams = st.grams();
    const icu::UnicodeString& text = st.workingText();
    int32_t first = -1;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::u16string_view w = words.word(i);
        if (w.empty()) continue;
        if (w.size() == 1 && w[0] < 128 && !st.candidates.has(w[0]) &&
            !st.candidates.has(static_cast<char16_t>(w[0] & ~0x20)))
            continue;
        if (!grams.mayContain(words.probe(i))) continue;
        const int32_t at = occursFolded(text, w, first < 0 ? text.length() : first);
        if (at >= 0 && (first < 0 || at < first)) first = at;
        if (first >= 0 && !earliest) break;
    }
    return first;
}

}  // namespace

int32_t firstMention(const ParseState& st, const WordList& words) { return findMention(st, words, true); }

bool mentions(const ParseState& st, const WordList& words) { return findMention(st, words, false) >= 0; }

std::optional<rx::Strings> firstFoldedMatch(const ParseState& st, const icu::UnicodeString& pattern, int32_t from) {
    icu::UnicodeString lower(st.workingText());
    for (int32_t i = 0, n = lower.length(); i < n; ++i)
        if (lower[i] != folded(lower[i])) lower.setCharAt(i, folded(lower[i]));
    auto groups = firstGroupsIn(lower, pattern, from, lower.length() - from);
    if (!groups || (*groups)[0].isEmpty()) return groups;
    // Same length, same places: the first match is the first place its text stands.
    const int32_t at = lower.indexOf((*groups)[0], from);
    if (at < 0) return std::nullopt;
    (*groups)[0] = icu::UnicodeString(st.workingText(), at, (*groups)[0].length());
    return groups;
}

std::optional<rx::Strings> firstMatchIfMentioned(const ParseState& st, const icu::UnicodeString& pattern,
                                                 const WordList& words) {
    if (!mentions(st, words)) return std::nullopt;
    return firstFoldedMatch(st, pattern, 0);
}

std::optional<rx::Strings> firstMatchNearMention(const ParseState& st, const icu::UnicodeString& pattern,
                                                 const WordList& words, int32_t lead) {
    const int32_t at = firstMention(st, words);
    if (at < 0) return std::nullopt;
    return firstFoldedMatch(st, pattern, std::max(0, at - lead));
}

void take(ParseState& st, const icu::UnicodeString& phrase) {
    st.cut(phrase);
    st.record.read.push_back(ZQtrim(phrase));
}

Ymd today(const ParseState& st) {
    const DateFields f = DateContext::current().fields(st.now.seconds);
    return {f.year, f.month, f.day};
}

Date dayAtNoon(int year, int month, int day) {
    return Date{DateContext::current().fromFields(year, month, day, 12, 0)};
}

int daysInMonth(int year, int month) {
    const DateFields f = DateContext::current().fields(dayAtNoon(year, month + 1, 0).seconds);
    return f.day;
}

int weekdayOf(Date d) { return DateContext::current().weekday(d.seconds); }

void placeDay(ParseState& st, Date day, bool staysPast) {
    // A day the line names keeps a passed time of today on today, as a typed date does.
    if (!st.startDate) {
        st.startDate = day;
        st.startYearGiven = staysPast;
        st.startDayTyped = true;
    } else if (!st.endDate) {
        st.endDate = day;
        st.endYearGiven = staysPast;
        st.endDayTyped = true;
    }
}

double clockOffset(const ParseState& st, int hour, int minute) {
    const Ymd t = today(st);
    DateContext& ctx = DateContext::current();
    return ctx.fromFields(t.year, t.month, t.day, hour, minute) - ctx.fromFields(t.year, t.month, t.day, 12, 0);
}

void placeTime(ParseState& st, int hour, int minute) {
    double& target = st.startTime == NoTime ? st.startTime : st.endTime;
    if (target == NoTime) target = clockOffset(st, hour, minute);
}

namespace {

// 1 + the index of the name the text's first three letters give, in any case; 0 for none.
int numberByFirstThree(const icu::UnicodeString& text, std::initializer_list<std::u16string_view> names) {
    icu::UnicodeString lower(text);
    lower.toLower(icu::Locale::getRoot());
    const std::u16string_view s(lower.getBuffer(), static_cast<std::size_t>(lower.length()));
    if (s.size() < 3) return 0;
    int number = 1;
    for (std::u16string_view name : names) {
        if (s.substr(0, 3) == name) return number;
        ++number;
    }
    return 0;
}

}  // namespace

int monthNumber(const icu::UnicodeString& text) {
    return numberByFirstThree(
        text, {u"jan", u"feb", u"mar", u"apr", u"may", u"jun", u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"});
}

int weekdayNumber(const icu::UnicodeString& text) {
    return numberByFirstThree(text, {u"sun", u"mon", u"tue", u"wed", u"thu", u"fri", u"sat"});
}

}  // namespace linecal::everyday
