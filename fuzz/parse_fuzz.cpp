// The parser on arbitrary input, read both as UTF-8 and as raw UTF-16.
#include "parse/ParseEntry.h"

#include <unicode/timezone.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool pinned = [] {
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("America/Los_Angeles"));
        return true;
    }();
    (void)pinned;
    const linecal::Date now{1268262000.0};
    auto check = [&](const icu::UnicodeString& text) {
        linecal::ParsedEntry e = linecal::parseEntry(text, now);
        if (e.toDate < e.fromDate || e.alarms.size() > 3) std::abort();
    };
    check(icu::UnicodeString::fromUTF8(icu::StringPiece(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))));
    std::vector<UChar> units(size / 2);
    if (!units.empty()) std::memcpy(units.data(), data, units.size() * sizeof(UChar));
    check(icu::UnicodeString(units.data(), static_cast<int32_t>(units.size())));
    return 0;
}
