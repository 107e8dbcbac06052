// `linecal add`: one entry from the arguments, or a batch from standard input
// that opens the store and the settings once and remembers the last item once.
#include "cli/BatchInput.h"
#include "cli/CliSupport.h"
#include "cli/items/ItemSession.h"
#include "cli/items/SaveLog.h"
#include "items/Descriptions.h"

#include <unistd.h>

#include <iostream>

namespace linecal::cli {
namespace {

struct Adder {
    const ItemRequest& request;
    ItemSession& session;
    ItemSettings settings;
    Date now;
    SaveLog log;

    // Saves one entry; the answer goes to standard output. False when the save failed.
    bool add(const icu::UnicodeString& text, std::size_t line) {
        auto item = currentItem(text, now, settings, session.store);
        StoreError error;
        const std::string description = utf8(ZQdescription(*item, now));
        if (!saveItem(session.store, *item, &error)) {
            log.failed(utf8(error.message), description);
            if (!error.recoverySuggestion.isEmpty()) std::cerr << utf8(error.recoverySuggestion) << '\n';
            if (line > 0) writeAnswer(lineError(line, utf8(error.message)));
            return false;
        }
        writeSetting(session.settings, Setting::LastEventUID, toQString(item->uid));
        writeSetting(session.settings, Setting::LastCalendarUID, toQString(item->calendar->uid));
        log.saved(description);
        if (!request.json) {
            writeAnswer(description);
            return true;
        }
        nlohmann::json answer{{"uid", utf8(item->uid)},
                              {"calendar", utf8(item->calendar->uid)},
                              {"calendarTitle", utf8(item->calendar->title)},
                              {"file", session.store.lastSavedFile().string()},
                              {"description", description}};
        if (line > 0) answer["line"] = line;
        writeAnswer(answer);
        return true;
    }
};

int addBatch(Adder& adder) {
    stopBatchOnSignals();
    LineReader input(STDIN_FILENO);
    BatchOutcome outcome;
    for (InputLine line; !batchStopRequested() && input.next(line);) {
        icu::UnicodeString text;
        try {
            text = entryLine(line.text);
        } catch (const UsageError& e) {
            reportBadLine(line.number, e.what());
            outcome.badInput = true;
            continue;
        }
        if (!adder.add(text, line.number)) outcome.failedSave = true;
    }
    if (batchStopRequested()) {
        std::cerr << "linecal: stopped; the entries before line " << input.linesRead() + 1 << " were handled\n";
        return 128 + batchStopSignal();
    }
    return outcome.exitCode();
}

}  // namespace

int runAdd(const ItemRequest& request) {
    const Date now = nowFrom(request.now);
    const bool batch = readsStandardInput(request.words);
    const icu::UnicodeString text = batch ? icu::UnicodeString() : entryText(request.words);
    ItemSession session(request);
    StoreError error;
    if (!session.store.ensureCalendar(&error)) {
        printStoreError(error);
        return 1;
    }
    ensureSelectedCalendar(session.settings, session.store);
    Adder adder{request, session, itemSettings(session.settings, session.store), now, SaveLog(request.verbose)};
    const int code = batch ? addBatch(adder) : (adder.add(text, 0) ? 0 : 1);
    session.settings.flush();  // the last item, remembered once per run
    if (request.launch) std::cerr << "linecal: --launch: showing items in a calendar application is not available yet\n";
    return code;
}

}  // namespace linecal::cli
