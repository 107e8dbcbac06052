#include "cli/ItemCommands.h"

#include "cli/CliSupport.h"
#include "items/Calendars.h"
#include "items/CurrentItem.h"
#include "items/Descriptions.h"
#include "prefs/Settings.h"
#include "stores/UserCalendars.h"

#include <nlohmann/json.hpp>

#include <iostream>
#include <memory>

namespace linecal::cli {
namespace {

struct GlobalOptions {
    std::string store;
    std::string config;

    std::filesystem::path storeRoot() const { return store.empty() ? VdirStore::defaultRoot() : std::filesystem::path(store); }
    QString configPath() const {
        return config.empty() ? IniSettings::defaultPath() : QString::fromStdString(config);
    }
    // The local calendars and those of the accounts; the server lists as `refresh` says.
    std::unique_ptr<UserCalendars> calendars(ServerRefresh refresh) const {
        auto store = openUserCalendars({storeRoot(), {}, {}, refresh, {}, {}});
        if (store->accountsError) warn(*store->accountsError);
        return store;
    }
    static void warn(const StoreError& error) {
        std::cerr << "linecal: warning: " << utf8(error.message) << ' ' << utf8(error.recoverySuggestion) << '\n';
    }
};

struct EntryOptions {
    std::optional<std::string> now;
    std::vector<std::string> words;
    bool launch = false;
};

[[noreturn]] void failWith(const StoreError& error) {
    std::cerr << "linecal: " << utf8(error.message) << '\n';
    if (!error.recoverySuggestion.isEmpty()) std::cerr << utf8(error.recoverySuggestion) << '\n';
    throw CLI::RuntimeError(1);
}

// What the dialog would see: settings as stored, and the first calendar as target when none
// valid is stored (start-up would have stored it).
ItemSettings effectiveSettings(const SettingsStore& settings, const CalendarStore& store) {
    ItemSettings result = itemSettings(settings, store);
    if (!result.targetCalendarUID) {
        auto calendars = store.calendars();
        if (!calendars.empty()) result.targetCalendarUID = calendars.front()->uid;
    }
    return result;
}

void preview(const GlobalOptions& global, const EntryOptions& options) {
    const icu::UnicodeString text = entryText(options.words);
    const Date now = nowFrom(options.now);
    IniSettings settings(global.configPath());
    auto calendars = global.calendars(ServerRefresh::IfNotCached);
    const CalendarStore& store = *calendars;
    auto item = currentItem(text, now, effectiveSettings(settings, store), store);
    std::cout << utf8(ZQeventLine(*item, now)) << '\n' << utf8(ZQalarmLine(*item)) << '\n';
}

void add(const GlobalOptions& global, const EntryOptions& options) {
    const icu::UnicodeString text = entryText(options.words);
    const Date now = nowFrom(options.now);
    IniSettings settings(global.configPath());
    auto calendars = global.calendars(ServerRefresh::IfNotCached);
    UserCalendars& store = *calendars;
    StoreError error;
    if (!store.ensureCalendar(&error)) failWith(error);
    ensureSelectedCalendar(settings, store);

    auto item = currentItem(text, now, itemSettings(settings, store), store);
    if (!saveItem(store, *item, &error)) {
        std::cerr << "failed to save new event ('" << utf8(error.message) << "'): " << utf8(ZQdescription(*item, now))
                  << '\n';
        if (!error.recoverySuggestion.isEmpty()) std::cerr << utf8(error.recoverySuggestion) << '\n';
        throw CLI::RuntimeError(1);
    }
    writeSetting(settings, Setting::LastEventUID, toQString(item->uid));
    writeSetting(settings, Setting::LastCalendarUID, toQString(item->calendar->uid));
    settings.flush();
    const std::string description = utf8(ZQdescription(*item, now));
    std::cerr << "successfully saved new item: " << description << '\n';
    std::cout << description << '\n';
    if (options.launch) {
        std::cerr << "linecal: --launch: showing items in a calendar application is not available yet\n";
    }
}

void listCalendars(const GlobalOptions& global, bool json) {
    IniSettings settings(global.configPath());
    auto all = global.calendars(ServerRefresh::Now);
    const UserCalendars& store = *all;
    const auto calendars = store.calendars();
    const auto selected = selectedCalendarUID(settings, store);
    auto offline = [&](const Calendar& c) {
        const ServerStore* server = store.serverOf(c);
        return server && server->state() != ServerStore::State::Online;
    };
    for (const auto& server : store.servers()) {
        if (server->state() == ServerStore::State::Offline) {
            std::cerr << "linecal: account " << server->account().name << " is offline: "
                      << utf8(server->lastError().message) << ' ' << utf8(server->lastError().recoverySuggestion)
                      << '\n';
        }
    }

    if (json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& c : calendars) {
            list.push_back({{"uid", utf8(c->uid)},
                            {"title", utf8(c->title)},
                            {"type", utf8(c->type)},
                            {"notes", c->notes ? nlohmann::json(utf8(*c->notes)) : nlohmann::json(nullptr)},
                            {"isEditable", c->isEditable},
                            {"heading", utf8(headingForCalendar(c.get()))},
                            {"selected", selected && toUnicode(*selected) == c->uid},
                            {"offline", offline(*c)}});
        }
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }
    if (calendars.empty()) {
        std::cerr << "linecal: no calendars in " << all->local().root().string()
                  << "; `linecal add` creates one, `linecal accounts add` adds a server's\n";
        return;
    }
    // Headings in the order their first calendar appears, each calendar under its own.
    std::vector<std::pair<icu::UnicodeString, std::vector<CalendarRef>>> groups;
    for (const auto& c : calendars) {
        const icu::UnicodeString heading = headingForCalendar(c.get());
        auto group = std::find_if(groups.begin(), groups.end(), [&](auto& g) { return g.first == heading; });
        if (group == groups.end()) group = groups.insert(groups.end(), {heading, {}});
        group->second.push_back(c);
    }
    for (const auto& [heading, members] : groups) {
        std::cout << utf8(heading) << '\n';
        for (const auto& c : members) {
            const bool isSelected = selected && toUnicode(*selected) == c->uid;
            std::cout << (isSelected ? "  * " : "    ") << utf8(c->title) << "  [" << utf8(c->uid) << ']'
                      << (c->isEditable ? "" : "  (read-only)") << (offline(*c) ? "  (offline)" : "") << '\n';
        }
    }
}

}  // namespace

void registerItemCommands(CLI::App& app) {
    auto global = std::make_shared<GlobalOptions>();
    app.add_option("--store", global->store, "Calendar folder tree (vdir) to use")
        ->option_text("DIR")
        ->check(CLI::NonexistentPath | CLI::ExistingDirectory);
    app.add_option("--config", global->config, "Settings file to use")->option_text("FILE");

    auto addEntryOptions = [](CLI::App* cmd, EntryOptions& options) {
        addEntryArguments(*cmd, options.now, options.words);
    };

    auto previewOptions = std::make_shared<EntryOptions>();
    CLI::App* previewCmd =
        app.add_subcommand("preview", "Print the preview line and the alarm line of an entry, saving nothing");
    addEntryOptions(previewCmd, *previewOptions);
    previewCmd->callback([global, previewOptions] { preview(*global, *previewOptions); });

    auto addOptions = std::make_shared<EntryOptions>();
    CLI::App* addCmd = app.add_subcommand("add", "Save an entry as an event or to-do and print what was saved");
    addEntryOptions(addCmd, *addOptions);
    addCmd->add_flag("--launch", addOptions->launch, "Also show the item in the calendar application");
    addCmd->callback([global, addOptions] { add(*global, *addOptions); });

    auto json = std::make_shared<bool>(false);
    CLI::App* calendarsCmd = app.add_subcommand("calendars", "List the calendars under their headings");
    calendarsCmd->add_flag("--json", *json, "Print them as a JSON array");
    calendarsCmd->callback([global, json] { listCalendars(*global, *json); });
}

}  // namespace linecal::cli
