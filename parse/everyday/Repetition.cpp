// Repetition: "every Monday", "every other week", "on the 1st every month",
// "every 3rd Friday", "every May 5", "daily", "weekdays", with "until June 30",
// "10 times" or "for 6 weeks" after it. The phrase is cut like the others; the
// start then moves to the first day on the rule, so the series begins on it.
// A phrase that cannot make a whole rule ("every Monday except holidays")
// leaves the line as it is and says why nothing repeats.
#include "parse/Recurrence.h"
#include "parse/DateContext.h"
#include "parse/NaturalDate.h"
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

#include <unicode/locid.h>

namespace linecal::everyday {
namespace {

using Frequency = Recurrence::Frequency;

#define LINECAL_WD \
    uR"((?:mon(?:day)?|tue(?:s(?:day)?)?|wed(?:nesday)?|thu(?:r(?:s(?:day)?)?)?|fri(?:day)?|sat(?:urday)?|sun(?:day)?))"
#define LINECAL_WDS uR"((?:mondays|tuesdays|wednesdays|thursdays|fridays|saturdays|sundays))"
#define LINECAL_AND uR"((?:, and |, | and | & |,))"
#define LINECAL_NTH uR"((?:first|second|third|fourth|fifth|last|1st|2nd|3rd|4th|5th))"
#define LINECAL_DAYNUM uR"(([0-3]?[0-9])(?:st|nd|rd|th))"
#define LINECAL_MONTHS \
    uR"((jan(?:uary)?|feb(?:ruary)?|mar(?:ch)?|apr(?:il)?|may|june?|july?|aug(?:ust)?|sept?(?:ember)?|oct(?:ober)?|nov(?:ember)?|dec(?:ember)?))"
#define LINECAL_EVERY uR"((?:every|each))"

// Each kind of phrase, with the groups its reader takes, and a quick test that it may be there.
struct Kind {
    const icu::UnicodeString& pattern;
    bool (*read)(const rx::Strings& g, const ParseState& st, Recurrence& rule, int& partHour);
    bool (*mayHold)(const ParseState& st);
};

bool mayHoldPlace(const ParseState& st) {
    static const WordList kPlaces{u"first", u"second", u"third", u"fourth", u"fifth", u"last",
                                  u"1st",   u"2nd",    u"3rd",   u"4th",    u"5th"};
    return mentions(st, kPlaces);
}
bool mayHoldLastDay(const ParseState& st) {
    static const WordList kLastDay{u"last day"};
    return mentions(st, kLastDay);
}
bool mayHoldMonth(const ParseState& st) { return st.candidates.digit && mentionsMonth(st); }
bool mayHoldDayNumber(const ParseState& st) { return st.candidates.digit && hasOrdinal(st); }
bool mayHoldWeekday(const ParseState& st) {
    static const WordList kWeekdays{u"mon", u"tue", u"wed", u"thu", u"fri", u"sat", u"sun"};
    return mentions(st, kWeekdays);
}
bool mayHoldEvery(const ParseState& st) {
    static const WordList kEvery{u"every", u"each"};
    return mentions(st, kEvery);
}
bool mayHoldPlural(const ParseState& st) {
    static const WordList kPlurals{u"mondays", u"tuesdays",  u"wednesdays", u"thursdays",
                                   u"fridays", u"saturdays", u"sundays"};
    return mentions(st, kPlurals);
}
bool mayHoldOneWord(const ParseState& st) {
    static const WordList kOneWords{u"daily",  u"weekly",   u"biweekly", u"fortnightly", u"monthly",
                                    u"yearly", u"annually", u"weekdays", u"weekends",    u"nightly"};
    return mentions(st, kOneWords);
}

// Splits "mon, tue and fri" into its names.
std::vector<icu::UnicodeString> names(const icu::UnicodeString& list) {
    icu::UnicodeString text(list);
    text.findAndReplace(u",", u" ").findAndReplace(u"&", u" ").findAndReplace(u" and ", u" ");
    std::vector<icu::UnicodeString> out;
    for (int32_t i = 0; i < text.length();) {
        while (i < text.length() && text[i] == u' ') ++i;
        int32_t end = i;
        while (end < text.length() && text[end] != u' ') ++end;
        if (end > i && icu::UnicodeString(text, i, end - i) != u"and") out.emplace_back(text, i, end - i);
        i = end;
    }
    return out;
}

int ordinalOf(const icu::UnicodeString& word) {
    static constexpr std::u16string_view words[] = {u"first", u"second", u"third", u"fourth", u"fifth"};
    if (word == u"last") return -1;
    for (int i = 0; i < 5; ++i)
        if (word == icu::UnicodeString(words[i].data(), static_cast<int32_t>(words[i].size()))) return i + 1;
    if (auto n = numberValue(icu::UnicodeString(word, 0, 1)); n && *n >= 1 && *n <= 5) return *n;
    return 0;
}

bool weekdays(const icu::UnicodeString& list, int ordinal, Recurrence& rule) {
    for (const auto& n : names(list)) {
        const int day = weekdayNumber(n);
        if (day == 0) return false;
        rule.byDay.push_back({ordinal, day});
    }
    return !rule.byDay.empty();
}

bool dayNumber(const icu::UnicodeString& digits, std::vector<int>& into) {
    const auto n = numberValue(digits);
    if (!n || *n < 1 || *n > 31) return false;
    into.push_back(*n);
    return true;
}

// "every 2nd and 4th Tuesday": group 1 the places, 2 the weekday.
const icu::UnicodeString& nthWeekday() {
    static const icu::UnicodeString& p =
        keptFolded(uR"( (?:on )?)" LINECAL_EVERY uR"( ()" LINECAL_NTH uR"((?:)" LINECAL_AND
                       LINECAL_NTH uR"()*) ()" LINECAL_WD uR"()(?: of (?:the|every|each) month)? )");
    return p;
}
bool readNthWeekday(const rx::Strings& g, const ParseState&, Recurrence& rule, int&) {
    rule.frequency = Frequency::Monthly;
    const int day = weekdayNumber(g[2]);
    for (const auto& n : names(g[1])) {
        const int place = ordinalOf(n);
        if (place == 0 || day == 0) return false;
        rule.byDay.push_back({place, day});
    }
    return !rule.byDay.empty();
}

const icu::UnicodeString& lastDayOfMonth() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:on )?(?:(?:every|each) last day of the month|the last day of (?:every|each) month|(?:every|each) month on the last day) )");
    return p;
}
bool readLastDay(const rx::Strings&, const ParseState&, Recurrence& rule, int&) {
    rule.frequency = Frequency::Monthly;
    rule.byMonthDay.push_back(-1);
    return true;
}

// "every other Tuesday", "every mon, tue and fri": group 1 "other", 2 the names.
const icu::UnicodeString& weekdayList() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:on )?)" LINECAL_EVERY uR"( (?:(other) )?()" LINECAL_WD uR"((?:)" LINECAL_AND LINECAL_WD uR"()*) )");
    return p;
}
bool readWeekdayList(const rx::Strings& g, const ParseState&, Recurrence& rule, int&) {
    rule.frequency = Frequency::Weekly;
    if (!g[1].isEmpty()) rule.interval = 2;
    return weekdays(g[2], 0, rule);
}

// "Mondays", "on Mondays and Thursdays".
const icu::UnicodeString& pluralWeekdays() {
    static const icu::UnicodeString& p =
        keptFolded(uR"( (?:on |every )?()" LINECAL_WDS uR"((?:)" LINECAL_AND LINECAL_WDS uR"()*) )");
    return p;
}
bool readPluralWeekdays(const rx::Strings& g, const ParseState&, Recurrence& rule, int&) {
    rule.frequency = Frequency::Weekly;
    return weekdays(g[1], 0, rule);
}

// "every month on the 15th", "every 15th", "on the 1st every month": group 1 or 2 the day.
const icu::UnicodeString& monthDay() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:(?:every|each) month on the )" LINECAL_DAYNUM uR"(|(?:on )?(?:every|each) (?:month on )?)" LINECAL_DAYNUM
        uR"((?: of (?:the|every|each) month)?|on the )" LINECAL_DAYNUM uR"( (?:of )?(?:every|each) month) )");
    return p;
}
bool readMonthDay(const rx::Strings& g, const ParseState&, Recurrence& rule, int&) {
    rule.frequency = Frequency::Monthly;
    for (std::size_t i = 1; i < g.size(); ++i)
        if (!g[i].isEmpty()) return dayNumber(g[i], rule.byMonthDay);
    return false;
}

// "every May 5", "every 5 May": groups 1-2 month and day, or 3-4 day and month.
const icu::UnicodeString& yearlyDate() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:(?:every|each) (?:year on )?)" LINECAL_MONTHS uR"( ([0-3]?[0-9])(?:st|nd|rd|th)?|(?:every|each) (?:year on (?:the )?)?([0-3]?[0-9])(?:st|nd|rd|th)? (?:of )?)" LINECAL_MONTHS uR"() )");
    return p;
}
bool readYearlyDate(const rx::Strings& g, const ParseState&, Recurrence& rule, int&) {
    rule.frequency = Frequency::Yearly;
    const bool monthFirst = !g[1].isEmpty();
    const int month = monthNumber(monthFirst ? g[1] : g[4]);
    if (month == 0 || !dayNumber(monthFirst ? g[2] : g[3], rule.byMonthDay)) return false;
    // 29 February and the 31st of a short month exist in some years only: the rule says so itself.
    static constexpr int longest[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (rule.byMonthDay.back() > longest[month - 1]) return false;
    rule.byMonth.push_back(month);
    return true;
}

// "every other week", "every 3 days", "every weekday", "every morning":
// group 1 "other", 2 a number, 3 the unit.
const icu::UnicodeString& everyUnit() {
    static const icu::UnicodeString& p = keptFolded(
        icu::UnicodeString(uR"( )") + LINECAL_EVERY + uR"( (?:(other) |([0-9]{1,3}|)" + numberWordsPattern() +
        uR"() )?(day|week|month|year|weekday|workday|business day|weekend|morning|afternoon|evening|night)s? )");
    return p;
}
bool readEveryUnit(const rx::Strings& g, const ParseState&, Recurrence& rule, int& partHour) {
    if (!g[1].isEmpty()) rule.interval = 2;
    if (!g[2].isEmpty()) {
        const auto n = numberValue(g[2]);
        if (!n || *n < 1 || *n > 999) return false;
        rule.interval = *n;
    }
    const icu::UnicodeString& unit = g[3];
    if (unit == u"day") rule.frequency = Frequency::Daily;
    else if (unit == u"week") rule.frequency = Frequency::Weekly;
    else if (unit == u"month") rule.frequency = Frequency::Monthly;
    else if (unit == u"year") rule.frequency = Frequency::Yearly;
    else if (unit == u"weekend") rule.frequency = Frequency::Weekly, rule.byDay = {{0, 7}, {0, 1}};
    else if (unit == u"weekday" || unit == u"workday" || unit == u"business day")
        rule.frequency = Frequency::Weekly, rule.byDay = {{0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}};
    else {
        // A part of the day: its hour, unless the line gives a time.
        rule.frequency = Frequency::Daily;
        partHour = unit == u"morning" ? 9 : unit == u"afternoon" ? 15 : unit == u"evening" ? 19 : 20;
    }
    return true;
}

// "daily", "weekly", "biweekly", "annually", "weekdays", "on weekends".
const icu::UnicodeString& oneWord() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:on )?(daily|weekly|biweekly|fortnightly|monthly|yearly|annually|weekdays|weekends|nightly) )");
    return p;
}
bool readOneWord(const rx::Strings& g, const ParseState&, Recurrence& rule, int& partHour) {
    const icu::UnicodeString& w = g[1];
    if (w == u"daily") rule.frequency = Frequency::Daily;
    else if (w == u"nightly") rule.frequency = Frequency::Daily, partHour = 20;
    else if (w == u"weekly") rule.frequency = Frequency::Weekly;
    else if (w == u"biweekly" || w == u"fortnightly") rule.frequency = Frequency::Weekly, rule.interval = 2;
    else if (w == u"monthly") rule.frequency = Frequency::Monthly;
    else if (w == u"weekdays")
        rule.frequency = Frequency::Weekly, rule.byDay = {{0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}};
    else if (w == u"weekends") rule.frequency = Frequency::Weekly, rule.byDay = {{0, 7}, {0, 1}};
    else rule.frequency = Frequency::Yearly;
    return true;
}

// The end of a series: "until June 30", "until 6/30", "through May"; group 1 the
// date, 2 a month alone.
const icu::UnicodeString& untilDate() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:until|till|through|thru) (?:the end of )?((?:)" LINECAL_MONTHS uR"( [0-3]?[0-9](?:st|nd|rd|th)?|[0-3]?[0-9](?:st|nd|rd|th)? (?:of )?)" LINECAL_MONTHS
        uR"()(?:,? (?:19|20)[0-9][0-9])?|[0-9]{1,4}[-/.][0-9]{1,2}(?:[-/.][0-9]{1,4})?|)" LINECAL_MONTHS uR"((?: (?:19|20)[0-9][0-9])?) )");
    return p;
}
// "10 times", "for 10 times": group 1 the count.
const icu::UnicodeString& timesCount() {
    static const icu::UnicodeString& p =
        keptFolded(icu::UnicodeString(uR"( (?:for )?([0-9]{1,4}|)") + numberWordsPattern() + uR"() times )");
    return p;
}
// "for 6 weeks": group 1 the amount, 2 the unit.
const icu::UnicodeString& forSpan() {
    static const icu::UnicodeString& p = keptFolded(icu::UnicodeString(uR"( for ([0-9]{1,3}|)") + numberWordsPattern() +
                                                    uR"() (day|week|month|year)s? )");
    return p;
}
const icu::UnicodeString& exception() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:except|excluding|but not|skipping)( [^ ]+)? )");
    return p;
}

#undef LINECAL_WD
#undef LINECAL_WDS
#undef LINECAL_AND
#undef LINECAL_NTH
#undef LINECAL_DAYNUM
#undef LINECAL_MONTHS
#undef LINECAL_EVERY

std::optional<Recurrence::Day> untilDay(const ParseState& st, const icu::UnicodeString& text) {
    DateContext& ctx = DateContext::current();
    const Ymd t = today(st);
    // A month alone ends with its last day, this year or, once it has passed, next year.
    if (const int month = monthNumber(text); month != 0 && text.indexOf(u' ') < 0) {
        const int year = month < t.month ? t.year + 1 : t.year;
        const DateFields f = ctx.fields(dayAtNoon(year, month + 1, 0).seconds);
        return Recurrence::Day{f.year, f.month, f.day};
    }
    bool yearGiven = false;
    const auto read = dateWithNaturalLanguageString(text, st.now, st.dateOrder(), &yearGiven);
    if (!read) return std::nullopt;
    DateFields f = ctx.fields(read->seconds);
    if (!yearGiven && (f.month < t.month || (f.month == t.month && f.day < t.day))) f.year += 1;
    return Recurrence::Day{f.year, f.month, f.day};
}

// The tail after the phrase: the last day, a count, or a span to count.
bool readEnd(ParseState& st, Recurrence& rule) {
    static const WordList kEndWords{u"until", u"till", u"through", u"thru", u"times", u"for "};
    if (!mentions(st, kEndWords)) return true;
    if (auto g = firstFoldedMatch(st, untilDate(), 0); g && g->size() > 1 && !(*g)[0].isEmpty()) {
        icu::UnicodeString typed{(*g)[0]};
        typed.trim();
        const int32_t space = typed.indexOf(u' ');
        icu::UnicodeString date(typed, space + 1);
        if (date.startsWith(icu::UnicodeString(u"the end of "))) date.remove(0, 11);
        date.toLower(icu::Locale::getRoot());
        const auto day = untilDay(st, date);
        if (!day) return false;
        rule.until = day;
        take(st, (*g)[0]);
    }
    if (auto g = firstFoldedMatch(st, timesCount(), 0); g && g->size() > 1 && !(*g)[0].isEmpty()) {
        const auto n = numberValue((*g)[1]);
        if (!n || *n < 1) return false;
        rule.count = *n;
        take(st, (*g)[0]);
    } else if (auto span = firstFoldedMatch(st, forSpan(), 0); span && span->size() > 2 && !(*span)[0].isEmpty()) {
        const auto n = numberValue((*span)[1]);
        if (!n || *n < 1) return false;
        const icu::UnicodeString& unit = (*span)[2];
        st.repeatSpanDays = unit == u"day" ? *n : unit == u"week" ? 7 * *n : 0;
        st.repeatSpanMonths = unit == u"month" ? *n : unit == u"year" ? 12 * *n : 0;
        take(st, (*span)[0]);
    }
    return true;
}

// "every evening at 7": only "every" is taken; the part of the day stays where it
// stood, for its own phase to read with the hour after it.
void takeEveryOnly(ParseState& st, const icu::UnicodeString& phrase) {
    icu::UnicodeString typed(phrase);
    typed.trim();
    const int32_t space = typed.lastIndexOf(u' ');
    icu::UnicodeString text(st.workingText());
    const int32_t at = text.indexOf(phrase);
    if (at < 0 || space < 0) return take(st, phrase);
    text.replace(at, phrase.length(), icu::UnicodeString(u" ") + icu::UnicodeString(typed, space + 1) + u" ");
    st.working.assign(text, kWrapsLeft);
    st.record.read.push_back(icu::UnicodeString(typed, 0, space));
}

}  // namespace

void readRepetition(ParseState& st) {
    st.wrap();
    static const WordList kWords{u"every",    u"each",       u"daily",       u"weekly",   u"monthly",   u"yearly",
                                 u"annually", u"nightly",    u"fortnightly", u"weekdays", u"weekends",  u"mondays",
                                 u"tuesdays", u"wednesdays", u"thursdays",   u"fridays",  u"saturdays", u"sundays"};
    if (!mentions(st, kWords)) return;
    static const Kind kinds[] = {
        {nthWeekday(), readNthWeekday, mayHoldPlace},          {lastDayOfMonth(), readLastDay, mayHoldLastDay},
        {yearlyDate(), readYearlyDate, mayHoldMonth},          {monthDay(), readMonthDay, mayHoldDayNumber},
        {weekdayList(), readWeekdayList, mayHoldWeekday},      {everyUnit(), readEveryUnit, mayHoldEvery},
        {pluralWeekdays(), readPluralWeekdays, mayHoldPlural}, {oneWord(), readOneWord, mayHoldOneWord},
    };
    for (const Kind& kind : kinds) {
        if (!kind.mayHold(st)) continue;
        auto g = firstFoldedMatch(st, kind.pattern, 0);
        if (!g || (*g)[0].isEmpty()) continue;
        Recurrence rule;
        int partHour = -1;
        if (!kind.read(*g, st, rule, partHour)) continue;
        // An exception cannot be written as part of the rule: nothing repeats, and the line stays as typed.
        if (auto except = firstFoldedMatch(st, exception(), 0); except && !(*except)[0].isEmpty()) {
            st.record.notRepeated = icu::UnicodeString(u"Not repeated: “") + icu::UnicodeString((*except)[0]).trim() +
                                    u"” cannot be part of a repeating item.";
            return;
        }
        const icu::UnicodeString phrase = (*g)[0];
        const icu::UnicodeString before(st.workingText());
        const std::size_t readBefore = st.record.read.size();
        // A part of the day is read by its own phase, which gives its hour.
        const bool partOfDay = kind.read == readEveryUnit && partHour >= 0;
        if (partOfDay) takeEveryOnly(st, phrase);
        else take(st, phrase);
        if (!readEnd(st, rule)) {
            st.working.assign(before, kWrapsLeft);
            st.record.read.resize(readBefore);
            st.record.notRepeated =
                icu::UnicodeString(u"Not repeated: the end of the series is not a date linecal reads.");
            return;
        }
        st.repeat = rule;
        st.repeatPartHour = partOfDay ? -1 : partHour;
        return;
    }
}

void prepareRepetition(ParseState& st) {
    if (!st.repeat) return;
    // A series with no day or time of its own starts today, all day.
    const bool dateless = !st.startDate && !st.firstWeekday && !st.todayDate && !st.tomorrowDate &&
                          st.startTime == NoTime && st.offset == 0;
    if (st.repeatPartHour >= 0 && st.startTime == NoTime) st.startTime = clockOffset(st, st.repeatPartHour, 0);
    else if (dateless) st.startDate = dayAtNoon(today(st).year, today(st).month, today(st).day);
}

void finishRepetition(ParseState& st) {
    if (!st.repeat) return;
    Recurrence rule = *st.repeat;
    ParsedEntry& r = st.record;
    const auto first = firstOccurrence(rule, r.fromDate, r.allDay);
    if (!first) {
        r.notRepeated = icu::UnicodeString(u"Not repeated: the rule gives no day.");
        return;
    }
    const double length = r.toDate.seconds - r.fromDate.seconds;
    r.fromDate = *first;
    r.toDate = Date{first->seconds + length};
    if (st.repeatSpanDays > 0 || st.repeatSpanMonths > 0) {
        const DateFields f = DateContext::current().fields(first->seconds);
        const Date end{DateContext::current().fromFields(f.year, f.month + st.repeatSpanMonths,
                                                         f.day + st.repeatSpanDays, f.hour, f.minute)};
        rule.count = std::max(1, occurrencesBefore(rule, *first, r.allDay, end));
    }
    r.recurrence = rule;
}

}  // namespace linecal::everyday
