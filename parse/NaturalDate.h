// A small reader of the date and time phrases the parser recognises: month-name
// and numeric dates, times of day (with US zone abbreviations), weekday names,
// "today" and "tomorrow". Days come back at 12:00 local time; times on the day
// of `now`. Text it cannot read gives no date.
#pragma once

#include "parse/Date.h"

#include <unicode/unistr.h>

#include <optional>
#include <string_view>

namespace linecal {

// `ordering` holds the letters M, D and Y in the order numeric dates are
// written (as dateOrderFormat gives them); empty means month-day-year.
// `yearGiven`, when given, tells whether the text named the year itself.
std::optional<Date> dateWithNaturalLanguageString(const icu::UnicodeString& text, Date now,
                                                  std::string_view ordering = {}, bool* yearGiven = nullptr);

}  // namespace linecal
