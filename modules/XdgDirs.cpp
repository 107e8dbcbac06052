#include "modules/XdgDirs.h"

#include <cstdlib>

namespace linecal {

std::filesystem::path xdgDir(XdgDir dir) {
    struct Rule {
        const char* variable;
        const char* underHome;
    };
    static constexpr Rule kRules[] = {{"XDG_CONFIG_HOME", ".config"},
                                      {"XDG_DATA_HOME", ".local/share"},
                                      {"XDG_CACHE_HOME", ".cache"},
                                      {"XDG_STATE_HOME", ".local/state"}};
    const Rule& rule = kRules[static_cast<int>(dir)];
    if (const char* set = std::getenv(rule.variable); set && set[0] == '/') return set;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && home[0] ? home : "/") / rule.underHome;
}

}  // namespace linecal
