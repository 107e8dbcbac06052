// The entry dialog on Qt's offscreen platform: a keystroke from the key event to both preview
// lines repainted, over the entry corpus; and a 1 MB paste.
#include "EntryCorpus.h"

#include "app/AppDelegate.h"
#include "app/EntryController.h"
#include "app/AppProgram.h"
#include "app/EntryDialog.h"
#include "platform/CalendarApps.h"
#include "platform/HotKeys.h"
#include "prefs/SettingsStore.h"
#include "stores/MemoryStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace linecal {
namespace {

struct Desk {
    Desk() {
        bench::pinZoneAndLocale();
        for (const char16_t* title : {u"Personal", u"Work", u"Home Stuff", u"Projects", u"Pets"})
            store.addCalendar({{}, title, CalCalendarTypeLocal, {}, true});
        settings.setValue(QStringLiteral("App has launched 1.4"), true);
        settings.setValue(QStringLiteral("EventLength"), QStringLiteral("60"));
        apps.app = CalendarApp{QStringLiteral("cal.desktop"), QStringLiteral("Calendar")};
        AppServices services;
        services.store = &store;
        services.settings = &settings;
        services.hotKeys = &hotKeys;
        services.calendarApps = &apps;
        services.now = [] { return bench::kNow; };
        services.useTray = false;
        app = std::make_unique<AppDelegate>(std::move(services));
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
        app->showDialog();
    }
    QLineEdit* field() const { return app->entry().dialog()->titleField; }
    // Both lines painted now, as the screen would show them.
    void repaintPreview() const {
        app->entry().dialog()->eventField->repaint();
        app->entry().dialog()->alarmField->repaint();
    }

    MemoryStore store;
    MemorySettings settings;
    MemoryHotKeys hotKeys;
    MemoryCalendarApps apps;
    std::unique_ptr<AppDelegate> app;
};

double percentile(std::vector<double> samples, double p) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<std::size_t>(p * static_cast<double>(samples.size() - 1))];
}

// Each entry typed up to its last character, which is then pressed: the key event, the parse,
// the item, both lines worded and painted.
void BM_DialogKeystroke(benchmark::State& state) {
    Desk desk;
    std::vector<double> samples;
    for (auto _ : state) {
        double total = 0;
        for (const std::string& entry : bench::entryCorpus()) {
            const QString text = QString::fromStdString(entry);
            desk.field()->setText(text.chopped(1));
            QElapsedTimer timer;
            timer.start();
            QTest::keyClick(desk.field(), text.back().toLatin1());
            desk.repaintPreview();
            const double micros = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
            samples.push_back(micros);
            total += micros;
        }
        state.SetIterationTime(total / 1e6 / static_cast<double>(bench::entryCorpus().size()));
    }
    state.counters["p50_us"] = percentile(samples, 0.50);
    state.counters["p95_us"] = percentile(samples, 0.95);
    state.counters["max_us"] = percentile(samples, 1.0);
}
BENCHMARK(BM_DialogKeystroke)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

// A paste of 1 MB of text (of a line that reads as an entry) and one key after it.
void BM_HugePaste(benchmark::State& state) {
    Desk desk;
    QString huge;
    while (huge.size() < (1 << 20)) huge += QStringLiteral("Lunch with Anna tomorrow 12:30 at Cafe Rio [Work] @15m ");
    double pasteMs = 0, keyMs = 0;
    for (auto _ : state) {
        desk.field()->clear();
        QElapsedTimer timer;
        timer.start();
        desk.field()->insert(huge);
        desk.repaintPreview();
        desk.field()->repaint();
        pasteMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        QTest::keyClick(desk.field(), 'x');
        desk.repaintPreview();
        desk.field()->repaint();
        keyMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime((pasteMs + keyMs) / 1e3);
    }
    state.counters["paste_ms"] = pasteMs;
    state.counters["next_key_ms"] = keyMs;
}
BENCHMARK(BM_HugePaste)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace linecal

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    initAppResources();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
