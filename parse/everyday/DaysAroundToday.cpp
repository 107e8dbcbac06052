// Days named around today: "the day after tomorrow", "yesterday", "the day
// before yesterday", "last Sunday", "3 days ago". A past day stays in the past:
// such entries record what happened.
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

#include <unicode/locid.h>

#include <array>

namespace linecal::everyday {
namespace {

struct NamedDay {
    std::u16string_view phrase;  // lower case, as the pattern captures it
    int days;                    // from today
};

constexpr std::array<NamedDay, 3> kNamedDays{{
    {u"day after tomorrow", 2},
    {u"day before yesterday", -2},
    {u"yesterday", -1},
}};

const icu::UnicodeString& namedDay() {
    static const icu::UnicodeString& p =
        keptFolded(uR"( (?:(?i:on) )?(?:(?i:the) )?((?i:day after tomorrow|day before yesterday|yesterday)) )");
    return p;
}
const icu::UnicodeString& lastWeekday() {
    static const icu::UnicodeString& p =
        keptFolded(uR"( (?:(?i:on) )?(?i:last) ((?i:mon|tue|wed|thu|fri|sat|sun)[a-z]*) )");
    return p;
}
const icu::UnicodeString& amountAgo() {
    static const icu::UnicodeString& p = keptFolded(icu::UnicodeString(uR"( ((?i:)") + numberWordsPattern() +
                                                    uR"()|[0-9]{1,4}) ((?i:days?|weeks?|fortnights?)) (?i:ago) )");
    return p;
}

bool isWeekdayWord(const icu::UnicodeString& word) {
    static constexpr std::u16string_view names[] = {u"mon",       u"monday", u"tue",      u"tues",  u"tuesday",  u"wed",
                                                    u"wednesday", u"thu",    u"thur",     u"thurs", u"thursday", u"fri",
                                                    u"friday",    u"sat",    u"saturday", u"sun",   u"sunday"};
    icu::UnicodeString lower(word);
    lower.toLower(icu::Locale::getRoot());
    const std::u16string_view s(lower.getBuffer(), static_cast<std::size_t>(lower.length()));
    for (auto n : names)
        if (s == n) return true;
    return false;
}

void placeDaysFromToday(ParseState& st, int days, const icu::UnicodeString& phrase) {
    const Ymd t = today(st);
    placeDay(st, dayAtNoon(t.year, t.month, t.day + days), true);
    take(st, phrase);
}

}  // namespace

void readDaysAroundToday(ParseState& st) {
    st.wrap();
    static const WordList kNamedDayWords{u"yesterday", u"day after tomorrow"};
    auto g = st.candidates.has(u'y') || st.candidates.has(u'Y') ? firstMatchIfMentioned(st, namedDay(), kNamedDayWords)
                                                                : std::nullopt;
    if (g) {
        icu::UnicodeString which((*g)[1]);
        which.toLower(icu::Locale::getRoot());
        const std::u16string_view w(which.getBuffer(), static_cast<std::size_t>(which.length()));
        for (const NamedDay& d : kNamedDays)
            if (w == d.phrase) placeDaysFromToday(st, d.days, (*g)[0]);
    }
    st.wrap();
    static const WordList kLast{u"last "};
    g = firstMatchIfMentioned(st, lastWeekday(), kLast);
    if (g && isWeekdayWord((*g)[1])) {
        const Ymd t = today(st);
        const int back = (weekdayOf(st.now) - weekdayNumber((*g)[1]) + 6) % 7 + 1;  // 1 to 7 days back
        placeDay(st, dayAtNoon(t.year, t.month, t.day - back), true);
        take(st, (*g)[0]);
    }
    st.wrap();
    static const WordList kAgo{u" ago"};
    g = firstMatchIfMentioned(st, amountAgo(), kAgo);
    if (g) {
        const std::optional<int> n = numberValue((*g)[1]);
        const int unit = unitWordSeconds((*g)[2]);
        if (n && unit) placeDaysFromToday(st, -*n * (unit / 86400), (*g)[0]);
    }
}

}  // namespace linecal::everyday
