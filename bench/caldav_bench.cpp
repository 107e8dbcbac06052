// Server calendars: `linecal add` into a Radicale on loopback as a whole process, many saves
// through one account's store, and the keystroke with ten server calendars in the list.
#include "EntryCorpus.h"
#include "KeystrokeLoop.h"
#include "TestSupport.h"
#include "RadicaleServer.h"

#include "items/CurrentItem.h"
#include "items/Descriptions.h"
#include "stores/CalendarCache.h"
#include "stores/ICalendarWriter.h"
#include "stores/MemoryStore.h"
#include "stores/NewUID.h"
#include "stores/caldav/CalDavStore.h"
#include "stores/UserCalendars.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace linecal {
namespace {

namespace fs = std::filesystem;
using bench::kNow;
using testing::RadicaleServer;

Account radicaleAccount(const RadicaleServer& server) {
    return {"rad", server.url(), RadicaleServer::kUser, std::string("printf ") + RadicaleServer::kPassword};
}

std::string linecalBinary() {
    if (const char* bin = std::getenv("LINECAL_BIN")) return bin;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" / "linecal").string();
}

// Runs linecal with `args` in an environment whose configuration and cache live under `root`;
// `input` goes to its standard input. True when it exits 0.
bool runLinecal(const fs::path& root, std::vector<std::string> args, const std::string& input = {}) {
    const std::string bin = linecalBinary();
    args.insert(args.begin(), bin);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"XDG_CONFIG_HOME=" + (root / "config").string(),
                                    "XDG_CACHE_HOME=" + (root / "cache").string(),
                                    "HOME=" + root.string(),
                                    "TZ=America/Los_Angeles",
                                    "LC_ALL=en_US.UTF-8",
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string inputFile = (root / "input").string();
    std::ofstream(inputFile, std::ios::trunc) << input;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, inputFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    const bool ok = posix_spawn(&pid, bin.c_str(), &files, nullptr, argv.data(), envp.data()) == 0 &&
                    ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&files);
    return ok;
}

// A Radicale with alice's calendar Team, and an account for it under `root`'s configuration.
struct ServerSetUp {
    testing::TempDir root;
    RadicaleServer server{root.path / "radicale"};
    bool ready = false;
    ServerSetUp() {
        if (!server.running() || !server.makeCalendar("team", "Team", {"VEVENT", "VTODO"})) return;
        ready = writeAccounts(root.path / "config" / "linecal" / "accounts.conf", {radicaleAccount(server)}, nullptr);
    }
};

// `linecal add` into the server calendar, per process; the calendar list comes from the cache
// the first run leaves.
void BM_AddProcessToServer(benchmark::State& state) {
    ServerSetUp setUp;
    if (!setUp.ready) return state.SkipWithError(("Radicale: " + setUp.server.error()).c_str());
    const fs::path& root = setUp.root.path;
    const std::vector<std::string> args = {"--store",
                                           (root / "calendars").string(),
                                           "--config",
                                           (root / "linecal.conf").string(),
                                           "add",
                                           "--now",
                                           "2010-03-10T15:00",
                                           "--",
                                           "[Team] Standup 9am tomorrow @15m"};
    if (!runLinecal(root, args)) return state.SkipWithError("linecal add failed");
    for (auto _ : state) {
        if (!runLinecal(root, args)) return state.SkipWithError("linecal add failed");
    }
}
BENCHMARK(BM_AddProcessToServer)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

// The server's own share of a save: one authenticated PUT of the item `linecal add` saves (same
// zone, alarm and size), over a session that already knows the server wants Basic.
void BM_ServerPutAlone(benchmark::State& state) {
    bench::pinZoneAndLocale();
    ServerSetUp setUp;
    if (!setUp.ready) return state.SkipWithError(("Radicale: " + setUp.server.error()).c_str());
    MemoryStore calendars;
    ItemSettings settings;
    settings.targetCalendarUID = calendars.addCalendar({{}, u"Team", CalCalendarTypeLocal, {}, true})->uid;
    auto item = currentItem(u"[Team] Standup 9am tomorrow @15m", kNow, settings, calendars);
    HttpSession session(setUp.server.url(), RadicaleServer::kUser, RadicaleServer::kPassword);
    session.sendBasicFirst();
    for (auto _ : state) {
        item->uid = icu::UnicodeString::fromUTF8(newUID());
        std::string uid;
        item->uid.toUTF8String(uid);
        auto reply = session.perform({"PUT",
                                      setUp.server.url("/alice/team/" + uid + ".ics"),
                                      {"If-None-Match: *", "Content-Type: text/calendar; charset=utf-8"},
                                      toICalendar(*item, 1268262000),
                                      false});
        if (reply.status != 201) return state.SkipWithError("PUT failed");
    }
}
BENCHMARK(BM_ServerPutAlone)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

// `linecal add -` with 1,000 lines into the server calendar, one process.
void BM_AddBatchToServer(benchmark::State& state) {
    ServerSetUp setUp;
    if (!setUp.ready) return state.SkipWithError(("Radicale: " + setUp.server.error()).c_str());
    const fs::path& root = setUp.root.path;
    std::string lines;
    for (int i = 0; i < 1000; ++i) lines += "[Team] Item " + std::to_string(i) + " 9am tomorrow\n";
    const std::vector<std::string> args = {"--store",
                                           (root / "calendars").string(),
                                           "--config",
                                           (root / "linecal.conf").string(),
                                           "add",
                                           "--now",
                                           "2010-03-10T15:00",
                                           "-"};
    const fs::path team = root / "radicale" / "storage" / "collection-root" / RadicaleServer::kUser / "team";
    for (auto _ : state) {
        const bool ran = runLinecal(root, args, lines);
        state.PauseTiming();
        std::size_t items = 0;
        for (const auto& entry : fs::directory_iterator(team)) items += entry.path().extension() == ".ics";
        state.counters["items"] = static_cast<double>(items);
        if (!ran || items < 1000) return state.SkipWithError("linecal add - did not save 1,000 items (no batch mode?)");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddBatchToServer)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// 1,000 saves through one account's store: what a batch does after reading its lines.
void BM_SaveManyToServer(benchmark::State& state) {
    bench::pinZoneAndLocale();
    ServerSetUp setUp;
    if (!setUp.ready) return state.SkipWithError(("Radicale: " + setUp.server.error()).c_str());
    CalDavStore store(radicaleAccount(setUp.server), std::make_shared<MemorySecrets>(), setUp.root.path / "cache");
    if (!store.refresh(nullptr)) return state.SkipWithError("discovery failed");
    ItemSettings settings;
    settings.targetCalendarUID = store.calendars().front()->uid;
    auto prototype = currentItem(u"Standup 9am tomorrow @15m", kNow, settings, store);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            Event item(dynamic_cast<const Event&>(*prototype));
            StoreError error;
            if (!saveItem(store, item, &error)) return state.SkipWithError("save failed");
        }
    }
    state.counters["connections"] = static_cast<double>(store.connectionsOpened());
}
BENCHMARK(BM_SaveManyToServer)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The keystroke over the corpus through the user's calendars: the local one alone (0), or with
// an account whose ten server calendars the cache serves (10).
void BM_KeystrokeWithServerCalendars(benchmark::State& state) {
    bench::pinZoneAndLocale();
    testing::TempDir root;
    const Account account{"work", "https://dav.example.com/", "alice", "false"};
    std::vector<ServerCalendar> calendars;
    for (int i = 0; i < state.range(0); ++i) {
        const std::string path = "/dav/alice/calendar" + std::to_string(i) + "/";
        calendars.push_back({"https://dav.example.com" + path, path, "Server " + std::to_string(i), "", {}, true});
    }
    if (!calendars.empty()) {
        writeCachedCalendars(root.path / "cache", account, calendars);
        writeAccounts(root.path / "accounts.conf", {account}, nullptr);
    }
    auto store = openUserCalendars({root.path / "calendars",
                                    root.path / "accounts.conf",
                                    root.path / "cache",
                                    ServerRefresh::Never,
                                    std::make_shared<MemorySecrets>(),
                                    {}});
    store->local().ensureCalendar(nullptr);
    store->local().reload();
    if (store->calendars().size() != calendars.size() + 1) return state.SkipWithError("calendars missing");
    bench::keystrokesAgainst(state, *store);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeystrokeWithServerCalendars)->Arg(0)->Arg(10)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace linecal

BENCHMARK_MAIN();
