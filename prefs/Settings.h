// The stored settings: every key, its type and what its absence means, in one table.
#pragma once

#include "prefs/SettingsStore.h"

#include "items/CalendarStore.h"
#include "items/CurrentItem.h"

#include <QStringList>

namespace linecal {

enum class Setting {
    Hotkey,
    HotkeyCode,
    HotkeyFlags,
    CalendarUID,
    AlarmEnabled,
    AlarmMinutes,
    AlarmTypeIndex,
    AlarmSoundIndex,
    AlarmEmailIndex,
    EventLength,
    UsageEnabled,
    HideHelp,
    ShowMenuBarIcon,
    LastEventUID,
    LastCalendarUID,
    AppHasLaunched,
    NumericDatesOtherOrder,
};

enum class SettingType { Boolean, Integer, String };

struct SettingDef {
    Setting id;
    const char* key;
    SettingType type;
    // Text of the value an absent key stands for; null when it stands for nothing
    // (or, for "AlarmMinutes", for the calendar application's default alarm time).
    const char* fallback;
    bool flushAtOnce;   // written to disk as soon as it changes
    bool zeroIsAbsent;  // a stored 0 counts as absent
};

inline constexpr SettingDef kSettings[] = {
    {Setting::Hotkey, "Hotkey", SettingType::String, "r", false, false},
    {Setting::HotkeyCode, "HotkeyCode", SettingType::Integer, "15", false, false},
    {Setting::HotkeyFlags, "HotkeyFlags", SettingType::Integer, "2304", false, true},
    {Setting::CalendarUID, "Calendar UID", SettingType::String, nullptr, true, false},
    {Setting::AlarmEnabled, "AlarmEnabled", SettingType::Boolean, "true", false, false},
    {Setting::AlarmMinutes, "AlarmMinutes", SettingType::Integer, nullptr, false, false},
    {Setting::AlarmTypeIndex, "AlarmTypeIndex", SettingType::Integer, "0", false, false},
    {Setting::AlarmSoundIndex, "AlarmSoundIndex", SettingType::Integer, "0", false, false},
    {Setting::AlarmEmailIndex, "AlarmEmailIndex", SettingType::Integer, "0", false, false},
    {Setting::EventLength, "EventLength", SettingType::String, "0", false, false},
    {Setting::UsageEnabled, "UsageEnabled", SettingType::Boolean, "false", false, false},
    {Setting::HideHelp, "HideHelp", SettingType::Boolean, "false", true, false},
    {Setting::ShowMenuBarIcon, "Show Menu Bar Icon", SettingType::Boolean, "true", true, false},
    {Setting::LastEventUID, "Last Event UID", SettingType::String, nullptr, false, false},
    {Setting::LastCalendarUID, "Last Calendar UID", SettingType::String, nullptr, false, false},
    {Setting::AppHasLaunched, "App has launched 1.4", SettingType::Boolean, "false", true, false},
    // "5/12" read with day and month the other way round from the locale's order.
    {Setting::NumericDatesOtherOrder, "NumericDatesOtherOrder", SettingType::Boolean, "false", true, false},
};

const SettingDef& settingDef(Setting id);
QString settingKey(Setting id);

// Stored value, else the table's fallback.
std::optional<QString> stringSetting(const SettingsStore& store, Setting id);
std::int32_t intSetting(const SettingsStore& store, Setting id);
bool boolSetting(const SettingsStore& store, Setting id);
// Writes, and flushes when the table says so.
void writeSetting(SettingsStore& store, Setting id, const QVariant& value);

// The stored "Calendar UID" while the store has exactly that calendar; else nothing.
std::optional<QString> selectedCalendarUID(const SettingsStore& settings, const CalendarStore& store);
// Stores and flushes the identifier, unless it is null or already the valid selection.
void setSelectedCalendarUID(SettingsStore& settings, const CalendarStore& store, const std::optional<QString>& uid);
// Start-up's rule: with no valid selection, select the store's first calendar (even a read-only one).
void ensureSelectedCalendar(SettingsStore& settings, const CalendarStore& store);

// The most minutes an alarm may come before the start, or an event last by default: a week.
inline constexpr std::int32_t kMostMinutes = 10080;

// "EventLength" as minutes: the integer its text starts with, 0 when absent or empty, at most a
// week (a larger value written by hand would put events centuries away).
std::int32_t eventLengthMinutes(const SettingsStore& settings);

// The names offered for sound alarms, in pop-up order: sounds of the freedesktop sound theme.
const QStringList& alarmSoundNames();

// What the default alarm does, from the positions chosen in the alarm type, sound and e-mail
// lists: 0 message, 1 sound, 2 e-mail; a position past the end of its list picks the first entry.
struct AlarmChoice {
    AlarmAction action = AlarmAction::Display;
    std::optional<icu::UnicodeString> sound;
    std::optional<icu::UnicodeString> email;
    // E-mail was chosen but no address of the user's is known: a message alarm instead, since
    // an e-mail alarm without an address fails every save.
    bool emailUnavailable = false;
};
AlarmChoice alarmChoice(std::int32_t typeIndex, std::int32_t soundIndex, std::int32_t emailIndex,
                        const QStringList& emails);

icu::UnicodeString toUnicode(const QString& text);
QString toQString(const icu::UnicodeString& text);

}  // namespace linecal
