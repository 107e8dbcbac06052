// What the EDS calendar tests set up and read back on their private session bus, through EDS's
// own libraries rather than linecal's: sources committed to the registry, objects read from
// the calendar daemon, the daemons' process ids.
#pragma once

#include <string>
#include <vector>

namespace linecal::testing {

struct NewSource {
    std::string title;
    bool tasks = false;  // a task list; otherwise a calendar
    std::string backend = "local";
    std::string parent = "local-stub";
    std::string user = {};  // the sign-in, for an account's calendar
    std::string host = {};
    bool enabled = true;
};

// Commits a new source and waits until the registry lists it; its UID.
std::string addSource(const NewSource& wanted);

// The object saved under `uid`, as iCalendar text (the VEVENT or VTODO alone); empty when none.
std::string readObject(const std::string& sourceUid, bool tasks, const std::string& uid);
// Every object in the source, each as iCalendar text.
std::vector<std::string> readObjects(const std::string& sourceUid, bool tasks);
// Number of objects in the source.
int countObjects(const std::string& sourceUid, bool tasks);
// The zone as the source keeps it (its VTIMEZONE text); empty when the source has none so named.
std::string readZone(const std::string& sourceUid, bool tasks, const std::string& tzid);

// The process that owns a bus name, 0 when none does.
int ownerPid(const char* name);
// Stops the process that owns the name and waits (bounded) until the name is free; false when
// it did not go.
bool stopOwner(const char* name);

}  // namespace linecal::testing
