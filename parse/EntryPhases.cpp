// The reading phases: each finds its first match, records it and cuts it out.
#include "parse/DateHelpers.h"
#include "parse/MatchHints.h"
#include "parse/NaturalDate.h"
#include "parse/ParseState.h"
#include "parse/Patterns.h"
#include "parse/TextHelpers.h"

#include <unicode/locid.h>

#include <algorithm>
#include <limits>

namespace linecal {

void ParseState::wrap() {
    workingText.insert(0, u' ');
    workingText.append(u' ');
}

std::optional<rx::Strings> ParseState::firstMatch(const icu::UnicodeString& pattern, bool mayMatch) const {
    if (!mayMatch) return std::nullopt;
    rx::OptStrings groups;
    try {
        groups = rx::captureComponentsMatchedByRegex(workingText, pattern);
    } catch (const rx::RegexException&) {
        // ICU gives up on pathological text (its match stack is bounded); the
        // parser never fails, so the phase simply finds nothing.
        return std::nullopt;
    }
    if (!groups || groups->empty()) return std::nullopt;
    return std::move(*groups);
}

void ParseState::cut(const icu::UnicodeString& recognised) {
    static const icu::UnicodeString space(u" ");
    replaceOccurrences(workingText, recognised, space);
}

namespace {

// Products of amounts and units are 32-bit values; ones beyond the range are
// held at its limit instead of wrapping round to a negative or small number.
std::int32_t product32(std::int64_t a, std::int64_t b) {
    std::int64_t p = a * b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(p, std::numeric_limits<std::int32_t>::min(),
                                                             std::numeric_limits<std::int32_t>::max()));
}

std::optional<Date> readDate(const ParseState& st, const icu::UnicodeString& text) {
    return dateWithNaturalLanguageString(text, st.now, st.dateOrder);
}

// Fills `into` from one amount phrase ("for 2 hours", "in 3 days"); false when absent.
bool readAmount(ParseState& st, const icu::UnicodeString& pattern, const char16_t* word, double& into) {
    st.wrap();
    auto g = st.firstMatch(pattern, hints::containsAny(st.workingText, {word}));
    if (!g || g->size() < 4) return false;
    into = product32(leadingInt((*g)[1]), unitSeconds((*g)[3]));
    st.cut((*g)[0]);
    return true;
}

}  // namespace

void readTaskWord(ParseState& st) {
    st.record.task = false;
    if (auto g = st.firstMatch(patterns::taskWord(), hints::containsAny(st.workingText, {u"odo", u"ask"}))) {
        st.cut((*g)[0]);
        st.record.task = true;
    }
}

void readAlarmMarkers(ParseState& st) {
    st.record.alarms.clear();
    for (int pass = 0; pass < 3; ++pass) {
        st.wrap();
        auto g = st.firstMatch(patterns::alarmMarker(), hints::containsAny(st.workingText, {u"@"}));
        if (!g || g->size() < 2) continue;
        std::int32_t minutes = product32(leadingInt((*g)[2]), unitSeconds((*g)[3]) / 60);
        st.cut((*g)[0]);
        st.record.alarms[(*g)[1]] = minutes;
    }
}

void readCalendarTag(ParseState& st) {
    st.wrap();
    auto g = st.firstMatch(patterns::calendarTag(), hints::containsAny(st.workingText, {u"["}));
    if (!g || g->size() < 2) return;
    st.cut((*g)[0]);
    icu::UnicodeString name((*g)[2]);
    st.record.calendar = name.toLower(icu::Locale::getRoot());
}

namespace {

// One explicit date: the day-first match wins when both patterns match.
std::optional<icu::UnicodeString> nextDateText(const ParseState& st) {
    if (!hints::mayHoldDate(st.workingText)) return std::nullopt;
    auto dayFirst = st.firstMatch(patterns::dayFirstDate());
    if (dayFirst) return (*dayFirst)[0];
    auto monthFirst = st.firstMatch(patterns::monthFirstDate());
    if (monthFirst) return (*monthFirst)[0];
    return std::nullopt;
}

}  // namespace

void readExplicitDates(ParseState& st) {
    st.wrap();
    for (std::optional<Date>* target : {&st.startDate, &st.endDate}) {
        auto text = nextDateText(st);
        if (!text) return;
        *target = readDate(st, *text);
        st.cut(*text);
    }
}

void readTimes(ParseState& st) {
    st.wrap();
    Date todayNoon = noon(st.now);
    for (double* target : {&st.startTime, &st.endTime}) {
        auto g = st.firstMatch(patterns::timeOfDay(), hints::mayHoldTime(st.workingText));
        if (!g) return;
        icu::UnicodeString normalised = naturalTimeString((*g)[0]);
        std::optional<Date> at = readDate(st, normalised.toUpper(icu::Locale::getRoot()));
        *target = at ? *at - todayNoon : 0.0;
        st.cut((*g)[0]);
    }
}

void readWeekdays(ParseState& st) {
    st.wrap();
    for (std::optional<Date>* target : {&st.firstWeekday, &st.secondWeekday}) {
        auto g = st.firstMatch(patterns::weekday(), hints::mayHoldWeekday(st.workingText));
        if (!g) return;
        *target = readDate(st, (*g)[0]);
        if (*target && (*g)[0].indexOf(u"next") >= 0) *target = addOneWeek(**target);
        st.cut((*g)[0]);
    }
}

void readToday(ParseState& st) {
    st.wrap();
    if (auto g = st.firstMatch(patterns::today(), hints::containsAny(st.workingText, {u"oday"}))) {
        if (auto d = readDate(st, (*g)[0])) st.todayDate = noon(*d);
        st.cut((*g)[0]);
    }
}

void readTomorrow(ParseState& st) {
    st.wrap();
    if (auto g = st.firstMatch(patterns::tomorrow(), hints::containsAny(st.workingText, {u"omorrow"}))) {
        st.tomorrowDate = readDate(st, (*g)[0]);
        st.cut((*g)[0]);
    }
}

void readDuration(ParseState& st) {
    if (!readAmount(st, patterns::duration(), u" for ", st.duration)) st.duration = 0;
}

void readRelativeOffset(ParseState& st) {
    if (!readAmount(st, patterns::relativeOffset(), u" in ", st.offset)) st.offset = 0;
}

void readPlusOffset(ParseState& st) {
    st.wrap();
    auto g = st.firstMatch(patterns::plusOffset(), hints::containsAny(st.workingText, {u" +"}));
    if (!g || g->size() < 3) return;
    st.offset = product32(leadingInt((*g)[1]), unitSeconds((*g)[2]));
    st.cut((*g)[0]);
}

}  // namespace linecal
