// `linecal preview`, `linecal add` and `linecal calendars`, with the global --store and --config.
// Their options live here; their work runs in the items module (cli/items/), loaded on use.
#pragma once

#include "cli/ItemRequest.h"

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerItemCommands(CLI::App& app);

// Runs the request in the items module, which is loaded now and not before, and returns the
// exit code: the module's, or Outcome::CannotRun's when it cannot be loaded.
int runInModule(const ItemRequest& request);

}  // namespace linecal::cli
