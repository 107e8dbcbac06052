#include "cli/ItemCommands.h"

#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "cli/ItemRequest.h"
#include "modules/ModuleLoader.h"

#include <memory>

namespace linecal::cli {

int runInModule(const ItemRequest& request) {
    std::string why;
    const auto* module =
        modules::loadModule<ItemsModule>(kItemsModuleName, kItemsModuleEntry, kItemsModuleVersion, &why);
    if (!module) {
        printError(why, "Reinstall linecal, or set LINECAL_MODULE_DIR to the folder that holds its modules.");
        return exitCode(Outcome::CannotRun);
    }
    return module->run(request);
}

namespace {

CLI::App* entryCommand(CLI::App& app, const char* name, const char* description,
                       const std::shared_ptr<ItemRequest>& request, ItemCommand command) {
    CLI::App* cmd = app.add_subcommand(name, description);
    addEntryArguments(*cmd, request->now, request->words, command == ItemCommand::Add);
    cmd->callback(commandCallback([request, command] {
        request->command = command;
        return runInModule(*request);
    }));
    return cmd;
}

}  // namespace

void registerItemCommands(CLI::App& app) {
    auto request = std::make_shared<ItemRequest>();
    // What is at the path is judged by the store, which says what to do about it.
    app.add_option("--store", request->store, "Calendar folder tree (vdir) to use")->option_text("DIR");
    app.add_option("--config", request->config, "Settings file to use")->option_text("FILE");

    CLI::App* preview =
        entryCommand(app, "preview", "Print the preview line and the alarm line of an entry, saving nothing", request,
                     ItemCommand::Preview);
    preview->add_flag("--json", request->json,
                      "With -: one JSON object per entry (preview, alarms; or: the other readings where the line "
                      "can be read more than one way)");

    CLI::App* add = entryCommand(app, "add", "Save an entry as an event or to-do and print what was saved", request,
                                 ItemCommand::Add);
    add->add_flag("--launch", request->launch,
                  "Accepted, but the command line starts no calendar program; linecal-app's Ctrl+Return saves "
                  "and opens it");
    add->add_flag("--json", request->json,
                  "Print each saved item as a JSON object (uid, calendar, file; for a server calendar file is null "
                  "and url the item's address)");
    add->add_flag("--verbose", request->verbose, "Also print the log line of every save on standard error");
    add->add_flag("--strict", request->strict,
                  "Save nothing for an entry that can be read more than one way (\"5/12\", \"next Friday\"): print "
                  "the readings and exit with 3; with -, answer {\"line\": N, \"error\": \"ambiguous\", ...}");
    add->add_option("--uid", request->uid,
                    "Give the item this identifier, to retry a save whose outcome was unknown: a server calendar "
                    "that already holds it counts it as saved")
        ->option_text("UID")
        ->check([](const std::string& uid) -> std::string {
            if (uid.empty() || uid.size() > 200) return "the identifier must have 1 to 200 characters";
            for (unsigned char c : uid) {
                if (c < 0x21 || c == 0x7f) return "the identifier must not hold spaces or control characters";
            }
            return {};
        });

    CLI::App* calendars =
        app.add_subcommand("calendars",
                           "List the calendars under their headings, asking each account's server for its list when "
                           "it was not asked in the last minute");
    calendars->add_flag("--json", request->json, "Print them as a JSON array");
    calendars->add_flag("--refresh", request->refresh, "Ask every account's server now, whenever it was last asked");
    calendars->callback(commandCallback([request] {
        request->command = ItemCommand::Calendars;
        return runInModule(*request);
    }));
}

}  // namespace linecal::cli
