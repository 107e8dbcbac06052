#include "items/Calendar.h"

#include "text/Utf8.h"

namespace linecal {

icu::UnicodeString Alarm::description() const {
    // A store alarm nobody typed: show its offset in whole minutes before the start.
    icu::UnicodeString text;
    text += fromUtf8(std::to_string(static_cast<long long>(-relativeTrigger / 60)));
    text += u"m";
    return text;
}

}  // namespace linecal
