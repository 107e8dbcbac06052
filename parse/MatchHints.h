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
// A numeric date (digit, separator, digit) or a month name next to a digit is possible.
bool mayHoldDate(const icu::UnicodeString& text);
// A digit or the word noon.
bool mayHoldTime(const icu::UnicodeString& text);
bool mayHoldWeekday(const icu::UnicodeString& text);

}  // namespace linecal::hints
