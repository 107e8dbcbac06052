// `linecal accounts add|list|remove`: the CalDAV accounts whose calendars linecal lists.
#pragma once

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerAccountsCommand(CLI::App& app);

}  // namespace linecal::cli
