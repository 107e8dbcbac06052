#include "prefs/DefaultAlarm.h"

#include "prefs/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace linecal {
namespace {

QString readDefault(const char* key, const char* fallback) {
    auto path = iCalPreferencesPath();
    if (!path || !QFileInfo(*path).isFile()) return QString::fromUtf8(fallback);
    // Read afresh every time: the user may change it while linecal runs.
    QSettings file(*path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) return QString::fromUtf8(fallback);
    QVariant value = file.value(QString::fromUtf8(key));
    return value.isValid() ? value.toString() : QString::fromUtf8(fallback);
}

}  // namespace

std::optional<QString> iCalPreferencesPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base)) {
        const QString home = QDir::homePath();
        if (home.isEmpty() || home == QStringLiteral("/")) return std::nullopt;
        base = home + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/linecal/calendar-defaults.conf");
}

QString defaultAlarmTime() { return readDefault("Default alarm time", "30"); }
QString defaultAlarmSound() { return readDefault("Default alarm sound", alarmSoundNames().first().toUtf8().constData()); }

bool doesiCalPreferencesExist() {
    auto path = iCalPreferencesPath();
    if (!path || !QFileInfo(*path).isFile()) return false;
    QSettings file(*path, QSettings::IniFormat);
    return file.status() == QSettings::NoError;
}

}  // namespace linecal
