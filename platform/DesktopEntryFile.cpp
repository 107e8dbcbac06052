#include "platform/DesktopEntryFile.h"

#include <glib.h>

namespace linecal::gio {

std::optional<DesktopEntryFacts> readDesktopEntry(const std::string& path) {
    GKeyFile* file = g_key_file_new();
    std::optional<DesktopEntryFacts> facts;
    if (g_key_file_load_from_file(file, path.c_str(), G_KEY_FILE_NONE, nullptr) &&
        g_key_file_has_group(file, G_KEY_FILE_DESKTOP_GROUP)) {
        facts.emplace();
        facts->hidden = g_key_file_get_boolean(file, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_HIDDEN, nullptr);
        if (gchar* exec = g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr)) {
            gchar** argv = nullptr;
            if (g_shell_parse_argv(exec, nullptr, &argv, nullptr) && argv && argv[0]) facts->program = argv[0];
            g_strfreev(argv);
            g_free(exec);
        }
    }
    g_key_file_free(file);
    return facts;
}

}  // namespace linecal::gio
