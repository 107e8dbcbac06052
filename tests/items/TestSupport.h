// Pins ICU's default locale and time zone for one test, and makes local dates.
#pragma once

#include "parse/Date.h"

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <string>

namespace linecal::testing {

inline void pinLocale(const char* locale, const char* zone) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(locale), status);
    ::setenv("TZ", zone, 1);
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone)));
}

inline Date local(int year, int month, int day, int hour = 12, int minute = 0) {
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar calendar(status);
    calendar.clear();
    calendar.set(year, month - 1, day, hour, minute, 0);
    return Date{calendar.getTime(status) / 1000.0};
}

inline std::string utf8(const icu::UnicodeString& text) {
    std::string out;
    return text.toUTF8String(out);
}

}  // namespace linecal::testing
