// The whole keystroke (parse, build, both preview lines) over the entry corpus, saving to the
// local vdir store, and `linecal add` as a whole process.
#include "EntryCorpus.h"
#include "TestSupport.h"

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
#include <fstream>
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

// One save into a calendar that already holds state.range(0) items: the time
// must not grow with them.
void BM_SaveToVdir(benchmark::State& state) {
    testing::TempDir root;
    VdirStore store(root.path / "calendars");
    if (!store.ensureCalendar(nullptr)) {
        state.SkipWithError("cannot create the calendar");
        return;
    }
    ItemSettings settings;
    settings.targetCalendarUID = store.calendars().front()->uid;
    auto prototype = currentItem(u"Lunch tomorrow 12pm for 1 hour at Cafe Rio @15m", kNow, settings, store);
    const fs::path folder = root.path / "calendars" / VdirStore::kFirstCalendarFolder;
    for (int64_t i = 0; i < state.range(0); ++i)
        std::ofstream(folder / ("existing-" + std::to_string(i) + ".ics")) << "x";
    for (auto _ : state) {
        auto item = std::make_unique<Event>(dynamic_cast<const Event&>(*prototype));
        if (!saveItem(store, *item, nullptr)) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SaveToVdir)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The linecal binary: $LINECAL_BIN, else the build tree's cli/linecal beside this program's folder.
std::string linecalBinary() {
    if (const char* bin = std::getenv("LINECAL_BIN")) return bin;
    return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "cli" / "linecal").string();
}

// Runs linecal with `args` (after the program), standard input from `input`
// (or /dev/null) and output thrown away; false when it failed.
bool runLinecal(const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> all{linecalBinary()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, input.empty() ? "/dev/null" : input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    const bool ok = posix_spawn(&pid, all[0].c_str(), &files, nullptr, argv.data(), environ) == 0 &&
                    ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&files);
    return ok;
}

bool haveLinecal(benchmark::State& state) {
    if (::access(linecalBinary().c_str(), X_OK) == 0) return true;
    state.SkipWithError(("no linecal binary at " + linecalBinary() + " (set LINECAL_BIN)").c_str());
    return false;
}

void BM_AddProcess(benchmark::State& state) {
    if (!haveLinecal(state)) return;
    testing::TempDir root;
    const std::vector<std::string> args = {"--store",
                                           (root.path / "calendars").string(),
                                           "--config",
                                           (root.path / "linecal.conf").string(),
                                           "add",
                                           "--now",
                                           "2010-03-10T15:00",
                                           "--",
                                           "Buy groceries at 4pm tomorrow"};
    for (auto _ : state)
        if (!runLinecal(args, "")) state.SkipWithError("linecal add failed");
}
BENCHMARK(BM_AddProcess)->Unit(benchmark::kMillisecond)->Iterations(50);

// `linecal add -` saving 10,000 corpus lines into a fresh store, as a whole process. Goal: under 5 s.
void BM_AddBatchProcess(benchmark::State& state) {
    if (!haveLinecal(state)) return;
    testing::TempDir root;
    const std::string lines = (root.path / "lines.txt").string();
    {
        std::ofstream out(lines);
        for (std::size_t i = 0; i < 10000; ++i) out << bench::entryCorpus()[i % bench::entryCorpus().size()] << '\n';
    }
    int run = 0;
    for (auto _ : state) {
        const fs::path store = root.path / ("calendars-" + std::to_string(run++));
        if (!runLinecal({"--store", store.string(), "--config", (root.path / "linecal.conf").string(), "add", "--now",
                         "2010-03-10T15:00", "-"},
                        lines))
            state.SkipWithError("linecal add - failed");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_AddBatchProcess)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
