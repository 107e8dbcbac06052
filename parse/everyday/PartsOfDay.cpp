// Parts of the day: "this morning", "tonight at 8", "tomorrow afternoon at 5"
// (tomorrow itself is left to its own phase), "3 in the afternoon", "at night",
// "midnight".
#include "parse/everyday/PartsOfDay.h"

#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

#include <unicode/locid.h>

namespace linecal::everyday {
namespace {

// Group 1 "this" or empty, group 2 the part, groups 3 and 4 a bare hour and its minutes.
const icu::UnicodeString& partThenHour() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:((?i:this)) )?((?i:morning|afternoon|evening|tonight|night))(?: (?i:at) ([0-9]{1,2})(?:[:.]([0-5][0-9]))?(?i: o'clock)?)? )");
    return p;
}
// Group 1 the hour, 2 its minutes, 3 the part ("8 in the morning", "at 11 at night").
const icu::UnicodeString& hourThenPart() {
    static const icu::UnicodeString& p = keptFolded(
        uR"( (?:(?i:at) )?([0-9]{1,2})(?:[:.]([0-5][0-9]))?(?i: o'clock)? (?i:in the|at) ((?i:morning|afternoon|evening|night)) )");
    return p;
}
const icu::UnicodeString& midnight() {
    static const icu::UnicodeString& p = keptFolded(uR"( (?:(?i:at) )?(?i:midnight) )");
    return p;
}

const PartOfDay* partNamed(const icu::UnicodeString& word) {
    icu::UnicodeString lower(word);
    lower.toLower(icu::Locale::getRoot());
    for (const PartOfDay& part : kPartsOfDay)
        if (lower == icu::UnicodeString(part.word, -1, US_INV)) return &part;
    return nullptr;
}

// The hour of a clock that has twelve, in the part's half of the day; hours
// after midnight belong to the night before ("tonight at 1" is 01:00 tomorrow).
int hourIn(const PartOfDay& part, int hour) {
    if (!part.afternoon) return hour % 12;
    if (part.hour >= 19 && (hour == 12 || hour < 5)) return hour % 12 + 24;
    return hour % 12 + 12;
}

std::optional<int> number(const icu::UnicodeString& digits) {
    if (digits.isEmpty()) return std::nullopt;
    return numberValue(digits);
}

// "this ..." and "tonight" name today: a passed part of it stays today.
void nameToday(ParseState& st) {
    if (!st.todayDate) st.todayDate = dayAtNoon(today(st).year, today(st).month, today(st).day);
    st.passedTodayStays = true;
}

bool readHourThenPart(ParseState& st) {
    static const WordList kPartAfterHour{u" in the ", u" at night"};
    auto g = firstMatchIfMentioned(st, hourThenPart(), kPartAfterHour);
    if (!g) return false;
    const PartOfDay* part = partNamed((*g)[3]);
    const std::optional<int> hour = number((*g)[1]);
    if (!part || !hour || *hour < 1 || *hour > 12) return false;
    placeTime(st, hourIn(*part, *hour), number((*g)[2]).value_or(0));
    take(st, (*g)[0]);
    return true;
}

void readPartThenHour(ParseState& st) {
    static const WordList kParts{u"morning", u"afternoon", u"evening", u"night"};
    auto g = firstMatchIfMentioned(st, partThenHour(), kParts);
    if (!g) return;
    const PartOfDay* part = partNamed((*g)[2]);
    if (!part) return;
    const std::optional<int> hour = number((*g)[3]);
    if (hour && (*hour < 1 || *hour > 12)) return;
    if (hour) {
        placeTime(st, hourIn(*part, *hour), number((*g)[4]).value_or(0));
    } else if (st.startTime == NoTime) {
        st.startTime = clockOffset(st, part->hour, 0);
    }
    if (!(*g)[1].isEmpty() || icu::UnicodeString(part->word, -1, US_INV) == icu::UnicodeString(u"tonight"))
        nameToday(st);
    take(st, (*g)[0]);
}

}  // namespace

void readPartsOfDay(ParseState& st) {
    if (!st.candidates.has(u'n') && !st.candidates.has(u'N')) return;  // every word here has an n
    st.wrap();
    if (st.candidates.digit) readHourThenPart(st);
    st.wrap();
    readPartThenHour(st);
    st.wrap();
    static const WordList kMidnight{u"midnight"};
    if (auto g = firstMatchIfMentioned(st, midnight(), kMidnight)) {
        // Midnight begins a day: alone it is the coming one (today's has passed).
        placeTime(st, st.passedTodayStays ? 24 : 0, 0);  // "tonight at midnight" ends today
        take(st, (*g)[0]);
    }
}

}  // namespace linecal::everyday
