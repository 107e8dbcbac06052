#include "platform/GioApps.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace linecal::gio {
namespace {

// The application's own desktop entry lists the type in its MimeType key; no index of types
// need have read it yet (a program set with xdg-mime before update-desktop-database ran).
bool entryClaims(GAppInfo* app, const char* contentType) {
    const char* const* types = g_app_info_get_supported_types(app);
    for (int i = 0; types && types[i] && i < 4096; ++i) {
        if (g_str_equal(types[i], contentType)) return true;
    }
    return false;
}

}  // namespace

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
    if (!claimsType) claimsType = entryClaims(app, contentType);
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
