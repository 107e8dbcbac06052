#pragma once

#include "parse/ParsedEntry.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace linecal::cli {

// The record as one JSON object keyed by the record's key strings.
nlohmann::json recordJson(const ParsedEntry& entry);
void registerParseCommand(CLI::App& app);

}  // namespace linecal::cli
