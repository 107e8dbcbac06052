#include "parse/everyday/HolidayDates.h"

#include "parse/DateContext.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>

#include <memory>
#include <vector>

namespace linecal::everyday {
namespace {

Ymd localDay(double seconds) {
    const DateFields f = DateContext::current().fields(seconds);
    return {f.year, f.month, f.day};
}

std::unique_ptr<icu::Calendar> calendarFor(OtherCalendar which) {
    static const char* const locales[] = {"en@calendar=hebrew", "en@calendar=islamic-umalqura", "en@calendar=chinese"};
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> cal(icu::Calendar::createInstance(
        DateContext::current().zone().clone(), icu::Locale(locales[static_cast<int>(which)]), status));
    if (U_FAILURE(status)) return nullptr;
    return cal;
}

}  // namespace

Ymd westernEaster(int year) {
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4, f = (b + 8) / 25,
              g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30, i = c / 4, k = c % 4,
              l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
    return {year, (h + l - 7 * m + 114) / 31, (h + l - 7 * m + 114) % 31 + 1};
}

// The Orthodox churches keep the Julian rule; ICU's Gregorian calendar with its
// change to the Gregorian rule moved past every date is the Julian calendar.
std::optional<Ymd> orthodoxEaster(int year) {
    const int a = year % 4, b = year % 7, c = year % 19, d = (19 * c + 15) % 30, e = (2 * a + 4 * b - d + 34) % 7;
    const int month = (d + e + 114) / 31, day = (d + e + 114) % 31 + 1;
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar julian(DateContext::current().zone().clone(), status);
    julian.setGregorianChange(8.64e15, status);
    if (U_FAILURE(status)) return std::nullopt;
    julian.clear();
    julian.set(year, month - 1, day, 12, 0);
    const UDate at = julian.getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return localDay(at / 1000.0);
}

namespace {

std::optional<Ymd> computeOtherCalendarDay(OtherCalendar which, int month, int day, int gregorianYear);

}  // namespace

// The Chinese calendar's astronomy costs a tenth of a millisecond: each day is
// worked out once per thread and zone.
std::optional<Ymd> otherCalendarDay(OtherCalendar which, int month, int day, int gregorianYear) {
    struct Known {
        OtherCalendar which;
        int month, day, year;
        icu::UnicodeString zone;
        std::optional<Ymd> result;
    };
    thread_local std::vector<Known> known;
    icu::UnicodeString zone;
    DateContext::current().zone().getID(zone);
    for (const Known& k : known)
        if (k.which == which && k.month == month && k.day == day && k.year == gregorianYear && k.zone == zone)
            return k.result;
    if (known.size() >= 256) known.clear();
    known.push_back(
        {which, month, day, gregorianYear, zone, computeOtherCalendarDay(which, month, day, gregorianYear)});
    return known.back().result;
}

namespace {

std::optional<Ymd> computeOtherCalendarDay(OtherCalendar which, int month, int day, int gregorianYear) {
    std::unique_ptr<icu::Calendar> cal = calendarFor(which);
    if (!cal) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    cal->setTime(DateContext::current().fromFields(gregorianYear, 1, 1, 12, 0) * 1000.0, status);
    const int32_t firstYear = cal->get(UCAL_EXTENDED_YEAR, status);
    if (U_FAILURE(status)) return std::nullopt;
    // A Gregorian year holds the end of one year of the other calendar and the
    // start of the next (an Islamic year is shorter, so it may hold three).
    for (int32_t year = firstYear; year <= firstYear + 2; ++year) {
        cal->clear();
        cal->set(UCAL_EXTENDED_YEAR, year);
        cal->set(UCAL_MONTH, month);
        if (which == OtherCalendar::Chinese) cal->set(UCAL_IS_LEAP_MONTH, 0);
        cal->set(UCAL_DATE, day);
        cal->set(UCAL_HOUR_OF_DAY, 12);
        const UDate at = cal->getTime(status);
        if (U_FAILURE(status)) return std::nullopt;
        const Ymd d = localDay(at / 1000.0);
        if (d.year == gregorianYear) return d;
        if (d.year > gregorianYear) break;
    }
    return std::nullopt;
}

}  // namespace

}  // namespace linecal::everyday
