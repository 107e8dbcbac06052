// What a `linecal` command came to, and the one place that turns it into the exit code.
// A failure the user can act on is a result: the command says its Problem on standard error
// (printProblem) and ends with an outcome. Misuse (a bad option, argument or entry) is a
// UsageError thrown from wherever it is found; runCommand() says it and ends with BadInput.
#pragma once

#include "items/Problem.h"

#include <CLI/CLI.hpp>

#include <functional>

namespace linecal::cli {

enum class Outcome {
    Done,       // 0
    Failed,     // 1: a save, an account, the desktop program
    BadInput,   // 2: misuse, or a line of a batch that was
    CannotRun,  // 2: linecal's own module is missing or of another version
    Ambiguous,  // 3: add --strict refused an entry that reads more than one way
};

// The exit code of each outcome, as --help states them.
int exitCode(Outcome outcome);
// A batch stopped by SIGINT, SIGTERM or SIGHUP: the shell's 128 + the signal.
int exitCodeAfterSignal(int signal);

// "linecal: " and the problem's message, then what to do on its own line, on standard error.
void printProblem(const Problem& problem);

// Runs a command's work, which returns its exit code; a UsageError it throws is said on
// standard error and gives exitCode(Outcome::BadInput). Standard output is flushed first.
int runCommand(const std::function<int()>& work);

// A command's CLI11 callback running `work` through runCommand(); runCommandLine() ends with its code.
std::function<void()> commandCallback(std::function<int()> work);

// Parses the command line, runs the command it names and returns the program's exit code,
// CLI11's own answers (help, version, a parse error) included.
int runCommandLine(CLI::App& app, int argc, char** argv);

}  // namespace linecal::cli
