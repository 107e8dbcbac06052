// The item one keystroke in the entry line makes, shared by the dialog and the command line.
#pragma once

#include "items/CalendarStore.h"
#include "parse/ParsedEntry.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace linecal {

// The settings that shape an item, read by the caller at the moment of use.
struct ItemSettings {
    bool alarmEnabled = true;
    std::int32_t alarmMinutes = 30;
    // Receives items whose entry names no calendar; ignored when the store has no such calendar.
    std::optional<icu::UnicodeString> targetCalendarUID;
    // Added to an event whose start equals its end.
    std::int32_t eventLengthMinutes = 0;
    AlarmAction alarmAction = AlarmAction::Display;
    std::optional<icu::UnicodeString> alarmSound;
    std::optional<icu::UnicodeString> alarmEmail;
    icu::UnicodeString calAppName = u"iCal";
    // Numeric dates read with day and month the other way round from the locale's order.
    bool otherNumericOrder = false;
};

// The record with the default alarm added under its "<minutes>m" key, replacing a typed alarm
// with the same key; unchanged when the default alarm is off.
ParsedEntry withDefaultAlarm(ParsedEntry entry, const ItemSettings& settings);

// Parse, add the default alarm, build, then complete the item with the settings.
std::unique_ptr<CalendarItem> currentItem(const icu::UnicodeString& text, Date now, const ItemSettings& settings,
                                          const CalendarStore& store);
// The same from an already parsed record.
std::unique_ptr<CalendarItem> currentItemFromEntry(ParsedEntry entry, const ItemSettings& settings,
                                                   const CalendarStore& store);

// The item of one of the line's other readings, with the entry text that reads that way.
struct OtherReading {
    Choice choice;
    icu::UnicodeString text;
    std::unique_ptr<CalendarItem> item;
};
struct ItemReadings {
    std::unique_ptr<CalendarItem> item;
    std::vector<OtherReading> others;  // where the reading chose; most lines have none
};
// As currentItem, with the items the line's other readings give (at most `most` of them).
ItemReadings currentReadings(const icu::UnicodeString& text, Date now, const ItemSettings& settings,
                             const CalendarStore& store, std::size_t most = SIZE_MAX);

}  // namespace linecal
