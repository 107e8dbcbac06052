// The items module: preview, add, calendars and accounts, with everything they
// need (QtCore for the settings, libical and GLib for the stores, the CalDAV
// module when a server is asked), loaded only when one runs.
#include "cli/BatchInput.h"
#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "cli/items/ItemSession.h"
#include "items/CalendarMenu.h"
#include "items/Calendars.h"
#include "items/Descriptions.h"
#include "items/RepetitionWords.h"
#include "parse/Alternatives.h"
#include "parse/DateContext.h"
#include "text/Utf8.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <map>

namespace linecal::cli {

ItemSession::ItemSession(const ItemRequest& request, ServerRefresh refresh)
    : settings(request.config.empty() ? IniSettings::defaultPath() : QString::fromStdString(request.config)),
      calendars(openUserCalendars({request.store, {}, {}, refresh, {}, {}})),
      store(*calendars) {
    if (const auto& error = calendars->accountsError)
        std::cerr << "linecal: warning: " << toUtf8(error->message) << ' ' << toUtf8(error->recoverySuggestion) << '\n';
}

ItemSettings commandLineSettings(const ItemSession& session) {
    return session.preferences.itemSettings(session.store, {{}, QStringLiteral("iCal"), true});
}

nlohmann::json otherReadingsJson(const ItemReadings& readings, Date now) {
    nlohmann::json list = nlohmann::json::array();
    for (const OtherReading& o : readings.others)
        list.push_back({{"reason", std::string(choiceName(o.choice))},
                        {"preview", toUtf8(ZQeventLine(*o.item, now))},
                        {"text", toUtf8(o.text)}});
    return list;
}

const char* storeName(StoreKind kind) {
    switch (kind) {
        case StoreKind::CalDav:
            return "caldav";
        case StoreKind::Desktop:
            return "eds";
        case StoreKind::Vdir:
            break;
    }
    return "vdir";
}

namespace {

void previewOne(ItemSession& session, const ItemSettings& settings, const icu::UnicodeString& text, Date now, bool json,
                bool batch) {
    ItemReadings readings = currentReadings(text, now, settings, session.store);
    if (readings.item->unfoundCalendar && session.store.refreshUnknownLists())
        readings = currentReadings(text, now, settings, session.store);
    const CalendarItem& item = *readings.item;
    const std::string line = toUtf8(ZQeventLine(item, now)), warning = toUtf8(ZQwarningLine(item));
    // The dialog shows the warning in the alarm line's place, in red.
    const std::string alarms = warning.empty() ? toUtf8(ZQalarmLine(item)) : warning;
    // The third line only for a repetition asked for, the last only where the reading chose:
    // other previews read as before.
    const std::string next = toUtf8(ZQoccurrencesLine(item));
    const std::string other =
        readings.others.empty() ? std::string() : "or: " + toUtf8(ZQeventLine(*readings.others.front().item, now));
    if (json) {
        nlohmann::json answer{{"preview", line}, {"alarms", toUtf8(ZQalarmLine(item))}};
        if (!warning.empty()) answer["warning"] = warning;
        if (!next.empty()) answer["repeats"] = next;
        if (!readings.others.empty()) answer["or"] = otherReadingsJson(readings, now);
        writeAnswer(answer);
    } else if (batch) {
        // One answer line per entry.
        writeAnswer(line + '\t' + alarms + (next.empty() ? std::string() : '\t' + next) +
                    (other.empty() ? std::string() : '\t' + other));
    } else {
        writeAnswer(line);
        writeAnswer(alarms);
        if (!next.empty()) writeAnswer(next);
        if (!other.empty()) writeAnswer(other);
    }
}

int preview(const ItemRequest& request) {
    const Date now = nowFrom(request.now);
    // Typing never waits for a server: one is asked only for an entry that names a calendar in
    // none of the lists at hand while that server's list is unknown.
    ItemSession session(request, ServerRefresh::Never);
    const ItemSettings settings = commandLineSettings(session);
    if (!readsStandardInput(request.words)) {
        previewOne(session, settings, entryText(request.words), now, request.json, false);
        return exitCode(Outcome::Done);
    }
    LineReader input(STDIN_FILENO);
    BatchOutcome outcome;
    for (InputLine line; input.next(line);) {
        try {
            previewOne(session, settings, entryLine(line.text), now, request.json, true);
        } catch (const UsageError& e) {
            reportBadLine(line.number, e.what());
            outcome.badInput = true;
        }
    }
    return exitCode(outcome.outcome());
}

// Text for a terminal: control characters, which could break a line or drive the terminal, written
// as visible escapes (\n, \t, \x1b, \u009b).
std::string visible(const icu::UnicodeString& text) {
    std::string out;
    char escape[8];
    for (int32_t i = 0; i < text.length();) {
        const UChar32 c = text.char32At(i);
        i += U16_LENGTH(c);
        if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\r') out += "\\r";
        else if (c < 0x20 || c == 0x7f) {
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(c));
            out += escape;
        } else if (c >= 0x80 && c < 0xa0) {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            icu::UnicodeString(c).toUTF8String(out);
        }
    }
    return out;
}

// A server is asked unless it was asked in the last minute (--refresh: whenever it was); one that
// does not answer keeps its last known list, marked offline.
int listCalendars(const ItemRequest& request) {
    ItemSession session(request, request.refresh ? ServerRefresh::Asked : ServerRefresh::Now);
    const UserCalendars& store = session.store;
    const auto calendars = store.calendars();
    const auto selected = selectedCalendarUID(session.settings, store);
    auto offline = [&](const Calendar& c) {
        const ServerStore* server = store.serverOf(c);
        return server && store.isOffline(*server);
    };
    for (const auto& server : store.servers()) {
        if (server->state() == ServerStore::State::Offline) {
            std::cerr << "linecal: account " << server->account().name
                      << " is offline: " << toUtf8(server->lastError().message) << ' '
                      << toUtf8(server->lastError().recoverySuggestion) << '\n';
        }
    }

    const auto menu = calendarMenu(calendars, selected ? std::optional(toUnicode(*selected)) : std::nullopt, u"");
    if (request.json) {
        // Each calendar with the heading it is listed under.
        std::map<icu::UnicodeString, icu::UnicodeString> listedUnder;
        icu::UnicodeString heading;
        for (const CalendarMenuEntry& entry : menu) {
            if (entry.kind == CalendarMenuEntry::Kind::Heading) heading = entry.text;
            if (entry.kind == CalendarMenuEntry::Kind::Calendar) listedUnder[entry.calendar->uid] = heading;
        }
        nlohmann::json list = nlohmann::json::array();
        for (const auto& c : calendars) {
            list.push_back({{"uid", toUtf8(c->uid)},
                            {"title", toUtf8(c->title)},
                            {"type", toUtf8(c->type)},
                            {"notes", c->notes ? nlohmann::json(toUtf8(*c->notes)) : nlohmann::json(nullptr)},
                            {"isEditable", c->isEditable},
                            {"heading", toUtf8(listedUnder[c->uid])},
                            {"store", storeName(store.storeKindOf(*c))},
                            {"selected", selected && toUnicode(*selected) == c->uid},
                            {"offline", offline(*c)}});
        }
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return exitCode(Outcome::Done);
    }
    if (calendars.empty()) {
        const VdirStore& local = session.calendars->local();
        StoreError why;
        if (!local.canMakeCalendar(&why)) {
            std::cerr << "linecal: no calendars in " << local.root().string()
                      << ", and none can be made there: " << toUtf8(why.message) << '\n'
                      << toUtf8(why.recoverySuggestion) << '\n';
            return exitCode(Outcome::Failed);
        }
        std::cerr << "linecal: no calendars in " << local.root().string()
                  << "; `linecal add` creates one, `linecal accounts add` adds a server's\n";
        return exitCode(Outcome::Done);
    }
    // The same headings as the desktop program's calendar pop-up, a blank line where it has a separator.
    for (const CalendarMenuEntry& entry : menu) {
        switch (entry.kind) {
            case CalendarMenuEntry::Kind::Separator:
                std::cout << '\n';
                break;
            case CalendarMenuEntry::Kind::Heading:
                std::cout << visible(entry.text) << '\n';
                break;
            case CalendarMenuEntry::Kind::Calendar: {
                const Calendar& c = *entry.calendar;
                std::cout << (entry.selected ? "  * " : "    ") << visible(c.title) << "  [" << visible(c.uid) << ']'
                          << (c.isEditable ? "" : "  (read-only)") << (offline(c) ? "  (offline)" : "")
                          << (store.storeKindOf(c) == StoreKind::Desktop ? "  (Evolution Data Server)" : "") << '\n';
                break;
            }
        }
    }
    return exitCode(Outcome::Done);
}

int run(const ItemRequest& request) {
    DateContext::Pin pinned;
    switch (request.command) {
        case ItemCommand::Preview:
            return preview(request);
        case ItemCommand::Add:
            return runAdd(request);
        case ItemCommand::Calendars:
            return listCalendars(request);
        case ItemCommand::AccountsAdd:
        case ItemCommand::AccountsList:
        case ItemCommand::AccountsRemove:
            return runAccounts(request);
    }
    return exitCode(Outcome::BadInput);
}

int runItemCommand(const ItemRequest& request) {
    return runCommand([&] { return run(request); });
}

}  // namespace
}  // namespace linecal::cli

LINECAL_MODULE_ENTRY const linecal::cli::ItemsModule linecal_items_module{{linecal::cli::kItemsModuleVersion},
                                                                          linecal::cli::runItemCommand};
