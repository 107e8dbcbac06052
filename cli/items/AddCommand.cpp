// `linecal add`: one entry from the arguments, or a batch from standard input
// that opens the store and the settings once and remembers the last item once.
#include "cli/BatchInput.h"
#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "cli/items/ItemSession.h"
#include "cli/items/SaveLog.h"
#include "items/Descriptions.h"
#include "parse/Alternatives.h"
#include "text/Utf8.h"

#include <unistd.h>

#include <iostream>

namespace linecal::cli {
namespace {

// Saves entries and answers for them in input order, each answer written out as soon as it is
// known. In a batch the local store stages the files, and a group is committed (one wait for
// the disk) before the batch would wait for more input, after kGroup entries, or before a save
// into a server calendar; the answers of a group are given once it is on disk. A save into a
// server calendar is answered as soon as the server has.
class Adder {
public:
    Adder(const ItemRequest& request, ItemSession& session, Date now, bool batch)
        : request_(request),
          session_(session),
          settings_(commandLineSettings(session)),
          now_(now),
          log_(request.verbose) {
        session_.store.local().setBatching(batch);
        session_.store.failFastOnceUnreachable();
    }

    static constexpr std::size_t kGroup = 1000;

    void add(const icu::UnicodeString& text, std::size_t line) {
        ItemReadings readings = readingsFor(text);
        if (!readings.others.empty()) {
            refuseAmbiguous(text, readings, line);
            return;
        }
        Pending p{line, std::move(readings.item), {}, {}, false, {}, {}, StoreKind::Vdir};
        p.description = toUtf8(ZQdescription(*p.item, now_));
        if (p.item->calendar) p.kind = session_.store.storeKindOf(*p.item->calendar);
        const ServerStore* server = p.item->calendar ? session_.store.serverOf(*p.item->calendar) : nullptr;
        const bool elsewhere = p.kind != StoreKind::Vdir;
        if (elsewhere) commit();  // what is staged before it is answered first
        StoreError error;
        const bool saved = saveItem(session_.store, *p.item, &error);
        if (!saved) p.error = error;
        if (server) {
            if (saved) p.url = server->lastSavedUrl();
        } else if (!elsewhere) {
            p.staged = saved;
            p.file = session_.store.local().lastSavedFile();
        }
        pending_.push_back(std::move(p));
        if (elsewhere) commit();
    }

    // Commits the staged saves and answers for every pending entry.
    void commit() {
        auto results = session_.store.local().commitBatch();
        std::size_t next = 0;
        for (Pending& p : pending_) {
            if (p.staged && next < results.size()) p.error = results[next++];
            if (p.error) {
                failed_ = true;
                answerFailure(p);
            } else {
                answerSuccess(p);
            }
        }
        if (!pending_.empty()) flushAnswers();
        pending_.clear();
    }

    std::size_t pending() const { return pending_.size(); }
    bool anyFailed() const { return failed_; }
    bool anyAmbiguous() const { return ambiguous_; }

private:
    struct Pending {
        std::size_t line;  // 0 for the one-line form
        std::unique_ptr<CalendarItem> item;
        std::string description;
        std::optional<StoreError> error;
        bool staged;  // written by the local store, named when the group is committed
        std::filesystem::path file;
        std::string url;  // a server save's address
        StoreKind kind;   // the store that holds the item's calendar
    };

    // The item of one entry, with its other readings only when --strict asks for them. Lists of
    // servers never asked are asked only for an entry that names a calendar found in no list at
    // hand: other entries never wait for a server.
    ItemReadings readingsFor(const icu::UnicodeString& text) {
        auto read = [&] {
            return request_.strict ? currentReadings(text, now_, settings_, session_.store)
                                   : ItemReadings{currentItem(text, now_, settings_, session_.store), {}};
        };
        ItemReadings readings = read();
        if (readings.item->unfoundCalendar && session_.store.refreshUnknownLists()) readings = read();
        if (request_.uid) readings.item->uid = icu::UnicodeString::fromUTF8(*request_.uid);
        return readings;
    }

    // Saves nothing and shows both readings: a script that must never guess rewrites the line
    // as the reading it means.
    void refuseAmbiguous(const icu::UnicodeString& text, const ItemReadings& readings, std::size_t line) {
        commit();  // answers stay in input order
        ambiguous_ = true;
        if (line > 0) {
            writeAnswer(nlohmann::json{{"line", line},
                                       {"error", "ambiguous"},
                                       {"preview", toUtf8(ZQeventLine(*readings.item, now_))},
                                       {"alternatives", otherReadingsJson(readings, now_)}});
            flushAnswers();
            return;
        }
        std::cerr << "linecal: \"" << toUtf8(text) << "\" can be read more than one way; nothing was saved.\n"
                  << "  read as: " << toUtf8(ZQeventLine(*readings.item, now_)) << '\n';
        for (const OtherReading& o : readings.others)
            std::cerr << "  or (" << choiceName(o.choice) << "): " << toUtf8(ZQeventLine(*o.item, now_))
                      << "  - typed as: " << toUtf8(o.text) << '\n';
        std::cerr << "Type the line as the reading you mean, or leave out --strict to save the first.\n";
    }

    void answerFailure(const Pending& p) {
        log_.failed(toUtf8(p.error->message), p.description);
        if (!p.error->recoverySuggestion.isEmpty()) std::cerr << toUtf8(p.error->recoverySuggestion) << '\n';
        if (p.error->outcomeUnknown && p.line == 0) {
            std::cerr << "To retry without a second copy: linecal add --uid " << toUtf8(p.error->uid) << " -- …\n";
        }
        if (p.line == 0) return;
        if (p.error->outcomeUnknown) {
            // A script can tell these from failures and retry each with its identifier.
            writeAnswer(nlohmann::json{{"line", p.line}, {"error", "unknown outcome"}, {"uid", toUtf8(p.error->uid)}});
        } else {
            writeAnswer(lineError(p.line, toUtf8(p.error->message)));
        }
    }
    void answerSuccess(const Pending& p) {
        session_.preferences.set(Setting::LastEventUID, toQString(p.item->uid));
        session_.preferences.set(Setting::LastCalendarUID, toQString(p.item->calendar->uid));
        log_.saved(p.description);
        if (!request_.json) {
            writeAnswer(p.description);
            return;
        }
        nlohmann::json answer{
            {"uid", toUtf8(p.item->uid)},
            {"calendar", toUtf8(p.item->calendar->uid)},
            {"calendarTitle", toUtf8(p.item->calendar->title)},
            {"file", p.kind == StoreKind::Vdir ? nlohmann::json(p.file.string()) : nlohmann::json(nullptr)},
            {"store", storeName(p.kind)},
            {"description", p.description}};
        // A server calendar has no file here: the item's address on the server instead.
        if (p.kind == StoreKind::CalDav) answer["url"] = p.url;
        if (p.line > 0) answer["line"] = p.line;
        writeAnswer(answer);
    }

    const ItemRequest& request_;
    ItemSession& session_;
    ItemSettings settings_;
    Date now_;
    SaveLog log_;
    std::vector<Pending> pending_;
    bool failed_ = false;
    bool ambiguous_ = false;
};

int addBatch(Adder& adder) {
    stopBatchOnSignals();
    LineReader input(STDIN_FILENO);
    BatchOutcome outcome;
    for (InputLine line; !batchStopRequested() && input.next(line);) {
        try {
            const icu::UnicodeString text = entryLine(line.text);
            requireEntry(text);
            adder.add(text, line.number);
        } catch (const UsageError& e) {
            adder.commit();  // answers stay in input order
            reportBadLine(line.number, e.what());
            outcome.badInput = true;
        }
        if (!input.hasBufferedLine() || adder.pending() >= Adder::kGroup) adder.commit();
    }
    adder.commit();
    outcome.failedSave = adder.anyFailed();
    outcome.ambiguous = adder.anyAmbiguous();
    if (batchStopRequested()) {
        std::cerr << "linecal: stopped; the entries before line " << input.linesRead() + 1 << " were handled\n";
        return exitCodeAfterSignal(batchStopSignal());
    }
    return exitCode(outcome.outcome());
}

}  // namespace

int runAdd(const ItemRequest& request) {
    const Date now = nowFrom(request.now);
    const bool batch = readsStandardInput(request.words);
    if (batch && request.uid)
        throw UsageError("--uid names one item, not a batch from standard input",
                         "Give the one entry as TEXT, or leave out --uid.");
    const icu::UnicodeString text = batch ? icu::UnicodeString() : entryText(request.words);
    if (!batch) requireEntry(text);
    ItemSession session(request, ServerRefresh::Never);
    StoreError error;
    if (!session.store.ensureCalendar(&error)) {
        printProblem(error);
        return exitCode(Outcome::Failed);
    }
    ensureSelectedCalendar(session.preferences.store(), session.store);
    Adder adder(request, session, now, batch);
    int code = exitCode(Outcome::Done);
    if (batch) {
        code = addBatch(adder);
    } else {
        adder.add(text, 0);
        adder.commit();
        code = exitCode(adder.anyFailed()      ? Outcome::Failed
                        : adder.anyAmbiguous() ? Outcome::Ambiguous
                                               : Outcome::Done);
    }
    session.settings.flush();  // the last item, remembered once per run
    if (request.launch)
        printError(
            "--launch: the command line starts no calendar program",
            "Open your calendar program yourself, or save with Ctrl+Return in linecal-app's dialog, which opens it.");
    return code;
}

}  // namespace linecal::cli
