#include "prefs/SettingsStore.h"

#include "prefs/IniText.h"

#include "modules/XdgDirs.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryFile>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace linecal {

std::optional<std::int32_t> leadingInteger(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    long long value = 0;
    qsizetype start = i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1LL << 32);
    }
    if (i == start) return std::nullopt;
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

bool SettingsStore::startFresh(QString*) { return true; }  // nothing damaged, nothing to put aside

std::optional<QString> SettingsStore::readString(const QString& key) const {
    QVariant v = value(key);
    if (!v.isValid() || !v.canConvert<QString>()) return std::nullopt;
    return v.toString();
}

std::optional<std::int32_t> SettingsStore::readIntIfPresent(const QString& key) const {
    QVariant v = value(key);
    if (!v.isValid()) return std::nullopt;
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1 : 0;
    return leadingInteger(v.toString());
}

std::optional<bool> SettingsStore::readBoolIfPresent(const QString& key) const {
    QVariant v = value(key);
    if (!v.isValid()) return std::nullopt;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    const QString text = v.toString().trimmed().toLower();
    if (text == QStringLiteral("true") || text == QStringLiteral("yes")) return true;
    if (text == QStringLiteral("false") || text == QStringLiteral("no")) return false;
    if (auto number = leadingInteger(text)) return *number != 0;
    return std::nullopt;
}

void MemorySettings::setValue(const QString& key, const QVariant& value) {
    values_.insert(key, value);
    ++writes_;
}

bool MemorySettings::flush() {
    ++flushes_;
    return true;
}

void warnOnStderr(const QString& message) {
    std::fprintf(stderr, "linecal: warning: %s\n", message.toUtf8().constData());
}

QString IniSettings::defaultPath() {
    return QString::fromStdString((xdgDir(XdgDir::Config) / "linecal" / "linecal.conf").string());
}

namespace {

// The file's text for editing; nothing, with `problem` saying why, when it cannot be read or is
// not text. A missing file is empty.
std::optional<QByteArray> readSettingsFile(const QString& path, QString* problem) {
    QFileInfo info(path);
    if (!info.exists()) return QByteArray();
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("cannot read the settings file %1").arg(path);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (file.error() != QFileDevice::NoError) {
        *problem = QStringLiteral("cannot read the settings file %1").arg(path);
        return std::nullopt;
    }
    if (decoder.hasError() || bytes.contains('\0')) {
        *problem = QStringLiteral("the settings file %1 is not text").arg(path);
        return std::nullopt;
    }
    return bytes;
}

std::optional<IniText> parseSettings(const QByteArray& bytes, const QString& path, QString* problem) {
    QString why;
    auto ini = IniText::parse(bytes, &why);
    if (!ini) *problem = QStringLiteral("the settings file %1 is damaged (%2)").arg(path, why);
    return ini;
}

// The values as QSettings writes them, so that it reads them back the same: it writes them into a
// scratch file of its own, and the lines are taken from there.
std::optional<IniText> spelledByQSettings(const QHash<QString, QVariant>& values, const QStringList& keys) {
    QTemporaryFile scratch;
    if (!scratch.open()) return std::nullopt;
    scratch.close();
    {
        QSettings writer(scratch.fileName(), QSettings::IniFormat);
        for (const QString& key : keys) writer.setValue(key, values.value(key));
        writer.sync();
        if (writer.status() != QSettings::NoError) return std::nullopt;
    }
    QFile written(scratch.fileName());
    if (!written.open(QIODevice::ReadOnly)) return std::nullopt;
    return IniText::parse(written.readAll(), nullptr);
}

// Whether linecal's reading of the lines finds the keys QSettings finds: only then can it edit them.
bool sameKeys(const QStringList& ours, const QStringList& theirs) {
    return QSet<QString>(ours.begin(), ours.end()) == QSet<QString>(theirs.begin(), theirs.end());
}

// Whether a value would be written as the one stored already: a number set where the file holds
// its text is no change.
bool sameValue(const QVariant& stored, const QVariant& value) {
    if (!stored.isValid() || stored.typeId() != value.typeId()) {
        const auto plain = [](const QVariant& v) {
            return v.isValid() && v.typeId() != QMetaType::QStringList && v.canConvert<QString>();
        };
        return plain(stored) && plain(value) && stored.toString() == value.toString();
    }
    return stored == value;
}

}  // namespace

IniSettings::IniSettings(const QString& path, Warn warn) : path_(path), warn_(std::move(warn)) {
    auto bytes = readSettingsFile(path, &problem_);
    std::optional<IniText> ini;
    if (bytes) ini = parseSettings(*bytes, path, &problem_);
    if (ini) {
        settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
        if (settings_->status() != QSettings::NoError) {
            problem_ = QStringLiteral("the settings file %1 is damaged").arg(path);
        } else if (!sameKeys(ini->keys(), settings_->allKeys())) {
            problem_ =
                QStringLiteral("the settings file %1 is damaged (linecal cannot tell which line holds which setting)")
                    .arg(path);
        }
        if (!problem_.isEmpty()) settings_.reset();
    }
    if (!problem_.isEmpty() && warn_) {
        warn_(problem_ + QStringLiteral("; using default settings and leaving the file as it is"));
    }
}

IniSettings::~IniSettings() = default;

bool IniSettings::startFresh(QString* error) {
    if (settings_) return true;
    if (QFileInfo::exists(path_) || QFileInfo(path_).isSymLink()) {
        const QString base = path_ + QStringLiteral(".damaged-") + QDate::currentDate().toString(Qt::ISODate);
        QString aside = base;
        for (int n = 2; QFileInfo::exists(aside) && n < 1000; ++n) aside = base + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(aside) || !QFile::rename(path_, aside)) {
            if (error) *error = QStringLiteral("cannot move %1 aside to %2").arg(path_, aside);
            return false;
        }
        if (warn_)
            warn_(QStringLiteral("the damaged settings file is now %1; new settings go to %2").arg(aside, path_));
    }
    settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
    problem_.clear();
    // What was set while nothing could be stored is stored now.
    for (auto it = detached_.values().begin(); it != detached_.values().end(); ++it) setValue(it.key(), it.value());
    detached_ = MemorySettings();
    if (!unsaved_.isEmpty() && !writeChanges()) {
        if (error) *error = QStringLiteral("cannot write the new settings file %1").arg(path_);
        return false;
    }
    return true;
}

bool IniSettings::contains(const QString& key) const {
    if (!settings_) return detached_.contains(key);
    return changed_.contains(key) || settings_->contains(key);
}

QVariant IniSettings::value(const QString& key) const {
    if (!settings_) return detached_.value(key);
    return changed_.contains(key) ? changed_.value(key) : settings_->value(key);
}

// The QSettings object itself is never written to, so it never writes the file in its own way.
void IniSettings::setValue(const QString& key, const QVariant& value) {
    if (!settings_) {
        detached_.setValue(key, value);
        return;
    }
    if (contains(key) && sameValue(this->value(key), value)) return;
    changed_.insert(key, value);
    if (!unsaved_.contains(key)) unsaved_.append(key);
}

bool IniSettings::flush() {
    if (!settings_) {
        if (warn_ && !warnedUnsaved_)
            warn_(problem_ + QStringLiteral("; settings not saved (repair or remove the file)"));
        warnedUnsaved_ = true;
        return false;
    }
    if (unsaved_.isEmpty()) return true;
    return writeChanges();
}

bool IniSettings::writeChanges() {
    // The file as it is now: another program may have changed it since it was read.
    QString problem;
    auto bytes = readSettingsFile(path_, &problem);
    std::optional<IniText> ini;
    if (bytes) ini = parseSettings(*bytes, path_, &problem);
    if (!ini) {
        if (warn_) warn_(problem + QStringLiteral("; settings not saved (repair or remove the file)"));
        return false;
    }
    const auto spelled = spelledByQSettings(changed_, unsaved_);
    for (const QString& key : unsaved_) {
        const auto entry = spelled ? spelled->entry(key) : std::nullopt;
        if (!entry) {
            if (warn_) warn_(QStringLiteral("cannot write the setting %1 into %2").arg(key, path_));
            return false;
        }
        ini->set(key, *entry);
    }
    const QByteArray text = ini->bytes();
    if (text != *bytes) {
        // Through a temporary file renamed over the old one: a crash leaves the old file or the new.
        const QFileInfo info(path_);
        const QString target = info.isSymLink() ? info.canonicalFilePath() : path_;
        QDir().mkpath(QFileInfo(target).absolutePath());
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
            if (warn_) warn_(QStringLiteral("cannot save the settings file %1 (%2)").arg(path_, file.errorString()));
            return false;
        }
    }
    unsaved_.clear();
    return true;
}

}  // namespace linecal
