#include "TestSupport.h"

#include "stores/ICalendarWriter.h"
#include "stores/VdirStore.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <set>

namespace fs = std::filesystem;

namespace linecal {
namespace {

using testing::local;
using testing::readFile;
using testing::utf8;

using Parsed = std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)>;
Parsed parse(const std::string& text) { return Parsed(icalparser_parse_string(text.c_str()), icalcomponent_free); }

// The given properties of a component as libical writes them, one line each, joined by blanks.
std::string properties(icalcomponent* c, std::initializer_list<icalproperty_kind> kinds) {
    std::string out;
    for (auto kind : kinds) {
        for (icalproperty* p = icalcomponent_get_first_property(c, kind); p;
             p = icalcomponent_get_next_property(c, kind)) {
            char* text = icalproperty_as_ical_string_r(p);
            if (!out.empty()) out += ' ';
            out.append(text, std::strcspn(text, "\r\n"));
            free(text);
        }
    }
    return out;
}

// The instant libical reads for a date-time property, using the file's own VTIMEZONE.
time_t readBack(icalcomponent* item, icalproperty_kind kind) {
    icaltimetype t = icalproperty_get_datetime_with_component(icalcomponent_get_first_property(item, kind), item);
    return icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
}

AlarmRef alarm(double trigger, AlarmAction action) {
    auto a = std::make_shared<ZQCalAlarm>();
    a->relativeTrigger = trigger;
    a->action = action;
    return a;
}

TEST(ICalendarText, DatesAreWallTimesOfTheUsersZoneThatReadBackExactly) {
    const struct {
        const char* zone;
        bool task, allDay;
        int from[5], to[5];
        const char* expected;
    } cases[] = {
        {"America/Los_Angeles",
         false,
         false,
         {2010, 7, 4, 21, 30},
         {2010, 11, 7, 1, 30},  // summer; an hour that repeats
         "DTSTART;TZID=America/Los_Angeles:20100704T213000 DTEND;TZID=America/Los_Angeles:20101107T013000 "
         "TRIGGER:-PT2H +zone"},
        {"Europe/Berlin",
         false,
         false,
         {2010, 3, 10, 16, 15},
         {2010, 3, 10, 16, 15},  // DTEND must be later
         "DTSTART;TZID=Europe/Berlin:20100310T161500 DURATION:PT0S TRIGGER:-PT2H +zone"},
        {"Europe/Berlin",
         false,
         true,
         {2010, 3, 12, 12, 0},
         {2010, 3, 14, 12, 0},  // the end is exclusive
         "DTSTART;VALUE=DATE:20100312 DTEND;VALUE=DATE:20100315 TRIGGER:-PT2H"},
        {"Etc/UTC",
         false,
         false,
         {2010, 3, 10, 16, 15},
         {2010, 3, 10, 17, 45},  // a zone libical lacks
         "DTSTART:20100310T161500Z DTEND:20100310T174500Z TRIGGER:-PT2H"},
        {"Europe/Berlin",
         true,
         false,
         {2010, 3, 11, 12, 0},
         {2010, 3, 11, 12, 0},  // alarms count from the due date
         "DUE;TZID=Europe/Berlin:20100311T120000 TRIGGER;RELATED=END:-PT2H +zone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        testing::pinLocale("en_US", c.zone);
        const Date from = local(c.from[0], c.from[1], c.from[2], c.from[3], c.from[4]);
        const Date to = local(c.to[0], c.to[1], c.to[2], c.to[3], c.to[4]);
        Event event;
        Task task;
        event.startDate = task.dueDate = from;
        event.endDate = to;
        event.isAllDay = c.allDay;
        CalendarItem& item = c.task ? static_cast<CalendarItem&>(task) : event;
        item.uid = u"U1";
        item.alarms = {alarm(-7200, AlarmAction::Display)};
        auto calendar = parse(toICalendar(item, 0));
        EXPECT_EQ(icalrestriction_check(calendar.get()), 1);
        icalcomponent* inner = icalcomponent_get_first_real_component(calendar.get());
        std::string dates =
            properties(inner, {ICAL_DTSTART_PROPERTY, ICAL_DTEND_PROPERTY, ICAL_DURATION_PROPERTY, ICAL_DUE_PROPERTY}) +
            " " + properties(icalcomponent_get_first_component(inner, ICAL_VALARM_COMPONENT), {ICAL_TRIGGER_PROPERTY});
        if (icalcomponent_get_first_component(calendar.get(), ICAL_VTIMEZONE_COMPONENT)) dates += " +zone";
        EXPECT_EQ(dates, c.expected);
        if (c.allDay) continue;
        EXPECT_EQ(readBack(inner, c.task ? ICAL_DUE_PROPERTY : ICAL_DTSTART_PROPERTY),
                  static_cast<time_t>(from.seconds));
        if (to.seconds > from.seconds) {
            EXPECT_EQ(readBack(inner, ICAL_DTEND_PROPERTY), static_cast<time_t>(to.seconds));
        }
    }
}

TEST(ICalendarText, TextAndAlarmsAreWhatReadersNeed) {
    testing::pinLocale("de_DE", "Europe/Berlin");
    Event e;
    e.uid = u"E1";
    e.title = icu::UnicodeString(u"Lunch with Jörg");
    e.location = icu::UnicodeString(u"Café, Markt 1");
    e.startDate = e.endDate = local(2010, 3, 10, 16, 15);
    auto sound = alarm(-900, AlarmAction::Sound), email = alarm(-86400, AlarmAction::Email);
    sound->sound = icu::UnicodeString(u"bell");
    email->emailAddress = icu::UnicodeString(u"me@example.org");
    // The last alarm was built but never given an action.
    e.alarms = {alarm(-1800, AlarmAction::Display), sound, email, std::make_shared<ZQCalAlarm>()};
    const std::string text = toICalendar(e, 1268234100);
    auto calendar = parse(text);
    icalcomponent* event = icalcomponent_get_first_component(calendar.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_TRUE(event) << text;
    EXPECT_EQ(icalrestriction_check(calendar.get()), 1) << text;
    EXPECT_EQ(properties(event, {ICAL_DTSTAMP_PROPERTY, ICAL_SUMMARY_PROPERTY, ICAL_LOCATION_PROPERTY}),
              "DTSTAMP:20100310T151500Z SUMMARY:Lunch with Jörg LOCATION:Café\\, Markt 1");
    EXPECT_EQ(text.find("freeassociation"), std::string::npos) << "the zone goes by its plain name";
    EXPECT_LT(text.size(), 2500u) << "the zone definition is trimmed";
    std::vector<std::string> seen;
    for (icalcomponent* a = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        seen.push_back(properties(a, {ICAL_ACTION_PROPERTY, ICAL_TRIGGER_PROPERTY, ICAL_DESCRIPTION_PROPERTY,
                                      ICAL_SUMMARY_PROPERTY, ICAL_ATTACH_PROPERTY, ICAL_ATTENDEE_PROPERTY}));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "ACTION:DISPLAY TRIGGER:-PT30M DESCRIPTION:Lunch with Jörg",
                        "ACTION:AUDIO TRIGGER:-PT15M ATTACH:file:///usr/share/sounds/freedesktop/stereo/bell.oga",
                        "ACTION:EMAIL TRIGGER:-P1D DESCRIPTION:Lunch with Jörg SUMMARY:Lunch with Jörg "
                        "ATTENDEE:mailto:me@example.org",
                        "ACTION:DISPLAY TRIGGER:PT0S DESCRIPTION:Lunch with Jörg",
                    }));
}

constexpr auto kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

class Vdir : public ::testing::Test {
protected:
    void SetUp() override {
        testing::pinLocale("en_US", "America/Los_Angeles");
        root = temp.path / "calendars";
        makeCalendar("work", "Work");
    }
    void makeCalendar(const std::string& folder, const std::string& displayname) {
        fs::create_directories(root / folder);
        std::ofstream(root / folder / "displayname") << displayname << "\n";
    }
    // Every file under the root with its contents, to show that a failed save left all as it was.
    std::set<std::pair<std::string, std::string>> snapshot() {
        std::set<std::pair<std::string, std::string>> files;
        for (auto& f : fs::recursive_directory_iterator(root))
            files.emplace(f.path(), f.is_directory() ? "" : readFile(f));
        return files;
    }
    // What the item files in the work calendar hold, apart from TAKEN.ics.
    std::string items() {
        std::string out;
        for (auto& f : fs::directory_iterator(root / "work")) {
            if (f.path().extension() == ".ics" && f.path().filename() != "TAKEN.ics") out += readFile(f);
        }
        return out;
    }
    testing::TempDir temp;
    fs::path root;
};

TEST_F(Vdir, CalendarsAreTheFoldersWithTheirMetadata) {
    makeCalendar("b-home", "Home");
    fs::create_directories(root / "plain");
    fs::create_directories(root / ".hidden");
    std::ofstream(root / "work" / "description") << "team@example.org\n";
    std::ofstream(root / "stray.ics") << "not a calendar";
    fs::permissions(root / "plain", kWrite, fs::perm_options::remove);
    VdirStore store(root);
    StoreError error;
    ASSERT_TRUE(store.ensureCalendar(&error)) << "a root with calendars gets no new one";
    std::string calendars;  // "folder:title:type[:read-only][:notes] " each
    for (const auto& c : store.calendars()) {
        calendars.append(utf8(c->uid)).append(":").append(utf8(c->title)).append(":").append(utf8(c->type));
        if (!c->isEditable) calendars += ":read-only";
        if (c->notes) calendars.append(":").append(utf8(*c->notes));
        calendars += ' ';
    }
    EXPECT_EQ(calendars, "b-home:Home:Local plain:plain:Local:read-only work:Work:Local:team@example.org ");

    // First use, which creates a calendar, is checked from the command line; a root that cannot be made fails.
    std::ofstream(temp.path / "file") << "x";
    EXPECT_FALSE(VdirStore(temp.path / "file" / "calendars").ensureCalendar(&error));
    EXPECT_FALSE(error.recoverySuggestion.isEmpty());
    EXPECT_EQ(readFile(temp.path / "file"), "x");
    // A root that is itself a file is named as such, so the user knows what to move.
    EXPECT_FALSE(VdirStore(temp.path / "file").ensureCalendar(&error));
    EXPECT_EQ(utf8(error.message), "The calendar folder " + (temp.path / "file").string() + " is not a folder.");
    EXPECT_EQ(readFile(temp.path / "file"), "x");
}

// Metadata that is not a small regular file gives the folder's name instead of blocking on a FIFO
// or reading a device without end; a long one is cut at 1 KiB. A link to a regular file is read.
TEST_F(Vdir, MetadataIsReadOnlyFromSmallRegularFiles) {
    const struct {
        const char* folder;
        std::function<void(const fs::path&)> make;
        std::string title;
    } cases[] = {
        {"fifo", [](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0644), 0); }, "fifo"},
        {"zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }, "zero"},
        {"folder", [](const fs::path& f) { fs::create_directory(f); }, "folder"},
        {"long", [](const fs::path& f) { std::ofstream(f) << std::string(5000, 'a'); }, std::string(1024, 'a')},
        {"cut-in-a-letter", [](const fs::path& f) { std::ofstream(f) << std::string(1023, 'a') << "\xc3\xa9"; },
         std::string(1023, 'a')},
        {"linked",
         [&](const fs::path& f) {
             std::ofstream(temp.path / "title") << "Linked\n";
             fs::create_symlink(temp.path / "title", f);
         },
         "Linked"},
    };
    for (const auto& c : cases) {
        fs::create_directories(root / c.folder);
        c.make(root / c.folder / "displayname");
        c.make(root / c.folder / "description");
    }
    VdirStore store(root);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        auto calendar = store.calendarWithUID(icu::UnicodeString::fromUTF8(c.folder));
        ASSERT_TRUE(calendar);
        EXPECT_EQ(utf8(calendar->title), c.title);
        EXPECT_EQ(calendar->notes ? utf8(*calendar->notes) : "none", c.title == c.folder ? "none" : c.title);
    }
}

// A folder whose name is not UTF-8 is a calendar like any other: listed under an identifier of its
// own, distinct from its neighbours', and saves to that identifier land in that folder.
TEST_F(Vdir, FoldersWhoseNamesAreNotUtf8TakeSaves) {
    const std::string latin1 = "caf\xe9", other = "caf\xe8";
    makeCalendar(latin1, "Caf\xc3\xa9");
    fs::create_directories(root / other);
    makeCalendar("caf\\xe9", "Backslash");  // what an escape of the name could collide with
    VdirStore store(root);
    std::set<std::string> uids;
    for (const auto& c : store.calendars()) uids.insert(utf8(c->uid));
    EXPECT_EQ(uids.size(), store.calendars().size()) << "every folder has its own identifier";
    for (const std::string& folder : {latin1, other}) {
        SCOPED_TRACE(folder);
        CalendarRef calendar;
        for (const auto& c : store.calendars()) {
            if (utf8(c->title) == (folder == latin1 ? "Caf\xc3\xa9" : "caf\xef\xbf\xbd")) calendar = c;
        }
        ASSERT_TRUE(calendar);
        EXPECT_EQ(store.calendarWithUID(calendar->uid), calendar);
        Event event;
        event.title = icu::UnicodeString(u"Lunch");
        event.startDate = local(2010, 3, 11, 12);
        event.calendar = calendar;
        StoreError error;
        ASSERT_TRUE(store.saveEvent(event, CalSpanThisEvent, &error)) << utf8(error.message);
        EXPECT_EQ(store.lastSavedFile().parent_path(), root / folder);
        EXPECT_TRUE(fs::is_regular_file(root / folder / (utf8(event.uid) + ".ics")));
    }
}

// Temporary files a killed save left behind are removed when the store opens, once they are an
// hour old: only regular files under the store's own temporary names, in its calendar folders.
TEST_F(Vdir, OpeningRemovesTemporaryFilesLeftAnHourAgo) {
    std::ofstream(temp.path / "outside") << "keep";
    const struct {
        fs::path path;
        bool old, removed;
    } cases[] = {
        {root / "work" / "A.ics.Ab12Cd.tmp", true, true},
        {root / "work" / "displayname.x9Y8z7.tmp", true, true},
        {root / "work" / "B.ics.Ab12Cd.tmp", false, false},  // a save under way in another process
        {root / "work" / "notes.tmp", true, false},
        {root / "work" / "C.ics.Ab1.tmp", true, false},
        {root / "work" / "C.ics.Ab12C-.tmp", true, false},
        {root / "work" / "D.ics.Ab12Cd.tmp.bak", true, false},
        {root / "work" / "link.ics.Ab12Cd.tmp", true, false},
        {root / "work" / "dir.ics.Ab12Cd.tmp", true, false},
        {root / "E.ics.Ab12Cd.tmp", true, false},  // the root is no calendar
        {root / ".hidden" / "F.ics.Ab12Cd.tmp", true, false},
    };
    fs::create_directories(root / ".hidden");
    for (const auto& c : cases) {
        if (c.path.filename() == "link.ics.Ab12Cd.tmp") fs::create_symlink(temp.path / "outside", c.path);
        else if (c.path.filename() == "dir.ics.Ab12Cd.tmp") fs::create_directory(c.path);
        else std::ofstream(c.path) << "partial";
        const timespec twoHoursAgo{std::time(nullptr) - 7200, 0};
        const timespec times[2] = {twoHoursAgo, twoHoursAgo};
        if (c.old) {
            ASSERT_EQ(::utimensat(AT_FDCWD, c.path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
        }
    }
    ::utimensat(AT_FDCWD, (temp.path / "outside").c_str(), std::array{timespec{0, 0}, timespec{0, 0}}.data(), 0);
    VdirStore store(root);
    for (const auto& c : cases) EXPECT_EQ(fs::exists(fs::symlink_status(c.path)), !c.removed) << c.path;
    EXPECT_EQ(readFile(temp.path / "outside"), "keep");
}

// Refused saves, and saves failing at any step up to the rename, leave every folder as it was and
// say what to do; a process dying as one of those steps begins leaves no item file either. Failing
// the folder sync after the rename still saves: the item is whole by then.
TEST_F(Vdir, SavesAreWholeOrLeaveTheFoldersAsTheyWere) {
    makeCalendar("archive", "Archive");
    fs::permissions(root / "archive", kWrite, fs::perm_options::remove);
    makeCalendar("gone", "Gone");
    std::ofstream(root / "work" / "TAKEN.ics") << "original";
    VdirStore store(root);
    store.clock = [] { return std::time_t{1268234100}; };
    std::optional<SaveStep> failing;
    std::string itemsAtSteps;  // what item files hold as each step begins: what a process dying there leaves
    store.faultHook = [&](SaveStep step) {
        itemsAtSteps += items();
        return step == failing ? ENOSPC : 0;
    };
    auto in = [&](const char16_t* uid) { return [&, uid](Event& e) { e.calendar = store.calendarWithUID(uid); }; };
    const struct {
        const char* name;
        std::function<void(Event&)> setUp;
        std::optional<SaveStep> step;
        const char* fix;
    } cases[] = {
        {"read-only calendar", in(u"archive"), {}, "writable"},
        {"folder removed",
         [&](Event& e) {
             in(u"gone")(e);
             fs::remove_all(root / "gone");
         },
         {},
         "restore"},
        {"no calendar", [](Event& e) { e.calendar = nullptr; }, {}, "Name a calendar"},
        {"e-mail alarm without address", [](Event& e) { e.alarms = {alarm(0, AlarmAction::Email)}; }, {}, "address"},
        {"identifier taken", [](Event& e) { e.uid = u"TAKEN"; }, {}, "new identifier"},
        {"creating the temporary file", nullptr, SaveStep::CreateTemporary, "disk space"},
        {"writing", nullptr, SaveStep::Write, "disk space"},
        {"syncing the file", nullptr, SaveStep::SyncFile, "disk space"},
        {"closing", nullptr, SaveStep::Close, "disk space"},
        {"renaming", nullptr, SaveStep::Rename, "disk space"},
    };
    Event event;
    event.title = icu::UnicodeString(u"Lunch");
    event.startDate = local(2010, 3, 11, 12);
    event.calendar = store.calendarWithUID(u"work");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Event tried = event;
        if (c.setUp) c.setUp(tried);
        failing = c.step;
        const auto before = snapshot();
        const icu::UnicodeString uid = tried.uid;
        StoreError error;
        EXPECT_FALSE(store.saveEvent(tried, CalSpanThisEvent, &error));
        EXPECT_NE(utf8(error.recoverySuggestion).find(c.fix), std::string::npos) << utf8(error.recoverySuggestion);
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(tried.uid, uid);
    }
    EXPECT_EQ(itemsAtSteps, "");
    EXPECT_FALSE(fs::exists(root / "gone")) << "a vanished calendar is not recreated";

    failing = SaveStep::SyncFolder;
    ASSERT_TRUE(saveItem(store, event, nullptr));
    EXPECT_EQ(event.uid.length(), 36);
    const std::string saved = readFile(root / "work" / (utf8(event.uid) + ".ics"));
    EXPECT_EQ(itemsAtSteps, saved) << "whole as the folder sync begins";
    EXPECT_NE(saved.find("DTSTAMP:20100310T151500Z"), std::string::npos) << "stamped by the store's clock";
    Task task;
    task.calendar = event.calendar;
    ASSERT_TRUE(saveItem(store, task, nullptr));
    EXPECT_NE(readFile(root / "work" / (utf8(task.uid) + ".ics")).find("BEGIN:VTODO"), std::string::npos);
}

}  // namespace
}  // namespace linecal
