// A day of the month: "on the 1st", "the 15th", "on 1st" (the next such day
// that exists), "the 3rd of next month", "first of March", "March first".
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

#include <unicode/locid.h>

#include <array>

namespace linecal::everyday {
namespace {

constexpr std::array<std::u16string_view, 31> kOrdinals{
    u"first",        u"second",       u"third",          u"fourth",        u"fifth",        u"sixth",
    u"seventh",      u"eighth",       u"ninth",          u"tenth",         u"eleventh",     u"twelfth",
    u"thirteenth",   u"fourteenth",   u"fifteenth",      u"sixteenth",     u"seventeenth",  u"eighteenth",
    u"nineteenth",   u"twentieth",    u"twenty-first",   u"twenty-second", u"twenty-third", u"twenty-fourth",
    u"twenty-fifth", u"twenty-sixth", u"twenty-seventh", u"twenty-eighth", u"twenty-ninth", u"thirtieth",
    u"thirty-first"};

#define LINECAL_MONTH \
    uR"(((?i:jan(?:uary)?|feb(?:ruary)?|mar(?:ch)?|apr(?:il)?|may|june?|july?|aug(?:ust)?|sep(?:t(?:ember)?)?|oct(?:ober)?|nov(?:ember)?|dec(?:ember)?)))"
#define LINECAL_ORDINAL \
    uR"(([0-3]?[0-9](?i:st|nd|rd|th)|(?i:(?:twenty-|thirty-)?(?:first|second|third|fourth|fifth|sixth|seventh|eighth|ninth)|tenth|eleventh|twelfth|thirteenth|fourteenth|fifteenth|sixteenth|seventeenth|eighteenth|nineteenth|twentieth|thirtieth)))"

// Group 1 the day, 2 "next month" or a month's name, or empty.
const icu::UnicodeString& dayOfMonth() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:(?i:on) )?(?i:the) )" LINECAL_ORDINAL
                                      uR"((?: (?i:of) ((?i:next month|this month)|)" LINECAL_MONTH uR"())? )");
    return p;
}
// "on 1st", "on 1st of May": group 1 the day, 2 the month.
const icu::UnicodeString& onDay() {
    static const icu::UnicodeString& p =
        keptFolded(uR"( (?i:on) ([0-3]?[0-9](?i:st|nd|rd|th))(?: (?i:of) ()" LINECAL_MONTH uR"())? )");
    return p;
}
// Group 1 the day, 2 the month ("first of March"), or 3 the month and 4 the day ("March first").
const icu::UnicodeString& withMonth() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:(?i:on) )?(?:(?i:the) )?(?:)" LINECAL_ORDINAL uR"( (?i:of) )" LINECAL_MONTH
                                      uR"(|)" LINECAL_MONTH uR"( )" LINECAL_ORDINAL uR"() )");
    return p;
}

#undef LINECAL_MONTH
#undef LINECAL_ORDINAL

int dayNumber(const icu::UnicodeString& text) {
    if (!text.isEmpty() && text[0] >= u'0' && text[0] <= u'9') {
        int n = 0;
        for (int32_t i = 0; i < text.length() && text[i] >= u'0' && text[i] <= u'9'; ++i) n = n * 10 + (text[i] - u'0');
        return n;
    }
    icu::UnicodeString lower(text);
    lower.toLower(icu::Locale::getRoot());
    const std::u16string_view s(lower.getBuffer(), static_cast<std::size_t>(lower.length()));
    for (std::size_t k = 0; k < kOrdinals.size(); ++k)
        if (s == kOrdinals[k]) return static_cast<int>(k) + 1;
    return 0;
}

// The next day numbered `day` that exists, today included: the 31st typed on
// 5 April is 31 May.
std::optional<Date> nextDayNumbered(const ParseState& st, int day) {
    const Ymd t = today(st);
    for (int ahead = day >= t.day ? 0 : 1; ahead < 13; ++ahead) {
        const Ymd first{t.year + (t.month + ahead - 1) / 12, (t.month + ahead - 1) % 12 + 1, 1};
        if (day <= daysInMonth(first.year, first.month)) return dayAtNoon(first.year, first.month, day);
    }
    return std::nullopt;
}

// A day in the named month of this year (the resolution moves a passed one to next year).
std::optional<Date> dayInMonth(const ParseState& st, int day, int month, int monthsAhead = 0) {
    const Ymd t = today(st);
    const int year = t.year + (month + monthsAhead - 1) / 12, m = (month + monthsAhead - 1) % 12 + 1;
    if (day < 1 || day > daysInMonth(year, m)) return std::nullopt;
    return dayAtNoon(year, m, day);
}

std::optional<Date> readDay(const ParseState& st, const icu::UnicodeString& dayText, icu::UnicodeString month) {
    const int day = dayNumber(dayText);
    if (day < 1 || day > 31) return std::nullopt;
    month.toLower(icu::Locale::getRoot());
    if (month.isEmpty()) return nextDayNumbered(st, day);
    if (month == u"next month") return dayInMonth(st, day, today(st).month, 1);
    if (month == u"this month") return dayInMonth(st, day, today(st).month);
    return dayInMonth(st, day, monthNumber(month));
}

}  // namespace

void readDayOfMonth(ParseState& st) {
    st.wrap();
    if (!hasOrdinal(st)) return;
    if (auto g = mentionsMonth(st) ? firstFoldedMatch(st, withMonth(), 0) : std::nullopt; g && g->size() > 4) {
        const bool dayFirst = !(*g)[1].isEmpty();
        const bool mayAsVerb = !dayFirst && (*g)[3] == u"may";  // "you may first call"
        if (auto d =
                mayAsVerb ? std::nullopt : readDay(st, dayFirst ? (*g)[1] : (*g)[4], dayFirst ? (*g)[2] : (*g)[3])) {
            placeDay(st, *d, false);
            take(st, (*g)[0]);
        }
    }
    st.wrap();
    static const WordList kTheOrOn{u"the ", u"on "};
    if (!mentions(st, kTheOrOn)) return;
    static const WordList kThe{u"the "};
    auto g = firstMatchIfMentioned(st, dayOfMonth(), kThe);
    static const WordList kOn{u"on "};
    if (!g) g = st.candidates.digit ? firstMatchIfMentioned(st, onDay(), kOn) : std::nullopt;
    if (!g || g->size() < 3) return;
    const bool wordAlone = (*g)[2].isEmpty() && !((*g)[1][0] >= u'0' && (*g)[1][0] <= u'9');  // "the first time"
    if (auto d = wordAlone ? std::nullopt : readDay(st, (*g)[1], (*g)[2])) {
        placeDay(st, *d, false);
        take(st, (*g)[0]);
    }
}

}  // namespace linecal::everyday
