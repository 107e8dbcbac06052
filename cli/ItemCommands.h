// `linecal preview`, `linecal add` and `linecal calendars`, with the global --store and --config.
#pragma once

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerItemCommands(CLI::App& app);

}  // namespace linecal::cli
