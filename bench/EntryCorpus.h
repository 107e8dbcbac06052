// Realistic entry lines for the benchmarks: short and long, every phase represented.
#pragma once

#include "parse/Date.h"

#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace linecal::bench {

// Wednesday 10 March 2010, 15:00 in Los Angeles, where every run pins the zone and locale.
inline constexpr Date kNow{1268262000.0};

inline void pinZoneAndLocale() {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("America/Los_Angeles"));
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
}

// The lines of bench/entry-corpus.txt, which the chrono-node comparison reads too.
inline const std::vector<std::string>& entryCorpus() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> result;
        std::ifstream in(LINECAL_ENTRY_CORPUS);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) result.push_back(line);
        if (result.empty()) throw std::runtime_error("cannot read " LINECAL_ENTRY_CORPUS);
        return result;
    }();
    return lines;
}

}  // namespace linecal::bench
