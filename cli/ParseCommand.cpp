#include "cli/ParseCommand.h"

#include "cli/BatchInput.h"
#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "cli/RecordJson.h"
#include "parse/Alternatives.h"
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
    std::string answer;
    for (InputLine line; input.next(line);) {
        icu::UnicodeString text;
        try {
            text = entryLine(line.text);
        } catch (const UsageError& e) {
            reportBadLine(line.number, e.what());
            outcome.badInput = true;
            continue;
        }
        answer.clear();
        const ParsedEntry record = parseEntry(text, now);
        appendRecordJson(answer, record, alternativesOf(text, record, now));
        writeAnswer(answer);
    }
    return exitCode(outcome.outcome());
}

}  // namespace

void registerParseCommand(CLI::App& app) {
    auto options = std::make_shared<ParseOptions>();
    CLI::App* cmd = app.add_subcommand("parse", "Print the record an entry line parses to, as JSON");
    addEntryArguments(*cmd, options->now, options->words, false);
    cmd->callback(commandCallback([options] {
        DateContext::Pin pinned;  // one zone and locale for the whole run
        const Date now = nowFrom(options->now);
        if (readsStandardInput(options->words)) return parseBatch(now);
        std::string answer;
        const icu::UnicodeString text = entryText(options->words);
        const ParsedEntry record = parseEntry(text, now);
        appendRecordJson(answer, record, alternativesOf(text, record, now));
        writeAnswer(answer);
        return exitCode(Outcome::Done);
    }));
}

}  // namespace linecal::cli
