// Usage statistics and the update service, kept on this machine.
//
// With the user's consent, named events and the start-up properties are appended to a JSON
// Lines file in the per-user state folder; without it nothing is written. Nothing ever leaves
// the machine. Updates come from the distribution, so the update service checks nothing; it
// only remembers whether it may describe the system.
#pragma once

#include <QJsonValue>
#include <QMap>
#include <QString>

#include <vector>

namespace linecal {

using UsageProperties = QMap<QString, QString>;

class UsageStats {
public:
    virtual ~UsageStats() = default;
    // The component's own consent switch, kept apart from linecal's settings.
    virtual bool isTrackingEnabled() const = 0;
    virtual void setTrackingEnabled(bool enabled) = 0;
    // Handed over whatever the consent; recorded only with it.
    virtual void addEvent(const QString& event) = 0;
    virtual void initWithProperties(const UsageProperties& properties) = 0;
};

class UpdateService {
public:
    virtual ~UpdateService() = default;
    virtual void setSendsSystemProfile(bool sends) = 0;
    virtual bool sendsSystemProfile() const = 0;
};

// $XDG_STATE_HOME/linecal/usage.jsonl (or ~/.local/state/…): one object per line with "time"
// (UTC, ISO 8601) and either "event" or "properties". The switch lives beside it in
// "usage-tracking" ("on" or "off"; off when missing).
class LocalUsageStats : public UsageStats {
public:
    explicit LocalUsageStats(QString folder = defaultFolder());
    static QString defaultFolder();

    bool isTrackingEnabled() const override;
    void setTrackingEnabled(bool enabled) override;
    void addEvent(const QString& event) override;
    void initWithProperties(const UsageProperties& properties) override;

    QString logPath() const;

private:
    void append(const char* key, const QJsonValue& value);

    QString folder_;
    bool enabled_ = false;
};

class LocalUpdateService : public UpdateService {
public:
    void setSendsSystemProfile(bool sends) override { sends_ = sends; }
    bool sendsSystemProfile() const override { return sends_; }

private:
    bool sends_ = false;
};

// Keeps everything in memory; for tests.
class MemoryUsageStats : public UsageStats {
public:
    bool isTrackingEnabled() const override { return enabled; }
    void setTrackingEnabled(bool on) override { enabled = on; }
    void addEvent(const QString& event) override { events.push_back(event); }
    void initWithProperties(const UsageProperties& p) override { properties.push_back(p); }

    bool enabled = false;
    std::vector<QString> events;
    std::vector<UsageProperties> properties;
};

}  // namespace linecal
