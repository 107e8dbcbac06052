#include "prefs/DefaultAlarm.h"

#include "prefs/Settings.h"

#include "modules/XdgDirs.h"

#include <QFileInfo>
#include <QSettings>

namespace linecal {
namespace {

QString readDefault(const char* key, const char* fallback) {
    const QString path = iCalPreferencesPath();
    if (!QFileInfo(path).isFile()) return QString::fromUtf8(fallback);
    // Read afresh every time: the user may change it while linecal runs.
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) return QString::fromUtf8(fallback);
    QVariant value = file.value(QString::fromUtf8(key));
    return value.isValid() ? value.toString() : QString::fromUtf8(fallback);
}

}  // namespace

QString iCalPreferencesPath() {
    return QString::fromStdString((xdgDir(XdgDir::Config) / "linecal" / "calendar-defaults.conf").string());
}

QString defaultAlarmTime() { return readDefault("Default alarm time", "30"); }
QString defaultAlarmSound() {
    return readDefault("Default alarm sound", alarmSoundNames().first().toUtf8().constData());
}

bool doesiCalPreferencesExist() {
    const QString path = iCalPreferencesPath();
    if (!QFileInfo(path).isFile()) return false;
    QSettings file(path, QSettings::IniFormat);
    return file.status() == QSettings::NoError;
}

}  // namespace linecal
