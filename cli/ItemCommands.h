// `linecal preview`, `linecal add` and `linecal calendars`, with the global --store and --config.
// Their options live here; their work runs in the items module (cli/items/), loaded on use.
#pragma once

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerItemCommands(CLI::App& app);

}  // namespace linecal::cli
