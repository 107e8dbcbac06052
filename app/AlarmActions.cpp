// The default alarm as the controller keeps it.
#include "app/AppDelegate.h"

#include "app/PreferencesPanel.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"
#include "prefs/Settings.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QComboBox>
#include <QLineEdit>

namespace linecal {
namespace {

// The address book may take this long at most at start-up; a slower one is asked again when
// the preferences open, where the list is shown, and may then take longer (a first start of
// its service can take seconds).
constexpr std::chrono::milliseconds kAddressBookWait{500};
constexpr std::chrono::milliseconds kAddressBookPanelWait{10000};

}  // namespace

void AppDelegate::toggleAlarmEnabled(bool checked, const QString& minutesText) {
    prefs_.set(Setting::AlarmEnabled, checked);
    prefs_.set(Setting::AlarmMinutes, leadingInteger(minutesText).value_or(0));
    {
        const QSignalBlocker quiet(prefsPanel_->alarmCheckbox);
        prefsPanel_->alarmCheckbox->setChecked(checked);
    }
    prefsPanel_->alarmMinutesField->setEnabled(checked);
    addUsageEvent(QStringLiteral("Alarm Button/") + QString::fromUtf8(stringWithBool(checked)));
}

void AppDelegate::updateAlarmSettings(int typeIndex, int soundIndex, int emailIndex) {
    prefs_.set(Setting::AlarmTypeIndex, typeIndex);
    prefs_.set(Setting::AlarmSoundIndex, soundIndex);
    prefs_.set(Setting::AlarmEmailIndex, emailIndex);
    // A message needs no sound; an e-mail shows its address instead of a sound.
    prefsPanel_->alarmSoundDropdown->setEnabled(typeIndex != 0);
    prefsPanel_->alarmSoundView->setVisible(typeIndex != 2);
    prefsPanel_->alarmEmailView->setVisible(typeIndex == 2);
}

void AppDelegate::askForUserEmails(bool panelOpen) {
    if (!services_.addressBook || emailsAwaited_) return;
    emailsAwaited_ = true;
    services_.addressBook->selfEmailsLater(this, panelOpen ? kAddressBookPanelWait : kAddressBookWait, [this](const QStringList& emails,
                                                                      const QString& problem) {
        emailsAwaited_ = false;
        if (!problem.isEmpty()) qCInfo(lcApp, "no e-mail addresses for alarms: %s", qUtf8Printable(problem));
        takeUserEmails(emails);
    });
}

void AppDelegate::takeUserEmails(const QStringList& emails) {
    alarmEmails = emails;
    prefsPanel_->setEmails(alarmEmails);
    const int emailIndex = prefs_.intValue(Setting::AlarmEmailIndex);
    updateAlarmSettings(prefs_.intValue(Setting::AlarmTypeIndex), prefs_.intValue(Setting::AlarmSoundIndex),
                        alarmEmails.isEmpty() ? 0 : std::min<int>(emailIndex, alarmEmails.size() - 1));
    prefsPanel_->alarmEmailDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmEmailIndex));
}

AlarmChoice AppDelegate::currentAlarmChoice() const {
    return alarmChoice(prefs_.intValue(Setting::AlarmTypeIndex), prefs_.intValue(Setting::AlarmSoundIndex),
                       prefs_.intValue(Setting::AlarmEmailIndex), alarmEmails);
}

AlarmAction AppDelegate::alarmType() const { return currentAlarmChoice().action; }

QString AppDelegate::alarmSound() const {
    const auto sound = currentAlarmChoice().sound;
    return sound ? toQString(*sound) : QString();
}

QString AppDelegate::alarmEmail() const {
    const auto email = currentAlarmChoice().email;
    return email ? toQString(*email) : QString();
}

}  // namespace linecal
