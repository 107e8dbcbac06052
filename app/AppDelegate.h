// The desktop program's front: start-up and shutdown, and what involves more than one of the
// three controllers it owns (the entry dialog's; the tray's and the hot key's; the
// preferences'). One lives for the whole run.
#pragma once

#include "app/AppServices.h"
#include "platform/WindowActivation.h"
#include "prefs/Preferences.h"

#include <QObject>

#include <memory>

namespace linecal {

class EntryController;
class PreferencesController;
class StatusItem;
class TrayController;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppServices services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // ---- start-up and shutdown
    // Makes the first preview a worked example and looks up the calendar program.
    void awakeFromNib();
    // Applies the stored settings to every controller; opens the dialog on the first launch.
    void applicationDidFinishLaunching();
    // A later start of the program (or `linecal show`) asked for the dialog.
    bool applicationShouldHandleReopen(const Activation& activation = {});
    void applicationWillTerminate();

    // ---- what the program, the menu and the hot key ask for
    void showDialog(const Activation& activation = {});
    void showPreferences(const Activation& activation = {});
    // What the menu shows is brought up to date before it opens.
    void refreshMenu();
    // A server's calendar list has changed: what shows the calendars is brought up to date.
    void calendarsChanged();
    QString hotKeyShortcut() const;
    StatusItem* menuItem() const;

    Preferences& preferences() { return prefs_; }
    EntryController& entry() const { return *entry_; }
    TrayController& tray() const { return *tray_; }
    PreferencesController& preferencesWindow() const { return *prefsWindow_; }

signals:
    // Something the user should know and no window shows (a calendar program that did not start).
    void notice(const QString& message);
    void quitRequested();

private:
    void connectControllers();
    void collectUsageProperties();

    AppServices services_;
    Preferences prefs_;
    std::unique_ptr<EntryController> entry_;
    std::unique_ptr<TrayController> tray_;
    std::unique_ptr<PreferencesController> prefsWindow_;
};

}  // namespace linecal
