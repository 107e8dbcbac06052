// A controller on in-memory services, pinned to Los Angeles and en_US, with now at
// Wednesday 10 March 2010, 15:00.
#pragma once

#include "TestSupport.h"

#include "app/AppDelegate.h"
#include "app/EntryController.h"
#include "app/EntryDialog.h"
#include "app/PreferencesController.h"
#include "app/TrayController.h"
#include "platform/CalendarApps.h"
#include "platform/HotKeys.h"
#include "prefs/Settings.h"
#include "prefs/SettingsStore.h"
#include "prefs/UsageStats.h"
#include "stores/MemoryStore.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

namespace linecal::testing {

struct AppFixture {
    AppFixture() {
        pinLocale("en_US", "America/Los_Angeles");
        personal = store.addCalendar({u"personal", u"Personal", CalCalendarTypeLocal, {}, true});
        hotKeys.keyboard = {{QStringLiteral("r"), 27}, {QStringLiteral("k"), 45}};
        apps.app = CalendarApp{QStringLiteral("fakecal.desktop"), QStringLiteral("Fake Calendar")};
    }

    // Creates the controller and runs start-up as the program does.
    AppDelegate& launch(bool useTray = false) {
        AppServices services;
        services.store = store_ ? store_ : &store;
        services.settings = settings_ ? settings_ : &settings;
        services.hotKeys = &hotKeys;
        services.calendarApps = &apps;
        services.usage = &usage;
        services.updater = &updater;
        services.now = [this] { return now; };
        services.useTray = useTray;
        services.prepareStore = prepare;
        services.loginItems = loginItems;
        services.addressBook = addressBook;
        services.savesOverNetwork = savesOverNetwork;
        services.lastDesktopSource = lastDesktopSource;
        services.support = support;
        app = std::make_unique<AppDelegate>(std::move(services));
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
        return *app;
    }

    // Settings come from here instead of the in-memory ones.
    void useSettings(SettingsStore& other) { settings_ = &other; }

    // Saves go to this store instead of the in-memory one.
    void useStore(CalendarStore& other) { store_ = &other; }

    // What a returning start finds: the first-start marker set.
    void markLaunchedBefore() { settings.setValue(settingKey(Setting::AppHasLaunched), true); }

    EntryDialog& dialog() const { return *app->entry().dialog(); }
    // The last saved item's identifier as the controller's settings hold it.
    QString lastEventUid() const { return app->preferences().stringValue(Setting::LastEventUID).value_or(QString()); }
    void type(const QString& text) const { dialog().titleField->setText(text); }

    MemoryStore store;
    CalendarRef personal;
    MemorySettings settings;
    MemoryHotKeys hotKeys;
    MemoryCalendarApps apps;
    MemoryUsageStats usage;
    LocalUpdateService updater;
    Date now = local(2010, 3, 10, 15, 0);
    std::function<bool(StoreError*)> prepare;
    LoginItems* loginItems = nullptr;
    AddressBook* addressBook = nullptr;
    std::function<bool(const CalendarItem&)> savesOverNetwork;
    std::function<QString()> lastDesktopSource;
    SupportLinks support;  // none, as a build without the options
    CalendarStore* store_ = nullptr;
    SettingsStore* settings_ = nullptr;
    std::unique_ptr<AppDelegate> app;
};

inline QString stored(const SettingsStore& settings, Setting id) { return settings.value(settingKey(id)).toString(); }

}  // namespace linecal::testing
