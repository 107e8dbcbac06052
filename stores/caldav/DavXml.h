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

// The resources of a 207 reply; nothing, with `problem` set (the cause, for the discovery's
// StoreError), when it is not a multi-status document or declares a document type or entities. Texts are capped: a
// display name at 1 KiB, a colour at 64 bytes (a longer one is dropped), an href at 8 KiB (a longer one drops its
// resource); at most 10,000 resources.
std::optional<std::vector<Resource>> parseMultistatus(const std::string& xml, std::string* problem);

// The first status in a multi-status reply that is not a success (507, say); 0 when every
// status it carries is one, 500 when it cannot be read.
long multistatusFailure(const std::string& xml);

// Whether the text holds a DOCTYPE or ENTITY declaration, in any case.
bool declaresDocumentType(const std::string& xml);

}  // namespace linecal::dav
