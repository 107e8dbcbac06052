// Weeks, months and years: "next week" (its Monday), "this weekend" and "next
// weekend" (their Saturday), "next month" (its 1st), "end of the month" (its
// last day), "next year" (1 January), and a month with its year ("October
// 2014", its 1st): all-day.
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

#include <unicode/locid.h>

namespace linecal::everyday {
namespace {

// Group 1 the period.
const icu::UnicodeString& period() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:(?i:on|by|due|for) )?((?i:next week|this weekend|next weekend|next month|next year|(?:the )?end of (?:the|this) month)) )");
    return p;
}
// Group 1 month, 2 year.
const icu::UnicodeString& monthYear() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:(?i:in) )?((?i:jan(?:uary)?|feb(?:ruary)?|mar(?:ch)?|apr(?:il)?|may|june?|july?|aug(?:ust)?|sep(?:t(?:ember)?)?|oct(?:ober)?|nov(?:ember)?|dec(?:ember)?)) ((?:19|20)[0-9][0-9]) )");
    return p;
}

std::optional<Date> periodDay(const ParseState& st, icu::UnicodeString which) {
    which.toLower(icu::Locale::getRoot());
    const Ymd t = today(st);
    const int weekday = weekdayOf(st.now);                   // 1 = Sunday
    const int toSaturday = weekday == 1 ? -1 : 7 - weekday;  // on Sunday the weekend began yesterday
    if (which == u"next week") return dayAtNoon(t.year, t.month, t.day + (9 - weekday) % 7 + (weekday == 2 ? 7 : 0));
    if (which == u"this weekend") return dayAtNoon(t.year, t.month, t.day + toSaturday);
    if (which == u"next weekend") return dayAtNoon(t.year, t.month, t.day + toSaturday + 7);
    if (which == u"next month") return dayAtNoon(t.year, t.month + 1, 1);
    if (which == u"next year") return dayAtNoon(t.year + 1, 1, 1);
    if (which.endsWith(u"month")) return dayAtNoon(t.year, t.month + 1, 0);
    return std::nullopt;
}

}  // namespace

void readPeriods(ParseState& st) {
    st.wrap();
    static const WordList kPeriodWords{u"next ", u"weekend", u"end of"};
    if (auto g = firstMatchIfMentioned(st, period(), kPeriodWords)) {
        if (auto day = periodDay(st, (*g)[1])) {
            placeDay(st, *day, false);
            take(st, (*g)[0]);
        }
    }
    st.wrap();
    if (!st.candidates.digit || !hasYear(st.workingText())) return;
    if (auto g = firstFoldedMatch(st, monthYear(), 0)) {
        placeDay(st, dayAtNoon(numberValue((*g)[2]).value_or(2000), monthNumber((*g)[1]), 1), true);
        take(st, (*g)[0]);
    }
}

}  // namespace linecal::everyday
