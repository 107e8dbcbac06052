#include "parse/everyday/EverydayText.h"

#include "parse/DateContext.h"
#include "parse/TextHelpers.h"

namespace linecal::everyday {
namespace {

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool occursFolded(std::u16string_view text, std::u16string_view word) {
    if (word.empty() || word.size() > text.size()) return false;
    for (std::size_t i = 0, last = text.size() - word.size(); i <= last; ++i) {
        if (folded(text[i]) != word[0]) continue;
        std::size_t k = 1;
        while (k < word.size() && folded(text[i + k]) == word[k]) ++k;
        if (k == word.size()) return true;
    }
    return false;
}

}  // namespace

bool mentions(const icu::UnicodeString& text, std::initializer_list<std::u16string_view> words) {
    const std::u16string_view s(text.getBuffer(), static_cast<std::size_t>(text.length()));
    for (std::u16string_view w : words)
        if (occursFolded(s, w)) return true;
    return false;
}

std::optional<rx::Strings> firstMatchIfMentioned(const ParseState& st, const icu::UnicodeString& pattern,
                                                 std::initializer_list<std::u16string_view> words) {
    if (!mentions(st.workingText, words)) return std::nullopt;
    return st.firstMatch(pattern, 0);
}

void take(ParseState& st, const icu::UnicodeString& phrase) {
    st.cut(phrase);
    st.record.read.push_back(ZQtrim(phrase));
}

Ymd today(const ParseState& st) {
    const DateFields f = DateContext::current().fields(st.now.seconds);
    return {f.year, f.month, f.day};
}

Date dayAtNoon(int year, int month, int day) { return Date{DateContext::current().fromFields(year, month, day, 12, 0)}; }

int daysInMonth(int year, int month) {
    const DateFields f = DateContext::current().fields(dayAtNoon(year, month + 1, 0).seconds);
    return f.day;
}

int weekdayOf(Date d) { return DateContext::current().weekday(d.seconds); }

void placeDay(ParseState& st, Date day, bool staysPast) {
    if (!st.startDate) {
        st.startDate = day;
        st.startYearGiven = staysPast;
    } else if (!st.endDate) {
        st.endDate = day;
        st.endYearGiven = staysPast;
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

int monthNumber(const icu::UnicodeString& text) {
    static constexpr std::u16string_view names[] = {u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                                    u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
    icu::UnicodeString lower(text);
    lower.toLower(icu::Locale::getRoot());
    const std::u16string_view s(lower.getBuffer(), static_cast<std::size_t>(lower.length()));
    if (s.size() < 3) return 0;
    for (int m = 0; m < 12; ++m)
        if (s.substr(0, 3) == names[m]) return m + 1;
    return 0;
}

int weekdayNumber(const icu::UnicodeString& text) {
    static constexpr std::u16string_view names[] = {u"sun", u"mon", u"tue", u"wed", u"thu", u"fri", u"sat"};
    icu::UnicodeString lower(text);
    lower.toLower(icu::Locale::getRoot());
    const std::u16string_view s(lower.getBuffer(), static_cast<std::size_t>(lower.length()));
    if (s.size() < 3) return 0;
    for (int d = 0; d < 7; ++d)
        if (s.substr(0, 3) == names[d]) return d + 1;
    return 0;
}

}  // namespace linecal::everyday
