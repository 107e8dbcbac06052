// Parsing speed: each corpus entry on its own, the corpus as a whole, the
// keystroke case where the same line is re-parsed as it grows, and lines built
// to be slow, at several lengths so that the growth shows.
#include "AdversarialLines.h"
#include "EntryCorpus.h"
#include "parse/Alternatives.h"
#include "parse/DateContext.h"
#include "parse/ParseEntry.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using linecal::bench::entryCorpus;
using linecal::bench::kNow;
using linecal::bench::pinZoneAndLocale;

// The per-entry and corpus figures hold a DateContext::Pin over the run, as
// `parse -` does over a batch: the zone is then not cloned and compared per line.
void BM_ParseEntry(benchmark::State& state) {
    pinZoneAndLocale();
    const linecal::DateContext::Pin pinned;
    icu::UnicodeString text =
        icu::UnicodeString::fromUTF8(entryCorpus()[static_cast<std::size_t>(state.range(0))].c_str());
    for (auto _ : state) benchmark::DoNotOptimize(linecal::parseEntry(text, kNow));
    state.SetLabel(entryCorpus()[static_cast<std::size_t>(state.range(0))].c_str());
}
BENCHMARK(BM_ParseEntry)->DenseRange(0, entryCorpus().size() - 1);

void BM_ParseCorpus(benchmark::State& state) {
    pinZoneAndLocale();
    const linecal::DateContext::Pin pinned;
    std::vector<icu::UnicodeString> texts;
    for (const auto& e : entryCorpus()) texts.push_back(icu::UnicodeString::fromUTF8(e));
    for (auto _ : state)
        for (const auto& t : texts) benchmark::DoNotOptimize(linecal::parseEntry(t, kNow));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_ParseCorpus);

// As the dialog parses: each line with the other reading it offers, which costs
// a parse of its own only where a choice was made. Against BM_ParseCorpus, the
// goal is under a tenth more.
void BM_ParseCorpusWithAlternatives(benchmark::State& state) {
    pinZoneAndLocale();
    const linecal::DateContext::Pin pinned;
    std::vector<icu::UnicodeString> texts;
    for (const auto& e : entryCorpus()) texts.push_back(icu::UnicodeString::fromUTF8(e));
    for (auto _ : state) {
        for (const auto& t : texts) {
            const linecal::ParsedEntry record = linecal::parseEntry(t, kNow);
            benchmark::DoNotOptimize(linecal::alternativesOf(t, record, kNow, {}, 1));
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_ParseCorpusWithAlternatives);

// The same without a pin, as a caller that parses one line now and then pays.
void BM_ParseCorpusUnpinned(benchmark::State& state) {
    pinZoneAndLocale();
    std::vector<icu::UnicodeString> texts;
    for (const auto& e : entryCorpus()) texts.push_back(icu::UnicodeString::fromUTF8(e));
    for (auto _ : state)
        for (const auto& t : texts) benchmark::DoNotOptimize(linecal::parseEntry(t, kNow));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_ParseCorpusUnpinned);

void BM_Keystroke(benchmark::State& state) {
    pinZoneAndLocale();
    const icu::UnicodeString line =
        icu::UnicodeString::fromUTF8("Call Bob @15m [Work] tomorrow 4pm for 30 minutes at the office");
    int32_t typed = 0;
    for (auto _ : state) {
        typed = typed % line.length() + 1;
        benchmark::DoNotOptimize(linecal::parseEntry(icu::UnicodeString(line, 0, typed), kNow));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Keystroke);

// Goal: a 100 KB line in under 20 ms, and time that grows linearly (the fitted
// complexity is O(N) with a small RMS; a quadratic shape shows a large one).
void BM_Adversarial(benchmark::State& state, const linecal::bench::AdversarialShape& shape) {
    pinZoneAndLocale();
    const int32_t bytes = static_cast<int32_t>(state.range(0));
    const icu::UnicodeString line = linecal::bench::adversarialLine(shape, bytes / 2);  // UTF-16: two bytes a unit
    for (auto _ : state) benchmark::DoNotOptimize(linecal::parseEntry(line, kNow));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

const bool kAdversarialRegistered = [] {
    for (const auto& shape : linecal::bench::kAdversarialShapes) {
        benchmark::RegisterBenchmark((std::string("BM_Adversarial/") + shape.name).c_str(), BM_Adversarial, shape)
            ->RangeMultiplier(2)
            ->Range(25 << 10, 100 << 10)
            ->Unit(benchmark::kMillisecond)
            ->Complexity(benchmark::oN);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
