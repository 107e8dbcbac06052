#include "cli/ExitCodes.h"

#include "cli/CliSupport.h"
#include "cli/HelpAndErrors.h"
#include "text/Utf8.h"

#include <cstdio>

namespace linecal::cli {
namespace {

int& commandExitCode() {
    static int code = 0;
    return code;
}

}  // namespace

int exitCode(Outcome outcome) {
    switch (outcome) {
        case Outcome::Done:
            return 0;
        case Outcome::Failed:
            return 1;
        case Outcome::BadInput:
        case Outcome::CannotRun:
            return 2;
        case Outcome::Ambiguous:
            return 3;
    }
    return 1;
}

int exitCodeAfterSignal(int signal) { return 128 + signal; }

void printProblem(const Problem& problem) { printError(toUtf8(problem.message), toUtf8(problem.recoverySuggestion)); }

int runCommand(const std::function<int()>& work) {
    try {
        const int code = work();
        std::fflush(stdout);
        return code;
    } catch (const UsageError& e) {
        std::fflush(stdout);
        printError(e.what(), e.advice);
        return exitCode(Outcome::BadInput);
    }
}

std::function<void()> commandCallback(std::function<int()> work) {
    return [work = std::move(work)] { commandExitCode() = runCommand(work); };
}

int runCommandLine(CLI::App& app, int argc, char** argv) {
    commandExitCode() = 0;
    const int code = runCommand([&] {
        try {
            if (answerHelp(app, argc, argv)) return exitCode(Outcome::Done);
            requireKnownCommand(app, argc, argv);
            parseCommandLine(app, argc, argv);
            requireCommand(app);
        } catch (const CLI::CallForHelp& e) {
            return app.exit(e);
        } catch (const CLI::CallForAllHelp& e) {
            return app.exit(e);
        } catch (const CLI::CallForVersion& e) {
            return app.exit(e);
        } catch (const CLI::ParseError& e) {
            app.exit(e);
            return exitCode(Outcome::BadInput);
        }
        return commandExitCode();
    });
    return code;
}

}  // namespace linecal::cli
