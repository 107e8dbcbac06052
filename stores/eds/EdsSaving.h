// Saving one calendar object into an EDS source, bounded in time: a save that has not ended
// when the limit passes is cancelled, and one whose object may have reached the daemon says so.
#pragma once

#include <chrono>
#include <string>

namespace linecal::eds {

struct SaveOutcome {
    enum class Result {
        Saved,
        Unreachable,  // the daemons could not be reached or started; nothing was sent
        Gone,         // the source is not in the registry (any more)
        ReadOnly,     // the backend takes no new objects
        Duplicate,    // an object with the identifier exists
        Refused,      // the backend answered with an error
        TimedOut,     // the limit passed
        Died,         // the daemon went away before it answered
    };
    Result result = Result::Refused;
    std::string uid;    // the identifier EDS gave the saved object
    std::string why;    // what EDS said, for the message
    bool sent = false;  // the object itself went out: after a time-out or a death it may be stored
};

// `icalendar` is a VCALENDAR holding the zones it uses and one VEVENT (or VTODO, with `tasks`).
SaveOutcome saveComponent(const std::string& sourceUid, bool tasks, const std::string& icalendar,
                          std::chrono::milliseconds limit);

}  // namespace linecal::eds
