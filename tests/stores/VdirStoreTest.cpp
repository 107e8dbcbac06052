#include "StoreTestSupport.h"

#include "stores/VdirStore.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace linecal {
namespace {

using testing::local;
using testing::readFile;
using testing::snapshot;

constexpr SaveStep kSteps[] = {SaveStep::CreateTemporary, SaveStep::Write, SaveStep::SyncFile,
                               SaveStep::Close,           SaveStep::Rename, SaveStep::SyncFolder};

std::vector<fs::path> filesWithExtension(const fs::path& folder, const std::string& extension) {
    std::vector<fs::path> out;
    for (auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == extension) out.push_back(entry.path());
    }
    return out;
}

class Vdir : public ::testing::Test {
protected:
    void SetUp() override {
        testing::pinLocale("en_US", "America/Los_Angeles");
        root = temp.path() / "calendars";
    }

    void makeCalendar(const std::string& folder, const std::string& displayname) {
        fs::create_directories(root / folder);
        std::ofstream(root / folder / "displayname") << displayname << "\n";
    }

    std::unique_ptr<Event> lunch(VdirStore& store, const char16_t* calendarUID) {
        auto e = std::make_unique<Event>();
        e->title = icu::UnicodeString(u"Lunch");
        e->startDate = local(2010, 3, 11, 12);
        e->endDate = local(2010, 3, 11, 13);
        e->calendar = store.calendarWithUID(calendarUID);
        return e;
    }

    testing::TempDir temp;
    fs::path root;
};

TEST_F(Vdir, FirstUseCreatesOneCalendarAndLaterUsesKeepIt) {
    VdirStore store(root);
    EXPECT_TRUE(store.calendars().empty()) << "reading creates nothing";
    EXPECT_FALSE(fs::exists(root));

    StoreError error;
    ASSERT_TRUE(store.ensureCalendar(&error)) << testing::utf8(error.message);
    auto calendars = store.calendars();
    ASSERT_EQ(calendars.size(), 1u);
    EXPECT_EQ(testing::utf8(calendars[0]->title), "Personal");
    EXPECT_EQ(testing::utf8(calendars[0]->type), "Local");
    EXPECT_TRUE(calendars[0]->isEditable);
    EXPECT_EQ(readFile(root / "personal" / "displayname"), "Personal\n");
    EXPECT_EQ(readFile(root / "personal" / "color").substr(0, 1), "#");

    ASSERT_TRUE(VdirStore(root).ensureCalendar(&error));
    EXPECT_EQ(VdirStore(root).calendars().size(), 1u);
}

TEST_F(Vdir, CalendarsAreTheFoldersWithTheirMetadata) {
    makeCalendar("work", "Work");
    makeCalendar("b-home", "Home");
    fs::create_directories(root / "plain");
    fs::create_directories(root / ".hidden");
    std::ofstream(root / "work" / "description") << "team@example.org\n";
    std::ofstream(root / "stray.ics") << "not a calendar";
    fs::permissions(root / "plain", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::others_read);

    auto calendars = VdirStore(root).calendars();
    ASSERT_EQ(calendars.size(), 3u);
    EXPECT_EQ(testing::utf8(calendars[0]->uid), "b-home");
    EXPECT_EQ(testing::utf8(calendars[0]->title), "Home");
    EXPECT_EQ(testing::utf8(calendars[1]->title), "plain") << "no displayname: the folder name";
    EXPECT_FALSE(calendars[1]->isEditable);
    EXPECT_EQ(testing::utf8(calendars[2]->notes.value_or(u"")), "team@example.org");
    EXPECT_TRUE(calendars[2]->isEditable);
}

TEST_F(Vdir, SavedItemIsOneFileNamedAfterItsUID) {
    makeCalendar("work", "Work");
    VdirStore store(root);
    store.clock = [] { return std::time_t{1268234100}; };
    auto event = lunch(store, u"work");
    StoreError error;
    ASSERT_TRUE(store.saveEvent(*event, CalSpanThisEvent, &error)) << testing::utf8(error.message);
    ASSERT_EQ(event->uid.length(), 36);

    auto files = filesWithExtension(root / "work", ".ics");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string(), testing::utf8(event->uid) + ".ics");
    EXPECT_TRUE(filesWithExtension(root / "work", ".tmp").empty());
    auto parsed = testing::parseICalendar(readFile(files[0]));
    icalcomponent* vevent = icalcomponent_get_first_component(parsed.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_TRUE(vevent);
    EXPECT_EQ(icalcomponent_get_uid(vevent), testing::utf8(event->uid));
    EXPECT_EQ(testing::propertyText(vevent, ICAL_DTSTAMP_PROPERTY), "DTSTAMP:20100310T151500Z");

    Task task;
    task.title = icu::UnicodeString(u"Pay rent");
    task.dueDate = local(2010, 3, 12);
    task.calendar = event->calendar;
    ASSERT_TRUE(store.saveTask(task, &error));
    EXPECT_EQ(filesWithExtension(root / "work", ".ics").size(), 2u);
    EXPECT_NE(task.uid, event->uid);
}

TEST_F(Vdir, RefusedSavesLeaveTheFolderAsItWas) {
    makeCalendar("work", "Work");
    makeCalendar("archive", "Archive");
    fs::permissions(root / "archive", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    makeCalendar("gone", "Gone");
    VdirStore store(root);

    struct Case { const char* name; std::function<void(Event&)> setUp; fs::path folder; };
    const Case cases[] = {
        {"read-only calendar", [&](Event& e) { e.calendar = store.calendarWithUID(u"archive"); }, root / "archive"},
        {"folder removed", [&](Event& e) {
             e.calendar = store.calendarWithUID(u"gone");
             fs::remove_all(root / "gone");
         }, root},
        {"no calendar", [&](Event& e) { e.calendar = nullptr; }, root / "work"},
        {"e-mail alarm without address", [&](Event& e) {
             e.calendar = store.calendarWithUID(u"work");
             auto a = std::make_shared<ZQCalAlarm>();
             a->action = AlarmAction::Email;
             e.alarms = {a};
         }, root / "work"},
        {"identifier taken", [&](Event& e) {
             e.calendar = store.calendarWithUID(u"work");
             e.uid = u"TAKEN";
             std::ofstream(root / "work" / "TAKEN.ics") << "original";
         }, root / "work"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto event = lunch(store, u"work");
        c.setUp(*event);
        const icu::UnicodeString uidBefore = event->uid;
        auto before = snapshot(c.folder);
        StoreError error;
        EXPECT_FALSE(store.saveEvent(*event, CalSpanThisEvent, &error));
        EXPECT_FALSE(error.message.isEmpty());
        EXPECT_FALSE(error.recoverySuggestion.isEmpty());
        EXPECT_EQ(snapshot(c.folder), before);
        EXPECT_EQ(event->uid, uidBefore);
    }
    EXPECT_FALSE(fs::exists(root / "gone")) << "a vanished calendar is not recreated";
}

TEST_F(Vdir, UnusableRootFailsWithASuggestion) {
    std::ofstream(temp.path() / "file") << "x";
    VdirStore store(temp.path() / "file" / "calendars");
    StoreError error;
    EXPECT_FALSE(store.ensureCalendar(&error));
    EXPECT_FALSE(error.recoverySuggestion.isEmpty());
    EXPECT_EQ(readFile(temp.path() / "file"), "x");
}

TEST_F(Vdir, FailureAtAnyStepLeavesNoItemFileBehind) {
    makeCalendar("work", "Work");
    std::ofstream(root / "work" / "OTHER.ics") << "another item";
    for (SaveStep failing : kSteps) {
        SCOPED_TRACE(static_cast<int>(failing));
        VdirStore store(root);
        store.faultHook = [failing](SaveStep step) { return step == failing ? ENOSPC : 0; };
        auto before = snapshot(root / "work");
        auto event = lunch(store, u"work");
        StoreError error;
        bool saved = store.saveEvent(*event, CalSpanThisEvent, &error);
        auto after = snapshot(root / "work");
        EXPECT_EQ(readFile(root / "work" / "OTHER.ics"), "another item");
        if (failing == SaveStep::SyncFolder) {
            // Past the rename the item is whole; the folder sync only adds durability.
            ASSERT_TRUE(saved);
            auto file = root / "work" / (testing::utf8(event->uid) + ".ics");
            EXPECT_TRUE(testing::parseICalendar(readFile(file)));
            fs::remove(file);
        } else {
            EXPECT_FALSE(saved);
            EXPECT_EQ(after, before) << "neither a partial item nor its temporary file remains";
            EXPECT_NE(testing::utf8(error.recoverySuggestion).find("disk space"), std::string::npos);
        }
    }
}

TEST_F(Vdir, KilledSaveLeavesEitherTheWholeItemOrNoItem) {
    makeCalendar("work", "Work");
    for (SaveStep dying : kSteps) {
        SCOPED_TRACE(static_cast<int>(dying));
        for (auto& f : fs::directory_iterator(root / "work")) {
            if (f.path().filename() != "displayname") fs::remove(f.path());
        }
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            VdirStore store(root);
            store.faultHook = [dying](SaveStep step) {
                if (step == dying) ::raise(SIGKILL);
                return 0;
            };
            auto event = lunch(store, u"work");
            store.saveEvent(*event, CalSpanThisEvent, nullptr);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        auto items = filesWithExtension(root / "work", ".ics");
        if (dying == SaveStep::SyncFolder) {
            ASSERT_EQ(items.size(), 1u);
            auto parsed = testing::parseICalendar(readFile(items[0]));
            ASSERT_TRUE(parsed);
            EXPECT_TRUE(icalcomponent_get_first_component(parsed.get(), ICAL_VEVENT_COMPONENT));
        } else {
            EXPECT_TRUE(items.empty());
        }
    }
}

}  // namespace
}  // namespace linecal
