// What the item commands open once per run, however many entries follow: the
// settings file and the user's calendars (the local ones and every account's).
#pragma once

#include "cli/ItemRequest.h"
#include "items/CurrentItem.h"
#include "prefs/Preferences.h"
#include "stores/UserCalendars.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

namespace linecal::cli {

struct ItemSession {
    // `refresh` says which servers are asked for their lists now; a damaged accounts file
    // is reported as a warning and leaves the local calendars.
    ItemSession(const ItemRequest& request, ServerRefresh refresh);

    IniSettings settings;
    Preferences preferences{settings};
    std::unique_ptr<UserCalendars> calendars;
    UserCalendars& store;
};

// What the dialog would see: settings as stored, and the first calendar as target when none
// valid is stored (start-up would have stored it).
ItemSettings commandLineSettings(const ItemSession& session);

// How `calendars` and `add --json` name the store that holds a calendar: "vdir", "caldav", "eds".
const char* storeName(StoreKind kind);

// The other readings, each with its reason, preview line and the text that reads that way.
nlohmann::json otherReadingsJson(const ItemReadings& readings, Date now);

int runAdd(const ItemRequest& request);
int runAccounts(const ItemRequest& request);

}  // namespace linecal::cli
