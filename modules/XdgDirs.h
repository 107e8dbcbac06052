// The user's base folders by the XDG rules, for every place that keeps a file of the user's:
// settings, accounts, calendars, the server cache, statistics, the autostart entry.
#pragma once

#include <filesystem>

namespace linecal {

enum class XdgDir { Config, Data, Cache, State };

// $XDG_CONFIG_HOME (and the others) when it is an absolute path (a relative one is invalid by
// the XDG rules and ignored), else its default under $HOME (~/.config, ~/.local/share,
// ~/.cache, ~/.local/state). Without a HOME the defaults hang under /, as Qt's home folder does.
std::filesystem::path xdgDir(XdgDir dir);

}  // namespace linecal
