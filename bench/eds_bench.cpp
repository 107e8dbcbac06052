// The desktop's calendars, in a private EDS whose daemons already run: listing them, one save
// into the local backend, and the keystroke with twenty EDS calendars in the list. Run it on a
// bus of its own: tests/platform/eds_session.sh eds build/bench/eds_bench
#include "EntryCorpus.h"
#include "KeystrokeLoop.h"
#include "TestSupport.h"
#include "EdsCalendarDesk.h"

#include "items/CurrentItem.h"
#include "items/Descriptions.h"
#include "stores/UserCalendars.h"
#include "text/Utf8.h"

#include <benchmark/benchmark.h>

#include <string>

namespace linecal {
namespace {

using bench::kNow;

CalendarRef personal(DesktopCalendars& desktop, benchmark::State& state) {
    StoreError why;
    if (!desktop.refresh(&why)) {
        state.SkipWithError(
            ("EDS did not answer (run under tests/platform/eds_session.sh eds): " + std::string(toUtf8(why.message)))
                .c_str());
        return nullptr;
    }
    return desktop.calendarWithUID(u"system-calendar");
}

void BM_ListDesktopCalendars(benchmark::State& state) {
    DesktopCalendars desktop;
    if (!personal(desktop, state)) return;  // the module loaded and the daemons started
    for (auto _ : state) {
        if (!desktop.refresh()) return state.SkipWithError("the registry stopped answering");
        benchmark::DoNotOptimize(desktop.calendars());
    }
}
BENCHMARK(BM_ListDesktopCalendars)->Unit(benchmark::kMillisecond);

void BM_SaveToDesktopCalendar(benchmark::State& state) {
    bench::pinZoneAndLocale();
    DesktopCalendars desktop;
    auto calendar = personal(desktop, state);
    if (!calendar) return;
    Event warmUp;  // the calendar daemon started and the backend open
    warmUp.title = u"Warm-up";
    warmUp.calendar = calendar;
    warmUp.startDate = kNow;
    if (!desktop.saveEvent(warmUp, 0, nullptr)) return state.SkipWithError("the first save failed");
    for (auto _ : state) {
        Event event;
        event.title = u"Review";
        event.calendar = calendar;
        event.startDate = kNow;
        event.endDate = kNow + 3600;
        auto alarm = std::make_shared<ZQCalAlarm>();
        alarm->relativeTrigger = -900;
        alarm->relativeTime = u"15m";
        event.alarms.push_back(alarm);
        StoreError why;
        if (!desktop.saveEvent(event, 0, &why)) return state.SkipWithError(toUtf8(why.message).c_str());
    }
}
BENCHMARK(BM_SaveToDesktopCalendar)->Unit(benchmark::kMillisecond);

void BM_KeystrokeWithDesktopCalendars(benchmark::State& state) {
    bench::pinZoneAndLocale();
    static bool made = false;  // the sources stay in the registry for the whole run
    if (!made && state.range(0) > 0) {
        for (int i = 0; i < state.range(0); ++i) testing::addSource({.title = "Desk " + std::to_string(i)});
        made = true;
    }
    testing::TempDir root;
    auto store = openUserCalendars({root.path / "calendars",
                                    root.path / "accounts.conf",
                                    root.path / "cache",
                                    ServerRefresh::Never,
                                    {},
                                    {},
                                    state.range(0) > 0 ? DesktopList::Now : DesktopList::Off});
    store->local().ensureCalendar(nullptr);
    store->local().reload();
    if (state.range(0) > 0 && store->calendars().size() < static_cast<std::size_t>(state.range(0)) + 1)
        return state.SkipWithError("EDS calendars missing (run under tests/platform/eds_session.sh eds)");
    bench::keystrokesAgainst(state, *store);
}
BENCHMARK(BM_KeystrokeWithDesktopCalendars)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace linecal

BENCHMARK_MAIN();
