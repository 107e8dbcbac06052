// linecal: one line of text to a calendar event or to-do, from the terminal.
#include "cli/AccountsCommand.h"
#include "cli/CliSupport.h"
#include "cli/ItemCommands.h"
#include "cli/ParseCommand.h"
#include "cli/ShowCommand.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"linecal: turn one line of text into a calendar event or to-do", "linecal"};
    app.footer(linecal::cli::entryGrammarHelp());
    app.require_subcommand(1);
    linecal::cli::registerParseCommand(app);
    linecal::cli::registerItemCommands(app);
    linecal::cli::registerShowCommand(app);
    linecal::cli::registerAccountsCommand(app);
    // Global options such as --store may follow the command ("linecal add --store DIR …").
    std::function<void(CLI::App&)> fallThrough = [&](CLI::App& parent) {
        for (CLI::App* sub : parent.get_subcommands({})) {
            sub->fallthrough();
            fallThrough(*sub);
        }
    };
    fallThrough(app);
    try {
        linecal::cli::parseCommandLine(app, argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::RuntimeError& e) {
        return e.get_exit_code();
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const linecal::cli::UsageError& e) {
        std::cerr << "linecal: " << e.what() << '\n';
        return 2;
    }
    return 0;
}
