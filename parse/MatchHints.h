// Cheap necessary conditions for the parser's patterns. Each hint gives the
// first position at which its pattern's match could start, or kNone when no
// match is possible: the regex engine then searches from there, or is not asked
// at all. Results are unchanged; most entries skip most patterns, and the
// engine does not walk the text before the first place worth trying.
#pragma once

#include <unicode/unistr.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

namespace linecal::hints {

inline constexpr int32_t kNone = -1;

bool containsAny(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals);
bool hasDigit(const icu::UnicodeString& text);

// The first occurrence of any of the literals, less `lead` (the units the
// pattern matches before its literal), or kNone.
int32_t literalStart(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals, int32_t lead = 0);
// A space before a numeric date (digits, separator, digit), or before a day
// number and a month name's first letter (day first) or a month name and a day
// number (month first).
int32_t dayFirstDateStart(const icu::UnicodeString& text);
int32_t monthFirstDateStart(const icu::UnicodeString& text);
// A space before a run of digits, ":" and "." that holds four digits or is
// followed (after at most one space) by a, p, A or P; or before "noon".
int32_t timeStart(const icu::UnicodeString& text);
// The word (" for ", " in ") followed by white space, digits and points (at
// least one digit) and the first letter of a unit (w, d, h or m). Characters
// outside ASCII count as white space or digits, whichever helps.
int32_t amountStart(const icu::UnicodeString& text, const char16_t* word);
// Up to six units before a weekday name standing as a word (after a space or "next").
int32_t weekdayStart(const icu::UnicodeString& text);

// Which phases can find anything at all, from one pass over the entry's words
// (the runs between U+0020 spaces). Every pattern begins and ends with such a
// space, so a cut removes whole words and the working text only ever holds
// words of the entry, in their order, perhaps brought next to each other; each
// flag is a condition on single words that every match needs. A phase whose
// flag is false runs neither its hint nor its pattern.
struct Candidates {
    bool taskWord = false;     // todo, task, with a capital and a plural
    bool alarm = false;        // @ and a digit
    bool numericDate = false;  // one to four digits, a separator, a digit
    bool digitWord = false;    // a word beginning with a digit
    bool monthName = false;    // a month name as the patterns spell it
    bool noon = false;         // a word beginning with noon or Noon
    bool weekday = false;      // a weekday name, perhaps right after "next"
    bool today = false, tomorrow = false;
    bool forWord = false, inWord = false, atWord = false;
    bool plus = false;                // + and a digit
    bool point = false;               // a "." anywhere
    bool comma = false;               // a "," anywhere
    bool digit = false;               // an ASCII digit anywhere
    bool bracket = false;             // a "[" anywhere
    std::uint64_t ascii[2] = {0, 0};  // which ASCII characters occur, for the everyday phrases' quick tests
    bool has(char16_t u) const { return u < 128 && (ascii[u >> 6] >> (u & 63) & 1) != 0; }
    bool dates() const { return numericDate || (monthName && digitWord); }
    bool times() const { return digitWord || noon; }
};
Candidates scanCandidates(const icu::UnicodeString& text);

// Where the calendar tag's first match lies, as (start, length), found in one
// pass: the first " [" with a later "] " on the same line (what "." spans), up
// to the last such "] " with at least one character between the brackets.
// Run over this window alone, the pattern finds the same match without trying
// every " [" of the line again, which is what made a line of open tags quadratic.
std::optional<std::pair<int32_t, int32_t>> calendarTagBounds(const icu::UnicodeString& text);

}  // namespace linecal::hints
