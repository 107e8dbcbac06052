// The desktop's calendars in a real EDS on a private session bus (see tests/platform/eds_session.sh):
// what linecal lists and where its headings put them, items saved through the real `linecal add`
// and read back through EDS's own client, to-dos aimed at calendars, read-only sources, daemons
// that go away or never answer, and a session without EDS.
#include "EdsCalendarDesk.h"

#include "items/CalendarMenu.h"
#include "items/Calendars.h"
#include "stores/UserCalendars.h"
#include "text/Utf8.h"

#include "EdsTestDesk.h"

#include <gtest/gtest.h>
#include <libecal/libecal.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

namespace linecal {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing::addSource;
using testing::NewSource;

std::string gLinecal;  // the program under test, from the command line
constexpr char kNow[] = "2026-12-07T17:30";
constexpr char kRegistry[] = "org.gnome.evolution.dataserver.Sources5";
constexpr char kFactory[] = "org.gnome.evolution.dataserver.Calendar8";

std::string slurp(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string shellQuoted(const std::string& word) {
    std::string out(1, '\'');
    for (char c : word) {
        if (c == '\'') out.append("'\\''");
        else out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

struct Outcome {
    int code;
    std::string out, err;
};

// One vdir calendar, Files, in a folder of the test's own, and the settings beside it.
class Folders {
public:
    Folders() {
        static int count = 0;
        root_ = fs::path(std::getenv("HOME")) / ("case" + std::to_string(++count));
        fs::create_directories(root_ / "calendars" / "files");
        std::ofstream(root_ / "calendars" / "files" / "displayname") << "Files";
    }
    fs::path store() const { return root_ / "calendars"; }

    Outcome linecal(const std::vector<std::string>& args) const {
        std::string command = shellQuoted(gLinecal) + " --store " + shellQuoted(store()) + " --config " +
                              shellQuoted(root_ / "linecal.conf");
        for (const auto& arg : args) command.append(" ").append(shellQuoted(arg));
        command.append(" >").append(shellQuoted(root_ / "out")).append(" 2>").append(shellQuoted(root_ / "err"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(root_ / "out"), slurp(root_ / "err")};
    }
    nlohmann::json add(const std::string& entry) const {
        Outcome run = linecal({"add", "--json", "--now", kNow, "--", entry});
        EXPECT_EQ(run.code, 0) << entry << ": " << run.err;
        return run.code == 0 ? nlohmann::json::parse(run.out) : nlohmann::json::object();
    }
    int files() const {
        int count = 0;
        for (const auto& entry : fs::recursive_directory_iterator(store())) count += entry.path().extension() == ".ics";
        return count;
    }
    std::unique_ptr<UserCalendars> open(DesktopList desktop = DesktopList::Now) const {
        return openUserCalendars(
            {store(), root_ / "accounts.conf", root_ / "cache", ServerRefresh::Never, {}, {}, desktop});
    }

private:
    fs::path root_;
};

CalendarRef titled(const std::vector<CalendarRef>& calendars, const char* title) {
    for (const auto& c : calendars) {
        if (c->title == fromUtf8(title)) return c;
    }
    return nullptr;
}

// The item's properties as lines, without those that differ between any two saves (identifier,
// time stamps) or that EDS adds of its own. EDS's writer leaves out WKST=MO, the default
// week start, which linecal's files state.
std::vector<std::string> properties(const std::string& ical) {
    std::vector<std::string> lines;
    std::istringstream in(ical);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const char* skip : {"UID:", "DTSTAMP:", "CREATED:", "LAST-MODIFIED:", "X-EVOLUTION-", " "}) {
            if (line.rfind(skip, 0) == 0) line.clear();
        }
        if (auto at = line.find(";WKST=MO"); at != std::string::npos) line.erase(at, 8);
        if (!line.empty()) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The VEVENT or VTODO of a file linecal wrote.
std::string itemOfFile(const std::string& path, bool tasks) {
    ICalComponent* calendar = i_cal_component_new_from_string(slurp(path).c_str());
    if (!calendar) return {};
    ICalComponent* body =
        i_cal_component_get_first_component(calendar, tasks ? I_CAL_VTODO_COMPONENT : I_CAL_VEVENT_COMPONENT);
    gchar* text = body ? i_cal_component_as_ical_string(body) : nullptr;
    std::string result = text ? text : "";
    g_free(text);
    if (body) g_object_unref(body);
    g_object_unref(calendar);
    return result;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(testing::sessionKind(), expected()) << "run through tests/platform/eds_session.sh";
    }
    virtual std::string expected() const = 0;
};

class EdsCalendars : public Session {
protected:
    std::string expected() const override { return "eds"; }
    // Made once for the whole suite: the registry keeps what the first case committed.
    static void SetUpTestSuite() {
        work_ = addSource({.title = "Work"});
        chores_ = addSource({.title = "Chores", .tasks = true});
        team_ =
            addSource({.title = "Team", .backend = "caldav", .parent = "", .user = "alice", .host = "dav.example.com"});
        addSource(
            {.title = "Family", .backend = "google", .parent = "", .user = "bob@gmail.com", .host = "www.google.com"});
        addSource({.title = "Old", .enabled = false});
    }
    static std::string work_, chores_, team_;
};
std::string EdsCalendars::work_, EdsCalendars::chores_, EdsCalendars::team_;

TEST_F(EdsCalendars, ListsEnabledSourcesWithTheirKindsAndAccounts) {
    Folders folders;
    auto all = folders.open(DesktopList::Off);
    all->setDesktop(std::make_unique<DesktopCalendars>());
    StoreError why;
    ASSERT_TRUE(all->desktop()->refresh(&why)) << toUtf8(why.message);
    const auto calendars = all->calendars();

    auto work = titled(calendars, "Work");
    ASSERT_TRUE(work);
    EXPECT_EQ(toUtf8(work->uid), work_);
    EXPECT_EQ(work->type, CalCalendarTypeLocal);
    EXPECT_TRUE(work->isEditable);
    EXPECT_FALSE(work->notes);
    EXPECT_EQ(all->storeKindOf(*work), StoreKind::Desktop);
    EXPECT_EQ(all->storeKindOf(*titled(calendars, "Files")), StoreKind::Vdir);

    auto team = titled(calendars, "Team");
    ASSERT_TRUE(team);
    EXPECT_EQ(team->type, CalCalendarTypeCalDAV);
    EXPECT_EQ(headingForCalendar(team.get()), u"alice@dav.example.com (CalDAV)");
    auto family = titled(calendars, "Family");
    ASSERT_TRUE(family);
    EXPECT_EQ(headingForCalendar(family.get()), u"bob@gmail.com (Google)");
    auto birthdays = titled(calendars, "Birthdays & Anniversaries");
    ASSERT_TRUE(birthdays);
    EXPECT_EQ(birthdays->type, CalCalendarTypeBirthday);
    EXPECT_FALSE(birthdays->isEditable);
    EXPECT_FALSE(titled(calendars, "Old")) << "a disabled source is not listed";

    // This computer's calendars, linecal's folders and EDS's local ones, under the first heading.
    const auto menu = calendarMenu(calendars, std::nullopt, u"");
    std::vector<std::string> first;
    for (const auto& entry : menu) {
        if (entry.kind == CalendarMenuEntry::Kind::Separator) break;
        first.push_back(toUtf8(entry.text));
    }
    // EDS's: its default calendar first, the calendars before the task lists (its default first).
    EXPECT_EQ(first, (std::vector<std::string>{"On This Computer", "  Files", "  Personal", "  Work", "  Personal",
                                               "  Chores"}));
    EXPECT_EQ(toUtf8(calendars[1]->uid), "system-calendar");
    EXPECT_EQ(toUtf8(calendars[3]->uid), "system-task-list");
}

TEST_F(EdsCalendars, TheCommandLineNamesTheStoreOfEachCalendar) {
    Folders folders;
    const Outcome text = folders.linecal({"calendars"});
    EXPECT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("    Work  [" + work_ + "]  (Evolution Data Server)\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("    Files  [files]\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\n\nalice@dav.example.com (CalDAV)\n    Team  [" + team_ + "]"), std::string::npos)
        << text.out;

    const Outcome json = folders.linecal({"calendars", "--json"});
    std::map<std::string, std::string> stores, headings;
    for (const auto& c : nlohmann::json::parse(json.out)) {
        stores[c["title"]] = c["store"];
        headings[c["title"]] = c["heading"];
    }
    EXPECT_EQ(stores["Work"], "eds");
    EXPECT_EQ(stores["Files"], "vdir");
    EXPECT_EQ(headings["Work"], "On This Computer");
    EXPECT_EQ(headings["Birthdays & Anniversaries"], "Birthday");
}

// Each entry saved into EDS and into a linecal folder: EDS holds every property the file holds.
TEST_F(EdsCalendars, SavesEveryPropertyTheFilesHold) {
    Folders folders;
    struct Entry {
        const char* text;
        bool task;
    };
    for (const Entry& entry : {Entry{"Review at 3pm tomorrow for 90 minutes @15m at Room 4", false},
                               Entry{"Standup every weekday at 9:30am @1h", false}, Entry{"Trip July 13-15", false},
                               Entry{"Pay rent on the 1st every month until June 30", false},
                               Entry{"todo File taxes by Dec 10 5pm @1h", true}}) {
        SCOPED_TRACE(entry.text);
        const nlohmann::json eds = folders.add(std::string(entry.task ? "[Chores] " : "[Work] ") + entry.text);
        const nlohmann::json file = folders.add(std::string("[Files] ") + entry.text);
        ASSERT_TRUE(eds.contains("uid") && file.contains("file"));
        EXPECT_EQ(eds["store"], "eds");
        EXPECT_TRUE(eds["file"].is_null());
        EXPECT_EQ(eds["calendar"], entry.task ? chores_ : work_);
        const std::string saved = testing::readObject(eds["calendar"], entry.task, eds["uid"]);
        ASSERT_FALSE(saved.empty()) << "EDS has no item " << eds["uid"];
        EXPECT_EQ(properties(saved), properties(itemOfFile(file["file"], entry.task)));
    }
    // The zone went in as a zone of its own under its plain name, not rewritten to UTC.
    EXPECT_NE(testing::readZone(work_, false, "America/New_York").find("TZID:America/New_York"), std::string::npos);
    EXPECT_NE(testing::readZone(chores_, true, "America/New_York").find("TZID:America/New_York"), std::string::npos);

    // The last item is EDS's identifier, in the settings as for any save.
    const nlohmann::json last = folders.add("[Work] Retro Friday 4pm");
    std::ifstream settings(folders.store().parent_path() / "linecal.conf");
    std::string all((std::istreambuf_iterator<char>(settings)), {});
    EXPECT_NE(all.find("Last%20Event%20UID=" + last["uid"].get<std::string>()), std::string::npos) << all;
    EXPECT_NE(all.find("Last%20Calendar%20UID=" + work_), std::string::npos) << all;
}

TEST_F(EdsCalendars, AToDoAimedAtACalendarGoesToItsAccountsTaskList) {
    Folders folders;
    const nlohmann::json saved = folders.add("[Work] todo Call Bob tomorrow");
    EXPECT_EQ(saved["calendar"], "system-task-list") << "the default task list of this computer's account";
    EXPECT_FALSE(testing::readObject("system-task-list", true, saved["uid"]).empty());

    const int before = folders.files();
    const Outcome refused = folders.linecal({"add", "--now", kNow, "--", "[Team] todo Send slides"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("“Team” holds events, not to-dos, and alice@dav.example.com has no task list"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(folders.files(), before) << "nothing saved elsewhere instead";
}

TEST_F(EdsCalendars, AReadOnlySourceIsRefusedAndNothingIsSaved) {
    Folders folders;
    const int before = testing::countObjects(work_, false);
    const Outcome refused = folders.linecal({"add", "--now", kNow, "--", "[Birthdays & Anniversaries] Party tomorrow"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("“Birthdays & Anniversaries” is read-only in Evolution Data Server"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("choose a writable calendar"), std::string::npos) << refused.err;
    EXPECT_EQ(testing::countObjects(work_, false), before);
    EXPECT_EQ(folders.files(), 0);
}

// The daemons are not linecal's: the bus starts them again for the save.
TEST_F(EdsCalendars, DaemonsStoppedBetweenListingAndSavingAreStartedAgain) {
    Folders folders;
    auto all = folders.open();
    auto work = titled(all->calendars(), "Work");
    ASSERT_TRUE(work);
    folders.add("[Work] Warm-up tomorrow");  // so that the calendar daemon runs
    ASSERT_TRUE(testing::stopOwner(kFactory));
    ASSERT_TRUE(testing::stopOwner(kRegistry));

    Event event;
    event.title = u"After the restart";
    event.calendar = work;
    event.startDate = Date{1.8e9};
    event.endDate = Date{1.8e9 + 3600};
    StoreError error;
    ASSERT_TRUE(saveItem(*all, event, &error)) << toUtf8(error.message);
    EXPECT_FALSE(testing::readObject(work_, false, toUtf8(event.uid)).empty());
    EXPECT_EQ(all->desktop()->lastSavedSource(), work_);
}

// A calendar daemon that takes calls and never answers them, then one that goes away.
class EdsStalled : public Session {
protected:
    std::string expected() const override { return "eds"; }
};

TEST_F(EdsStalled, ASaveEndsAtItsLimitOrWhenTheDaemonGoesAway) {
    auto silent = std::make_unique<testing::SilentName>(kFactory, testing::SilentName::Ping::Answered);
    DesktopCalendars desktop(EdsLimits{5s, 1s});
    StoreError why;
    ASSERT_TRUE(desktop.refresh(&why)) << toUtf8(why.message);
    auto personal = desktop.calendarWithUID(u"system-calendar");
    ASSERT_TRUE(personal);
    Event event;
    event.title = u"Never answered";
    event.calendar = personal;
    event.startDate = Date{1.8e9};
    StoreError error;
    EXPECT_FALSE(desktop.saveEvent(event, 0, &error));
    EXPECT_EQ(toUtf8(error.message),
              "Evolution Data Server did not finish saving into “Personal”: no answer within 1 s.");
    EXPECT_EQ(toUtf8(error.recoverySuggestion),
              "Not saved: add the item again once the desktop's calendar service answers.");
    EXPECT_FALSE(error.outcomeUnknown);
    EXPECT_TRUE(event.uid.isEmpty()) << "a failed save leaves the item as it was";

    // The daemon leaves while the save waits for it.
    silent.reset();
    silent = std::make_unique<testing::SilentName>(kFactory, testing::SilentName::Ping::Answered);
    DesktopCalendars patient(EdsLimits{5s, 60s});
    ASSERT_TRUE(patient.refresh());
    const int callsBefore = silent->callsReceived();
    auto saving = std::async(std::launch::async, [&] {
        StoreError why;
        const bool saved = patient.saveEvent(event, 0, &why);
        return std::pair(saved, toUtf8(why.message));
    });
    for (int i = 0; i < 200 && silent->callsReceived() < callsBefore + 2; ++i) std::this_thread::sleep_for(50ms);
    ASSERT_GE(silent->callsReceived(), callsBefore + 2) << "the save never reached the daemon";
    silent.reset();
    ASSERT_EQ(saving.wait_for(30s), std::future_status::ready);
    const auto [saved, message] = saving.get();
    EXPECT_FALSE(saved);
    EXPECT_NE(message.find("the calendar service stopped"), std::string::npos) << message;
}

// No EDS on the bus, or no bus: linecal's own calendars are listed and take items as before.
class EdsAbsent : public Session {
protected:
    std::string expected() const override {
        const std::string kind = testing::sessionKind();
        return kind == "bare" || kind == "none" ? kind : "bare or none";
    }
};

TEST_F(EdsAbsent, LinecalsOwnCalendarsStillServe) {
    Folders folders;
    auto all = folders.open();
    EXPECT_FALSE(all->desktop()->answered());
    StoreError why;
    EXPECT_FALSE(all->desktop()->refresh(&why));
    EXPECT_NE(toUtf8(why.message).find("The desktop's calendars (Evolution Data Server) are not available"),
              std::string::npos);
    const auto calendars = all->calendars();
    ASSERT_EQ(calendars.size(), 1u);
    EXPECT_EQ(calendars.front()->title, u"Files");

    const Outcome listed = folders.linecal({"calendars"});
    EXPECT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out, "On This Computer\n    Files  [files]\n");
    const nlohmann::json saved = folders.add("Lunch tomorrow noon");
    EXPECT_EQ(saved["store"], "vdir");
    EXPECT_EQ(folders.files(), 1);
}

}  // namespace
}  // namespace linecal

int main(int argc, char** argv) {
    // Every date the tests save is read in this zone and locale, whatever the machine's.
    setenv("TZ", "America/New_York", 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH/TO/linecal [gtest options]\n", argv[0]);
        return 2;
    }
    linecal::gLinecal = argv[1];
    return RUN_ALL_TESTS();
}
