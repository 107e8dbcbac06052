// The dates of the holidays the parser reads: Easter by its rule, and days of
// the Hebrew, Islamic (Umm al-Qura) and Chinese calendars through ICU's own
// calendars. Days come back as local Gregorian year, month and day.
#pragma once

#include "parse/everyday/EverydayText.h"

#include <optional>

namespace linecal::everyday {

enum class OtherCalendar { Hebrew, Islamic, Chinese };

// Easter Sunday of a Gregorian year, in the Western and the Orthodox reckoning.
Ymd westernEaster(int year);
std::optional<Ymd> orthodoxEaster(int year);
// The first day in the Gregorian year that is `day` of `month` (0-based, as
// ICU numbers that calendar's months) in the other calendar.
std::optional<Ymd> otherCalendarDay(OtherCalendar calendar, int month, int day, int gregorianYear);

}  // namespace linecal::everyday
