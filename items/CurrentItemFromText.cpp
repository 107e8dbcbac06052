// Kept apart from the building so that code working from ready records needs no parser.
#include "items/CurrentItem.h"

#include "parse/ParseEntry.h"

namespace linecal {

std::unique_ptr<CalendarItem> currentItem(const icu::UnicodeString& text, Date now,
                                          const ItemSettings& settings, const CalendarStore& store) {
    return currentItemFromEntry(parseEntry(text, now), settings, store);
}

}  // namespace linecal
