#include "items/Descriptions.h"

#include "items/RepetitionWords.h"
#include "parse/DateContext.h"
#include "parse/DateHelpers.h"

namespace linecal {
namespace {

// The formatters live with the thread's date context, which remakes them when the
// default locale or time zone changes.
icu::UnicodeString format(Date date, bool withTime) {
    return DateContext::current().formatShort(date.seconds, withTime);
}

icu::UnicodeString calendarPrefix(const CalendarItem& item) {
    if (!item.calendar) return {};
    return icu::UnicodeString(u"[") + item.calendar->title + u"] ";
}

icu::UnicodeString eventLine(const Event& event, Date now) {
    icu::UnicodeString line = calendarPrefix(event);
    if (!event.title || event.title->isEmpty()) {
        // An example of what the line understands.
        return line + u"Buy groceries at " + format(tomorrowAt4pm(now), false);
    }
    line += *event.title;
    if (event.location) line += icu::UnicodeString(u" at ") + *event.location;
    const bool withTime = !event.isAllDay;
    if (event.startDate && event.endDate && *event.startDate == *event.endDate) {
        line += icu::UnicodeString(u" at ") + format(*event.startDate, withTime);
    } else if (event.startDate && event.endDate) {
        line += icu::UnicodeString(u" from ") + format(*event.startDate, withTime) + u" to " +
                format(*event.endDate, withTime);
    } else if (event.startDate) {
        line += icu::UnicodeString(u" at ") + format(*event.startDate, withTime);
    }
    if (event.recurrence) line += icu::UnicodeString(u", ") + repetitionWords(*event.recurrence);
    return line;
}

icu::UnicodeString taskLine(const Task& task) {
    icu::UnicodeString line = calendarPrefix(task);
    if (task.title) line += *task.title;
    if (task.dueDate) line += icu::UnicodeString(u" by ") + format(*task.dueDate, false);
    if (task.recurrence) line += icu::UnicodeString(u", ") + repetitionWords(*task.recurrence);
    return line;
}

}  // namespace

icu::UnicodeString ZQeventLine(const CalendarItem& item, Date now) {
    if (auto* event = dynamic_cast<const Event*>(&item)) return eventLine(*event, now);
    if (auto* task = dynamic_cast<const Task*>(&item)) return taskLine(*task);
    return {};
}

icu::UnicodeString ZQalarmLine(const CalendarItem& item) {
    if (item.alarms.empty()) return u"No alarms";
    icu::UnicodeString line;
    for (std::size_t i = 0; i < item.alarms.size(); ++i) {
        if (i > 0) line += u", ";
        if (item.alarms[i]) line += item.alarms[i]->description();
    }
    line += item.alarms.size() == 1 ? u" alarm" : u" alarms";
    return line;
}

icu::UnicodeString ZQwarningLine(const CalendarItem& item) {
    if (item.notDates.empty()) return {};
    icu::UnicodeString line;
    for (std::size_t i = 0; i < item.notDates.size(); ++i) {
        if (i > 0) line += i + 1 == item.notDates.size() ? u" and " : u", ";
        line += item.notDates[i];
    }
    line += item.notDates.size() == 1 ? u" is not a date" : u" are not dates";
    return line;
}

icu::UnicodeString ZQotherReadingLine(const CalendarItem& other, const CalendarItem& item) {
    icu::UnicodeString line(u"or ");
    if (other.title != item.title && other.title) line += *other.title + u" ";
    if (auto* task = dynamic_cast<const Task*>(&other)) {
        if (task->dueDate) line += format(*task->dueDate, false);
    } else if (auto* event = dynamic_cast<const Event*>(&other); event && event->startDate) {
        const bool withTime = !event->isAllDay;
        line += format(*event->startDate, withTime);
        if (event->endDate && *event->endDate != *event->startDate) line += u" to " + format(*event->endDate, withTime);
    }
    line.trim();
    return line + u"?";
}

icu::UnicodeString ZQdescription(const CalendarItem& item, Date now) {
    icu::UnicodeString text = ZQeventLine(item, now);
    if (!item.alarms.empty()) text += icu::UnicodeString(u" ") + ZQalarmLine(item);
    return text;
}

}  // namespace linecal
