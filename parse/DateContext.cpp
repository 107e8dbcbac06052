#include "parse/DateContext.h"

#include "parse/CivilDays.h"

#include <unicode/basictz.h>
#include <unicode/datefmt.h>
#include <unicode/tztrans.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>

#include <cmath>
#include <cstring>
#include <limits>

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
    fieldsCount_ = fieldsNext_ = builtCount_ = builtNext_ = spanCount_ = spanNext_ = formatCount_ = formatNext_ = 0;
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
    for (int i = 0; i < formatCount_; ++i)
        if (formatMemo_[i].seconds == seconds && formatMemo_[i].withTime == withTime) return formatMemo_[i].text;
    icu::UnicodeString text = formatShortUncached(seconds, withTime);
    formatMemo_[formatNext_] = FormatMemo{seconds, withTime, text};
    formatNext_ = (formatNext_ + 1) % kFormatMemos;
    if (formatCount_ < kFormatMemos) ++formatCount_;
    return text;
}

icu::UnicodeString DateContext::formatShortUncached(double seconds, bool withTime) {
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

namespace {

int32_t offsetOf(const icu::TimeZoneRule* rule) { return rule ? rule->getRawOffset() + rule->getDSTSavings() : 0; }

}  // namespace

void DateContext::rememberSpan(double utcMs) {
    const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(&zone());
    if (!basic) return;
    // The offset at that instant itself: a wall time in a skipped or repeated
    // hour reads with the offset of the other side of the transition.
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0, dst = 0;
    zone().getOffset(utcMs, false, raw, dst, status);
    if (U_FAILURE(status)) return;
    const int32_t offset = raw + dst;
    OffsetSpan span{-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(), offset, 0, 0};
    // A wall-clock time within the change of offset of a transition may be
    // skipped or repeated; those are left to the zone (a second more, to be safe).
    icu::TimeZoneTransition transition;
    if (basic->getPreviousTransition(utcMs, true, transition)) {
        span.from = transition.getTime();
        span.fromMargin = std::abs(offsetOf(transition.getFrom()) - offset) + 1000.0;
    }
    if (basic->getNextTransition(utcMs, false, transition)) {
        span.to = transition.getTime();
        span.toMargin = std::abs(offsetOf(transition.getTo()) - offset) + 1000.0;
    }
    if (!(span.from <= utcMs && utcMs < span.to)) return;
    spans_[spanNext_] = span;
    spanNext_ = (spanNext_ + 1) % kSpans;
    if (spanCount_ < kSpans) ++spanCount_;
}

bool DateContext::zoneOffset(double ms, bool wall, int32_t& offset) {
    for (int i = 0; i < spanCount_; ++i) {
        const OffsetSpan& span = spans_[i];
        const bool inside =
            wall ? span.from + span.fromMargin <= ms - span.offset && ms - span.offset < span.to - span.toMargin
                 : span.from <= ms && ms < span.to;
        if (inside) {
            offset = span.offset;
            return true;
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0, dst = 0;
    zone().getOffset(ms, wall, raw, dst, status);
    if (U_FAILURE(status)) return false;
    offset = raw + dst;
    if (std::isfinite(ms)) rememberSpan(wall ? ms - offset : ms);
    return true;
}

DateFields DateContext::fields(double seconds) {
    for (int i = 0; i < fieldsCount_; ++i)
        if (fieldsMemo_[i].seconds == seconds) return fieldsMemo_[i].fields;
    const DateFields f = computeFields(seconds);
    fieldsMemo_[fieldsNext_] = FieldsMemo{seconds, f};
    fieldsNext_ = (fieldsNext_ + 1) % kMemos;
    if (fieldsCount_ < kMemos) ++fieldsCount_;
    return f;
}

DateFields DateContext::computeFields(double seconds) {
    int32_t offset = 0;
    const bool known = zoneOffset(seconds * 1000.0, false, offset);
    const double local = std::floor(seconds + offset / 1000.0);
    long long y = 0;
    unsigned m = 0, d = 0;
    if (known && std::isfinite(local)) {
        const long long days = floorDiv(static_cast<long long>(local), 86400);
        civilFromDays(days, y, m, d);
        if (y >= kFirstPlainYear && y <= kLastPlainYear) {
            const long long secondOfDay = static_cast<long long>(local) - days * 86400;
            return DateFields{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                              static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60)};
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(seconds * 1000.0, status);
    return DateFields{calendar_->get(UCAL_EXTENDED_YEAR, status), calendar_->get(UCAL_MONTH, status) + 1,
                      calendar_->get(UCAL_DATE, status), calendar_->get(UCAL_HOUR_OF_DAY, status),
                      calendar_->get(UCAL_MINUTE, status)};
}

double DateContext::fromFields(int year, int month, int day, int hour, int minute) {
    const DateFields asked{year, month, day, hour, minute};
    for (int i = 0; i < builtCount_; ++i)
        if (std::memcmp(&asked, &builtMemo_[i].fields, sizeof asked) == 0) return builtMemo_[i].seconds;
    const double seconds = computeFromFields(asked);
    builtMemo_[builtNext_] = BuiltMemo{asked, seconds};
    builtNext_ = (builtNext_ + 1) % kMemos;
    if (builtCount_ < kMemos) ++builtCount_;
    return seconds;
}

double DateContext::computeFromFields(const DateFields& f) {
    // Lenient: months past 12 carry into years, days, hours and minutes into the days.
    const long long y = f.year + floorDiv(f.month - 1LL, 12), m = f.month - 1LL - floorDiv(f.month - 1LL, 12) * 12;
    if (y >= kFirstPlainYear && y <= kLastPlainYear) {
        const long long days = daysFromCivil(y, static_cast<unsigned>(m + 1), 1) + f.day - 1LL;
        const double wall = static_cast<double>(days * 86400 + f.hour * 3600LL + f.minute * 60LL) * 1000.0;
        int32_t offset = 0;
        if (zoneOffset(wall, true, offset)) return (wall - offset) / 1000.0;  // a wall time, as the calendar reads it
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar_->clear();
    calendar_->set(UCAL_EXTENDED_YEAR, f.year);
    calendar_->set(UCAL_MONTH, f.month - 1);
    calendar_->set(UCAL_DATE, f.day);
    calendar_->set(UCAL_HOUR_OF_DAY, f.hour);
    calendar_->set(UCAL_MINUTE, f.minute);
    double ms = calendar_->getTime(status);
    return U_SUCCESS(status) ? ms / 1000.0 : 0.0;
}

int DateContext::utcOffset(double seconds) {
    int32_t offset = 0;
    return zoneOffset(seconds * 1000.0, false, offset) ? offset / 1000 : 0;
}

int DateContext::weekday(double seconds) {
    int32_t offset = 0;
    if (zoneOffset(seconds * 1000.0, false, offset)) {
        const double local = std::floor(seconds + offset / 1000.0);
        if (std::isfinite(local) && std::abs(local) < 1.0e12) {
            const long long days = floorDiv(static_cast<long long>(local), 86400);
            long long y = 0;
            unsigned m = 0, d = 0;
            civilFromDays(days, y, m, d);
            // Day 0, 1 January 1970, was a Thursday: 5 where Sunday is 1.
            if (y >= kFirstPlainYear && y <= kLastPlainYear)
                return static_cast<int>(days + 4 - floorDiv(days + 4, 7) * 7) + 1;
        }
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar_->setTime(seconds * 1000.0, status);
    return calendar_->get(UCAL_DAY_OF_WEEK, status);
}

}  // namespace linecal
