// `linecal accounts add|list|remove`: the CalDAV accounts whose calendars linecal lists.
// The options live here; the work runs in the items module, which has the stores.
#pragma once

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerAccountsCommand(CLI::App& app);

}  // namespace linecal::cli
