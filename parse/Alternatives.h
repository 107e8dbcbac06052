// The other readings of a line: where its parse chose between two meanings of
// what was typed, the whole record the other meaning gives, and the line
// rewritten so that it reads that way without a choice.
#pragma once

#include "parse/ParseEntry.h"
#include "parse/ParsedEntry.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace linecal {

struct Alternative {
    Choice choice;
    icu::UnicodeString text;  // the line with the chosen words in their other form
    ParsedEntry record;       // what that text parses to
};

// "date-order", "next-weekday", "weekday-today", "dot-time", "passed-date".
std::string_view choiceName(Choice choice);

// One per kind of choice the record made, in the order of the Choice names,
// each reading differently from `record` (dates, all-day or title); empty when
// the record made none. `text`, `now` and `options` are what `record` was parsed from. Each
// costs a parse of its own; `most` stops after that many (the dialog offers only the first).
std::vector<Alternative> alternativesOf(const icu::UnicodeString& text, const ParsedEntry& record, Date now,
                                        const ParseOptions& options = {}, std::size_t most = SIZE_MAX);

}  // namespace linecal
