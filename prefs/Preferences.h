// The settings as the programs see them: one object over the stored keys. Values and their
// defaults come from the key table (prefs/Settings.h) and the rules here, never from a copy
// kept elsewhere; every write goes through it and is announced, so whatever shows a setting
// (the dialog, the panel, the tray) can follow it.
#pragma once

#include "prefs/Settings.h"

#include <QObject>

namespace linecal {

// The global hot key as stored: a key, the key code it was last found on, the modifier bits.
struct HotKeySetting {
    QString key;
    std::int32_t code = 0;
    std::int32_t flags = 0;
};

// What an item's settings need beyond the stored ones.
struct ItemContext {
    QStringList emails;                           // the user's own addresses, for e-mail alarms
    QString calAppName = QStringLiteral("iCal");  // the calendar program, as the item names it
    // No valid selection stored: the store's first calendar, as start-up would have stored it.
    bool firstCalendarWhenNoneSelected = false;
};

class Preferences : public QObject {
    Q_OBJECT
public:
    explicit Preferences(SettingsStore& store, QObject* parent = nullptr);

    SettingsStore& store() const { return store_; }

    // Stored value, else the table's fallback.
    bool boolValue(Setting id) const { return boolSetting(store_, id); }
    std::int32_t intValue(Setting id) const { return intSetting(store_, id); }
    std::optional<QString> stringValue(Setting id) const { return stringSetting(store_, id); }

    // The stored hot key where each part is usable, else the table's default for that part: a
    // damaged key would register something the user never chose, and Shift alone (or no
    // modifier) would take a plain letter away from every program. Before the first launch an
    // "R" (an old default) reads as "r".
    HotKeySetting hotKey() const;
    // The event length as the panel shows it: the stored text, "0" when absent or empty.
    QString eventLengthText() const;

    // What the default alarm does with the stored alarm pop-ups and the user's own addresses.
    AlarmChoice alarmChoice(const QStringList& emails) const;
    // The settings an item is built with, read now.
    ItemSettings itemSettings(const CalendarStore& store, const ItemContext& context = {}) const;

    // Stores (and flushes when the table says so), then announces the change.
    void set(Setting id, const QVariant& value);
    void setHotKey(const HotKeySetting& hotKey);

signals:
    void changed(linecal::Setting id);

private:
    SettingsStore& store_;
};

}  // namespace linecal
