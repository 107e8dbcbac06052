// What the date and time phases search instead of the working text: a copy of
// the same length in which amount numbers (" for 1.5 hours") cannot be read as
// a date or time, and in which the date phase sees "April 14, 2012" as a
// month-name date followed by its year. Positions are those of the working text.
#pragma once

#include "parse/MatchHints.h"

#include <unicode/unistr.h>

namespace linecal {

enum class ViewFor { Dates, Times };

// `text` itself when nothing needs hiding (no copy), else `scratch` filled in.
// `candidates` are the entry's: without a point, or a comma, nothing is ever hidden.
const icu::UnicodeString& phaseView(const icu::UnicodeString& text, ViewFor phase, const hints::Candidates& candidates,
                                    icu::UnicodeString& scratch);

// The year (1900 to 2099) and its space that directly follow a month-name
// date's match ending at `end` (past its trailing space, or its comma); 0 when none.
int32_t yearAfterMonthNameDate(const icu::UnicodeString& text, int32_t start, int32_t end);

}  // namespace linecal
