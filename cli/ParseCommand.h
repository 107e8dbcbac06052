#pragma once

#include "parse/ParsedEntry.h"

#include <CLI/CLI.hpp>

namespace linecal::cli {

void registerParseCommand(CLI::App& app);

}  // namespace linecal::cli
