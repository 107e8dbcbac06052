// Pins ICU's default locale and time zone for one test, makes local dates, and gives temporary
// folders and the files in them.
#pragma once

#include "parse/Date.h"

#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// A fresh folder, removed with all it holds (made writable first) when the test ends.
struct TempDir {
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "linecal-test-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto& entry : fs::recursive_directory_iterator(path, ec))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::filesystem::path path;
};

}  // namespace linecal::testing
