// The application controller: start-up, the entry dialog's operations, the tray item and its
// pulse, the calendar program, the hot key. One lives for the whole run.
#pragma once

#include "app/SupportLinks.h"
#include "items/CalendarStore.h"
#include "platform/AddressBook.h"
#include "platform/CalendarApps.h"
#include "platform/HotKeys.h"
#include "platform/LoginItems.h"
#include "platform/WindowActivation.h"
#include "prefs/Preferences.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QAction;
class QKeyEvent;
class QMenu;

namespace linecal {

class EntryDialog;
class PreferencesPanel;
class SettingsStore;
class StatusItem;
class UpdateService;
class UsageStats;
struct ItemSettings;

// The services the controller works with, owned by whoever made the controller.
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
    // Asks every account's server for its calendars now, whenever it was last asked; null
    // without accounts. Openings of the dialog, menu and preferences ask at most once a minute.
    std::function<void()> refreshCalendars;
    // The support buttons' addresses; a button without one is hidden.
    SupportLinks support;
    // Whether a tray can show the status item (tests say no to keep it out of the way).
    bool useTray = true;
};

// The platform's blue and red, as the pulse uses them.
inline const QColor kPulseBlue{0, 0, 255};
inline const QColor kPulseRed{255, 0, 0};

class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppServices services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // ---- start-up and shutdown
    void awakeFromNib();
    void applicationDidFinishLaunching();
    // A later start of the program (or `linecal show`) asked for the dialog.
    bool applicationShouldHandleReopen(const Activation& activation = {});
    void applicationWillTerminate();

    // ---- the entry dialog
    void showDialog(const Activation& activation = {});
    void hideDialog();
    bool isDialogOpen() const;
    void controlTextDidChange();
    std::unique_ptr<CalendarItem> currentItem() const;
    // Saves the current item; `exactlyCommand` tells that only Ctrl was held, which also shows
    // the item in the calendar program. True when it was saved.
    bool addEvent(bool exactlyCommand);
    void clickHelpButton();
    void showHelp();
    void hideHelp();
    void toggleHelp(bool show);
    // The notice's button: the damaged settings file goes aside and settings are stored again.
    void startFreshSettings();

    // ---- tray item, menu and pulse
    void updateMenuIcon();
    void refreshMenu();  // what the menu shows is brought up to date before it opens
    void clickMenuIconButton(bool checked);
    void pulseIcon(const QColor& color, int count);

    // ---- the calendar program
    void updateDefaultCalendar();
    void launchCal();
    void findEventInBusyCal(const QUrl& address);

    // ---- the hot key
    // Stores the hot key, shows it in the menu and registers it.
    void syncHotKeys(const HotKeySetting& key);
    void registerHotKeys();
    void showHotKeyStatus(HotKeyStatus status);
    QString hotKeyText() const;       // "Ctrl+Alt+R", as the desktop writes keys
    QString hotKeyShortcut() const;  // "Ctrl+Alt+R" form
    QString trayToolTip() const;      // says whether the hot key works

    // ---- the default alarm
    void toggleAlarmEnabled(bool checked, const QString& minutesText);
    void updateAlarmSettings(int typeIndex, int soundIndex, int emailIndex);
    // The user's own addresses, once the address book has them.
    void takeUserEmails(const QStringList& emails);
    // Asks the address book for the user's addresses, unless an answer is already awaited.
    // `panelOpen`: the list is in view, so a slow address book is given longer.
    void askForUserEmails(bool panelOpen = false);
    AlarmAction alarmType() const;
    QString alarmSound() const;
    QString alarmEmail() const;

    // A server's calendar list has changed: what shows the calendars is brought up to date.
    void calendarsChanged();

    // ---- the preferences
    void showPreferences(const Activation& activation = {});
    void updateCalendarSelection(int index);
    // The number fields: their text becomes the number it starts with, then it applies.
    void alarmMinutesEdited(const QString& text);
    void eventLengthEdited(const QString& text);
    bool isLaunchAtStartup() const;
    void toggleLaunchAtStartup();
    void toggleUsageData();
    void clickEmailButton();
    void clickTwitterButton();
    void clickWebButton();
    void clickAppStoreButton();
    // A key press in the hot-key field; true when it became the new hot key.
    bool handleHotKeyUpdateWithEvent(const QKeyEvent& event);

    // The settings: every stored value is read from here, never kept in a copy.
    Preferences& preferences() { return prefs_; }
    const Preferences& preferences() const { return prefs_; }

    // ---- what the run has learnt (the fields other parts read)
    QStringList alarmEmails;  // the user's own addresses, the e-mail list's entries
    HotKeyStatus hotKeyStatus = HotKeyStatus::Unsupported;

    QString lastCalendarName;
    QString lastEventName;
    std::optional<Date> lastEventDate;

    QString calAppName = QStringLiteral("Calendar");
    std::optional<CalendarApp> calApp;

    // ---- views, for the program's entry point and for tests
    EntryDialog* dialog() const { return dialog_.get(); }
    StatusItem* menuItem() const { return menuItem_.get(); }
    QMenu* menu() const { return menu_.get(); }
    QAction* vorlaMenuItem() const { return vorlaMenuItem_; }
    QAction* launchCalItem() const { return launchCalItem_; }
    QAction* preferencesItem() const { return preferencesItem_; }
    PreferencesPanel* prefsPanel() const { return prefsPanel_.get(); }

signals:
    // Something the user should know and no window shows (a calendar program that did not start).
    void notice(const QString& message);
    void quitRequested();

private:
    ItemSettings itemSettings() const;
    AlarmChoice currentAlarmChoice() const;
    void prepareStore();
    void rememberLastItem(const CalendarItem& item);
    void showSaveFailure(const StoreError& error, const CalendarItem& item);
    void saveInBackground(std::shared_ptr<CalendarItem> item, bool exactlyCommand);
    void finishSave(bool saved, const CalendarItem& item, const StoreError& error, bool exactlyCommand);
    void buildMenu();
    void applyStoredHotKey();
    void applyStoredAlarm(bool firstLaunch);
    void collectUsageProperties();
    void addUsageEvent(const QString& event);
    void connectPreferences();
    void refreshPreferences();
    void fillCalendarMenu();
    void showLaunchAtStartup();
    void showUsageConsent();
    void openSupportLink(const QString& address, const char* event);

    AppServices services_;
    Preferences prefs_;
    std::optional<StoreError> storeProblem_;  // why the store has no calendar, while it has none
    bool settingsDamageSaid_ = false;  // the dialog has shown why settings are not stored
    std::unique_ptr<EntryDialog> dialog_;
    std::unique_ptr<PreferencesPanel> prefsPanel_;
    std::unique_ptr<QMenu> menu_;
    QAction* vorlaMenuItem_ = nullptr;
    QAction* launchCalItem_ = nullptr;
    QAction* preferencesItem_ = nullptr;
    std::unique_ptr<StatusItem> menuItem_;
    std::thread saver_;  // the save to a server under way, if any
    bool emailsAwaited_ = false;  // an address-book answer is on its way
    // A save whose outcome was unknown: saving the same text again reuses its identifier, so a
    // copy that did reach the server is found instead of doubled.
    struct UnconfirmedSave {
        QString text;
        icu::UnicodeString uid;
    };
    std::optional<UnconfirmedSave> unconfirmed_;
};

}  // namespace linecal
