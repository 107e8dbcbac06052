#include "prefs/Settings.h"

#include "prefs/DefaultAlarm.h"

#include <algorithm>
#include <stdexcept>

namespace linecal {

const SettingDef& settingDef(Setting id) {
    for (const auto& def : kSettings) {
        if (def.id == id) return def;
    }
    throw std::logic_error("setting missing from the table");
}

QString settingKey(Setting id) { return QString::fromUtf8(settingDef(id).key); }

std::optional<QString> stringSetting(const SettingsStore& store, Setting id) {
    const auto& def = settingDef(id);
    if (auto value = store.readString(settingKey(id))) return value;
    if (def.fallback) return QString::fromUtf8(def.fallback);
    return std::nullopt;
}

std::int32_t intSetting(const SettingsStore& store, Setting id) {
    const auto& def = settingDef(id);
    auto value = store.readIntIfPresent(settingKey(id));
    if (value && !(def.zeroIsAbsent && *value == 0)) return *value;
    if (id == Setting::AlarmMinutes) return leadingInteger(defaultAlarmTime()).value_or(0);
    return def.fallback ? leadingInteger(QString::fromUtf8(def.fallback)).value_or(0) : 0;
}

bool boolSetting(const SettingsStore& store, Setting id) {
    const auto& def = settingDef(id);
    if (auto value = store.readBoolIfPresent(settingKey(id))) return *value;
    return def.fallback && QByteArrayView(def.fallback) == "true";
}

void writeSetting(SettingsStore& store, Setting id, const QVariant& value) {
    store.setValue(settingKey(id), value);
    if (settingDef(id).flushAtOnce) store.flush();
}

icu::UnicodeString toUnicode(const QString& text) {
    return icu::UnicodeString(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<int32_t>(text.size()));
}

QString toQString(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

std::optional<QString> selectedCalendarUID(const SettingsStore& settings, const CalendarStore& store) {
    auto uid = settings.readString(settingKey(Setting::CalendarUID));
    if (!uid) return std::nullopt;
    const icu::UnicodeString wanted = toUnicode(*uid);
    for (const auto& calendar : store.calendars()) {
        if (calendar && calendar->uid == wanted) return uid;
    }
    return std::nullopt;
}

void setSelectedCalendarUID(SettingsStore& settings, const CalendarStore& store, const std::optional<QString>& uid) {
    if (!uid) return;
    if (selectedCalendarUID(settings, store) == uid) return;
    writeSetting(settings, Setting::CalendarUID, *uid);
}

void ensureSelectedCalendar(SettingsStore& settings, const CalendarStore& store) {
    if (selectedCalendarUID(settings, store)) return;
    auto calendars = store.calendars();
    if (!calendars.empty()) setSelectedCalendarUID(settings, store, toQString(calendars.front()->uid));
}

std::int32_t eventLengthMinutes(const SettingsStore& settings) {
    auto text = settings.readString(settingKey(Setting::EventLength));
    return text ? std::clamp(leadingInteger(*text).value_or(0), 0, kMostMinutes) : 0;
}

const QStringList& alarmSoundNames() {
    static const QStringList names = {
        QStringLiteral("alarm-clock-elapsed"), QStringLiteral("bell"),          QStringLiteral("complete"),
        QStringLiteral("dialog-information"),  QStringLiteral("message"),       QStringLiteral("message-new-instant"),
        QStringLiteral("phone-incoming-call"), QStringLiteral("service-login"),
    };
    return names;
}

AlarmChoice alarmChoice(std::int32_t typeIndex, std::int32_t soundIndex, std::int32_t emailIndex,
                        const QStringList& emails) {
    AlarmChoice choice;
    switch (typeIndex) {
        case 1:
            choice.action = AlarmAction::Sound;
            break;
        case 2:
            choice.emailUnavailable = emails.isEmpty();
            choice.action = choice.emailUnavailable ? AlarmAction::Display : AlarmAction::Email;
            break;
        default:
            choice.action = AlarmAction::Display;
            break;  // the message item, or none
    }
    const auto pick = [](const QStringList& list, std::int32_t index) {
        return list.value(index >= 0 && index < list.size() ? index : 0);
    };
    choice.sound = toUnicode(pick(alarmSoundNames(), soundIndex));
    if (!emails.isEmpty()) choice.email = toUnicode(pick(emails, emailIndex));
    return choice;
}

}  // namespace linecal
