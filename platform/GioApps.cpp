#include "platform/GioApps.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace linecal::gio {

std::optional<AppInfo> defaultAppForType(const char* contentType) {
    GAppInfo* app = g_app_info_get_default_for_type(contentType, FALSE);
    if (!app) return std::nullopt;
    // GIO falls back to the handlers of parent types: text/calendar is a kind of text/plain, so
    // a text editor would do. Only an application chosen for, or claiming, this very type counts.
    GList* exact = g_app_info_get_recommended_for_type(contentType);
    bool claimsType = false;
    for (GList* entry = exact; entry && !claimsType; entry = entry->next) {
        claimsType = g_app_info_equal(app, G_APP_INFO(entry->data));
    }
    g_list_free_full(exact, g_object_unref);
    std::optional<AppInfo> result;
    if (claimsType) {
        result.emplace();
        if (const char* id = g_app_info_get_id(app)) result->id = id;
        if (const char* name = g_app_info_get_name(app)) result->name = name;
    }
    g_object_unref(app);
    return result;
}

bool launchApp(const std::string& desktopId, std::string* error) {
    GDesktopAppInfo* app = g_desktop_app_info_new(desktopId.c_str());
    if (!app) {
        if (error) *error = "its desktop entry " + desktopId + " is gone";
        return false;
    }
    GError* failure = nullptr;
    const bool started = g_app_info_launch(G_APP_INFO(app), nullptr, nullptr, &failure);
    if (!started && error) *error = failure ? failure->message : "it could not be started";
    if (failure) g_error_free(failure);
    g_object_unref(app);
    return started;
}

}  // namespace linecal::gio
