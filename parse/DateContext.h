// Per-thread ICU objects for date work: a lenient Gregorian calendar in the
// default time zone and the default locale's date order. Built once and rebuilt
// only when the default zone or locale changes, so a keystroke never pays for them.
#pragma once

#include <unicode/datefmt.h>
#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <memory>
#include <string>

namespace linecal {

struct DateFields {
    int year, month, day, hour, minute;  // month is 1-based
};

class DateContext {
public:
    // The context for the calling thread, refreshed if zone or locale changed.
    static DateContext& current();

    // While one lives on a thread, current() skips the check for a changed zone
    // or locale (cloning the default zone costs more than the field work that
    // asks): one parse reads them once, as it reads the clock once.
    class Pin {
    public:
        Pin();
        ~Pin();
        Pin(const Pin&) = delete;
        Pin& operator=(const Pin&) = delete;

    private:
        DateContext* previous_;
    };

    DateFields fields(double seconds);
    // Builds a date from fields, carrying out-of-range values; second 0.
    double fromFields(int year, int month, int day, int hour, int minute);
    // Made on first use: the locale's date formats are costly to load, and most
    // entries hold no numeric date.
    const std::string& dateOrder();
    int weekday(double seconds);  // 1 = Sunday .. 7 = Saturday
    // The zone's offset from UTC at that instant, daylight saving included, in seconds.
    int utcOffset(double seconds);
    const icu::TimeZone& zone() const { return calendar_->getTimeZone(); }
    // The zone's offset in milliseconds at a UTC instant, or for a wall-clock
    // time (`wall`), as the zone's getOffset gives them; false when ICU fails.
    bool zoneOffset(double ms, bool wall, int32_t& offset);
    // The locale's short date style, with or without the short time style; empty
    // text if ICU has no formatter for the locale.
    icu::UnicodeString formatShort(double seconds, bool withTime);

private:
    void rebuild(icu::TimeZone* zone, const char* localeName);
    DateFields computeFields(double seconds);
    icu::UnicodeString formatShortUncached(double seconds, bool withTime);
    double computeFromFields(const DateFields& f);

    std::unique_ptr<icu::GregorianCalendar> calendar_;
    icu::UnicodeString zoneId_;
    std::string localeName_;
    std::string dateOrder_;
    std::unique_ptr<icu::DateFormat> dateOnly_, dateTime_;  // made on first use
    // The preview formats the same dates on keystroke after keystroke.
    struct FormatMemo {
        double seconds;
        bool withTime;
        icu::UnicodeString text;
    };
    static constexpr int kFormatMemos = 4;
    FormatMemo formatMemo_[kFormatMemos];
    int formatCount_ = 0, formatNext_ = 0;
    // A parse asks for the fields of `now`, noon and midnight of today and
    // tomorrow again and again, and a batch asks the same of every line: a few
    // answers of each kind are kept, replaced in turn.
    static constexpr int kMemos = 8;
    struct FieldsMemo {
        double seconds;
        DateFields fields;
    };
    struct BuiltMemo {
        DateFields fields;
        double seconds;
    };
    FieldsMemo fieldsMemo_[kMemos];
    BuiltMemo builtMemo_[kMemos];
    int fieldsCount_ = 0, fieldsNext_ = 0, builtCount_ = 0, builtNext_ = 0;
    // Stretches of UTC time between two transitions of the zone, with their
    // offset: between transitions the offset is one value, so asking ICU once
    // per stretch is enough.
    struct OffsetSpan {
        double from, to;              // [from, to) in UTC milliseconds
        int32_t offset;               // raw plus daylight saving
        double fromMargin, toMargin;  // how far from each end a wall-clock time is unambiguous
    };
    static constexpr int kSpans = 16;
    OffsetSpan spans_[kSpans];
    int spanCount_ = 0, spanNext_ = 0;
    void rememberSpan(double utcMs);
};

}  // namespace linecal
