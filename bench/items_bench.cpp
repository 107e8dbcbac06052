// The whole keystroke (parse, build, both preview lines) over the entry corpus, saving to the
// local vdir store, and `linecal add` as a whole process.
#include "EntryCorpus.h"

#include "items/CurrentItem.h"
#include "parse/ParseEntry.h"
#include "items/Descriptions.h"
#include "stores/MemoryStore.h"
#include "stores/VdirStore.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace linecal {
namespace {

namespace fs = std::filesystem;

using bench::kNow;

std::vector<icu::UnicodeString> corpus() {
    std::vector<icu::UnicodeString> entries;
    for (const auto& entry : bench::entryCorpus()) entries.push_back(icu::UnicodeString::fromUTF8(entry));
    return entries;
}

MemoryStore calendars() {
    MemoryStore store;
    for (const char16_t* title : {u"Personal", u"Work", u"Home Stuff", u"Projects", u"Pets"}) {
        store.addCalendar({{}, title, CalCalendarTypeLocal, {}, true});
    }
    return store;
}

// One corpus entry per run, so that the report can give the median per entry.
void BM_Keystroke(benchmark::State& state) {
    bench::pinZoneAndLocale();
    const auto entry = corpus()[static_cast<std::size_t>(state.range(0))];
    MemoryStore store = calendars();
    ItemSettings settings;
    settings.targetCalendarUID = store.calendars().front()->uid;
    settings.eventLengthMinutes = 60;
    for (auto _ : state) {
        auto item = currentItem(entry, kNow, settings, store);
        auto line = ZQeventLine(*item, kNow);
        auto alarms = ZQalarmLine(*item);
        benchmark::DoNotOptimize(line);
        benchmark::DoNotOptimize(alarms);
    }
    state.SetLabel(bench::entryCorpus()[static_cast<std::size_t>(state.range(0))].c_str());
}
BENCHMARK(BM_Keystroke)->DenseRange(0, bench::entryCorpus().size() - 1);

// The same without the parse: what building and wording add to a keystroke.
void BM_BuildAndPreview(benchmark::State& state) {
    bench::pinZoneAndLocale();
    std::vector<ParsedEntry> records;
    for (const auto& entry : corpus()) records.push_back(parseEntry(entry, kNow));
    MemoryStore store = calendars();
    ItemSettings settings;
    settings.targetCalendarUID = store.calendars().front()->uid;
    settings.eventLengthMinutes = 60;
    std::size_t i = 0;
    for (auto _ : state) {
        auto item = currentItemFromEntry(records[i], settings, store);
        auto line = ZQeventLine(*item, kNow);
        auto alarms = ZQalarmLine(*item);
        benchmark::DoNotOptimize(line);
        benchmark::DoNotOptimize(alarms);
        i = (i + 1) % records.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildAndPreview);

struct TempRoot {
    TempRoot() {
        std::string pattern = (fs::temp_directory_path() / "linecal-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempRoot() { fs::remove_all(path); }
    fs::path path;
};

void BM_SaveToVdir(benchmark::State& state) {
    TempRoot root;
    VdirStore store(root.path / "calendars");
    if (!store.ensureCalendar(nullptr)) {
        state.SkipWithError("cannot create the calendar");
        return;
    }
    ItemSettings settings;
    settings.targetCalendarUID = store.calendars().front()->uid;
    auto prototype = currentItem(u"Lunch tomorrow 12pm for 1 hour at Cafe Rio @15m", kNow, settings, store);
    for (auto _ : state) {
        auto item = std::make_unique<Event>(dynamic_cast<const Event&>(*prototype));
        if (!saveItem(store, *item, nullptr)) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaveToVdir)->Unit(benchmark::kMicrosecond);

// The linecal binary: $LINECAL_BIN, else the build tree's cli/linecal beside this program's folder.
std::string linecalBinary() {
    if (const char* bin = std::getenv("LINECAL_BIN")) return bin;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" / "linecal").string();
}

void BM_AddProcess(benchmark::State& state) {
    const std::string bin = linecalBinary();
    if (::access(bin.c_str(), X_OK) != 0) {
        state.SkipWithError(("no linecal binary at " + bin + " (set LINECAL_BIN)").c_str());
        return;
    }
    TempRoot root;
    const std::string store = (root.path / "calendars").string();
    const std::string config = (root.path / "linecal.conf").string();
    std::vector<std::string> args = {bin, "--store", store, "--config", config, "add", "--now",
                                     "2010-03-10T15:00", "--", "Buy groceries at 4pm tomorrow"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, bin.c_str(), &quiet, nullptr, argv.data(), environ) != 0 ||
            ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("linecal add failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_AddProcess)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace
}  // namespace linecal

int main(int argc, char** argv) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    ::setenv("TZ", "America/Los_Angeles", 1);
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("America/Los_Angeles"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
