// Kept apart from the building so that code working from ready records needs no parser.
#include "items/CurrentItem.h"

#include "parse/Alternatives.h"
#include "parse/ParseEntry.h"

namespace linecal {

std::unique_ptr<CalendarItem> currentItem(const icu::UnicodeString& text, Date now, const ItemSettings& settings,
                                          const CalendarStore& store) {
    return currentItemFromEntry(parseEntry(text, now, {settings.otherNumericOrder}), settings, store);
}

ItemReadings currentReadings(const icu::UnicodeString& text, Date now, const ItemSettings& settings,
                             const CalendarStore& store, std::size_t most) {
    const ParseOptions options{settings.otherNumericOrder};
    ParsedEntry record = parseEntry(text, now, options);
    std::vector<Alternative> alternatives = alternativesOf(text, record, now, options, most);
    ItemReadings readings{currentItemFromEntry(std::move(record), settings, store), {}};
    for (Alternative& a : alternatives)
        readings.others.push_back(
            {a.choice, std::move(a.text), currentItemFromEntry(std::move(a.record), settings, store)});
    return readings;
}

}  // namespace linecal
