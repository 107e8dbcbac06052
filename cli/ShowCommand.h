// `linecal show` and `linecal prefs`: the desktop program's entry dialog or preferences, from a
// terminal or a desktop shortcut.
#pragma once

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerShowCommand(CLI::App& app);

}  // namespace linecal::cli
