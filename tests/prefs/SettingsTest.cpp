#include "StoreTestSupport.h"

#include "prefs/DefaultAlarm.h"
#include "prefs/Settings.h"
#include "stores/MemoryStore.h"

#include <gtest/gtest.h>

#include <QFile>

namespace fs = std::filesystem;

namespace linecal {
namespace {

// Points the per-user configuration folder at a fresh temporary folder.
class Prefs : public ::testing::Test {
protected:
    void SetUp() override {
        testing::pinLocale("en_US", "America/Los_Angeles");
        ::setenv("XDG_CONFIG_HOME", temp.path().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    void writeCalendarDefaults(const std::string& text) {
        fs::create_directories(temp.path() / "linecal");
        std::ofstream(temp.path() / "linecal" / "calendar-defaults.conf") << text;
    }
    QString confPath() const { return QString::fromStdString((temp.path() / "linecal.conf").string()); }

    testing::TempDir temp;
    MemorySettings settings;
};

TEST_F(Prefs, AbsentKeysReadAsTheirFallbacks) {
    EXPECT_EQ(stringSetting(settings, Setting::Hotkey), QStringLiteral("r"));
    EXPECT_EQ(intSetting(settings, Setting::HotkeyCode), 15);
    EXPECT_EQ(intSetting(settings, Setting::HotkeyFlags), 2304);
    EXPECT_TRUE(boolSetting(settings, Setting::AlarmEnabled));
    EXPECT_TRUE(boolSetting(settings, Setting::ShowMenuBarIcon));
    EXPECT_FALSE(boolSetting(settings, Setting::HideHelp));
    EXPECT_FALSE(boolSetting(settings, Setting::UsageEnabled));
    EXPECT_FALSE(boolSetting(settings, Setting::AppHasLaunched));
    EXPECT_EQ(intSetting(settings, Setting::AlarmMinutes), 30);
    EXPECT_EQ(intSetting(settings, Setting::AlarmTypeIndex), 0);
    EXPECT_EQ(stringSetting(settings, Setting::EventLength), QStringLiteral("0"));
    EXPECT_FALSE(stringSetting(settings, Setting::CalendarUID));
    EXPECT_FALSE(stringSetting(settings, Setting::LastEventUID));
    // The untyped reads have the plain fallbacks.
    EXPECT_FALSE(settings.readString(QStringLiteral("Hotkey")));
    EXPECT_EQ(settings.readInt(QStringLiteral("HotkeyCode")), 0);
    EXPECT_FALSE(settings.readBool(QStringLiteral("Show Menu Bar Icon")));
    EXPECT_EQ(settings.writeCount(), 0) << "reading writes nothing";
}

TEST_F(Prefs, StoredValuesWinExceptAZeroHotkeyModifier) {
    settings.setValue(QStringLiteral("HotkeyFlags"), 0);
    EXPECT_TRUE(settings.contains(QStringLiteral("HotkeyFlags")));
    EXPECT_EQ(intSetting(settings, Setting::HotkeyFlags), 2304);
    settings.setValue(QStringLiteral("HotkeyFlags"), 4352);
    EXPECT_EQ(intSetting(settings, Setting::HotkeyFlags), 4352);
    settings.setValue(QStringLiteral("AlarmEnabled"), false);
    EXPECT_FALSE(boolSetting(settings, Setting::AlarmEnabled));
    settings.setValue(QStringLiteral("AlarmMinutes"), QStringLiteral("45"));
    EXPECT_EQ(intSetting(settings, Setting::AlarmMinutes), 45);
    settings.setValue(QStringLiteral("AlarmEnabled"), QStringLiteral("sometimes"));
    EXPECT_TRUE(boolSetting(settings, Setting::AlarmEnabled)) << "an unreadable value counts as absent";
}

TEST_F(Prefs, EventLengthIsTheLeadingIntegerOfItsText) {
    EXPECT_EQ(eventLengthMinutes(settings), 0);
    for (auto [text, minutes] : {std::pair{"", 0}, std::pair{"60", 60}, std::pair{" 15x", 15},
                                 std::pair{"x15", 0}, std::pair{"-5", -5}, std::pair{"99999999999", INT32_MAX}}) {
        settings.setValue(QStringLiteral("EventLength"), QString::fromUtf8(text));
        EXPECT_EQ(eventLengthMinutes(settings), minutes) << text;
    }
}

TEST_F(Prefs, CalendarDefaultsComeFromTheirFileWhenItHasThem) {
    EXPECT_EQ(iCalPreferencesPath(), QString::fromStdString((temp.path() / "linecal" / "calendar-defaults.conf").string()));
    EXPECT_FALSE(doesiCalPreferencesExist());
    EXPECT_EQ(defaultAlarmTime(), QStringLiteral("30"));
    EXPECT_EQ(defaultAlarmSound(), QStringLiteral("Basso"));

    writeCalendarDefaults("[General]\nDefault%20alarm%20time=15\n");
    EXPECT_TRUE(doesiCalPreferencesExist());
    EXPECT_EQ(defaultAlarmTime(), QStringLiteral("15"));
    EXPECT_EQ(defaultAlarmSound(), QStringLiteral("Basso"));
    EXPECT_EQ(intSetting(settings, Setting::AlarmMinutes), 15) << "a returning start without AlarmMinutes";
    settings.setValue(QStringLiteral("AlarmMinutes"), 5);
    EXPECT_EQ(intSetting(settings, Setting::AlarmMinutes), 5);
}

class TargetCalendar : public Prefs {
protected:
    void SetUp() override {
        Prefs::SetUp();
        store.addCalendar({u"ro", u"Holidays", CalCalendarTypeSubscription, {}, false});
        store.addCalendar({u"home", u"Home", CalCalendarTypeLocal, {}, true});
    }
    MemoryStore store;
};

TEST_F(TargetCalendar, SelectionIsValidOnlyWhileItsCalendarExists) {
    EXPECT_FALSE(selectedCalendarUID(settings, store));
    settings.setValue(QStringLiteral("Calendar UID"), QStringLiteral("home"));
    EXPECT_EQ(selectedCalendarUID(settings, store), QStringLiteral("home"));
    store.removeCalendar(u"home");
    EXPECT_FALSE(selectedCalendarUID(settings, store));
    EXPECT_EQ(settings.readString(QStringLiteral("Calendar UID")), QStringLiteral("home")) << "kept, only unused";
}

TEST_F(TargetCalendar, SettingTheSelectionWritesAndFlushesOnlyChanges) {
    setSelectedCalendarUID(settings, store, std::nullopt);
    EXPECT_EQ(settings.writeCount(), 0);

    setSelectedCalendarUID(settings, store, QStringLiteral("home"));
    EXPECT_EQ(settings.writeCount(), 1);
    EXPECT_EQ(settings.flushCount(), 1);
    setSelectedCalendarUID(settings, store, QStringLiteral("home"));
    EXPECT_EQ(settings.writeCount(), 1);
    EXPECT_EQ(settings.flushCount(), 1);

    store.removeCalendar(u"home");
    setSelectedCalendarUID(settings, store, QStringLiteral("home"));
    EXPECT_EQ(settings.writeCount(), 2) << "a stale stored value is not the current selection";
}

TEST_F(TargetCalendar, StartUpSelectsTheFirstCalendarEvenIfReadOnly) {
    ensureSelectedCalendar(settings, store);
    EXPECT_EQ(selectedCalendarUID(settings, store), QStringLiteral("ro"));
    ensureSelectedCalendar(settings, store);
    EXPECT_EQ(settings.writeCount(), 1);

    MemorySettings other;
    MemoryStore empty;
    ensureSelectedCalendar(other, empty);
    EXPECT_EQ(other.writeCount(), 0);
}

TEST_F(TargetCalendar, ItemSettingsFollowTheAlarmPopUps) {
    settings.setValue(QStringLiteral("Calendar UID"), QStringLiteral("home"));
    settings.setValue(QStringLiteral("AlarmTypeIndex"), 1);
    settings.setValue(QStringLiteral("AlarmSoundIndex"), 1);
    settings.setValue(QStringLiteral("EventLength"), QStringLiteral("60"));
    ItemSettings s = itemSettings(settings, store);
    EXPECT_EQ(s.alarmAction, AlarmAction::Sound);
    EXPECT_EQ(toQString(*s.alarmSound), alarmSoundNames()[1]);
    EXPECT_EQ(toQString(*s.targetCalendarUID), QStringLiteral("home"));
    EXPECT_EQ(s.eventLengthMinutes, 60);
    EXPECT_TRUE(s.alarmEnabled);
    EXPECT_EQ(s.alarmMinutes, 30);

    settings.setValue(QStringLiteral("AlarmSoundIndex"), 99);
    EXPECT_EQ(toQString(*itemSettings(settings, store).alarmSound), alarmSoundNames()[0]);

    settings.setValue(QStringLiteral("AlarmTypeIndex"), 2);
    settings.setValue(QStringLiteral("AlarmEmailIndex"), 1);
    s = itemSettings(settings, store, {QStringLiteral("a@example.org"), QStringLiteral("b@example.org")});
    EXPECT_EQ(s.alarmAction, AlarmAction::Email);
    EXPECT_EQ(toQString(*s.alarmEmail), QStringLiteral("b@example.org"));
    EXPECT_FALSE(itemSettings(settings, store).alarmEmail) << "no addresses, no address";

    settings.setValue(QStringLiteral("AlarmTypeIndex"), 7);
    EXPECT_EQ(itemSettings(settings, store).alarmAction, AlarmAction::Display);
}

TEST_F(Prefs, IniFileKeepsWhatWasWritten) {
    std::vector<QString> warnings;
    {
        IniSettings ini(confPath(), [&](const QString& w) { warnings.push_back(w); });
        EXPECT_TRUE(ini.isUsable());
        writeSetting(ini, Setting::LastEventUID, QStringLiteral("E-1"));
        writeSetting(ini, Setting::AlarmEnabled, false);
        writeSetting(ini, Setting::AlarmMinutes, 45);
        EXPECT_TRUE(ini.flush());
    }
    IniSettings again(confPath(), [&](const QString& w) { warnings.push_back(w); });
    EXPECT_EQ(stringSetting(again, Setting::LastEventUID), QStringLiteral("E-1"));
    EXPECT_FALSE(boolSetting(again, Setting::AlarmEnabled));
    EXPECT_EQ(intSetting(again, Setting::AlarmMinutes), 45);
    EXPECT_FALSE(again.contains(QStringLiteral("Last Calendar UID")));
    EXPECT_TRUE(warnings.empty());
    EXPECT_NE(testing::readFile(temp.path() / "linecal.conf").find("Last%20Event%20UID=E-1"), std::string::npos);
}

TEST_F(Prefs, DamagedOrUnreadableFileGivesFallbacksAndIsNeverOverwritten) {
    const std::string damaged[] = {
        std::string("[General]\nAlarmMinutes=45\nEventLength=\xff\xfe\n"),
        std::string("[General]\nAlarmMinutes=45\0\0\0", 28),
    };
    for (const auto& bytes : damaged) {
        std::ofstream(temp.path() / "linecal.conf", std::ios::binary | std::ios::trunc) << bytes;
        std::vector<QString> warnings;
        IniSettings ini(confPath(), [&](const QString& w) { warnings.push_back(w); });
        EXPECT_FALSE(ini.isUsable());
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].contains(confPath()));
        EXPECT_EQ(intSetting(ini, Setting::AlarmMinutes), 30);

        writeSetting(ini, Setting::CalendarUID, QStringLiteral("home"));  // flushes at once
        EXPECT_EQ(stringSetting(ini, Setting::CalendarUID), QStringLiteral("home")) << "kept for this run";
        EXPECT_FALSE(ini.flush());
        EXPECT_EQ(warnings.size(), 2u) << "one warning on opening, one for the unsaved settings";
        EXPECT_EQ(testing::readFile(temp.path() / "linecal.conf"), bytes);
    }

    fs::remove(temp.path() / "linecal.conf");
    fs::create_directory(temp.path() / "linecal.conf");
    std::vector<QString> warnings;
    IniSettings folder(confPath(), [&](const QString& w) { warnings.push_back(w); });
    EXPECT_FALSE(folder.isUsable());
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(boolSetting(folder, Setting::AlarmEnabled));
}

TEST_F(Prefs, MissingFolderIsCreatedOnFlush) {
    const QString path = QString::fromStdString((temp.path() / "new" / "linecal" / "linecal.conf").string());
    IniSettings ini(path);
    writeSetting(ini, Setting::LastEventUID, QStringLiteral("E-2"));
    EXPECT_TRUE(ini.flush());
    EXPECT_TRUE(QFile::exists(path));
}

}  // namespace
}  // namespace linecal
