#include "cli/ParseCommand.h"

#include "cli/CliSupport.h"
#include "parse/ParseEntry.h"

#include <iostream>

namespace linecal::cli {

nlohmann::json recordJson(const ParsedEntry& e) {
    nlohmann::json j = nlohmann::json::object();
    j[VOK_TITLE] = utf8(e.title);
    j[VOK_FROM_DATE] = rfc3339(e.fromDate);
    j[VOK_TO_DATE] = rfc3339(e.toDate);
    j[VOK_ALL_DAY] = e.allDay;
    j[VOK_TASK] = e.task;
    nlohmann::json alarms = nlohmann::json::object();
    for (const auto& [marker, minutes] : e.alarms) alarms[utf8(marker)] = minutes;
    j[VOK_ALARMS] = alarms;
    if (e.calendar) j[VOK_CALENDAR] = utf8(*e.calendar);
    if (e.location) j[VOK_LOCATION] = utf8(*e.location);
    return j;
}

void registerParseCommand(CLI::App& app) {
    struct Options {
        std::optional<std::string> now;
        std::vector<std::string> words;
    };
    auto options = std::make_shared<Options>();
    CLI::App* cmd = app.add_subcommand("parse", "Print the record an entry line parses to, as JSON");
    addEntryArguments(*cmd, options->now, options->words);
    cmd->callback([options] {
        icu::UnicodeString text = entryText(options->words);
        Date now = nowFrom(options->now);
        std::cout << recordJson(parseEntry(text, now)).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << '\n';
    });
}

}  // namespace linecal::cli
