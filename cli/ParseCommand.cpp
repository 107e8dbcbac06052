#include "cli/ParseCommand.h"

#include "cli/BatchInput.h"
#include "cli/CliSupport.h"
#include "parse/DateContext.h"
#include "parse/ParseEntry.h"

#include <unistd.h>

namespace linecal::cli {
namespace {

struct ParseOptions {
    std::optional<std::string> now;
    std::vector<std::string> words;
};

// JSON Lines in input order; a line that is not UTF-8 answers with its error.
int parseBatch(Date now) {
    LineReader input(STDIN_FILENO);
    BatchOutcome outcome;
    for (InputLine line; input.next(line);) {
        icu::UnicodeString text;
        try {
            text = entryLine(line.text);
        } catch (const UsageError& e) {
            reportBadLine(line.number, e.what());
            outcome.badInput = true;
            continue;
        }
        writeAnswer(recordJson(parseEntry(text, now)));
    }
    return outcome.exitCode();
}

}  // namespace

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
    if (!e.read.empty()) {  // only when an everyday phrase was read, so other answers stay as they were
        nlohmann::json read = nlohmann::json::array();
        for (const auto& phrase : e.read) read.push_back(utf8(phrase));
        j[VOK_READ] = read;
    }
    return j;
}

void registerParseCommand(CLI::App& app) {
    auto options = std::make_shared<ParseOptions>();
    CLI::App* cmd = app.add_subcommand("parse", "Print the record an entry line parses to, as JSON");
    addEntryArguments(*cmd, options->now, options->words);
    cmd->callback([options] {
        DateContext::Pin pinned;  // one zone and locale for the whole run
        const Date now = nowFrom(options->now);
        if (readsStandardInput(options->words)) {
            if (int code = parseBatch(now)) throw CLI::RuntimeError(code);
            return;
        }
        writeAnswer(recordJson(parseEntry(entryText(options->words), now)));
    });
}

}  // namespace linecal::cli
