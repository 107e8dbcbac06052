// linecal: one line of text to a calendar event or to-do, from the terminal.
#include "cli/AccountsCommand.h"
#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "cli/HelpAndErrors.h"
#include "cli/ItemCommands.h"
#include "cli/ParseCommand.h"
#include "cli/ShowCommand.h"

#include <CLI/CLI.hpp>

#include <functional>

int main(int argc, char** argv) {
    CLI::App app{"linecal: turn one line of text into a calendar event or to-do", "linecal"};
    linecal::cli::setUpVoice(app);
    app.set_version_flag("--version", "linecal " LINECAL_VERSION, "Print the version and exit");
    linecal::cli::registerParseCommand(app);
    linecal::cli::registerItemCommands(app);
    linecal::cli::registerShowCommand(app);
    linecal::cli::registerAccountsCommand(app);
    linecal::cli::registerHelpCommand(app);
    // After the commands, which would take it over: only the entry commands speak of entries.
    app.footer(linecal::cli::entryGrammarHelp());
    // Global options such as --store may follow the command ("linecal add --store DIR …").
    std::function<void(CLI::App&)> fallThrough = [&](CLI::App& parent) {
        for (CLI::App* sub : parent.get_subcommands({})) {
            sub->fallthrough();
            fallThrough(*sub);
        }
    };
    fallThrough(app);
    return linecal::cli::runCommandLine(app, argc, argv);
}
