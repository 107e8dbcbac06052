// The default alarm as the controller keeps it.
#include "app/AppDelegate.h"

#include "app/PreferencesPanel.h"
#include "parse/TextHelpers.h"
#include "prefs/Settings.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QComboBox>
#include <QLineEdit>

namespace linecal {

void AppDelegate::toggleAlarmEnabled(bool checked, const QString& minutesText) {
    isAlarmEnabled = checked;
    alarmMinutes = leadingInteger(minutesText).value_or(0);
    writeSetting(*services_.settings, Setting::AlarmEnabled, isAlarmEnabled);
    writeSetting(*services_.settings, Setting::AlarmMinutes, alarmMinutes);
    {
        const QSignalBlocker quiet(prefsPanel_->alarmCheckbox);
        prefsPanel_->alarmCheckbox->setChecked(isAlarmEnabled);
    }
    prefsPanel_->alarmMinutesField->setEnabled(isAlarmEnabled);
    addUsageEvent(QStringLiteral("Alarm Button/") + QString::fromUtf8(stringWithBool(isAlarmEnabled)));
}

void AppDelegate::updateAlarmSettings(int typeIndex, int soundIndex, int emailIndex) {
    alarmTypeIndex = typeIndex;
    alarmSoundIndex = soundIndex;
    alarmEmailIndex = emailIndex;
    writeSetting(*services_.settings, Setting::AlarmTypeIndex, typeIndex);
    writeSetting(*services_.settings, Setting::AlarmSoundIndex, soundIndex);
    writeSetting(*services_.settings, Setting::AlarmEmailIndex, emailIndex);
    // A message needs no sound; an e-mail shows its address instead of a sound.
    prefsPanel_->alarmSoundDropdown->setEnabled(typeIndex != 0);
    prefsPanel_->alarmSoundView->setVisible(typeIndex != 2);
    prefsPanel_->alarmEmailView->setVisible(typeIndex == 2);
}

void AppDelegate::takeUserEmails(const QStringList& emails) {
    alarmEmails = emails;
    prefsPanel_->setEmails(alarmEmails);
    updateAlarmSettings(alarmTypeIndex, alarmSoundIndex,
                        alarmEmails.isEmpty() ? 0 : std::min<int>(alarmEmailIndex, alarmEmails.size() - 1));
    prefsPanel_->alarmEmailDropdown->setCurrentIndex(alarmEmailIndex);
}

AlarmAction AppDelegate::alarmType() const {
    return alarmChoice(alarmTypeIndex, alarmSoundIndex, alarmEmailIndex, alarmEmails).action;
}

QString AppDelegate::alarmSound() const {
    const auto sound = alarmChoice(alarmTypeIndex, alarmSoundIndex, alarmEmailIndex, alarmEmails).sound;
    return sound ? toQString(*sound) : QString();
}

QString AppDelegate::alarmEmail() const {
    const auto email = alarmChoice(alarmTypeIndex, alarmSoundIndex, alarmEmailIndex, alarmEmails).email;
    return email ? toQString(*email) : QString();
}

}  // namespace linecal
