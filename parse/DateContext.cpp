#include "parse/DateContext.h"

#include "parse/CivilDays.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <cmath>
#include <cstring>

namespace linecal {
namespace {

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (std::size_t pos = 0; (pos = s.find(from, pos)) != std::string::npos; pos += to.size())
        s.replace(pos, from.size(), to);
}

std::string computeDateOrder(const icu::Locale& locale) {
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    icu::UnicodeString pattern;
    if (auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get())) simple->toPattern(pattern);
    std::string order;
    pattern.toUpper(icu::Locale::getRoot()).toUTF8String(order);
    for (const char* sep : {"/", ".", "-"}) replaceAll(order, sep, "");
    replaceAll(order, "MM", "M");
    replaceAll(order, "DD", "D");
    replaceAll(order, "YYYY", "Y");
    replaceAll(order, "YY", "Y");
    return order + "H";
}

}  // namespace

namespace {
thread_local DateContext* tPinned = nullptr;
}  // namespace

DateContext::Pin::Pin() : previous_(tPinned) { tPinned = &current(); }
DateContext::Pin::~Pin() { tPinned = previous_; }

DateContext& DateContext::current() {
    if (tPinned) return *tPinned;
    thread_local DateContext context;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    icu::UnicodeString id;
    zone->getID(id);
    const char* localeName = icu::Locale::getDefault().getName();
    if (!context.calendar_ || id != context.zoneId_ || context.localeName_ != localeName)
        context.rebuild(zone.release(), localeName);
    return context;
}

void DateContext::rebuild(icu::TimeZone* zone, const char* localeName) {
    zone->getID(zoneId_);
    localeName_ = localeName;
    memoValid_ = builtValid_ = false;
    UErrorCode status = U_ZERO_ERROR;
    // Gregorian throughout, as the field arithmetic and the date reader assume.
    calendar_ = std::make_unique<icu::GregorianCalendar>(zone, icu::Locale::getRoot(), status);
    calendar_->setLenient(true);
    dateOrder_.clear();
    dateOnly_.reset();
    dateTime_.reset();
}

const std::string& DateContext::dateOrder() {
    if (dateOrder_.empty()) dateOrder_ = computeDateOrder(icu::Locale::getDefault());
    return dateOrder_;
}

icu::UnicodeString DateContext::formatShort(double seconds, bool withTime) {
    auto& format = withTime ? dateTime_ : dateOnly_;
    if (!format) {
        format.reset(icu::DateFormat::createDateTimeInstance(
            icu::DateFormat::kShort, withTime ? icu::DateFormat::kShort : icu::DateFormat::kNone,
            icu::Locale::getDefault()));
        if (!format) return {};
        format->setTimeZone(zone());
    }
    icu::UnicodeString text;
    format->format(seconds * 1000.0, text);
    return text;
}

namespace {

// Inside these years ICU's Gregorian calendar is the proleptic one (its switch
// from the Julian calendar lies in 1582), so plain day arithmetic and the
// zone's offset give what the calendar gives, without its field machinery.
constexpr long long kFirstPlainYear = 1600, kLastPlainYear = 9000;

}  // namespace

DateFields DateContext::fields(double seconds) {
    if (memoValid_ && memoSeconds_ == seconds) return memoFields_;
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0, dst = 0;
    zone().getOffset(seconds * 1000.0, false, raw, dst, status);
    const double local = std::floor(seconds + (raw + dst) / 1000.0);
    long long y = 0;
    unsigned m = 0, d = 0;
    if (U_SUCCESS(status) && std::isfinite(local)) {
        const long long days = floorDiv(static_cast<long long>(local), 86400);
        civilFromDays(days, y, m, d);
        if (y >= kFirstPlainYear && y <= kLastPlainYear) {
            const long long secondOfDay = static_cast<long long>(local) - days * 86400;
            memoSeconds_ = seconds;
            memoValid_ = true;
            return memoFields_ = DateFields{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                                            static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60)};
        }
    }
    status = U_ZERO_ERROR;
    calendar_->setTime(seconds * 1000.0, status);
    memoSeconds_ = seconds;
    memoValid_ = true;
    return memoFields_ = DateFields{calendar_->get(UCAL_EXTENDED_YEAR, status), calendar_->get(UCAL_MONTH, status) + 1,
                      calendar_->get(UCAL_DATE, status), calendar_->get(UCAL_HOUR_OF_DAY, status),
                      calendar_->get(UCAL_MINUTE, status)};
}

double DateContext::fromFields(int year, int month, int day, int hour, int minute) {
    const DateFields asked{year, month, day, hour, minute};
    if (builtValid_ && std::memcmp(&asked, &builtFields_, sizeof asked) == 0) return builtSeconds_;
    builtFields_ = asked;
    builtValid_ = true;
    // Lenient: months past 12 carry into years, days, hours and minutes into the days.
    const long long y = year + floorDiv(month - 1LL, 12), m = month - 1LL - floorDiv(month - 1LL, 12) * 12;
    if (y >= kFirstPlainYear && y <= kLastPlainYear) {
        const long long days = daysFromCivil(y, static_cast<unsigned>(m + 1), 1) + day - 1LL;
        const double wall = static_cast<double>(days * 86400 + hour * 3600LL + minute * 60LL) * 1000.0;
        UErrorCode status = U_ZERO_ERROR;
        int32_t raw = 0, dst = 0;
        zone().getOffset(wall, true, raw, dst, status);  // a wall time, as the calendar reads it
        if (U_SUCCESS(status)) return builtSeconds_ = (wall - raw - dst) / 1000.0;
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar_->clear();
    calendar_->set(UCAL_EXTENDED_YEAR, year);
    calendar_->set(UCAL_MONTH, month - 1);
    calendar_->set(UCAL_DATE, day);
    calendar_->set(UCAL_HOUR_OF_DAY, hour);
    calendar_->set(UCAL_MINUTE, minute);
    double ms = calendar_->getTime(status);
    return builtSeconds_ = U_SUCCESS(status) ? ms / 1000.0 : 0.0;
}

int DateContext::utcOffset(double seconds) const {
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0, dst = 0;
    zone().getOffset(seconds * 1000.0, false, raw, dst, status);
    return U_SUCCESS(status) ? (raw + dst) / 1000 : 0;
}

int DateContext::weekday(double seconds) {
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(seconds * 1000.0, status);
    return calendar_->get(UCAL_DAY_OF_WEEK, status);
}

}  // namespace linecal
