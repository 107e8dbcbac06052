// Where linecal keeps what outlives a run: a small key-value interface, in memory for tests
// and as an INI file for real use.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace linecal {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // True when any value is stored under the key.
    virtual bool contains(const QString& key) const = 0;
    // The raw stored value; invalid when absent.
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    // Writes pending changes to permanent storage now; false when that failed.
    virtual bool flush() = 0;
    // Why nothing is stored, when the stored settings are damaged; empty otherwise.
    virtual QString damage() const { return {}; }
    // Puts the damaged settings aside and stores from then on, the values set meanwhile first;
    // false with `error` set when that cannot be done (the cause; the dialog adds what to do).
    virtual bool startFresh(QString* error);

    // Typed reads. A value that does not read as the type counts as absent.
    std::optional<QString> readString(const QString& key) const;
    std::int32_t readInt(const QString& key) const { return readIntIfPresent(key).value_or(0); }
    bool readBool(const QString& key) const { return readBoolIfPresent(key).value_or(false); }
    std::optional<std::int32_t> readIntIfPresent(const QString& key) const;
    std::optional<bool> readBoolIfPresent(const QString& key) const;
};

class MemorySettings : public SettingsStore {
public:
    bool contains(const QString& key) const override { return values_.contains(key); }
    QVariant value(const QString& key) const override { return values_.value(key); }
    void setValue(const QString& key, const QVariant& value) override;
    bool flush() override;

    const QHash<QString, QVariant>& values() const { return values_; }
    int writeCount() const { return writes_; }
    int flushCount() const { return flushes_; }

private:
    QHash<QString, QVariant> values_;
    int writes_ = 0;
    int flushes_ = 0;
};

using Warn = std::function<void(const QString&)>;
// Writes "linecal: warning: …" to stderr.
void warnOnStderr(const QString& message);

// QSettings in INI format for reading. A flush writes only the values that changed, each on its own
// line, so the user's comments and lines linecal does not know stay. A file that cannot be read, is
// not valid UTF-8, or has a line that is not INI is damaged and left untouched: reads give the
// fallbacks, writes stay in memory, and the first flush warns.
class IniSettings : public SettingsStore {
public:
    explicit IniSettings(const QString& path, Warn warn = warnOnStderr);
    ~IniSettings() override;

    // $XDG_CONFIG_HOME/linecal/linecal.conf, or ~/.config/linecal/linecal.conf.
    static QString defaultPath();

    bool isUsable() const { return settings_ != nullptr; }
    const QString& path() const { return path_; }
    QString damage() const override { return settings_ ? QString() : problem_; }
    // Renames the damaged file to linecal.conf.damaged-YYYY-MM-DD (-2, -3 … when taken); the
    // damaged file itself is never written.
    bool startFresh(QString* error) override;

    bool contains(const QString& key) const override;
    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    bool flush() override;

private:
    // Writes the unsaved values into the file as it is now; false with a warning when it cannot.
    bool writeChanges();

    QString path_;
    Warn warn_;
    QString problem_;
    bool warnedUnsaved_ = false;
    std::unique_ptr<QSettings> settings_;
    QHash<QString, QVariant> changed_;  // values set in this run, read before the file's
    QStringList unsaved_;               // their keys while the file does not hold them, in order
    MemorySettings detached_;           // where writes go while the file is unusable
};

// The integer a text starts with: white space, an optional sign, digits; clamped to 32 bits.
std::optional<std::int32_t> leadingInteger(const QString& text);

}  // namespace linecal
