// The tray item: its presence, the pulse's timing and colours, and the menu.
#include "AppTestSupport.h"

#include "app/IconPulse.h"
#include "app/StatusItem.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

namespace linecal::testing {
namespace {

// The colour the icon's transparent corner shows `ms` into the item's clock.
QColor cornerAt(StatusItem& item, std::int64_t ms) { return item.render(ms).pixelColor(0, 0); }

}  // namespace

class StatusTest : public QObject {
    Q_OBJECT
private slots:
    void opacityRisesAndFalls() {
        const std::pair<std::int64_t, double> samples[] = {{0, 0.0},   {200, 0.35},  {400, 0.7}, {600, 0.35},
                                                           {800, 0.0}, {1000, 0.35}, {-5, 0.0}};
        for (auto [ms, opacity] : samples)
            QVERIFY2(qFuzzyCompare(1 + IconPulse::opacityAt(ms), 1 + opacity), qPrintable(QString::number(ms)));
    }

    void aPulseLastsItsCountOfCycles() {
        IconPulse pulse;
        pulse.start(kPulseBlue, 2, 1000);
        QCOMPARE(pulse.overlaysAt(1000 + 1599).size(), size_t(1));
        QCOMPARE(pulse.overlaysAt(1000 + 1600).size(), size_t(0));
        QVERIFY(!pulse.isRunning());
        pulse.start(kPulseBlue, 0, 0);
        QVERIFY(!pulse.isRunning());
    }

    void aNewPulseDoesNotCutAnOlderOneShort() {
        IconPulse pulse;
        pulse.start(kPulseBlue, 3, 0);
        pulse.start(kPulseRed, 1, 1000);
        auto overlays = pulse.overlaysAt(1200);
        QCOMPARE(overlays.size(), size_t(2));
        QCOMPARE(overlays[0].color, kPulseBlue);
        QCOMPARE(overlays[1].color, kPulseRed);
        overlays = pulse.overlaysAt(1805);  // the red one has ended, the blue one goes on
        QCOMPARE(overlays.size(), size_t(1));
        QCOMPARE(overlays[0].color, kPulseBlue);
    }

    void theIconIsTintedByThePulse() {
        QMenu menu;
        StatusItem item(&menu);
        QCOMPARE(cornerAt(item, 0).alpha(), 0);
        const std::int64_t start = item.clockMs();
        item.pulse(kPulseRed, 1);
        QVERIFY(item.isPulsing());
        const QColor peak = cornerAt(item, start + 400);
        QCOMPARE(peak.red(), 255);
        QCOMPARE(peak.blue(), 0);
        QVERIFY(qAbs(peak.alphaF() - 0.7) < 0.01);
        QCOMPARE(cornerAt(item, start + 900).alpha(), 0);
        QVERIFY(!item.isPulsing());
    }

    void savesPulseBlueAndFailuresRed() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.addCalendar({u"ro", u"Holidays", CalCalendarTypeSubscription, {}, false});
        AppDelegate& app = f.launch(true);
        QVERIFY(app.menuItem());
        QVERIFY(app.menuItem()->isPulsing());  // start-up's two blue pulses
        app.showDialog();
        f.type(QStringLiteral("Party [Holidays]"));
        app.entry().addEvent(false);
        const std::int64_t now = app.menuItem()->clockMs();
        // The red pulse is the latest overlay; it shows over the start-up's blue one.
        const QColor mixed = app.menuItem()->render(now + 300).pixelColor(0, 0);
        QVERIFY(mixed.red() > mixed.blue());
    }

    void theIconCanBeSwitchedOff() {
        AppFixture f;
        f.markLaunchedBefore();
        f.settings.setValue(settingKey(Setting::ShowMenuBarIcon), false);
        AppDelegate& app = f.launch(true);
        QVERIFY(!app.menuItem());
        app.tray().pulseIcon(kPulseBlue, 1);  // nothing to pulse, nothing breaks
        app.preferencesWindow().clickMenuIconButton(true);
        QVERIFY(app.menuItem());
        QCOMPARE(stored(f.settings, Setting::ShowMenuBarIcon), QStringLiteral("true"));
        app.preferencesWindow().clickMenuIconButton(false);
        QVERIFY(!app.menuItem());
        QCOMPARE(stored(f.settings, Setting::ShowMenuBarIcon), QStringLiteral("false"));
    }

    void theMenuNamesTheCalendarProgramAndOpensTheDialog() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        f.apps.app = CalendarApp{QStringLiteral("other.desktop"), QStringLiteral("Other Calendar")};
        emit app.tray().menu()->aboutToShow();
        QCOMPARE(app.tray().launchCalItem()->text(), QStringLiteral("Launch Other Calendar"));
        QVERIFY(app.tray().launchCalItem()->isEnabled());
        app.tray().launchCalItem()->trigger();
        QCOMPARE(f.apps.launched, std::vector<QString>{QStringLiteral("other.desktop")});
        app.tray().vorlaMenuItem()->trigger();
        QVERIFY(app.entry().isDialogOpen());

        f.apps.app.reset();  // no calendar program at all
        emit app.tray().menu()->aboutToShow();
        QCOMPARE(app.tray().launchCalItem()->text(), QStringLiteral("Launch Calendar"));
        QVERIFY(!app.tray().launchCalItem()->isEnabled());
        QSignalSpy notices(&app, &AppDelegate::notice);
        app.entry().launchCal();
        QCOMPARE(notices.size(), 1);
    }
};

int runStatusTest(int argc, char** argv) {
    StatusTest suite;
    return QTest::qExec(&suite, argc, argv);
}

}  // namespace linecal::testing

#include "StatusTest.moc"
