// What the item commands open once per run, however many entries follow: the
// settings file and the calendar store.
#pragma once

#include "cli/ItemRequest.h"
#include "items/CurrentItem.h"
#include "prefs/Settings.h"
#include "stores/VdirStore.h"

#include <string>

namespace linecal::cli {

struct ItemSession {
    explicit ItemSession(const ItemRequest& request);

    IniSettings settings;
    VdirStore store;
};

// What the dialog would see: settings as stored, and the first calendar as target when none
// valid is stored (start-up would have stored it).
ItemSettings effectiveSettings(const SettingsStore& settings, const CalendarStore& store);

// The store's message and what to do, each on its own line of standard error.
void printStoreError(const StoreError& error);

int runAdd(const ItemRequest& request);

}  // namespace linecal::cli
