// Helpers shared by the regex suites: short spellings and an independent
// oracle (ICU's C++ matcher) to compare the service against.
#pragma once

#include "regex/RegexService.h"

#include <unicode/regex.h>

#include <string>
#include <vector>

namespace rxtest {

using icu::UnicodeString;
using Utf8List = std::vector<std::string>;

inline UnicodeString U(const std::string& utf8) { return UnicodeString::fromUTF8(utf8); }

inline std::string S(const UnicodeString& s) {
    std::string out;
    return s.toUTF8String(out);
}

inline Utf8List S(const linecal::rx::Strings& v) {
    Utf8List out;
    for (const auto& s : v) out.push_back(S(s));
    return out;
}

// Every non-empty match of group 0, as ICU's own matcher finds them.
inline Utf8List oracleMatches(const UnicodeString& pattern, const UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    icu::RegexMatcher m(pattern, text, 0, status);
    Utf8List out;
    while (U_SUCCESS(status) && m.find()) {
        UnicodeString g = m.group(status);
        if (g.length() > 0) out.push_back(S(g));
    }
    return out;
}

inline UnicodeString oracleReplace(const UnicodeString& pattern, const UnicodeString& text,
                                   const UnicodeString& replacement) {
    UErrorCode status = U_ZERO_ERROR;
    icu::RegexMatcher m(pattern, text, 0, status);
    return m.replaceAll(replacement, status);
}

}  // namespace rxtest
