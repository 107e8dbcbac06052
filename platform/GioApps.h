// Default applications through GIO, kept apart from Qt's headers (whose keywords clash with
// GLib's).
#pragma once

#include <optional>
#include <string>

namespace linecal::gio {

struct AppInfo {
    std::string id;
    std::string name;
};

std::optional<AppInfo> defaultAppForType(const char* contentType);
// False with GIO's message when the entry is gone or its program cannot be started.
bool launchApp(const std::string& desktopId, std::string* error);

}  // namespace linecal::gio
