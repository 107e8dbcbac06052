// Holidays, with or without a year ("Thanksgiving", "Easter 2014"); one without
// a year that has passed this year means next year's. A line that is only a
// holiday keeps its name as the title.
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"
#include "parse/everyday/HolidayDates.h"

#include <unicode/locid.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace linecal::everyday {
namespace {

enum class Rule {
    Fixed,       // month, day
    NthWeekday,  // month, n-th (-1 the last) weekday, plus `shift` days
    Easter,      // Western Easter plus `shift` days
    Orthodox,    // Orthodox Easter plus `shift` days
    Hebrew,      // month and day of the Hebrew calendar (ICU's month numbers)
    Islamic,     // of the Islamic Umm al-Qura calendar
    Chinese,     // of the Chinese calendar
};

struct Holiday {
    std::u16string_view names;  // lower case, "|" between names, "'" where an apostrophe may stand
    Rule rule;
    int month = 0, day = 0, weekday = 0, shift = 0;
    const char* region = nullptr;  // where this rule holds; none: everywhere the name has no other rule
};

constexpr std::array<Holiday, 37> kHolidays{{
    {u"new year's eve", Rule::Fixed, 12, 31},
    {u"new year's day|new year's", Rule::Fixed, 1, 1},
    {u"valentine's day|valentine's", Rule::Fixed, 2, 14},
    {u"st patrick's day|st. patrick's day|saint patrick's day", Rule::Fixed, 3, 17},
    {u"independence day|4th of july|fourth of july", Rule::Fixed, 7, 4},
    {u"halloween", Rule::Fixed, 10, 31},
    {u"christmas eve", Rule::Fixed, 12, 24},
    {u"christmas day|christmas|xmas", Rule::Fixed, 12, 25},
    {u"boxing day", Rule::Fixed, 12, 26},
    {u"martin luther king day|martin luther king jr. day|mlk day", Rule::NthWeekday, 1, 3, 2},
    {u"presidents' day|president's day", Rule::NthWeekday, 2, 3, 2},
    {u"mother's day|mothering sunday", Rule::Easter, 0, 0, 0, -21, "GB"},
    {u"mother's day", Rule::NthWeekday, 5, 2, 1},
    {u"memorial day", Rule::NthWeekday, 5, -1, 2},
    {u"father's day", Rule::NthWeekday, 6, 3, 1},
    {u"labor day|labour day", Rule::NthWeekday, 9, 1, 2},
    {u"columbus day", Rule::NthWeekday, 10, 2, 2},
    {u"thanksgiving day|thanksgiving", Rule::NthWeekday, 11, 4, 5},
    {u"black friday", Rule::NthWeekday, 11, 4, 5, 1},
    {u"orthodox easter", Rule::Orthodox},
    {u"ash wednesday", Rule::Easter, 0, 0, 0, -46},
    {u"palm sunday", Rule::Easter, 0, 0, 0, -7},
    {u"maundy thursday|holy thursday", Rule::Easter, 0, 0, 0, -3},
    {u"good friday", Rule::Easter, 0, 0, 0, -2},
    {u"easter monday", Rule::Easter, 0, 0, 0, 1},
    {u"easter sunday|easter", Rule::Easter},
    {u"whit monday|whitmonday", Rule::Easter, 0, 0, 0, 50},
    {u"pentecost|whitsunday|whit sunday", Rule::Easter, 0, 0, 0, 49},
    {u"rosh hashanah|rosh hashana", Rule::Hebrew, 0, 1},
    {u"yom kippur", Rule::Hebrew, 0, 10},
    {u"passover|pesach", Rule::Hebrew, 7, 15},
    {u"hanukkah|chanukah|hanukah", Rule::Hebrew, 2, 25},
    {u"ramadan", Rule::Islamic, 8, 1},
    {u"eid al-fitr|eid ul-fitr|eid al fitr", Rule::Islamic, 9, 1},
    {u"eid al-adha|eid ul-adha|eid al adha", Rule::Islamic, 11, 10},
    {u"islamic new year|hijri new year", Rule::Islamic, 0, 1},
    {u"chinese new year|lunar new year", Rule::Chinese, 0, 1},
}};

// What a name is compared as: lower case, without apostrophes.
icu::UnicodeString key(icu::UnicodeString text) {
    text.toLower(icu::Locale::getRoot());
    text.findAndReplace(u"\u2019", u"");
    text.findAndReplace(u"'", u"");
    return text;
}

std::vector<std::u16string_view> namesOf(const Holiday& h) {
    std::vector<std::u16string_view> names;
    for (std::size_t start = 0; start <= h.names.size();) {
        const std::size_t bar = std::min(h.names.find(u'|', start), h.names.size());
        names.push_back(h.names.substr(start, bar - start));
        start = bar + 1;
    }
    return names;
}

// Group 1 the name, 2 the year.
const icu::UnicodeString& holidayPattern() {
    static const icu::UnicodeString& pattern = keptFolded([] {
        std::vector<std::u16string_view> names;
        for (const Holiday& h : kHolidays)
            for (auto n : namesOf(h)) names.push_back(n);
        std::sort(names.begin(), names.end(), [](auto a, auto b) { return a.size() > b.size(); });
        icu::UnicodeString alternatives;
        for (auto n : names) {
            if (!alternatives.isEmpty()) alternatives.append(u'|');
            for (char16_t c : n) {
                if (c == u'\'') {
                    alternatives.append(u"['\u2019]?");
                } else if (c == u'.' || c == u'-') {
                    alternatives.append(u'\\').append(c);
                } else {
                    alternatives.append(c);
                }
            }
        }
        return icu::UnicodeString(u" (?:(?i:on|by|due|for) )?((?i:") + alternatives + u"))(?: ((?:19|20)[0-9][0-9]))? ";
    }());
    return pattern;
}

// Every name begins with one of these (a space, then the name's first letters up
// to a space or a mark), so a match starts at most a connector before the first of them.
const WordList& firstWords() {
    static const WordList words([] {
        std::vector<std::u16string> words;
        for (const Holiday& h : kHolidays) {
            for (auto n : namesOf(h)) {
                std::u16string w(u" ");
                for (char16_t c : n.substr(0, n.find_first_of(u" '.-"))) w += c;
                if (std::find(words.begin(), words.end(), w) == words.end()) words.push_back(w);
            }
        }
        return words;
    }());
    return words;
}
// "due " or "for " before the name's space.
constexpr int32_t kConnectorLead = 4;

bool inRegion(const Holiday& h) {
    if (!h.region) return true;
    return std::string_view(icu::Locale::getDefault().getCountry()) == h.region;
}

// The first holiday of the table, for this region, that the typed name names.
const Holiday* holidayNamed(const icu::UnicodeString& typed) {
    // Every name's key, in the table's order, made once.
    static const std::vector<std::pair<icu::UnicodeString, const Holiday*>> keys = [] {
        std::vector<std::pair<icu::UnicodeString, const Holiday*>> out;
        for (const Holiday& h : kHolidays)
            for (auto n : namesOf(h))
                out.emplace_back(key(icu::UnicodeString(n.data(), static_cast<int32_t>(n.size()))), &h);
        return out;
    }();
    const icu::UnicodeString k = key(typed);
    for (const auto& [name, h] : keys)
        if (name == k && inRegion(*h)) return h;
    return nullptr;
}

Date shifted(const Ymd& d, int days) { return dayAtNoon(d.year, d.month, d.day + days); }

std::optional<Date> dateIn(const Holiday& h, int year) {
    switch (h.rule) {
        case Rule::Fixed:
            return dayAtNoon(year, h.month, h.day);
        case Rule::NthWeekday: {
            if (h.day > 0) {
                const int first = weekdayOf(dayAtNoon(year, h.month, 1));
                return dayAtNoon(year, h.month, 1 + (h.weekday - first + 7) % 7 + 7 * (h.day - 1) + h.shift);
            }
            const int lastDay = daysInMonth(year, h.month);
            const int last = weekdayOf(dayAtNoon(year, h.month, lastDay));
            return dayAtNoon(year, h.month, lastDay - (last - h.weekday + 7) % 7 + h.shift);
        }
        case Rule::Easter:
            return shifted(westernEaster(year), h.shift);
        case Rule::Orthodox:
            if (auto d = orthodoxEaster(year)) return shifted(*d, h.shift);
            return std::nullopt;
        case Rule::Hebrew:
        case Rule::Islamic:
        case Rule::Chinese: {
            const auto calendar = h.rule == Rule::Hebrew    ? OtherCalendar::Hebrew
                                  : h.rule == Rule::Islamic ? OtherCalendar::Islamic
                                                            : OtherCalendar::Chinese;
            if (auto d = otherCalendarDay(calendar, h.month, h.day, year)) return dayAtNoon(d->year, d->month, d->day);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// This year's, or next year's once this year's has passed (its own day is not passed).
std::optional<Date> nextDate(const ParseState& st, const Holiday& h) {
    const Ymd t = today(st);
    const Date todayNoon = dayAtNoon(t.year, t.month, t.day);
    for (int year = t.year; year <= t.year + 1; ++year) {
        auto d = dateIn(h, year);
        if (d && *d >= todayNoon) return d;
    }
    return std::nullopt;
}

bool onlyThePhrase(const ParseState& st, const icu::UnicodeString& phrase) {
    icu::UnicodeString rest(st.workingText());
    rest.findAndReplace(phrase, u" ");
    return rest.trim().isEmpty();
}

}  // namespace

void readHolidays(ParseState& st) {
    st.wrap();
    auto g = firstMatchNearMention(st, holidayPattern(), firstWords(), kConnectorLead);
    if (!g || g->size() < 3) return;
    const Holiday* h = holidayNamed((*g)[1]);
    if (!h) return;
    const std::optional<int> year = (*g)[2].isEmpty() ? std::nullopt : numberValue((*g)[2]);
    const std::optional<Date> day = year ? dateIn(*h, *year) : nextDate(st, *h);
    if (!day) return;
    placeDay(st, *day, true);
    const bool keepName = onlyThePhrase(st, (*g)[0]);
    take(st, (*g)[0]);
    if (keepName) {  // the name as typed: group 1 stands in group 0 at the place it has in lower case
        icu::UnicodeString lower((*g)[0]);
        const int32_t at = lower.toLower(icu::Locale::getRoot()).indexOf((*g)[1]);
        icu::UnicodeString text(st.workingText());
        text.append(icu::UnicodeString((*g)[0], std::max(at, 0), (*g)[1].length())).append(u' ');
        st.working.assign(text, kWrapsLeft);
    }
}

}  // namespace linecal::everyday
