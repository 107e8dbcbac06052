// What the desktop program's controllers work with, owned by whoever made them.
#pragma once

#include "app/SupportLinks.h"
#include "items/CalendarStore.h"
#include "platform/AddressBook.h"
#include "platform/CalendarApps.h"
#include "platform/HotKeys.h"
#include "platform/LoginItems.h"
#include "prefs/UsageStats.h"

#include <QColor>

#include <functional>

namespace linecal {

class SettingsStore;

struct AppServices {
    CalendarStore* store = nullptr;
    SettingsStore* settings = nullptr;
    HotKeyService* hotKeys = nullptr;  // null where the desktop offers none
    CalendarApps* calendarApps = nullptr;
    UsageStats* usage = nullptr;
    UpdateService* updater = nullptr;
    std::function<Date()> now;
    AddressBook* addressBook = nullptr;  // the user's own e-mail addresses; none when null
    LoginItems* loginItems = nullptr;    // starting at login; the check box is disabled when null
    // Makes sure the store has a calendar to save into (a first calendar in an empty store); false
    // with the reason when it cannot. Asked at start-up and whenever the dialog opens on a store
    // without calendars, so a folder the user repairs is taken up without a restart.
    std::function<bool(StoreError*)> prepareStore;
    // True for an item whose save goes over the network: it is saved off the GUI thread, so a
    // slow server never freezes the program. Null: every save is local and immediate.
    std::function<bool(const CalendarItem&)> savesOverNetwork;
    // The desktop's calendar (EDS source) that took the last save into the desktop's calendars;
    // empty before one, or null without them. A calendar program that opens an event by its
    // source is asked for the item saved there.
    std::function<QString()> lastDesktopSource;
    // Asks every account's server for its calendars now, whenever it was last asked; null
    // without accounts. Openings of the dialog, menu and preferences ask at most once a minute.
    std::function<void()> refreshCalendars;
    // The support buttons' addresses; a button without one is hidden.
    SupportLinks support;
    // Whether a tray can show the status item (tests say no to keep it out of the way).
    bool useTray = true;

    // Hands a named event to the usage statistics, which record it only with consent.
    void addUsageEvent(const QString& event) const {
        if (usage) usage->addEvent(event);
    }
};

// The platform's blue and red, as the pulse uses them.
inline const QColor kPulseBlue{0, 0, 255};
inline const QColor kPulseRed{255, 0, 0};

}  // namespace linecal
