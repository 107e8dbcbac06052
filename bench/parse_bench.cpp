// Parsing speed: each corpus entry on its own, the corpus as a whole, and the
// keystroke case where the same line is re-parsed as it grows.
#include "EntryCorpus.h"
#include "parse/ParseEntry.h"

#include <benchmark/benchmark.h>

namespace {

using linecal::bench::kEntryCorpus;
using linecal::bench::kNow;
using linecal::bench::pinZoneAndLocale;

void BM_ParseEntry(benchmark::State& state) {
    pinZoneAndLocale();
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(kEntryCorpus[static_cast<std::size_t>(state.range(0))]);
    for (auto _ : state) benchmark::DoNotOptimize(linecal::parseEntry(text, kNow));
    state.SetLabel(kEntryCorpus[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_ParseEntry)->DenseRange(0, kEntryCorpus.size() - 1);

void BM_ParseCorpus(benchmark::State& state) {
    pinZoneAndLocale();
    std::vector<icu::UnicodeString> texts;
    for (const char* e : kEntryCorpus) texts.push_back(icu::UnicodeString::fromUTF8(e));
    for (auto _ : state)
        for (const auto& t : texts) benchmark::DoNotOptimize(linecal::parseEntry(t, kNow));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_ParseCorpus);

void BM_Keystroke(benchmark::State& state) {
    pinZoneAndLocale();
    const icu::UnicodeString line = icu::UnicodeString::fromUTF8("Call Bob @15m [Work] tomorrow 4pm for 30 minutes at the office");
    int32_t typed = 0;
    for (auto _ : state) {
        typed = typed % line.length() + 1;
        benchmark::DoNotOptimize(linecal::parseEntry(icu::UnicodeString(line, 0, typed), kNow));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Keystroke);

}  // namespace

BENCHMARK_MAIN();
