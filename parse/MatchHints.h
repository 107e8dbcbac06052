// Cheap necessary conditions for the parser's patterns: text every match must
// contain. When a hint says no, the pattern cannot match and the regex engine is
// not asked; when it says yes, the pattern decides. Results are unchanged; most
// entries simply skip the costly date and weekday patterns.
#pragma once

#include <unicode/unistr.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

namespace linecal::hints {

bool containsAny(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals);
bool hasDigit(const icu::UnicodeString& text);
// A numeric date (digit, separator, digit), or a month name as a word and a digit.
bool mayHoldDate(const icu::UnicodeString& text);
// A digit after a space, or the word noon.
bool mayHoldTime(const icu::UnicodeString& text);
// A weekday name as a word.
bool mayHoldWeekday(const icu::UnicodeString& text);

// Where the calendar tag's first match lies, as (start, length), found in one
// pass: the first " [" with a later "] " on the same line (what "." spans), up
// to the last such "] " with at least one character between the brackets.
// Run over this window alone, the pattern finds the same match without trying
// every " [" of the line again, which is what made a line of open tags quadratic.
std::optional<std::pair<int32_t, int32_t>> calendarTagBounds(const icu::UnicodeString& text);

}  // namespace linecal::hints
