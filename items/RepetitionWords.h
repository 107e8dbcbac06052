// A repetition rule in words for the preview ("every Monday and Thursday",
// "every 2 weeks on Tuesday until 6/30/10", "every month on the last day"),
// and the next days of a series.
#pragma once

#include "items/Calendar.h"

namespace linecal {

icu::UnicodeString repetitionWords(const Recurrence& rule);
// "Next: …" with the first three occurrences of a repeating item; the reason
// when its entry asked for a repetition that made no rule; else empty.
icu::UnicodeString ZQoccurrencesLine(const CalendarItem& item);

}  // namespace linecal
