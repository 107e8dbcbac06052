// Calendars, events, tasks and alarms as the rest of linecal sees them.
#pragma once

#include "parse/Date.h"
#include "parse/Recurrence.h"

#include <unicode/unistr.h>

#include <memory>
#include <optional>
#include <vector>

namespace linecal {

// Calendar types. Compare a calendar's `type` with these.
inline constexpr char16_t CalCalendarTypeLocal[] = u"Local";
inline constexpr char16_t CalCalendarTypeCalDAV[] = u"CalDAV";
inline constexpr char16_t CalCalendarTypeExchange[] = u"Exchange";
inline constexpr char16_t CalCalendarTypeIMAP[] = u"IMAP";
inline constexpr char16_t CalCalendarTypeBirthday[] = u"Birthday";
inline constexpr char16_t CalCalendarTypeSubscription[] = u"Subscription";

struct Calendar {
    icu::UnicodeString uid;    // stable; kept in the settings
    icu::UnicodeString title;  // display name
    icu::UnicodeString type;   // one of the CalCalendarType… strings
    std::optional<icu::UnicodeString> notes;
    bool isEditable = true;
};

// Items point at the store's calendar objects; nobody changes a calendar through an item.
using CalendarRef = std::shared_ptr<const Calendar>;

enum class AlarmAction { Display, Sound, Email };

class Alarm {
public:
    virtual ~Alarm() = default;
    // The text shown for the alarm wherever alarms are listed.
    virtual icu::UnicodeString description() const;

    double relativeTrigger = 0;  // seconds from the item's start; negative is before
    std::optional<AlarmAction> action;
    std::optional<icu::UnicodeString> sound;
    std::optional<icu::UnicodeString> emailAddress;
};

// An alarm made from a typed marker; it shows the user's own notation ("15m").
class ZQCalAlarm : public Alarm {
public:
    icu::UnicodeString description() const override { return relativeTime; }
    icu::UnicodeString relativeTime;
};

using AlarmRef = std::shared_ptr<Alarm>;

class CalendarItem {
public:
    virtual ~CalendarItem() = default;

    std::optional<icu::UnicodeString> title;
    CalendarRef calendar;          // may be null
    std::vector<AlarmRef> alarms;  // the very objects set, in order
    icu::UnicodeString uid;        // empty until a store saved the item
    // The calendar the entry named in brackets when no calendar of that name was found (the
    // item then has the default calendar); a store that cannot list all calendars refuses it.
    std::optional<icu::UnicodeString> unfoundCalendar;
    // The rule the item repeats by; its start (or due date) is the first occurrence.
    std::optional<Recurrence> recurrence;
    // Why a repetition the entry asked for made no rule, for the preview to say.
    std::optional<icu::UnicodeString> notRepeated;
    // Dates the entry typed that name no day ("Feb 30"); they stay in the title.
    std::vector<icu::UnicodeString> notDates;

protected:
    CalendarItem() = default;
    CalendarItem(const CalendarItem&) = default;
    CalendarItem& operator=(const CalendarItem&) = default;
};

class Event : public CalendarItem {
public:
    std::optional<Date> startDate;
    std::optional<Date> endDate;
    bool isAllDay = false;
    std::optional<icu::UnicodeString> location;
};

class Task : public CalendarItem {
public:
    std::optional<Date> dueDate;
};

}  // namespace linecal
