#include "prefs/Preferences.h"

#include "prefs/HotKeyText.h"

namespace linecal {

Preferences::Preferences(SettingsStore& store, QObject* parent) : QObject(parent), store_(store) {}

HotKeySetting Preferences::hotKey() const {
    const QString fallback = QString::fromUtf8(settingDef(Setting::Hotkey).fallback);
    HotKeySetting result{fallback, intValue(Setting::HotkeyCode), intValue(Setting::HotkeyFlags) & kHotKeyModifiers};
    if (auto stored = store_.readString(settingKey(Setting::Hotkey)); stored && isHotKeyCharacter(*stored)) {
        result.key = *stored;
        if (!boolValue(Setting::AppHasLaunched) && result.key == fallback.toUpper()) result.key = fallback;
    }
    if (!(result.flags & (kHotKeyCommand | kHotKeyOption | kHotKeyControl)))
        result.flags = leadingInteger(QString::fromUtf8(settingDef(Setting::HotkeyFlags).fallback)).value_or(0);
    return result;
}

QString Preferences::eventLengthText() const {
    const auto text = store_.readString(settingKey(Setting::EventLength));
    return text && !text->isEmpty() ? *text : QString::fromUtf8(settingDef(Setting::EventLength).fallback);
}

AlarmChoice Preferences::alarmChoice(const QStringList& emails) const {
    return linecal::alarmChoice(intValue(Setting::AlarmTypeIndex), intValue(Setting::AlarmSoundIndex),
                                intValue(Setting::AlarmEmailIndex), emails);
}

ItemSettings Preferences::itemSettings(const CalendarStore& store, const ItemContext& context) const {
    ItemSettings result;
    result.alarmEnabled = boolValue(Setting::AlarmEnabled);
    result.alarmMinutes = intValue(Setting::AlarmMinutes);
    if (auto uid = selectedCalendarUID(store_, store)) {
        result.targetCalendarUID = toUnicode(*uid);
    } else if (context.firstCalendarWhenNoneSelected) {
        const auto calendars = store.calendars();
        if (!calendars.empty()) result.targetCalendarUID = calendars.front()->uid;
    }
    result.eventLengthMinutes = eventLengthMinutes(store_);
    const AlarmChoice alarm = alarmChoice(context.emails);
    result.alarmAction = alarm.action;
    result.alarmSound = alarm.sound;
    result.alarmEmail = alarm.email;
    result.calAppName = toUnicode(context.calAppName);
    result.otherNumericOrder = boolValue(Setting::NumericDatesOtherOrder);
    return result;
}

void Preferences::set(Setting id, const QVariant& value) {
    writeSetting(store_, id, value);
    emit changed(id);
}

void Preferences::setHotKey(const HotKeySetting& hotKey) {
    set(Setting::Hotkey, hotKey.key);
    set(Setting::HotkeyCode, hotKey.code);
    set(Setting::HotkeyFlags, hotKey.flags);
}

}  // namespace linecal
