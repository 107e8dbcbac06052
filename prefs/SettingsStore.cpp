#include "prefs/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

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
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/linecal/linecal.conf");
}

IniSettings::IniSettings(const QString& path, Warn warn) : path_(path), warn_(std::move(warn)) {
    QFileInfo info(path);
    if (info.exists()) {
        QFile file(path);
        if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
            problem_ = QStringLiteral("cannot read the settings file %1").arg(path);
        } else {
            const QByteArray bytes = file.readAll();
            QStringDecoder decoder(QStringDecoder::Utf8);
            const QString text = decoder.decode(bytes);
            if (file.error() != QFileDevice::NoError) {
                problem_ = QStringLiteral("cannot read the settings file %1").arg(path);
            } else if (decoder.hasError() || bytes.contains('\0')) {
                problem_ = QStringLiteral("the settings file %1 is not text").arg(path);
            }
        }
    }
    if (problem_.isEmpty()) {
        settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
        if (settings_->status() != QSettings::NoError) {
            problem_ = QStringLiteral("the settings file %1 is damaged").arg(path);
            settings_.reset();
        }
    }
    if (!problem_.isEmpty() && warn_) {
        warn_(problem_ + QStringLiteral("; using default settings and leaving the file as it is"));
    }
}

IniSettings::~IniSettings() = default;

bool IniSettings::contains(const QString& key) const {
    return settings_ ? settings_->contains(key) : detached_.contains(key);
}

QVariant IniSettings::value(const QString& key) const {
    return settings_ ? settings_->value(key) : detached_.value(key);
}

void IniSettings::setValue(const QString& key, const QVariant& value) {
    if (settings_) settings_->setValue(key, value);
    else detached_.setValue(key, value);
}

bool IniSettings::flush() {
    if (!settings_) {
        if (warn_ && !warnedUnsaved_) warn_(problem_ + QStringLiteral("; settings not saved (repair or remove the file)"));
        warnedUnsaved_ = true;
        return false;
    }
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        if (warn_) warn_(QStringLiteral("cannot save the settings file %1").arg(path_));
        return false;
    }
    return true;
}

}  // namespace linecal
