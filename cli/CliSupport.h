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

// A usage problem the user can fix: printed to stderr as "linecal: " and the message, then on a
// line of its own what to do; exit code 2. A batch answers a bad line with the message alone.
struct UsageError : std::runtime_error {
    explicit UsageError(const std::string& message, std::string toDo = {})
        : std::runtime_error(message), advice(std::move(toDo)) {}
    std::string advice;
};
// "linecal: MESSAGE", then ADVICE on its own line when there is one, on standard error.
void printError(const std::string& message, const std::string& advice);

// What an entry line may hold, with examples, for --help.
extern const char* const kEntryGrammar;
// The grammar above with the everyday phrases the parser also reads, and the
// hour each part of the day stands for.
const std::string& entryGrammarHelp();

// The --now option and the entry words every entry command takes; `saves` tells whether the
// command saves, for what its help says of exit codes.
void addEntryArguments(CLI::App& cmd, std::optional<std::string>& now, std::vector<std::string>& words, bool saves);
// Whether the command takes entry text after its options.
bool takesEntryText(const CLI::App& cmd);
// Parses the command line. The entry words (after the command and its options,
// or after "--") are handed to their command as typed, not through CLI11, which
// would read "[Work]" as a list and drop the brackets that name the calendar.
void parseCommandLine(CLI::App& app, int argc, char** argv);
// Joins the words with single spaces; throws UsageError on invalid UTF-8.
icu::UnicodeString entryText(const std::vector<std::string>& words);
// One entry line as UTF-16; throws UsageError on invalid UTF-8.
icu::UnicodeString entryLine(const std::string& utf8Text);
// Throws UsageError when the entry holds nothing but white space: saving it would make an item
// without a title that the preview shows as the example line.
void requireEntry(const icu::UnicodeString& text);
// True when the entry words ask for standard input ("-" alone).
inline bool readsStandardInput(const std::vector<std::string>& words) { return words.size() == 1 && words[0] == "-"; }
// "YYYY-MM-DDTHH:MM[:SS]" in the default time zone; throws UsageError when unreadable.
Date parseNow(const std::string& text);
// The --now value when given, else the clock.
Date nowFrom(const std::optional<std::string>& text);
// Local RFC 3339 with offset, e.g. 2010-03-11T16:00:00-08:00.
std::string rfc3339(Date d);

}  // namespace linecal::cli
