// The keystroke as the dialog pays for it with a store's calendars listed: the item of each
// corpus entry in turn, built against the store, and both preview lines worded.
#pragma once

#include "EntryCorpus.h"
#include "items/CurrentItem.h"
#include "items/Descriptions.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace linecal::bench {

inline void keystrokesAgainst(benchmark::State& state, const CalendarStore& store) {
    ItemSettings settings;
    settings.targetCalendarUID = store.calendars().front()->uid;
    settings.eventLengthMinutes = 60;
    std::vector<icu::UnicodeString> entries;
    for (const auto& entry : entryCorpus()) entries.push_back(icu::UnicodeString::fromUTF8(entry));
    std::size_t i = 0;
    for (auto _ : state) {
        auto item = currentItem(entries[i], kNow, settings, store);
        auto line = ZQeventLine(*item, kNow);
        auto alarms = ZQalarmLine(*item);
        benchmark::DoNotOptimize(line);
        benchmark::DoNotOptimize(alarms);
        i = (i + 1) % entries.size();
    }
}

}  // namespace linecal::bench
