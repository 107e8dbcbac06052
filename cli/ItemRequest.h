// What the front end hands the item commands' module: plain values only, so the
// module's side needs nothing of the command-line parser.
#pragma once

#include "modules/ModuleEntry.h"

#include <optional>
#include <string>
#include <vector>

namespace linecal::cli {

enum class ItemCommand { Preview, Add, Calendars, AccountsAdd, AccountsList, AccountsRemove };

// `linecal accounts add|remove`: the account's details as typed.
struct AccountDetails {
    std::string name;
    std::string url;
    std::string username;
    std::optional<std::string> passwordCommand;
};

struct ItemRequest {
    ItemCommand command = ItemCommand::Preview;
    std::string store;   // --store, empty for the default
    std::string config;  // --config, empty for the default
    std::optional<std::string> now;
    std::vector<std::string> words;  // the entry words; "-" alone reads standard input
    bool json = false;
    bool refresh = false;  // calendars --refresh: ask every server now
    bool launch = false;
    bool verbose = false;
    std::optional<std::string> uid;  // add --uid: the item's identifier, for retrying a save safely
    bool strict = false;             // add --strict: refuse an entry that can be read two ways
    AccountDetails account;
};

// The module's entry struct. Raise the version whenever this header changes.
struct ItemsModule : modules::ModuleEntry {
    int (*run)(const ItemRequest& request);  // the exit code
};
inline constexpr int kItemsModuleVersion = 2;
inline constexpr const char* kItemsModuleName = "linecal-items";
inline constexpr const char* kItemsModuleEntry = "linecal_items_module";

}  // namespace linecal::cli
