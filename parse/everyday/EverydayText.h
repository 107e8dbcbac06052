// What the everyday phases share: the cheap test that skips a phase, taking a
// phrase out of the text, and placing a day or a time in the working values.
#pragma once

#include "parse/ParseState.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>
#include <string_view>

namespace linecal::everyday {

// Lower-case ASCII words a phase looks for before its pattern runs, with what the
// line's character index is asked for each worked out once.
class WordList {
public:
    // Explicit: a list built at a call would work out its slots again on every keystroke.
    explicit WordList(std::initializer_list<std::u16string_view> words);
    explicit WordList(std::vector<std::u16string> words);
    std::size_t size() const { return words_.size(); }
    const std::u16string& word(std::size_t i) const { return words_[i]; }
    const hints::GramIndex::Probe& probe(std::size_t i) const { return probes_[i]; }

private:
    std::vector<std::u16string> words_;
    std::vector<hints::GramIndex::Probe> probes_;
};

// Where the first of the words occurs in the working text, case aside, or -1;
// the line's character index is asked first, so most lines are answered without
// a walk.
int32_t firstMention(const ParseState& st, const WordList& words);
// Whether any of them occurs.
bool mentions(const ParseState& st, const WordList& words);
// Cheap tests on the text before a pattern that needs what they look for runs:
// a digit followed by a separator and a digit ("5/12"); a digit followed, after
// at most one space, by a letter a unit of measure may begin with ("2.5 kg");
// an ordinal ("1st", "first"); a year of 1900 to 2099 standing as a word.
bool hasDigitSeparatorDigit(const icu::UnicodeString& text);
bool hasDigitThenUnitLetter(const icu::UnicodeString& text);
bool hasOrdinal(const ParseState& st);
bool hasYear(const icu::UnicodeString& text);
// A month name's first three letters, any case ("mar" also in "market": a false yes only costs a search).
bool mentionsMonth(const ParseState& st);
// A letter, a hyphen or en dash, and a letter ("Mon-Wed").
bool hasLetterDashLetter(const icu::UnicodeString& text);
// The groups of the first match of a pattern in the text with A-Z lower-cased
// (so that the pattern needs no case-insensitive groups); group 0 is the text
// as typed, ready to cut, the others are lower case.
std::optional<rx::Strings> firstFoldedMatch(const ParseState& st, const icu::UnicodeString& pattern, int32_t from = 0);
// The same, when one of the words occurs.
std::optional<rx::Strings> firstMatchIfMentioned(const ParseState& st, const icu::UnicodeString& pattern,
                                                 const WordList& words);
// The same, searched from `lead` units before the first mention: for a pattern
// every match of which holds one of the words, at most `lead` units after its start.
std::optional<rx::Strings> firstMatchNearMention(const ParseState& st, const icu::UnicodeString& pattern,
                                                 const WordList& words, int32_t lead);
// Cuts the phrase (group 0, its spaces included) and notes it in the record.
void take(ParseState& st, const icu::UnicodeString& phrase);

// Local calendar fields of now, and a day at noon from fields that may run
// past their range (day 0 is the last of the month before).
struct Ymd {
    int year, month, day;
};
Ymd today(const ParseState& st);
Date dayAtNoon(int year, int month, int day);
int daysInMonth(int year, int month);
int weekdayOf(Date d);  // 1 = Sunday .. 7 = Saturday

// A day read by an everyday phrase goes to the start, or to the end when the
// start is taken. `staysPast`: a day in the past is meant, not next year's.
void placeDay(ParseState& st, Date day, bool staysPast);
// A clock time of today as the time phase holds it (seconds from today's noon);
// hours past 23 run into the next day. It goes to the start time, or to the end
// time when the start time is taken.
double clockOffset(const ParseState& st, int hour, int minute);
void placeTime(ParseState& st, int hour, int minute);

// The value of a lower-case ASCII text of digits or of English number words
// ("3", "a", "an", "two", "a couple of", "twenty"), or nothing.
std::optional<int> numberValue(const icu::UnicodeString& text);
// Seconds of a unit word ("min", "minutes", "hour", "hrs", "day", "weeks"), 0 if unknown.
int unitWordSeconds(const icu::UnicodeString& text);
// 1 to 12 for a month name or its first three letters, any case; 0 otherwise.
int monthNumber(const icu::UnicodeString& text);
// 1 = Sunday .. 7 = Saturday for a weekday name as the weekday phase spells it; 0 otherwise.
int weekdayNumber(const icu::UnicodeString& text);

}  // namespace linecal::everyday

namespace linecal::everyday {
// The number words and the unit words as pattern alternations built from their
// tables, longest first ("a couple of|twenty|...").
const icu::UnicodeString& numberWordsPattern();
const icu::UnicodeString& unitWordsPattern();
}  // namespace linecal::everyday
