// One line of entry text to a parsed entry record.
#pragma once

#include "parse/ParsedEntry.h"

namespace linecal {

// Pure: the result depends only on the text, `now`, and ICU's default time zone
// and locale. Never fails; any text gives a record.
ParsedEntry parseEntry(const icu::UnicodeString& text, Date now);
// Reads the clock once.
ParsedEntry parseEntry(const icu::UnicodeString& text);

Date currentDate();

}  // namespace linecal
