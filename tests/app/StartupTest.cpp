// Start-up: the first and a later launch, stored hot keys, the last item, usage properties.
#include "AppTestSupport.h"

#include "app/ZQButton.h"

#include <QAction>
#include <QToolButton>

namespace linecal::testing {

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstLaunchSetsUpAndOpensTheDialog() {
        AppFixture f;
        AppDelegate& app = f.launch();
        QVERIFY(app.entry().isDialogOpen());
        QCOMPARE(f.dialog().text(), QStringLiteral("Buy groceries at 4pm tomorrow"));
        QCOMPARE(f.dialog().eventField->line(), QStringLiteral("[Personal] Buy groceries at 3/11/10, 4:00\u202fPM"));
        QCOMPARE(f.dialog().alarmField->line(), QStringLiteral("30m alarm"));
        QVERIFY(f.dialog().helpButton->isChecked());
        QVERIFY(!f.dialog().helpBox->isHidden());
        // Ctrl+Alt+R, with this keyboard's code for R rather than the stored default 15.
        QCOMPARE(f.hotKeys.registrations.back(), std::make_pair(27, 2304));
        QCOMPARE(app.hotKeyShortcut(), QStringLiteral("Ctrl+Alt+R"));
        QCOMPARE(app.tray().hotKeyShortcut(), QStringLiteral("Ctrl+Alt+R"));
        QCOMPARE(app.tray().vorlaMenuItem()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+R")));
        QCOMPARE(stored(f.settings, Setting::HotkeyCode), QStringLiteral("27"));
        QCOMPARE(stored(f.settings, Setting::AppHasLaunched), QStringLiteral("true"));
        QCOMPARE(stored(f.settings, Setting::AlarmEnabled), QStringLiteral("true"));
        QCOMPARE(stored(f.settings, Setting::AlarmMinutes), QStringLiteral("30"));
        QCOMPARE(stored(f.settings, Setting::CalendarUID), QStringLiteral("personal"));
        QCOMPARE(f.usage.events, std::vector<QString>{QStringLiteral("Alarm Button/Yes")});
        QCOMPARE(f.usage.properties.size(), size_t(1));
    }

    void laterLaunchRestoresInsteadOfOpening() {
        AppFixture f;
        f.markLaunchedBefore();
        f.settings.setValue(settingKey(Setting::HideHelp), true);
        f.settings.setValue(settingKey(Setting::AlarmEnabled), false);
        f.settings.setValue(settingKey(Setting::AlarmMinutes), 45);
        AppDelegate& app = f.launch();
        QVERIFY(!app.entry().isDialogOpen());
        QVERIFY(f.dialog().helpBox->isHidden());
        QVERIFY(!f.dialog().helpButton->isChecked());
        QVERIFY(!app.preferences().boolValue(Setting::AlarmEnabled));
        QCOMPARE(app.preferences().intValue(Setting::AlarmMinutes), 45);
        QCOMPARE(f.usage.events, std::vector<QString>{QStringLiteral("Alarm Button/No")});

        AppFixture g;  // without stored alarm settings, a later launch turns the default alarm on
        g.markLaunchedBefore();
        g.launch();
        QVERIFY(g.app->preferences().boolValue(Setting::AlarmEnabled));
        QCOMPARE(g.app->preferences().intValue(Setting::AlarmMinutes), 30);
        QVERIFY(g.dialog().helpButton->isChecked());
    }

    void storedHotKeysFollowTheirRules_data() {
        QTest::addColumn<QVariant>("key");
        QTest::addColumn<QVariant>("flags");
        QTest::addColumn<bool>("launchedBefore");
        QTest::addColumn<QString>("expectedKey");
        QTest::addColumn<int>("expectedFlags");
        QTest::newRow("R upgraded on the first launch") << QVariant("R") << QVariant() << false << "r" << 2304;
        QTest::newRow("R kept once launched") << QVariant("R") << QVariant() << true << "R" << 2304;
        QTest::newRow("flags 0 count as absent") << QVariant("k") << QVariant(0) << true << "k" << 2304;
        QTest::newRow("shift and control") << QVariant("k") << QVariant(512 | 4096) << true << "k" << 4608;
        QTest::newRow("shift alone would take a letter") << QVariant("k") << QVariant(512) << true << "k" << 2304;
        QTest::newRow("damaged key") << QVariant("kk") << QVariant(256) << true << "r" << 256;
        QTest::newRow("no key to grab") << QVariant("é") << QVariant(256) << true << "r" << 256;
    }
    void storedHotKeysFollowTheirRules() {
        QFETCH(QVariant, key);
        QFETCH(QVariant, flags);
        QFETCH(bool, launchedBefore);
        AppFixture f;
        if (launchedBefore) f.markLaunchedBefore();
        if (key.isValid()) f.settings.setValue(settingKey(Setting::Hotkey), key);
        if (flags.isValid()) f.settings.setValue(settingKey(Setting::HotkeyFlags), flags);
        f.settings.setValue(settingKey(Setting::HotkeyCode), 15);
        AppDelegate& app = f.launch();
        const HotKeySetting hotKey = app.preferences().hotKey();
        QTEST(hotKey.key, "expectedKey");
        QTEST(int(hotKey.flags), "expectedFlags");
        QCOMPARE(stored(f.settings, Setting::Hotkey), hotKey.key);
        QCOMPARE(stored(f.settings, Setting::HotkeyFlags).toInt(), hotKey.flags);
        QCOMPARE(f.hotKeys.registrations.back().second, hotKey.flags);
    }

    void aHotKeyTakenElsewhereIsSaidSo() {
        AppFixture f;
        f.hotKeys.answer_ = HotKeyStatus::Taken;
        AppDelegate& app = f.launch();
        QCOMPARE(app.tray().hotKeyStatus(), HotKeyStatus::Taken);
        QVERIFY(app.tray().trayToolTip().contains(QStringLiteral("not active")));
        f.hotKeys.answer_ = HotKeyStatus::Active;
        app.tray().registerHotKeys();
        QVERIFY(app.tray().trayToolTip().contains(QStringLiteral("Ctrl+Alt+R opens")));
    }

    void aStoredCalendarThatIsGoneIsReplacedByTheFirst() {
        AppFixture f;
        f.store.addCalendar({u"work", u"Work", CalCalendarTypeLocal, {}, true});
        f.settings.setValue(settingKey(Setting::CalendarUID), QStringLiteral("deleted"));
        f.launch();
        QCOMPARE(stored(f.settings, Setting::CalendarUID), QStringLiteral("personal"));
    }

    void usagePropertiesCountCalendarsByType() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.addCalendar({u"l2", u"Home", CalCalendarTypeLocal, {}, true});
        f.store.addCalendar({u"l3", u"Errands", CalCalendarTypeLocal, {}, true});
        f.store.addCalendar({u"dav", u"Team", CalCalendarTypeCalDAV, u"alice@example.org", true});
        f.store.addCalendar({u"ex", u"Office", CalCalendarTypeExchange, {}, true});
        f.settings.setValue(settingKey(Setting::ShowMenuBarIcon), false);
        f.launch();
        const UsageProperties& p = f.usage.properties.at(0);
        QCOMPARE(p.value(QStringLiteral("Calendars/Total")), QStringLiteral("5"));
        QCOMPARE(p.value(QStringLiteral("Calendars/Local")), QStringLiteral("3"));
        QCOMPARE(p.value(QStringLiteral("Calendars/CalDAV")), QStringLiteral("1"));
        QCOMPARE(p.value(QStringLiteral("Calendars/Subscription")), QStringLiteral("0"));
        QCOMPARE(p.value(QStringLiteral("Default Calendar App")), QStringLiteral("Fake Calendar"));
        QCOMPARE(p.value(QStringLiteral("Show Menu Bar Icon")), QStringLiteral("No"));
        QCOMPARE(p.value(QStringLiteral("Default Alarm Minutes")), QStringLiteral("30"));
    }

    void anEmptyStoreSelectsNothingAndDisablesTheDialogItem() {
        AppFixture f;
        f.store.removeCalendar(u"personal");
        AppDelegate& app = f.launch();
        QVERIFY(!f.settings.contains(settingKey(Setting::CalendarUID)));
        QCOMPARE(f.usage.properties.at(0).value(QStringLiteral("Calendars/Total")), QStringLiteral("0"));
        app.refreshMenu();
        QVERIFY(!app.tray().vorlaMenuItem()->isEnabled());
        f.store.addCalendar({u"new", u"New", CalCalendarTypeLocal, {}, true});
        app.refreshMenu();
        QVERIFY(app.tray().vorlaMenuItem()->isEnabled());
    }

    void consentCarriesOverOnlyOnTheFirstLaunch() {
        for (bool launchedBefore : {false, true}) {
            AppFixture f;
            f.usage.enabled = true;  // an earlier version's opt-in
            if (launchedBefore) f.markLaunchedBefore();
            AppDelegate& app = f.launch();
            QCOMPARE(app.preferences().boolValue(Setting::UsageEnabled), !launchedBefore);
            QCOMPARE(f.usage.enabled, !launchedBefore);
            QCOMPARE(f.updater.sendsSystemProfile(), !launchedBefore);
        }
    }

    void reopeningOpensTheDialogAndCountsIt() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        QVERIFY(app.applicationShouldHandleReopen());
        QVERIFY(app.entry().isDialogOpen());
        QCOMPARE(f.usage.events.back(), QStringLiteral("Reopen Launch"));
        f.hotKeys.press();  // already open: stays open, nothing else happens
        QVERIFY(app.entry().isDialogOpen());
    }
};

int runStartupTest(int argc, char** argv) {
    StartupTest suite;
    return QTest::qExec(&suite, argc, argv);
}

}  // namespace linecal::testing

#include "StartupTest.moc"
