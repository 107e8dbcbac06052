// How `linecal` speaks when it is asked for help or cannot go on: the usage lines name the entry
// TEXT, `linecal help [COMMAND]` answers as --help does, and every error reads "linecal: " and
// what is wrong, then what to do.
#pragma once

#include <CLI/CLI.hpp>

namespace linecal::cli {

// Sets the help's form and the wording of errors; before the commands are added, which take both over.
void setUpVoice(CLI::App& app);
// Lists `help [COMMAND…]` among the commands.
void registerHelpCommand(CLI::App& app);
// When the command is `help`: prints the help of the program or of the command it names and
// returns true; throws a UsageError when it names no command.
bool answerHelp(const CLI::App& app, int argc, char** argv);
// Throws a UsageError when no command was given.
void requireCommand(const CLI::App& app);
// Throws a UsageError when the first word that is no option names no command.
void requireKnownCommand(const CLI::App& app, int argc, char** argv);

}  // namespace linecal::cli
