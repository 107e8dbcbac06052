// Cheap necessary conditions for the parser's patterns: text every match must
// contain. When a hint says no, the pattern cannot match and the regex engine is
// not asked; when it says yes, the pattern decides. Results are unchanged; most
// entries simply skip the costly date and weekday patterns.
#pragma once

#include <unicode/unistr.h>

#include <initializer_list>

namespace linecal::hints {

bool containsAny(const icu::UnicodeString& text, std::initializer_list<const char16_t*> literals);
bool hasDigit(const icu::UnicodeString& text);
// A numeric date (digit, separator, digit), or a month name as a word and a digit.
bool mayHoldDate(const icu::UnicodeString& text);
// A digit after a space, or the word noon.
bool mayHoldTime(const icu::UnicodeString& text);
// A weekday name as a word.
bool mayHoldWeekday(const icu::UnicodeString& text);

}  // namespace linecal::hints
