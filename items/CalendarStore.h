// What linecal needs of a calendar store: list calendars, save events and tasks.
#pragma once

#include "items/Calendar.h"
#include "items/Problem.h"

#include <string>
#include <vector>

namespace linecal {

// A store's Problem, with what a front end needs to word the remedy its own way or to retry.
struct StoreError : Problem {
    using Problem::Problem;

    // Failures whose remedy each front end words its own way (a terminal option, a preferences
    // pane) say which they are; `path` is the file or folder concerned.
    enum class Kind { Other, NoCalendar, RootNotAFolder };
    Kind kind = Kind::Other;
    std::string path;
    // The request went out and no answer told what became of it: the item may be stored, under
    // `uid`. Saving it again with that identifier is safe; a fresh one could store it twice.
    bool outcomeUnknown = false;
    icu::UnicodeString uid;
};

// Span of a save: this occurrence only.
inline constexpr int CalSpanThisEvent = 0;

class CalendarStore {
public:
    virtual ~CalendarStore() = default;

    // All calendars in a stable order; may be empty.
    virtual std::vector<CalendarRef> calendars() const = 0;
    // The calendar with exactly this identifier, or null.
    virtual CalendarRef calendarWithUID(const icu::UnicodeString& uid) const;
    // Forgets what the store remembers of its calendars, so the next listing sees changes made
    // by other programs. Long-running callers call it when the user opens a view of them.
    virtual void reload() {}

    // On success the item has a uid. On failure `error` (when given) says why and what to do;
    // the item and the store are as before.
    virtual bool saveEvent(Event& event, int span, StoreError* error) = 0;
    virtual bool saveTask(Task& task, StoreError* error) = 0;
};

// Saves an event or a task through the matching operation.
bool saveItem(CalendarStore& store, CalendarItem& item, StoreError* error);

}  // namespace linecal
