// The one conversion between the UTF-8 of files, programs and the command line and ICU's
// UTF-16 strings, for the core and the stores. Header only: every library here links ICU.
#pragma once

#include <unicode/unistr.h>

#include <string>
#include <string_view>

namespace linecal {

// Invalid UTF-8 becomes U+FFFD, as ICU reads it.
inline icu::UnicodeString fromUtf8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

// Unpaired surrogates become U+FFFD.
inline std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace linecal
