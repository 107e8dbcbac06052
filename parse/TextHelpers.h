// String helpers shared by the parser and the application.
#pragma once

#include <unicode/unistr.h>

#include <optional>
#include <string>

namespace linecal {

// Collapses runs of spaces, makes "at at" "at", trims both ends.
icu::UnicodeString ZQtrim(const icu::UnicodeString& s);
// ZQtrim on the text itself, without a copy.
void tidyInPlace(icu::UnicodeString& s);
// ICU's White_Space, which is what "\s" matches in its patterns.
bool isWhiteSpace(char16_t c);
// Removes White_Space from both ends.
void trimWhiteSpace(icu::UnicodeString& s);
// Case mapping of the root locale, without ICU's machinery for ASCII text.
void changeCaseRoot(icu::UnicodeString& s, bool upper);
void toLowerRoot(icu::UnicodeString& s);
void toUpperRoot(icu::UnicodeString& s);
// Brings a recognised time such as " 430p " into a form the date reader takes ("4:30pm").
icu::UnicodeString naturalTimeString(const icu::UnicodeString& s);
// Percent-encodes for one URL component; absent when the text is not valid Unicode.
std::optional<std::string> stringByURIEncoding(const icu::UnicodeString& s);
const char* stringWithBool(bool value);

// Plain (not pattern) replacement of every non-overlapping occurrence, left to
// right, in one pass over the text. Returns the number of replacements.
int replaceOccurrences(icu::UnicodeString& s, const icu::UnicodeString& from, const icu::UnicodeString& to);
// The same with one space as the replacement, done in place on `length` units
// of `text` (a needle of one unit or more never makes the text longer); returns
// the new length. The needle must not lie inside the text.
int32_t cutOccurrences(char16_t* text, int32_t length, const char16_t* needle, int32_t needleLength);

}  // namespace linecal
