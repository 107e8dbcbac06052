// Pins ICU's default time zone and locale for a test, and builds local dates.
#pragma once

#include "parse/Date.h"
#include "parse/ParseEntry.h"

#include <gtest/gtest.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>
#include <string>

namespace linecal::testing {

class PinnedZoneAndLocale {
public:
    PinnedZoneAndLocale(const char* zone, const char* locale)
        : savedZone_(icu::TimeZone::createDefault()), savedLocale_(icu::Locale::getDefault()) {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone)));
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
    }
    ~PinnedZoneAndLocale() {
        icu::TimeZone::adoptDefault(savedZone_.release());
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(savedLocale_, status);
    }

private:
    std::unique_ptr<icu::TimeZone> savedZone_;
    icu::Locale savedLocale_;
};

// A wall-clock time in ICU's current default zone.
inline Date local(int y, int mo, int d, int h = 12, int mi = 0, int s = 0) {
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar cal(icu::TimeZone::createDefault(), status);
    cal.clear();
    cal.set(y, mo - 1, d, h, mi, s);
    return Date{cal.getTime(status) / 1000.0};
}

inline std::string u8(const icu::UnicodeString& s) {
    std::string out;
    return s.toUTF8String(out);
}

// The fixed moment most cases run at: Wednesday 10 March 2010, 15:00, in a zone
// whose clocks go forward four days later.
// One line and what it must read as.
struct Reading {
    const char* text;
    Date from, to;
    bool allDay;
    const char* title;
};

class ParseFixture : public ::testing::Test {
protected:
    PinnedZoneAndLocale pin_{"America/Los_Angeles", "en_US"};
    Date now_ = local(2010, 3, 10, 15, 0);

    template <std::size_t N>
    void expectReadings(const Reading (&cases)[N], Date now) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.text);
            ParsedEntry e = parseEntry(icu::UnicodeString::fromUTF8(c.text), now);
            EXPECT_EQ(e.fromDate, c.from);
            EXPECT_EQ(e.toDate, c.to);
            EXPECT_EQ(e.allDay, c.allDay);
            EXPECT_EQ(u8(e.title), c.title);
            EXPECT_GE(e.toDate, e.fromDate);
        }
    }
    template <std::size_t N>
    void expectReadings(const Reading (&cases)[N]) {
        expectReadings(cases, now_);
    }
};

}  // namespace linecal::testing
