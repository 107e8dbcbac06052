#include "prefs/UsageStats.h"

#include "modules/XdgDirs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace linecal {

LocalUsageStats::LocalUsageStats(QString folder) : folder_(std::move(folder)) {
    QFile file(folder_ + QStringLiteral("/usage-tracking"));
    enabled_ = file.open(QIODevice::ReadOnly) && file.readAll().trimmed() == "on";
}

QString LocalUsageStats::defaultFolder() {
    return QString::fromStdString((xdgDir(XdgDir::State) / "linecal").string());
}

QString LocalUsageStats::logPath() const { return folder_ + QStringLiteral("/usage.jsonl"); }

bool LocalUsageStats::isTrackingEnabled() const { return enabled_; }

void LocalUsageStats::setTrackingEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    QDir().mkpath(folder_);
    QSaveFile file(folder_ + QStringLiteral("/usage-tracking"));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(enabled ? "on\n" : "off\n");
        file.commit();
    }
}

void LocalUsageStats::addEvent(const QString& event) { append("event", event); }

void LocalUsageStats::initWithProperties(const UsageProperties& properties) {
    QJsonObject object;
    for (auto it = properties.begin(); it != properties.end(); ++it) object.insert(it.key(), it.value());
    append("properties", object);
}

void LocalUsageStats::append(const char* key, const QJsonValue& value) {
    if (!enabled_) return;
    QJsonObject line{{QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
                     {QString::fromUtf8(key), value}};
    QDir().mkpath(folder_);
    QFile file(logPath());
    // One write of a whole line in append mode, so concurrent writers never interleave inside a line.
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    }
}

}  // namespace linecal
