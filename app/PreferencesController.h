// The preferences window's controller: filling it, the default alarm and the user's addresses
// for it, the calendar choice, the number fields, start at login, usage statistics and the
// support links. Every change is stored through Preferences as it is made.
#pragma once

#include "app/AppServices.h"
#include "platform/WindowActivation.h"
#include "prefs/Preferences.h"

#include <QObject>

#include <functional>
#include <memory>

class QKeyEvent;

namespace linecal {

class PreferencesPanel;

class PreferencesController : public QObject {
    Q_OBJECT
public:
    PreferencesController(const AppServices& services, Preferences& prefs, QObject* parent = nullptr);
    ~PreferencesController() override;

    PreferencesPanel* panel() const { return panel_.get(); }

    void showPreferences(const Activation& activation = {});
    // Every control as the settings are now; the calendar list is rebuilt at each opening instead.
    void refreshPreferences();
    void fillCalendarMenu();
    void updateCalendarSelection(int index);
    // The number fields: their text becomes the number it starts with, then it applies.
    void alarmMinutesEdited(const QString& text);
    void eventLengthEdited(const QString& text);
    void showLaunchAtStartup();
    void toggleLaunchAtStartup();
    void toggleUsageData();
    void clickMenuIconButton(bool checked);
    // The calendar program the calendar list is made for.
    void setCalendarProgram(const QString& name) { calAppName_ = name; }
    // The hot key as the tray controller has it, and where a press in its field goes (true when
    // the press became the new hot key).
    void showHotKey(const QString& keys, bool working);
    void setHotKeyCapture(std::function<bool(const QKeyEvent&)> capture);

    // ---- the default alarm
    // Stored values on a later launch; on the first, the calendar application's default time.
    void applyStoredAlarm(bool firstLaunch);
    void toggleAlarmEnabled(bool checked, const QString& minutesText);
    void updateAlarmSettings(int typeIndex, int soundIndex, int emailIndex);
    // Asks the address book for the user's addresses, unless an answer is already awaited.
    // `panelOpen`: the list is in view, so a slow address book is given longer.
    void askForUserEmails(bool panelOpen = false);
    // The user's own addresses, once the address book has them.
    void takeUserEmails(const QStringList& emails);
    AlarmAction alarmType() const;
    QString alarmEmail() const;

signals:
    void emailsChanged(const QStringList& emails);

private:
    bool isLaunchAtStartup() const;
    void showUsageConsent();
    void openSupportLink(const QString& address, const char* event);

    const AppServices& services_;
    Preferences& prefs_;
    std::unique_ptr<PreferencesPanel> panel_;
    QStringList emails_;          // the user's own addresses, the e-mail list's entries
    bool emailsAwaited_ = false;  // an address-book answer is on its way
    QString calAppName_ = QStringLiteral("Calendar");
    QString hotKeyKeys_;
    bool hotKeyWorking_ = false;
};

}  // namespace linecal
