// Reading a desktop entry file through GLib, kept apart from Qt's headers.
#pragma once

#include <optional>
#include <string>

namespace linecal::gio {

struct DesktopEntryFacts {
    std::string program;  // the first word of Exec, unquoted
    bool hidden = false;  // Hidden=true
};

// Nothing when the file is missing or is not a desktop entry.
std::optional<DesktopEntryFacts> readDesktopEntry(const std::string& path);

}  // namespace linecal::gio
