// Ranges: of times ("3-4pm", "3 to 4pm", "from 3 to 4pm", "between 2 and 3pm",
// "10:30-11:15am"), of days of a month ("July 13-15", "13-15 July",
// "from 13 to 15 July") and of weekdays ("Mon-Wed"). A range whose two ends
// the time or weekday phases read on their own ("2pm to 4pm", "Fri to Mon") is
// left to them, and so is "9am-10am", which stays a word of the title.
#include "parse/NaturalDate.h"
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

namespace linecal::everyday {
namespace {

#define LINECAL_CLOCK uR"(([0-9]{1,2})(?:[:.]([0-5][0-9]))?)"
#define LINECAL_HALF uR"(((?i:[ap]\.?m\.?)))"
#define LINECAL_MONTH \
    uR"(((?i:jan(?:uary)?|feb(?:ruary)?|mar(?:ch)?|apr(?:il)?|may|june?|july?|aug(?:ust)?|sep(?:t(?:ember)?)?|oct(?:ober)?|nov(?:ember)?|dec(?:ember)?)))"
#define LINECAL_DAY uR"(([0-3]?[0-9])(?i:st|nd|rd|th)?)"

// Groups 1-2 start, 3-4 end, 5 the end's half of the day: the start has none.
const icu::UnicodeString& sharedHalf() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:(?i:from|between) )?)" LINECAL_CLOCK
                                      uR"( ?(?:-|–| (?i:to|till|until|and) ) ?)" LINECAL_CLOCK uR"( ?)" LINECAL_HALF uR"( )");
    return p;
}
// Group 1 month, 2 first day, 3 last day.
const icu::UnicodeString& monthDays() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:(?i:from) )?)" LINECAL_MONTH uR"( )" LINECAL_DAY
                                      uR"( ?(?:-|–| (?i:to|through|till|until) ) ?)" LINECAL_DAY uR"( )");
    return p;
}
// Group 1 first day, 2 last day, 3 month.
const icu::UnicodeString& daysMonth() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:(?i:from|between) )?)" LINECAL_DAY
                                      uR"( ?(?:-|–| (?i:to|through|till|until|and) ) ?)" LINECAL_DAY uR"( )" LINECAL_MONTH uR"( )");
    return p;
}
// Group 1 first weekday, 2 last.
const icu::UnicodeString& weekdays() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:(?i:from) )?((?i:mon|tue|wed|thu|fri|sat|sun)[a-z]{0,6})(?:-|–)((?i:mon|tue|wed|thu|fri|sat|sun)[a-z]{0,6}) )");
    return p;
}

#undef LINECAL_CLOCK
#undef LINECAL_HALF
#undef LINECAL_MONTH
#undef LINECAL_DAY

std::optional<int> field(const rx::Strings& g, std::size_t i) {
    if (g.size() <= i || g[i].isEmpty()) return std::nullopt;
    return numberValue(g[i]);
}

bool isAfternoon(const icu::UnicodeString& half) { return half[0] == u'p' || half[0] == u'P'; }

// The hour of a clock with twelve hours; nothing when it has no such hour.
std::optional<int> hour24(int hour, bool afternoon) {
    if (hour < 1 || hour > 12) return std::nullopt;
    return hour % 12 + (afternoon ? 12 : 0);
}

void setTimes(ParseState& st, int startHour, int startMinute, int endHour, int endMinute) {
    st.startTime = clockOffset(st, startHour, startMinute);
    st.endTime = clockOffset(st, endHour, endMinute);
}

bool readTimeRange(ParseState& st) {
    auto g = firstFoldedMatch(st, sharedHalf(), 0);
    if (!g || g->size() < 6) return false;
    const bool afternoon = isAfternoon((*g)[5]);
    const int startMinute = field(*g, 2).value_or(0), endMinute = field(*g, 4).value_or(0);
    auto to = hour24(field(*g, 3).value_or(0), afternoon);
    auto from = hour24(field(*g, 1).value_or(0), afternoon);
    if (!from || !to) return false;
    // The start shares the end's half of the day unless it would then come after it ("11-1pm").
    if (*from * 60 + startMinute > *to * 60 + endMinute) from = hour24(*field(*g, 1), !afternoon);
    setTimes(st, *from, startMinute, *to, endMinute);
    take(st, (*g)[0]);
    return true;
}

bool placeDays(ParseState& st, const icu::UnicodeString& month, const icu::UnicodeString& first,
               const icu::UnicodeString& last, const icu::UnicodeString& phrase) {
    const int m = monthNumber(month);
    const auto a = numberValue(first), b = numberValue(last);
    const int year = today(st).year;
    if (!m || !a || !b || *a < 1 || *b < *a || *b > daysInMonth(year, m)) return false;
    st.startDate = dayAtNoon(year, m, *a);
    st.endDate = dayAtNoon(year, m, *b);
    st.startYearGiven = st.endYearGiven = false;
    take(st, phrase);
    return true;
}

// Ordinal suffixes are part of the day groups' match but not of their digits.
icu::UnicodeString digitsOf(const icu::UnicodeString& day) {
    int32_t n = 0;
    while (n < day.length() && day[n] >= u'0' && day[n] <= u'9') ++n;
    return icu::UnicodeString(day, 0, n);
}

bool readDayRange(ParseState& st) {
    if (auto g = firstFoldedMatch(st, monthDays(), 0);
        g && g->size() > 3 && placeDays(st, (*g)[1], digitsOf((*g)[2]), digitsOf((*g)[3]), (*g)[0]))
        return true;
    auto g = firstFoldedMatch(st, daysMonth(), 0);
    return g && g->size() > 3 && placeDays(st, (*g)[3], digitsOf((*g)[1]), digitsOf((*g)[2]), (*g)[0]);
}

void readWeekdayRange(ParseState& st) {
    auto g = firstFoldedMatch(st, weekdays(), 0);
    if (!g || g->size() < 3) return;
    auto first = dateWithNaturalLanguageString((*g)[1], st.now), last = dateWithNaturalLanguageString((*g)[2], st.now);
    if (!first || !last) return;
    st.firstWeekday = first;
    st.secondWeekday = last;
    take(st, (*g)[0]);
}

}  // namespace

void readRanges(ParseState& st) {
    st.wrap();
    static const WordList kJoiners{u"-", u"\u2013", u" to ", u" and ", u"till", u"until", u"through"};
    if (!mentions(st, kJoiners)) return;
    static const WordList kHalves{u"am", u"pm", u"a.m", u"p.m"};
    if (st.candidates.digit && mentions(st, kHalves)) readTimeRange(st);
    st.wrap();
    if (st.candidates.digit && mentionsMonth(st)) readDayRange(st);
    st.wrap();
    if (hasLetterDashLetter(st.workingText())) readWeekdayRange(st);
}

}  // namespace linecal::everyday
