// The parser on arbitrary input, read both as UTF-8 and as raw UTF-16. Short
// inputs are also repeated into a line of 16 K units, where a phase that grows
// faster than linearly runs into -timeout; and the calendar tag's one-pass
// bounds must agree with its pattern. Each other reading must read otherwise.
#include "parse/Alternatives.h"
#include "parse/MatchHints.h"
#include "parse/ParseEntry.h"
#include "parse/Patterns.h"
#include "regex/RegexService.h"

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
        if (text.length() > 4096) return;
        for (const linecal::Alternative& a : linecal::alternativesOf(text, e, now)) {
            if (a.record.fromDate == e.fromDate && a.record.toDate == e.toDate && a.record.title == e.title &&
                a.record.allDay == e.allDay)
                std::abort();
        }
    };
    const icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(icu::StringPiece(reinterpret_cast<const char*>(data), static_cast<int32_t>(size)));
    check(text);
    std::vector<UChar> units(size / 2);
    if (!units.empty()) std::memcpy(units.data(), data, units.size() * sizeof(UChar));
    check(icu::UnicodeString(units.data(), static_cast<int32_t>(units.size())));

    if (text.length() <= 512) {  // the pattern alone is quadratic on long lines
        const auto bounds = linecal::hints::calendarTagBounds(text);
        const linecal::rx::Range match = linecal::rx::rangeOfRegex(text, linecal::patterns::calendarTag());
        if (bounds.has_value() != match.found()) std::abort();
        if (bounds && (static_cast<std::size_t>(bounds->first) != match.location ||
                       static_cast<std::size_t>(bounds->second) != match.length))
            std::abort();
    }
    if (!text.isEmpty() && text.length() <= 256) {
        icu::UnicodeString line;
        while (line.length() < (16 << 10)) line += text;
        check(line);
    }
    return 0;
}
