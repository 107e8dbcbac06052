#include "parse/DateHelpers.h"

#include "parse/DateContext.h"

#include <unicode/smpdtfmt.h>

namespace linecal {
namespace {

Date byFields(Date d, int addDays, int addYears) {
    DateContext& ctx = DateContext::current();
    DateFields f = ctx.fields(d.seconds);
    return Date{ctx.fromFields(f.year + addYears, f.month, f.day + addDays, f.hour, f.minute)};
}

}  // namespace

Date noon(Date d) {
    DateContext& ctx = DateContext::current();
    DateFields f = ctx.fields(d.seconds);
    return Date{ctx.fromFields(f.year, f.month, f.day, 12, 0)};
}

Date addOneDay(Date d) { return byFields(d, 1, 0); }
Date addOneWeek(Date d) { return byFields(d, 7, 0); }
Date addOneYear(Date d) { return byFields(d, 0, 1); }

Date tomorrowAt4pm(Date d) {
    DateContext& ctx = DateContext::current();
    DateFields f = ctx.fields(d.seconds + 86400);
    return Date{ctx.fromFields(f.year, f.month, f.day, 16, 0)};
}

Date dateToNearest15Minutes(Date d) {
    DateContext& ctx = DateContext::current();
    DateFields f = ctx.fields(d.seconds);
    // Truncating division: minutes 0-7 give 15, not 0, and 53-59 carry into the next hour.
    int minute = 15 * ((f.minute - 8) / 15) + 15;
    return Date{ctx.fromFields(f.year, f.month, f.day, f.hour, minute)};
}

Date aboutAnHour(Date d) { return dateToNearest15Minutes(d + 3600); }

bool isBefore(Date d, Date other) { return d.seconds < other.seconds; }

// The open interval between the day's two midnights. On most days that is noon
// plus or minus twelve hours; on the days the clocks move it is 23 or 25 hours,
// and a fixed half-day either side of noon would push a late-night or early
// time onto the wrong day (and the parser would then move it a whole year).
bool isThisDay(Date d, Date day) {
    DateContext& ctx = DateContext::current();
    DateFields f = ctx.fields(day.seconds);
    double start = ctx.fromFields(f.year, f.month, f.day, 0, 0);
    double end = ctx.fromFields(f.year, f.month, f.day + 1, 0, 0);
    return d.seconds > start && d.seconds < end;
}

std::string busyCalDate(Date d) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"yyyy-MM-dd'T'HH:mm:ssxx"), icu::Locale::getRoot(), status);
    format.setTimeZone(DateContext::current().zone());
    icu::UnicodeString text;
    format.format(d.seconds * 1000.0, text);
    std::string out;
    return text.toUTF8String(out);
}

std::string dateOrderFormat() { return DateContext::current().dateOrder(); }

}  // namespace linecal
