// A small reader of the date and time phrases the parser recognises: month-name
// and numeric dates, times of day (with US zone abbreviations), weekday names,
// "today" and "tomorrow". Days come back at 12:00 local time; times on the day
// of `now`. Text it cannot read gives no date.
#pragma once

#include "parse/Date.h"

#include <unicode/unistr.h>

#include <optional>
#include <string>
#include <string_view>

namespace linecal {

// `ordering` holds the letters M, D and Y in the order numeric dates are
// written (as dateOrderFormat gives them); empty means month-day-year.
// `yearGiven`, when given, tells whether the text named the year itself.
std::optional<Date> dateWithNaturalLanguageString(const icu::UnicodeString& text, Date now,
                                                  std::string_view ordering = {}, bool* yearGiven = nullptr);

// What else an all-numeric date could have meant: the other order of its day and
// month when both could be either and differ ("5/12", "3.4.11"), and a clock time
// when it is written like one ("10.30"). Empty for any other text.
struct NumericDateDoubt {
    std::optional<Date> otherOrder;  // at noon, in the year the text gives or this one
    bool yearGiven = false;
    std::string timeText;  // "10:30" for "10.30", "09:05" for "9.05"; empty when not clock-like
};
NumericDateDoubt numericDateDoubt(const icu::UnicodeString& text, Date now, std::string_view ordering);

}  // namespace linecal
