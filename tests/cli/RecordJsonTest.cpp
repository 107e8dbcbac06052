// The direct JSON writer of `parse` against the JSON tree's dump it replaced:
// the same bytes for random records, strings and dates.
#include "cli/CliSupport.h"
#include "cli/RecordJson.h"
#include "parse/DateContext.h"
#include "text/Utf8.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <random>

namespace linecal::cli {
namespace {

// What the command printed before: a tree dumped with invalid UTF-8 replaced.
std::string treeDump(const ParsedEntry& e) {
    nlohmann::json j = nlohmann::json::object();
    j[VOK_TITLE] = toUtf8(e.title);
    j[VOK_FROM_DATE] = rfc3339(e.fromDate);
    j[VOK_TO_DATE] = rfc3339(e.toDate);
    j[VOK_ALL_DAY] = e.allDay;
    j[VOK_TASK] = e.task;
    nlohmann::json alarms = nlohmann::json::object();
    for (const auto& [marker, minutes] : e.alarms) alarms[toUtf8(marker)] = minutes;
    j[VOK_ALARMS] = alarms;
    if (e.calendar) j[VOK_CALENDAR] = toUtf8(*e.calendar);
    if (e.location) j[VOK_LOCATION] = toUtf8(*e.location);
    if (!e.read.empty()) {
        nlohmann::json read = nlohmann::json::array();
        for (const auto& phrase : e.read) read.push_back(toUtf8(phrase));
        j[VOK_READ] = read;
    }
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Text weighted towards what JSON escapes: controls, quotes, backslashes, DEL,
// non-ASCII, surrogate pairs and lone surrogates.
icu::UnicodeString randomText(std::mt19937& rng) {
    static const char16_t pool[] = {u'a', u'Z', u' ', u'"', u'\\', u'/',   0x00,   0x01,   0x08,   0x09,   0x0A,
                                    0x0C, 0x0D, 0x1F, 0x7F, 0xE9,  0x2028, 0xFFFD, 0xD83C, 0xDF89, 0xDC00, 0xD800};
    icu::UnicodeString s;
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) s.append(pool[rng() % (sizeof pool / sizeof pool[0])]);
    return s;
}

Date randomDate(std::mt19937& rng) {
    // 1600 to 2400 mostly, now and then years outside four digits.
    const double span = rng() % 10 == 0 ? 4.0e11 : 2.5e10;
    return Date{std::uniform_real_distribution<double>(-span, span)(rng) + (rng() % 2 ? 0.5 : 0.0)};
}

class RecordJsonTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousZone_.reset(icu::TimeZone::createDefault());
        previousLocale_ = icu::Locale::getDefault();
    }
    void TearDown() override {
        icu::TimeZone::setDefault(*previousZone_);
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(previousLocale_, status);
    }
    static void useZone(const char* id) { icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(id)); }

private:
    std::unique_ptr<icu::TimeZone> previousZone_;
    icu::Locale previousLocale_;
};

TEST_F(RecordJsonTest, SameBytesAsTheTreeDumpForRandomRecords) {
    std::mt19937 rng(15);
    // Zones west and east of UTC, one with half hours, one with a quarter hour and one without daylight saving.
    for (const char* zone : {"America/Los_Angeles", "Europe/Berlin", "Asia/Kolkata", "Asia/Kathmandu", "UTC"}) {
        useZone(zone);
        for (int i = 0; i < 2000; ++i) {
            ParsedEntry e;
            e.title = randomText(rng);
            e.fromDate = randomDate(rng);
            e.toDate = randomDate(rng);
            e.allDay = rng() % 2;
            e.task = rng() % 2;
            for (int a = static_cast<int>(rng() % 4); a > 0; --a)
                e.alarms[rng() % 3 ? icu::UnicodeString::fromUTF8(std::to_string(rng() % 200) + "mhdw"[rng() % 4])
                                   : randomText(rng)] = static_cast<std::int32_t>(rng());
            if (rng() % 2) e.calendar = randomText(rng);
            if (rng() % 2) e.location = randomText(rng);
            for (int r = static_cast<int>(rng() % 3); r > 0; --r) e.read.push_back(randomText(rng));
            std::string direct;
            appendRecordJson(direct, e);
            ASSERT_EQ(treeDump(e), direct) << zone << " record " << i;
        }
    }
}

TEST_F(RecordJsonTest, DatesAcrossDaylightSavingAndDayEdges) {
    useZone("America/Los_Angeles");
    std::string out;
    appendRfc3339(out, Date{1268560800.0});  // 2010-03-14 01:59:59 -08:00 plus one second: the switch
    EXPECT_EQ(out, "2010-03-14T03:00:00-07:00");
    for (double s = 1268560800.0 - 7200; s < 1268560800.0 + 7200; s += 599.5) {
        out.clear();
        appendRfc3339(out, Date{s});
        EXPECT_EQ(out, rfc3339(Date{s})) << s;
    }
}

}  // namespace
}  // namespace linecal::cli
