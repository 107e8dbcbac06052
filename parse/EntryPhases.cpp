// The reading phases: each finds its first match, records it and cuts it out.
#include "parse/DateContext.h"
#include "parse/DateHelpers.h"
#include "parse/MatchHints.h"
#include "parse/NaturalDate.h"
#include "parse/ParseState.h"
#include "parse/everyday/Everyday.h"
#include "parse/Patterns.h"
#include "parse/PhaseViews.h"
#include "parse/TextHelpers.h"

#include <unicode/locid.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace linecal {

namespace {

// Products of amounts and units are 32-bit values; ones beyond the range are
// held at its limit instead of wrapping round to a negative or small number.
std::int32_t product32(std::int64_t a, std::int64_t b) {
    std::int64_t p = a * b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(p, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::optional<Date> readDate(const ParseState& st, const icu::UnicodeString& text) {
    return dateWithNaturalLanguageString(text, st.now);  // times and day words: no numeric date
}

// A decimal amount of a unit, as the user typed it ("1.5 hours" is 5400
// seconds), in whole seconds held within the 32-bit range like the other amounts.
double amountSeconds(const icu::UnicodeString& number, std::int32_t unit) {
    if (unit == 0) return 0;  // a unit the table does not hold, even for a huge number
    const double seconds = std::trunc(decimalValue(number) * unit);
    return std::clamp(seconds, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                      static_cast<double>(std::numeric_limits<std::int32_t>::max()));
}

// Fills `into` from one amount phrase ("for 2 hours", "in 3 days"); false when absent.
bool readAmount(ParseState& st, const icu::UnicodeString& pattern, const char16_t* word, bool candidate, double& into) {
    st.wrap();
    if (!candidate || !st.candidates.digit) return false;
    auto g = st.firstMatch(pattern, hints::amountStart(st.workingText(), word));
    if (!g || g->size() < 4) return false;
    into = amountSeconds((*g)[1], unitSeconds((*g)[3]));
    st.cut((*g)[0]);
    return true;
}

}  // namespace

void readTaskWord(ParseState& st) {
    st.record.task = false;
    if (!st.candidates.taskWord) return;
    if (auto text =
            st.firstMatchedText(patterns::taskWord(), hints::literalStart(st.workingText(), {u"odo", u"ask"}, 2))) {
        st.cut(*text);
        st.record.task = true;
    }
}

void readAlarmMarkers(ParseState& st) {
    st.record.alarms.clear();
    for (int pass = 0; pass < 3; ++pass) {
        st.wrap();
        if (!st.candidates.alarm) continue;
        auto g = st.firstMatch(patterns::alarmMarker(), hints::literalStart(st.workingText(), {u" @"}));
        if (!g || g->size() < 2) continue;
        std::int32_t minutes = product32(leadingInt((*g)[2]), unitSeconds((*g)[3]) / 60);
        st.cut((*g)[0]);
        st.record.alarms[(*g)[1]] = minutes;
    }
}

void readCalendarTag(ParseState& st) {
    st.wrap();
    if (!st.candidates.bracket) return;
    auto bounds = hints::calendarTagBounds(st.workingText());
    if (!bounds) return;
    auto g = st.firstMatchIn(patterns::calendarTag(), bounds->first, bounds->second);
    if (!g || g->size() < 2) return;
    st.cut((*g)[0]);
    icu::UnicodeString name((*g)[2]);
    st.record.calendar = name.toLower(icu::Locale::getRoot());
}

namespace {

// One explicit date: the day-first match wins when both patterns match. A year
// that directly follows a month-name date belongs to it.
std::optional<icu::UnicodeString> nextDateText(const ParseState& st) {
    icu::UnicodeString scratch;
    const icu::UnicodeString& view = phaseView(st.workingText(), ViewFor::Dates, st.candidates, scratch);
    rx::Range r = firstRangeIn(view, patterns::dayFirstDate(), hints::dayFirstDateStart(view));
    if (!r.found()) r = firstRangeIn(view, patterns::monthFirstDate(), hints::monthFirstDateStart(view));
    if (!r.found()) return std::nullopt;
    const auto start = static_cast<int32_t>(r.location), end = static_cast<int32_t>(r.end());
    return icu::UnicodeString(st.workingText(), start,
                              end - start + yearAfterMonthNameDate(st.workingText(), start, end));
}

}  // namespace

// A date that names no day ("Feb 30") stays in the title and is reported, and
// the next date found takes its place.
void readExplicitDates(ParseState& st) {
    st.wrap();
    struct Target {
        std::optional<Date>* date;
        bool* yearGiven;
        bool* typed;
    };
    const Target targets[] = {{&st.startDate, &st.startYearGiven, &st.startDayTyped},
                              {&st.endDate, &st.endYearGiven, &st.endDayTyped}};
    if (!st.candidates.dates()) return;
    std::size_t filled = 0;
    for (int found = 0; filled < std::size(targets) && found < 8; ++found) {
        auto text = nextDateText(st);
        if (!text) return;
        const Target& t = targets[filled];
        std::optional<Date> d = dateWithNaturalLanguageString(*text, st.now, st.dateOrder(), t.yearGiven);
        if (!d && everyday::keepUnreadDate(st, *text)) continue;
        *t.date = d;
        *t.typed = d.has_value();
        if (d) {
            NumericDateDoubt doubt = numericDateDoubt(*text, st.now, st.dateOrder());
            (filled == 0 ? st.startTyped : st.endTyped) =
                ParseState::TypedDate{*text, doubt.otherOrder, doubt.yearGiven, std::move(doubt.timeText)};
        }
        ++filled;
        st.cut(*text);
    }
}

void readTimes(ParseState& st) {
    st.wrap();
    if (!st.candidates.times()) return;
    for (double* target : {&st.startTime, &st.endTime}) {
        icu::UnicodeString scratch;
        const icu::UnicodeString& view = phaseView(st.workingText(), ViewFor::Times, st.candidates, scratch);
        const rx::Range r = firstRangeIn(view, patterns::timeOfDay(), hints::timeStart(view));
        if (!r.found()) return;
        // The view differs from the text only where no time can be.
        const icu::UnicodeString text(st.workingText(), static_cast<int32_t>(r.location),
                                      static_cast<int32_t>(r.length));
        icu::UnicodeString normalised = naturalTimeString(text);
        toUpperRoot(normalised);
        std::optional<Date> at = readDate(st, normalised);
        *target = at ? *at - noon(st.now) : 0.0;
        st.cut(text);
    }
}

void readWeekdays(ParseState& st) {
    st.wrap();
    if (!st.candidates.weekday) return;
    for (std::optional<Date>* target : {&st.firstWeekday, &st.secondWeekday}) {
        auto text = st.firstMatchedText(patterns::weekday(), hints::weekdayStart(st.workingText()));
        if (!text) return;
        *target = readDate(st, *text);
        const bool next = text->indexOf(u"next") >= 0;
        if (target == &st.firstWeekday && *target) {
            st.weekdayTyped = *text;
            st.weekdayBase = *target;
            st.weekdayNext = next;
        }
        if (*target && next) *target = addOneWeek(**target);
        st.cut(*text);
    }
}

void readToday(ParseState& st) {
    st.wrap();
    if (!st.candidates.today) return;
    if (auto text = st.firstMatchedText(patterns::today(), hints::literalStart(st.workingText(), {u"oday"}, 2))) {
        if (auto d = readDate(st, *text)) st.todayDate = noon(*d);
        st.cut(*text);
    }
}

void readTomorrow(ParseState& st) {
    st.wrap();
    if (!st.candidates.tomorrow) return;
    if (auto text = st.firstMatchedText(patterns::tomorrow(), hints::literalStart(st.workingText(), {u"omorrow"}, 2))) {
        st.tomorrowDate = readDate(st, *text);
        st.cut(*text);
    }
}

void readDuration(ParseState& st) {
    if (!readAmount(st, patterns::duration(), u" for ", st.candidates.forWord, st.duration)) st.duration = 0;
}

void readRelativeOffset(ParseState& st) {
    if (!readAmount(st, patterns::relativeOffset(), u" in ", st.candidates.inWord, st.offset)) st.offset = 0;
}

void readPlusOffset(ParseState& st) {
    st.wrap();
    if (!st.candidates.plus) return;
    auto g = st.firstMatch(patterns::plusOffset(), hints::literalStart(st.workingText(), {u" +"}));
    if (!g || g->size() < 3) return;
    st.offset = product32(leadingInt((*g)[1]), unitSeconds((*g)[2]));
    st.cut((*g)[0]);
}

}  // namespace linecal
