#include "TestSupport.h"

#include "prefs/DefaultAlarm.h"
#include "prefs/IniText.h"
#include "prefs/Preferences.h"
#include "prefs/Settings.h"
#include "stores/MemoryStore.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QSettings>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <fstream>

namespace fs = std::filesystem;

namespace linecal {
namespace {

using testing::utf8;

// Points the per-user configuration folder at a fresh temporary folder.
class Prefs : public ::testing::Test {
protected:
    void SetUp() override {
        testing::pinLocale("en_US", "America/Los_Angeles");
        ::setenv("XDG_CONFIG_HOME", temp.path.c_str(), 1);
        store.addCalendar({u"ro", u"Holidays", CalCalendarTypeSubscription, {}, false});
        store.addCalendar({u"home", u"Home", CalCalendarTypeLocal, {}, true});
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    testing::TempDir temp;
    MemorySettings settings;
    MemoryStore store;
};

// A setting read as its type; "none" for a string that stands for nothing.
std::string read(const SettingsStore& s, Setting id) {
    switch (settingDef(id).type) {
        case SettingType::Boolean:
            return boolSetting(s, id) ? "true" : "false";
        case SettingType::Integer:
            return std::to_string(intSetting(s, id));
        case SettingType::String:
            return stringSetting(s, id).value_or(QStringLiteral("none")).toStdString();
    }
    return {};
}

TEST_F(Prefs, StoredValuesWinElseTheFallbacks) {
    const struct {
        Setting id;
        QVariant stored;
        const char* expected;
    } cases[] = {
        {Setting::Hotkey, {}, "r"},
        {Setting::CalendarUID, {}, "none"},
        {Setting::HotkeyFlags, {}, "2304"},
        {Setting::HotkeyFlags, 0, "2304"},  // a zero modifier is absent
        {Setting::HotkeyFlags, 4352, "4352"},
        {Setting::HotkeyCode, 0, "0"},
        {Setting::AlarmEnabled, {}, "true"},
        {Setting::HideHelp, {}, "false"},
        {Setting::AlarmEnabled, false, "false"},
        {Setting::AlarmEnabled, "no", "false"},
        {Setting::AlarmEnabled, "sometimes", "true"},  // unreadable counts as absent
        // An integer is the one its text starts with, clamped to 32 bits; text without one is absent.
        {Setting::AlarmMinutes, {}, "30"},
        {Setting::AlarmMinutes, " 45 minutes", "45"},
        {Setting::AlarmMinutes, "x15", "30"},
        {Setting::AlarmMinutes, "-99999999999", "-2147483648"},
    };
    for (const auto& c : cases) {
        MemorySettings s;
        if (c.stored.isValid()) s.setValue(settingKey(c.id), c.stored);
        EXPECT_EQ(read(s, c.id), c.expected) << settingDef(c.id).key << " = " << c.stored.toString().toStdString();
    }
    // "EventLength" is text too, read the same way; empty or absent is no length, a week at most.
    EXPECT_EQ(eventLengthMinutes(settings), 0);
    for (auto [text, minutes] :
         {std::pair{"", 0}, {" 15x", 15}, {"x15", 0}, {"10081", 10080}, {"99999999999", 10080}}) {
        settings.setValue(QStringLiteral("EventLength"), QString::fromUtf8(text));
        EXPECT_EQ(eventLengthMinutes(settings), minutes) << text;
    }
}

TEST_F(Prefs, CalendarDefaultsComeFromTheirFileWhenItHasThem) {
    const fs::path file = temp.path / "linecal" / "calendar-defaults.conf";
    EXPECT_EQ(iCalPreferencesPath(), QString::fromStdString(file.string()));
    EXPECT_FALSE(doesiCalPreferencesExist());
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "[General]\nDefault%20alarm%20time=15\n";
    EXPECT_TRUE(doesiCalPreferencesExist());
    EXPECT_EQ(defaultAlarmSound(), alarmSoundNames().first()) << "the first sound offered, when the file names none";
    EXPECT_EQ(intSetting(settings, Setting::AlarmMinutes), 15) << "a returning start without AlarmMinutes";
}

TEST_F(Prefs, SelectionIsValidOnlyWhileItsCalendarExistsAndIsWrittenWhenItChanges) {
    ensureSelectedCalendar(settings, store);
    EXPECT_EQ(selectedCalendarUID(settings, store), QStringLiteral("ro")) << "the first calendar, even read-only";
    setSelectedCalendarUID(settings, store, std::nullopt);
    setSelectedCalendarUID(settings, store, QStringLiteral("home"));
    setSelectedCalendarUID(settings, store, QStringLiteral("home"));
    ensureSelectedCalendar(settings, store);
    EXPECT_EQ(selectedCalendarUID(settings, store), QStringLiteral("home"));
    EXPECT_EQ(settings.writeCount(), 2);
    EXPECT_EQ(settings.flushCount(), 2);

    store.removeCalendar(u"home");
    EXPECT_FALSE(selectedCalendarUID(settings, store));
    setSelectedCalendarUID(settings, store, QStringLiteral("home"));
    EXPECT_EQ(settings.writeCount(), 3) << "a stale stored value is not the current selection";
    MemorySettings other;
    ensureSelectedCalendar(other, MemoryStore{});
    EXPECT_EQ(other.writeCount(), 0);
}

// The alarm pop-ups: type, sound and address by index; past the end of its list, the first entry.
TEST_F(Prefs, ItemSettingsFollowTheAlarmPopUps) {
    const QStringList emails = {QStringLiteral("a@example.org"), QStringLiteral("b@example.org")};
    const struct {
        int type, sound, email;
        QStringList emails;
        const char* expected;
    } cases[] = {
        {1, 1, 0, emails, "sound bell a@example.org"},
        {2, 99, 1, emails, "email alarm-clock-elapsed b@example.org"},
        {2, 0, 1, {}, "display alarm-clock-elapsed -"},  // no address: a message, which can be saved
        {7, 0, 0, {}, "display alarm-clock-elapsed -"},
    };
    settings.setValue(QStringLiteral("Calendar UID"), QStringLiteral("home"));
    for (const auto& c : cases) {
        settings.setValue(QStringLiteral("AlarmTypeIndex"), c.type);
        settings.setValue(QStringLiteral("AlarmSoundIndex"), c.sound);
        settings.setValue(QStringLiteral("AlarmEmailIndex"), c.email);
        const ItemSettings s = Preferences(settings).itemSettings(store, {c.emails});
        const std::string action = std::array{"display", "sound", "email"}[static_cast<int>(s.alarmAction)];
        EXPECT_EQ(action + " " + utf8(s.alarmSound.value_or(u"-")) + " " + utf8(s.alarmEmail.value_or(u"-")),
                  c.expected);
        EXPECT_EQ(utf8(s.targetCalendarUID.value_or(u"-")), "home");
    }
}

// Every write is stored and announced; an item's settings follow the stored values, and a
// selection that is gone leaves the target empty unless the caller asks for the first calendar.
TEST_F(Prefs, PreferencesAnnounceWritesAndBuildItemSettingsFromTheStore) {
    Preferences prefs(settings);
    std::vector<Setting> heard;
    QObject::connect(&prefs, &Preferences::changed, [&heard](Setting id) { heard.push_back(id); });
    prefs.set(Setting::AlarmEnabled, false);
    prefs.set(Setting::EventLength, QStringLiteral("45"));
    prefs.set(Setting::CalendarUID, QStringLiteral("gone"));
    EXPECT_EQ(heard, (std::vector{Setting::AlarmEnabled, Setting::EventLength, Setting::CalendarUID}));
    EXPECT_EQ(settings.flushCount(), 1) << "only the calendar is flushed at once";

    ItemSettings s = prefs.itemSettings(store, {{}, QStringLiteral("BusyCal")});
    EXPECT_FALSE(s.alarmEnabled);
    EXPECT_EQ(s.eventLengthMinutes, 45);
    EXPECT_EQ(utf8(s.calAppName), "BusyCal");
    EXPECT_FALSE(s.targetCalendarUID);
    s = prefs.itemSettings(store, {{}, QStringLiteral("iCal"), true});
    EXPECT_EQ(utf8(s.targetCalendarUID.value_or(u"-")), "ro");
    prefs.set(Setting::CalendarUID, QStringLiteral("home"));
    s = prefs.itemSettings(store, {{}, QStringLiteral("iCal"), true});
    EXPECT_EQ(utf8(s.targetCalendarUID.value_or(u"-")), "home");

    // An empty event length reads as "0" for the panel, as no length for items.
    prefs.set(Setting::EventLength, QString());
    EXPECT_EQ(prefs.eventLengthText(), QStringLiteral("0"));
    EXPECT_EQ(prefs.itemSettings(store).eventLengthMinutes, 0);
}

// A missing file is created with its folder. One that cannot be read, or is not text, gives the
// fallbacks, keeps writes for this run, warns on opening and on flushing, and is left as it is.
TEST_F(Prefs, IniFileIsUsedWhenWholeAndNeverOverwrittenWhenNot) {
    const struct {
        const char* name;
        std::optional<std::string> bytes;
    } cases[] = {
        {"missing, in a missing folder", std::nullopt},
        {"not UTF-8", "[General]\nAlarmMinutes=45\nEventLength=\xff\xfe\n"},
        {"NUL bytes", std::string("[General]\nAlarmMinutes=45\0\0\0", 28)},
        {"a folder", ""},
        {"a line that is no setting", "; mine\n[General]\nAlarmMinutes=45\n# not a comment here\n"},
        {"a value over two lines", "[General]\nAlarmMinutes=45\nNote=\"two\nlines\"\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = temp.path / c.name / "linecal.conf";
        const QString conf = QString::fromStdString(file.string());
        if (c.bytes) fs::create_directories(c.bytes->empty() ? file : file.parent_path());
        if (c.bytes && !c.bytes->empty()) std::ofstream(file, std::ios::binary) << *c.bytes;
        std::vector<QString> warnings;
        IniSettings ini(conf, [&](const QString& w) { warnings.push_back(w); });
        EXPECT_EQ(ini.isUsable(), !c.bytes);
        EXPECT_EQ(warnings.size(), c.bytes ? 1u : 0u);
        EXPECT_EQ(intSetting(ini, Setting::AlarmMinutes), 30);
        writeSetting(ini, Setting::LastEventUID, QStringLiteral("E-1"));
        writeSetting(ini, Setting::CalendarUID, QStringLiteral("home"));  // flushes at once
        EXPECT_EQ(stringSetting(ini, Setting::LastEventUID), QStringLiteral("E-1")) << "kept for this run";
        EXPECT_EQ(ini.flush(), !c.bytes);
        EXPECT_EQ(warnings.size(), c.bytes ? 2u : 0u) << "one on opening, one for the unsaved settings";
        for (const auto& warning : warnings) EXPECT_TRUE(warning.contains(conf));
        for (const auto& warning : warnings)
            EXPECT_FALSE(warning.contains(QStringLiteral("cannot save"))) << warning.toStdString();
        if (c.bytes) {
            EXPECT_EQ(fs::is_directory(file) ? std::string() : testing::readFile(file), *c.bytes);
        }
        if (!c.bytes) {
            EXPECT_EQ(stringSetting(IniSettings(conf), Setting::LastEventUID), QStringLiteral("E-1"));
        }
    }
}

// Starting fresh moves the damaged file aside untouched, keeps what was set meanwhile and stores
// from then on; a second damaged file the same day gets a name of its own.
TEST_F(Prefs, DamagedFileIsPutAsideOnRequestAndSettingsAreStoredFromThen) {
    const fs::path file = temp.path / "linecal.conf";
    const QString conf = QString::fromStdString(file.string());
    const std::string damaged = "[General]\nAlarmMinutes=45\n# not a comment here\n";
    const std::string day = QDate::currentDate().toString(Qt::ISODate).toStdString();
    std::vector<fs::path> aside;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        std::ofstream(file, std::ios::binary) << damaged;
        IniSettings ini(conf, [](const QString&) {});
        EXPECT_TRUE(ini.damage().contains(conf));
        writeSetting(ini, Setting::LastEventUID, QStringLiteral("E-%1").arg(round));
        QString error;
        ASSERT_TRUE(ini.startFresh(&error)) << error.toStdString();
        EXPECT_TRUE(ini.damage().isEmpty());
        aside.push_back(temp.path / ("linecal.conf.damaged-" + day + (round == 1 ? "" : "-2")));
        EXPECT_EQ(testing::readFile(aside.back()), damaged);
        EXPECT_EQ(stringSetting(IniSettings(conf), Setting::LastEventUID), QStringLiteral("E-%1").arg(round))
            << "what was set meanwhile is stored";
        writeSetting(ini, Setting::CalendarUID, QStringLiteral("home"));
        EXPECT_EQ(stringSetting(IniSettings(conf), Setting::CalendarUID), QStringLiteral("home")) << "and what follows";
    }
    EXPECT_EQ(testing::readFile(aside.front()), damaged) << "the first one is not overwritten by the second";
}

// The file's bytes and its modification time, to show it was not written.
std::pair<std::string, std::int64_t> fileState(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return {testing::readFile(file), std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

const char* const kHandWritten =
    "; my settings\r\n"
    "[General]\r\n"
    "Calendar UID = home ; the one at home\r\n"
    "AlarmMinutes=45\r\n"
    "\r\n"
    "; kept by a newer version\r\n"
    "FutureKey=\"a, b\"\r\n"
    "[Other%20Group]\r\n"
    "k=v\r\n";

// A flush that changes nothing writes nothing, not even the same bytes again.
TEST_F(Prefs, IniFileIsNotWrittenWhenNothingChanged) {
    const fs::path file = temp.path / "linecal.conf";
    std::ofstream(file, std::ios::binary) << kHandWritten;
    const auto before = fileState(file);
    ::usleep(20000);
    {
        IniSettings ini(QString::fromStdString(file.string()),
                        [](const QString& w) { ADD_FAILURE() << w.toStdString(); });
        ASSERT_TRUE(ini.isUsable());
        EXPECT_TRUE(ini.flush());
        writeSetting(ini, Setting::CalendarUID, QStringLiteral("home"));
        writeSetting(ini, Setting::AlarmMinutes, 45);
        ini.setValue(QStringLiteral("Other Group/k"), QStringLiteral("v"));
        EXPECT_TRUE(ini.flush());
    }
    EXPECT_EQ(fileState(file), before);
}

// A change edits only its own line, or adds one to its group: comments, blank lines, line ends,
// keys and groups linecal does not know stay where they were, and QSettings reads every value back.
TEST_F(Prefs, IniFileKeepsItsLayoutWhenAValueChanges) {
    const fs::path file = temp.path / "linecal.conf";
    std::ofstream(file, std::ios::binary) << kHandWritten;
    const QString conf = QString::fromStdString(file.string());
    const QVariant odd[] = {
        QStringLiteral(" leading and trailing "),
        QStringLiteral("a, b; c = d"),
        QStringLiteral("\"quoted\" 'x'"),
        QStringLiteral("Café ☕ 日本"),
        QStringLiteral("@at"),
        QStringLiteral("back\\slash\ttab\nnewline"),
        QString(),
        QStringList{QStringLiteral("one, two"), QStringLiteral("@three"), QStringLiteral(" ")},
        QStringList{},
        7,
        true,
    };
    {
        IniSettings ini(conf, [](const QString& w) { ADD_FAILURE() << w.toStdString(); });
        writeSetting(ini, Setting::CalendarUID, QStringLiteral("work"));
        ini.setValue(QStringLiteral("Last Event UID"), QStringLiteral("E-1"));
        ini.setValue(QStringLiteral("Other Group/new"), QStringLiteral("n"));
        ini.setValue(QStringLiteral("Fresh/deep/key"), 1);
        for (std::size_t i = 0; i < std::size(odd); ++i) ini.setValue(QStringLiteral("Odd/%1").arg(i), odd[i]);
        EXPECT_TRUE(ini.flush());
    }
    const std::string text = testing::readFile(file);
    EXPECT_EQ(text.substr(0, text.find("[Odd]")),
              "; my settings\r\n"
              "[General]\r\n"
              "Calendar UID = work ; the one at home\r\n"
              "AlarmMinutes=45\r\n"
              "\r\n"
              "; kept by a newer version\r\n"
              "FutureKey=\"a, b\"\r\n"
              "Last%20Event%20UID=E-1\r\n"
              "[Other%20Group]\r\n"
              "k=v\r\n"
              "new=n\r\n"
              "\r\n"
              "[Fresh]\r\n"
              "deep\\key=1\r\n"
              "\r\n");
    QSettings reader(conf, QSettings::IniFormat);
    EXPECT_EQ(reader.status(), QSettings::NoError);
    EXPECT_EQ(reader.value(QStringLiteral("Calendar UID")), QStringLiteral("work"));
    EXPECT_EQ(reader.value(QStringLiteral("FutureKey")), QStringLiteral("a, b"));
    for (std::size_t i = 0; i < std::size(odd); ++i) {
        const QVariant back = reader.value(QStringLiteral("Odd/%1").arg(i));
        if (odd[i].typeId() == QMetaType::QStringList) EXPECT_EQ(back.toStringList(), odd[i].toStringList()) << i;
        else EXPECT_EQ(back.toString(), odd[i].toString()) << i;
    }
    IniSettings again(conf);
    EXPECT_EQ(stringSetting(again, Setting::LastEventUID), QStringLiteral("E-1"));
    EXPECT_EQ(again.value(QStringLiteral("Odd/7")).toStringList(), odd[7].toStringList());
}

// A new key goes after the last of its group, keys before any header counting as [General]; a
// group the file lacks is added at the end, after a blank line.
TEST(IniLines, NewKeysGoToTheirGroup) {
    const struct {
        const char* before;
        const char* key;
        const char* after;
    } cases[] = {
        {"", "b", "[General]\nb=2\n"},
        {"a=1", "b", "a=1\nb=2\n"},
        {"; only a comment\n", "b", "; only a comment\n\n[General]\nb=2\n"},
        {"[General]\n[G]\nx=1\n\n", "b", "[General]\nb=2\n[G]\nx=1\n\n"},
        {"[G]\nx=1\n\n; end\n", "G/y", "[G]\nx=1\ny=2\n\n; end\n"},
        {"[g]\nx=1\n", "G/y", "[g]\nx=1\n\n[G]\ny=2\n"},
    };
    for (const auto& c : cases) {
        const QString key = QString::fromUtf8(c.key);
        auto ini = IniText::parse(c.before, nullptr);
        ASSERT_TRUE(ini) << c.before;
        ini->set(key, {key.contains(u'/') ? "[G]" : "[General]", key.section(u'/', -1).toUtf8(), "2"});
        EXPECT_EQ(ini->bytes().toStdString(), c.after) << c.before;
    }
}

}  // namespace
}  // namespace linecal
