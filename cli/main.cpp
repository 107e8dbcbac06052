// linecal: one line of text to a calendar event or to-do, from the terminal.
#include "cli/CliSupport.h"
#include "cli/ItemCommands.h"
#include "cli/ParseCommand.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace {

const char* const kGrammar = R"(
An entry is one line of text. Besides the title it may hold:
  todo, task           make a to-do instead of an event
  @15m @2h @1d @1w     up to three alarms before the start
  [Work]               the calendar to save into
  May 5th, 5 May, 5/12 up to two dates (numeric in your locale's order)
  4pm, 10:30am, 1630   up to two times; a passed time means tomorrow
  Fri, next Monday     up to two weekdays
  today, tomorrow
  for 2 hours          a duration
  in 3 days, +3d       an offset from now
  at Cafe Rio          the location (after the first lone "at")

Examples:
  linecal parse "Buy groceries at 4pm tomorrow"
  linecal parse --now 2010-03-10T15:00 -- "Call Bob @15m [Work] for 30 minutes"
  linecal parse "Trip Fri to Mon"
)";

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"linecal: turn one line of text into a calendar event or to-do", "linecal"};
    app.footer(kGrammar);
    app.require_subcommand(1);
    linecal::cli::registerParseCommand(app);
    linecal::cli::registerItemCommands(app);
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
