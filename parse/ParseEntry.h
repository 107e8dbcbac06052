// One line of entry text to a parsed entry record.
#pragma once

#include "parse/ParsedEntry.h"

namespace linecal {

// The user's own choices about reading.
struct ParseOptions {
    // Numeric dates in the other order of day and month than the locale's ("5/12"
    // as 5 December in the US): the locale's order is then the other reading.
    bool otherNumericOrder = false;
};

// Pure: the result depends only on the text, `now`, the options and ICU's default
// time zone and locale. Never fails; any text gives a record.
ParsedEntry parseEntry(const icu::UnicodeString& text, Date now, const ParseOptions& options = {});
// Reads the clock once.
ParsedEntry parseEntry(const icu::UnicodeString& text);

Date currentDate();

}  // namespace linecal
