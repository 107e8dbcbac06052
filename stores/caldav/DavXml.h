// The WebDAV and CalDAV XML linecal sends and reads: request bodies, and the properties of a
// multi-status reply read through libxml2.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace linecal::dav {

// PROPFIND bodies.
extern const char* const kPrincipalQuery;  // current-user-principal
extern const char* const kHomeSetQuery;    // calendar-home-set
extern const char* const kCalendarQuery;   // what a calendar list needs

// The properties one <response> reported with status 200.
struct Resource {
    std::string href;  // as sent; relative to the request's URL
    std::optional<std::string> principal;
    std::vector<std::string> homeSets;
    bool isCalendar = false;
    std::optional<std::string> displayName;
    std::optional<std::string> color;
    std::optional<std::vector<std::string>> components;  // VEVENT, VTODO, …
    std::optional<std::vector<std::string>> privileges;  // local names in the DAV: namespace

    // Whether the privileges allow adding items (write-content, or write or all which hold it).
    bool mayWriteContent() const;
};

// The resources of a 207 reply; nothing, with `problem` set, when it is not a multi-status document.
std::optional<std::vector<Resource>> parseMultistatus(const std::string& xml, std::string* problem);

}  // namespace linecal::dav
