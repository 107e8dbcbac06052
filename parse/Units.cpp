#include "parse/ParseState.h"

#include <unicode/uchar.h>

#include <array>
#include <limits>
#include <string_view>
#include <utility>

namespace linecal {

std::int32_t unitSeconds(const icu::UnicodeString& unit) {
    static constexpr std::array<std::pair<std::u16string_view, std::int32_t>, 14> table{{
        {u"m", 60},
        {u"min", 60},
        {u"minute", 60},
        {u"minutes", 60},
        {u"h", 3600},
        {u"hr", 3600},
        {u"hour", 3600},
        {u"hours", 3600},
        {u"d", 86400},
        {u"day", 86400},
        {u"days", 86400},
        {u"w", 604800},
        {u"week", 604800},
        {u"weeks", 604800},
    }};
    const std::u16string_view text(unit.getBuffer(), static_cast<std::size_t>(unit.length()));
    for (const auto& [name, seconds] : table)
        if (text == name) return seconds;  // exact, case-sensitive
    return 0;
}

std::int32_t leadingInt(const icu::UnicodeString& digits) {
    std::int64_t value = 0;
    for (int32_t i = 0; i < digits.length(); ++i) {
        int32_t d = u_charDigitValue(digits.char32At(i));
        if (d < 0 || !u_isdigit(digits.char32At(i))) break;
        value = value * 10 + d;
        if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
        if (U_IS_LEAD(digits[i])) ++i;
    }
    return static_cast<std::int32_t>(value);
}

double decimalValue(const icu::UnicodeString& number) {
    double value = 0, scale = 0;
    for (int32_t i = 0; i < number.length(); i = number.moveIndex32(i, 1)) {
        const UChar32 c = number.char32At(i);
        if (c == u'.' && scale == 0) {
            scale = 1;
            continue;
        }
        if (!u_isdigit(c)) break;
        if (scale == 0) {
            value = value * 10 + u_charDigitValue(c);
        } else {
            scale /= 10;
            value += scale * u_charDigitValue(c);
        }
    }
    return value;
}

}  // namespace linecal
