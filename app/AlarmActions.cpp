// The default alarm as the controller keeps it.
#include "app/AppDelegate.h"

#include "parse/TextHelpers.h"
#include "prefs/Settings.h"

namespace linecal {

void AppDelegate::toggleAlarmEnabled(bool checked, const QString& minutesText) {
    isAlarmEnabled = checked;
    alarmMinutes = leadingInteger(minutesText).value_or(0);
    writeSetting(*services_.settings, Setting::AlarmEnabled, isAlarmEnabled);
    writeSetting(*services_.settings, Setting::AlarmMinutes, alarmMinutes);
    addUsageEvent(QStringLiteral("Alarm Button/") + QString::fromUtf8(stringWithBool(isAlarmEnabled)));
}

void AppDelegate::updateAlarmSettings(int typeIndex, int soundIndex, int emailIndex) {
    alarmTypeIndex = typeIndex;
    alarmSoundIndex = soundIndex;
    alarmEmailIndex = emailIndex;
    writeSetting(*services_.settings, Setting::AlarmTypeIndex, typeIndex);
    writeSetting(*services_.settings, Setting::AlarmSoundIndex, soundIndex);
    writeSetting(*services_.settings, Setting::AlarmEmailIndex, emailIndex);
}

}  // namespace linecal
