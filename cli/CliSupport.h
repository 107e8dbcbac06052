// Shared pieces of the command-line front-end: argument text, --now, errors.
#pragma once

#include "parse/Date.h"

#include <CLI/CLI.hpp>
#include <unicode/unistr.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace linecal::cli {

// A usage problem the user can fix: printed to stderr, exit code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What an entry line may hold, with examples, for --help.
extern const char* const kEntryGrammar;
// The grammar above with the everyday phrases the parser also reads, and the
// hour each part of the day stands for.
const std::string& entryGrammarHelp();

// The --now option and the entry words every entry command takes.
void addEntryArguments(CLI::App& cmd, std::optional<std::string>& now, std::vector<std::string>& words);
// Parses the command line. The entry words (after the command and its options,
// or after "--") are handed to their command as typed, not through CLI11, which
// would read "[Work]" as a list and drop the brackets that name the calendar.
void parseCommandLine(CLI::App& app, int argc, char** argv);
// Joins the words with single spaces; throws UsageError on invalid UTF-8.
icu::UnicodeString entryText(const std::vector<std::string>& words);
// One entry line as UTF-16; throws UsageError on invalid UTF-8.
icu::UnicodeString entryLine(const std::string& utf8Text);
// True when the entry words ask for standard input ("-" alone).
inline bool readsStandardInput(const std::vector<std::string>& words) { return words.size() == 1 && words[0] == "-"; }
// "YYYY-MM-DDTHH:MM[:SS]" in the default time zone; throws UsageError when unreadable.
Date parseNow(const std::string& text);
// The --now value when given, else the clock.
Date nowFrom(const std::optional<std::string>& text);
// Local RFC 3339 with offset, e.g. 2010-03-11T16:00:00-08:00.
std::string rfc3339(Date d);

}  // namespace linecal::cli
