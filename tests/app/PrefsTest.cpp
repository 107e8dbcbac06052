// The preferences window: number fields, the calendar list, capturing a hot key, start at
// login, usage consent, the alarm groups, and the alarms that saved items carry.
#include "AppTestSupport.h"

#include "app/HotkeyField.h"
#include "app/PreferencesPanel.h"
#include "stores/VdirStore.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>

#include <unistd.h>

namespace linecal::testing {
namespace {

namespace fs = std::filesystem;

QString comboText(const QComboBox* box) {
    QStringList rows;
    auto* model = qobject_cast<QStandardItemModel*>(box->model());
    for (int i = 0; i < box->count(); ++i) {
        const QStandardItem* item = model->item(i);
        QString row = box->itemData(i, Qt::AccessibleDescriptionRole).toString() == QLatin1String("separator")
                          ? QStringLiteral("--")
                          : box->itemText(i);
        if (item->font().bold()) row = QStringLiteral("# ") + row;
        else if (!item->isEnabled() && row != QLatin1String("--")) row += QStringLiteral(" (off)");
        if (i == box->currentIndex()) row += QStringLiteral(" *");
        rows << row;
    }
    return rows.join(QLatin1Char('|'));
}

// A key press as the X server delivers it: with the key's code, which tells the key's own character.
QKeyEvent press(Qt::Key key, Qt::KeyboardModifiers modifiers, quint32 keyCode, const QString& text) {
    return QKeyEvent(QEvent::KeyPress, key, modifiers, keyCode, 0, 0, text);
}

}  // namespace

class PrefsTest : public QObject {
    Q_OBJECT
private slots:
    void numberFieldsBecomeTheNumberTheyStartWith_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("trailing letters") << "15abc"
                                          << "15";
        QTest::newRow("no number") << "abc"
                                   << "0";
        QTest::newRow("negative") << "-5"
                                  << "0";
        QTest::newRow("more than a week") << "10081"
                                          << "10080";
        QTest::newRow("beyond 32 bits") << "99999999999"
                                        << "10080";
        QTest::newRow("a megabyte of digits") << QString(1 << 20, QLatin1Char('7')) << "10080";
    }
    void numberFieldsBecomeTheNumberTheyStartWith() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        PreferencesPanel& p = *app.preferencesWindow().panel();
        const size_t events = f.usage.events.size();
        app.preferencesWindow().alarmMinutesEdited(typed);
        QCOMPARE(p.alarmMinutesField->text(), shown);
        QCOMPARE(stored(f.settings, Setting::AlarmMinutes), shown);
        QCOMPARE(f.usage.events.size(), events + 1);  // "Alarm Button/Yes" for every edit
        app.preferencesWindow().eventLengthEdited(typed);
        QCOMPARE(p.defaultEventLengthField->text(), shown);
        QCOMPARE(stored(f.settings, Setting::EventLength), shown);
    }

    // The order of numeric dates: named with the locale's own example, chosen in the panel and
    // followed by the open dialog at once, and shown as the dialog last took it.
    void numericDatesFollowTheChosenOrder() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showPreferences();
        app.showDialog();
        QComboBox* box = app.preferencesWindow().panel()->numericDatesDropdown;
        QCOMPARE(box->itemText(0), QStringLiteral("As the locale says (5/12 is 12 May)"));
        QCOMPARE(box->currentIndex(), 0);
        f.type(QStringLiteral("Tea 5/12"));
        QVERIFY(f.dialog().eventField->line().contains(QStringLiteral("5/12/10")));
        box->activated(1);
        QCOMPARE(stored(f.settings, Setting::NumericDatesOtherOrder), QStringLiteral("true"));
        QVERIFY(f.dialog().eventField->line().contains(QStringLiteral("12/5/10")));
        QTest::keyClick(f.dialog().titleField, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(box->currentIndex(), 0);
    }

    void theCalendarListIsRebuiltAtEveryOpening() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.addCalendar({u"work", u"Work", CalCalendarTypeLocal, {}, true});
        f.store.addCalendar({u"team", u"Team", CalCalendarTypeCalDAV, u"alice@127.0.0.1", true});
        f.store.addCalendar({u"feed", u"Holidays", CalCalendarTypeCalDAV, u"alice@127.0.0.1", false});
        AppDelegate& app = f.launch();
        app.showPreferences();
        QComboBox* box = app.preferencesWindow().panel()->calendarDropdown;
        QCOMPARE(comboText(box), QStringLiteral("# On This Computer|  Personal *|  Work|--|# alice@127.0.0.1 (CalDAV)|"
                                                "  Team|  Holidays (off)"));
        QCOMPARE(f.usage.events.back(), QStringLiteral("Preferences Menu Item"));

        const int writes = f.settings.writeCount();
        app.preferencesWindow().updateCalendarSelection(1);  // the one already chosen
        app.preferencesWindow().updateCalendarSelection(0);  // a heading
        QCOMPARE(f.settings.writeCount(), writes);
        app.preferencesWindow().updateCalendarSelection(5);
        QCOMPARE(stored(f.settings, Setting::CalendarUID), QStringLiteral("team"));
        f.store.removeCalendar(u"work");  // gone while the window is open: choosing it writes nothing
        app.preferencesWindow().updateCalendarSelection(2);
        QCOMPARE(stored(f.settings, Setting::CalendarUID), QStringLiteral("team"));

        f.store.addCalendar({u"new", u"Errands", CalCalendarTypeLocal, {}, true});
        app.showPreferences();
        QVERIFY(comboText(box).contains(QStringLiteral("  Team *")));
        QVERIFY(comboText(box).endsWith(QStringLiteral("# Unknown|  Errands")));

        f.apps.app = CalendarApp{QStringLiteral("busycal.desktop"), QStringLiteral("BusyCal")};
        app.showPreferences();
        QCOMPARE(comboText(box), QStringLiteral("# On This Computer|  Personal|  Errands"));
    }

    void aPressedCombinationBecomesTheHotKey() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showPreferences();
        HotkeyField* field = app.preferencesWindow().panel()->hotKeyField;

        QKeyEvent shiftOnly = press(Qt::Key_R, Qt::ShiftModifier, 27, QStringLiteral("R"));
        QKeyEvent comma = press(Qt::Key_Comma, Qt::ControlModifier, 59, QStringLiteral(","));
        QCoreApplication::sendEvent(field, &shiftOnly);
        QCoreApplication::sendEvent(field, &comma);
        QCOMPARE(app.hotKeyShortcut(), QStringLiteral("Ctrl+Alt+R"));

        QKeyEvent ctrlShiftK = press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier, 45, QStringLiteral("K"));
        QCoreApplication::sendEvent(field, &ctrlShiftK);
        QCOMPARE(f.hotKeys.registrations.back(), std::make_pair(45, 768));
        QCOMPARE(stored(f.settings, Setting::Hotkey), QStringLiteral("k"));
        QCOMPARE(stored(f.settings, Setting::HotkeyFlags), QStringLiteral("768"));
        QCOMPARE(field->text(), QStringLiteral("Ctrl+Shift+K"));
        QCOMPARE(field->toolTip().left(12), QStringLiteral("Ctrl+Shift+K"));
        QCOMPARE(app.tray().vorlaMenuItem()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+K")));

        // Shift+5 arrives as %; the key still makes 5.
        f.hotKeys.keyboard[QStringLiteral("5")] = 14;
        f.hotKeys.answer_ = HotKeyStatus::Taken;
        QKeyEvent all =
            press(Qt::Key_Percent, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier, 14,
                  QStringLiteral("%"));
        QCoreApplication::sendEvent(field, &all);
        QCOMPARE(f.hotKeys.registrations.back(), std::make_pair(14, 6912));
        QCOMPARE(field->text(), QStringLiteral("Ctrl+Alt+Shift+Meta+5  (not active)"));
        f.hotKeys.press();
        QVERIFY(app.entry().isDialogOpen());
    }

    void startAtLoginWritesAndRemovesTheAutostartEntry() {
        TempDir dir;
        const QString folder = QString::fromStdString((dir.path / "autostart").string());
        const QString program = QString::fromStdString((dir.path / "bin dir" / "linecal-app").string());
        fs::create_directories(dir.path / "bin dir");
        XdgAutostart autostart(folder, program);
        AppFixture f;
        f.markLaunchedBefore();
        f.loginItems = &autostart;
        AppDelegate& app = f.launch();
        QCheckBox* box = app.preferencesWindow().panel()->launchCheckbox;
        QVERIFY(!box->isChecked());
        QVERIFY(box->isEnabled());

        app.preferencesWindow().toggleLaunchAtStartup();
        QVERIFY(box->isChecked());
        QVERIFY(autostart.isLaunchAtStartup());
        QCOMPARE(f.usage.events.back(), QStringLiteral("Launch at Startup Button/Yes"));
        const QString written = QString::fromUtf8(readFile(autostart.entryPath().toStdString()));
        QVERIFY2(written.contains(QStringLiteral("Exec=\"") + program + QLatin1Char('"')), qPrintable(written));
        app.preferencesWindow().toggleLaunchAtStartup();
        QVERIFY(!autostart.isLaunchAtStartup());
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QCOMPARE(f.usage.events.back(), QStringLiteral("Launch at Startup Button/No"));

        // An entry the user hid, or one for another copy, is not ours; on and off leave it as it was.
        for (const char* before : {"Exec=/usr/bin/linecal-app\n", "Exec=\"PROGRAM\"\nHidden=true\n"}) {
            const std::string text =
                "[Desktop Entry]\nType=Application\nName=linecal\n" +
                QString::fromUtf8(before).replace(QStringLiteral("PROGRAM"), program).toStdString();
            std::ofstream(autostart.entryPath().toStdString()) << text;
            app.refreshMenu();
            QVERIFY(!box->isChecked());
            app.preferencesWindow().toggleLaunchAtStartup();
            QVERIFY(autostart.isLaunchAtStartup());
            app.preferencesWindow().toggleLaunchAtStartup();
            QCOMPARE(readFile(autostart.entryPath().toStdString()), text);
            QCOMPARE(fs::directory_iterator(dir.path / "autostart")->path().filename(), fs::path("linecal.desktop"));
        }

        // A folder that is a file cannot hold entries: the check box says why and changes nothing.
        fs::remove_all(dir.path / "autostart");
        std::ofstream(dir.path / "autostart") << "not a folder";
        app.refreshMenu();
        QVERIFY(!box->isEnabled());
        QVERIFY(box->toolTip().contains(QStringLiteral("is a file")));
        const size_t events = f.usage.events.size();
        app.preferencesWindow().toggleLaunchAtStartup();
        QVERIFY(!box->isChecked());
        QCOMPARE(f.usage.events.size(), events);
        QCOMPARE(readFile(dir.path / "autostart"), "not a folder");
    }

    void aReadOnlyAutostartFolderDisablesTheCheckBox() {
        if (::geteuid() == 0) QSKIP("permission bits do not bind root");
        TempDir dir;
        fs::create_directories(dir.path / "autostart");
        fs::permissions(dir.path / "autostart", fs::perms::owner_write, fs::perm_options::remove);
        XdgAutostart autostart(QString::fromStdString((dir.path / "autostart").string()), QStringLiteral("/x"));
        QString why;
        QVERIFY(!autostart.canChange(&why));
        QVERIFY(why.contains(QStringLiteral("cannot be written")));
    }

    void theStoredConsentDecides() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        PreferencesPanel& p = *app.preferencesWindow().panel();
        QVERIFY(!p.usageCheckbox->isChecked());
        QVERIFY(!p.usageYesField->isHidden());
        QVERIFY(p.usageNoField->isHidden());
        p.usageCheckbox->setChecked(false);  // whatever the box shows, the stored "off" turns on
        app.preferencesWindow().toggleUsageData();
        QVERIFY(app.preferences().boolValue(Setting::UsageEnabled) && f.usage.enabled &&
                f.updater.sendsSystemProfile());
        QVERIFY(p.usageCheckbox->isChecked());
        QVERIFY(p.usageYesField->isHidden());
        QVERIFY(!p.usageNoField->isHidden());
        QCOMPARE(stored(f.settings, Setting::UsageEnabled), QStringLiteral("true"));
    }

    // A support button leads only where the build says; an address that no program opens is
    // named in the panel, and the next one that opens takes the line away.
    void supportButtonsFollowTheBuildAndSayWhenNothingOpens() {
        {
            AppFixture f;
            PreferencesPanel& p = *f.launch().preferencesWindow().panel();
            for (QPushButton* button : {p.emailButton, p.issuesButton, p.webButton, p.storeButton})
                QVERIFY(button->isHidden());
        }
        AppFixture f;
        f.support.mail = QStringLiteral("mailto:help@localhost");
        f.support.web = QStringLiteral("http://127.0.0.1/linecal");
        AppDelegate& app = f.launch();
        PreferencesPanel& p = *app.preferencesWindow().panel();
        app.showPreferences();
        QVERIFY(p.emailButton->isVisible() && p.webButton->isVisible());
        QVERIFY(!p.issuesButton->isVisible() && !p.storeButton->isVisible());
        QVERIFY(!p.supportProblemField->isVisible());

        f.apps.succeed = false;
        QTest::mouseClick(p.emailButton, Qt::LeftButton);
        QCOMPARE(f.apps.opened.size(), 1u);
        QCOMPARE(f.apps.opened.back(), QUrl(QStringLiteral("mailto:help@localhost")));
        QVERIFY(p.supportProblemField->isVisible());
        QCOMPARE(p.supportProblemField->text(),
                 QStringLiteral("Could not open mailto:help@localhost: no program opens it."));

        f.apps.succeed = true;
        QTest::mouseClick(p.webButton, Qt::LeftButton);
        QCOMPARE(f.apps.opened.size(), 2u);
        QCOMPARE(f.apps.opened.back(), QUrl(QStringLiteral("http://127.0.0.1/linecal")));
        QVERIFY(!p.supportProblemField->isVisible());
        p.hide();
    }

    // Minutes are whole numbers from none to a week; the fields refuse other keys.
    void minuteFieldsTakeWholeMinutesUpToAWeek() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        PreferencesPanel& p = *app.preferencesWindow().panel();
        for (QLineEdit* field : {p.defaultEventLengthField, p.alarmMinutesField}) {
            field->clear();
            QTest::keyClicks(field, QStringLiteral("1.5"));
            QCOMPARE(field->text(), QStringLiteral("15"));
            field->clear();
            QTest::keyClicks(field, QStringLiteral("-5x"));
            QCOMPARE(field->text(), QStringLiteral("5"));
            field->clear();
            QTest::keyClicks(field, QStringLiteral("99999999"));
            QVERIFY(field->text().toInt() <= 10080);
        }
        app.preferencesWindow().eventLengthEdited(QStringLiteral("99999999"));
        QCOMPARE(stored(f.settings, Setting::EventLength), QStringLiteral("10080"));
        f.settings.setValue(settingKey(Setting::EventLength), QStringLiteral("99999999"));  // written by hand
        QCOMPARE(eventLengthMinutes(f.settings), 10080);
    }

    void theAlarmKindShowsItsOwnChoices() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        PreferencesPanel& p = *app.preferencesWindow().panel();
        const struct {
            int type;
            bool soundEnabled, soundShown, emailShown;
            AlarmAction action;
        } kinds[] = {
            {0, false, true, false, AlarmAction::Display},
            {1, true, true, false, AlarmAction::Sound},
            // No address of the user's is known here: an e-mail alarm could not be saved.
            {2, true, false, true, AlarmAction::Display},
        };
        for (const auto& k : kinds) {
            app.preferencesWindow().updateAlarmSettings(k.type, 0, 0);
            QCOMPARE(p.alarmSoundDropdown->isEnabled(), k.soundEnabled);
            QCOMPARE(!p.alarmSoundView->isHidden(), k.soundShown);
            QCOMPARE(!p.alarmEmailView->isHidden(), k.emailShown);
            QCOMPARE(app.preferencesWindow().alarmType(), k.action);
        }
        // Without addresses of the user's own, the e-mail list says so and offers nothing.
        QCOMPARE(p.alarmEmailDropdown->itemText(0), QStringLiteral("No address"));
        QVERIFY(!qobject_cast<QStandardItemModel*>(p.alarmEmailDropdown->model())->item(0)->isEnabled());
        QStandardItem* email = qobject_cast<QStandardItemModel*>(p.alarmTypeDropdown->model())->item(2);
        QVERIFY(!email->isEnabled());
        QVERIFY(email->toolTip().contains(QStringLiteral("No e-mail address")));
        app.preferencesWindow().takeUserEmails({QStringLiteral("me@example.org")});
        QVERIFY(email->isEnabled());
        QCOMPARE(app.preferencesWindow().alarmType(), AlarmAction::Email);
    }

    // An e-mail choice stored while an address was known, which is gone now: the item gets a
    // message alarm and saves, and the alarm line says why.
    void anEmailAlarmWithoutAddressBecomesAMessage() {
        TempDir dir;
        VdirStore vdir(dir.path / "calendars");
        StoreError error;
        QVERIFY(vdir.ensureCalendar(&error));
        AppFixture f;
        f.markLaunchedBefore();
        f.useStore(vdir);
        f.settings.setValue(settingKey(Setting::AlarmTypeIndex), 2);
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Call Bob tomorrow 3pm"));
        QCOMPARE(f.dialog().alarmField->line(),
                 QStringLiteral("30m alarm; a message, as no e-mail address of yours is known"));
        QVERIFY(app.entry().addEvent(false));
        const std::string text =
            readFile(dir.path / "calendars" / "personal" / (f.lastEventUid().toStdString() + ".ics"));
        QVERIFY2(text.find("ACTION:DISPLAY") != std::string::npos, text.c_str());
        QCOMPARE(stored(f.settings, Setting::AlarmTypeIndex),
                 QStringLiteral("2"));  // kept for when the address is back
    }

    void addressesThatComeLateKeepTheStoredChoice() {
        // An address book that answers when told to, as a slow one does.
        struct LateBook : AddressBook {
            QStringList selfEmails(std::chrono::milliseconds, QString*) override { return {}; }
            void selfEmailsLater(QObject*, std::chrono::milliseconds, EmailsReady ready) override { done = ready; }
            EmailsReady done;
        } book;
        AppFixture f;
        f.markLaunchedBefore();
        f.settings.setValue(settingKey(Setting::AlarmTypeIndex), 2);
        f.settings.setValue(settingKey(Setting::AlarmEmailIndex), 1);
        f.addressBook = &book;
        AppDelegate& app = f.launch();
        QCOMPARE(stored(f.settings, Setting::AlarmEmailIndex), QStringLiteral("1"));
        QVERIFY(app.preferencesWindow().alarmEmail().isEmpty());
        QVERIFY(book.done);
        book.done({QStringLiteral("me@example.org"), QStringLiteral("work@example.org")}, {});
        QCOMPARE(app.preferencesWindow().alarmEmail(), QStringLiteral("work@example.org"));
        QCOMPARE(app.preferencesWindow().panel()->alarmEmailDropdown->currentText(),
                 QStringLiteral("work@example.org"));
        QCOMPARE(stored(f.settings, Setting::AlarmEmailIndex), QStringLiteral("1"));
    }

    void aSlowAddressBookIsAskedAgainWhenThePreferencesOpen() {
        struct CountingBook : AddressBook {
            QStringList selfEmails(std::chrono::milliseconds, QString*) override { return {}; }
            void selfEmailsLater(QObject*, std::chrono::milliseconds, EmailsReady ready) override {
                ++asked;
                done = ready;
            }
            int asked = 0;
            EmailsReady done;
        } book;
        AppFixture f;
        f.markLaunchedBefore();
        f.addressBook = &book;
        AppDelegate& app = f.launch();
        QCOMPARE(book.asked, 1);
        // Opened while the first answer is still awaited: no second question.
        app.showPreferences();
        QCOMPARE(book.asked, 1);
        book.done({}, QStringLiteral("Evolution Data Server did not answer within 500 ms"));
        app.preferencesWindow().panel()->hide();
        app.showPreferences();
        QCOMPARE(book.asked, 2);
        book.done({QStringLiteral("me@example.org")}, {});
        QCOMPARE(app.preferencesWindow().panel()->alarmEmailDropdown->itemText(0), QStringLiteral("me@example.org"));
        // With the addresses known, opening again asks nothing.
        app.preferencesWindow().panel()->hide();
        app.showPreferences();
        QCOMPARE(book.asked, 2);
    }

    void savedItemsCarryTheChosenAlarm() {
        TempDir dir;
        VdirStore vdir(dir.path / "calendars");
        StoreError error;
        QVERIFY(vdir.ensureCalendar(&error));
        MemoryAddressBook book({QStringLiteral("me@example.org"), QStringLiteral("work@example.org")});
        const struct {
            int type, sound, email;
            const char* expected;
        } kinds[] = {
            {0, 0, 0, "ACTION:DISPLAY"},
            {1, 1, 0, "ACTION:AUDIO"},
            {2, 0, 1, "ATTENDEE:mailto:work@example.org"},
        };
        for (const auto& k : kinds) {
            AppFixture f;
            f.markLaunchedBefore();
            f.addressBook = &book;
            f.useStore(vdir);
            AppDelegate& app = f.launch();
            QCOMPARE(app.preferencesWindow().panel()->alarmEmailDropdown->count(), 2);
            app.preferencesWindow().updateAlarmSettings(k.type, k.sound, k.email);
            app.showDialog();
            f.type(QStringLiteral("Call Bob tomorrow 3pm @15m"));
            QVERIFY(app.entry().addEvent(false));
            const auto file = dir.path / "calendars" / "personal" / (f.lastEventUid().toStdString() + ".ics");
            const std::string text = readFile(file);
            QVERIFY2(text.find(k.expected) != std::string::npos, text.c_str());
            if (k.type == 1) QVERIFY(text.find(alarmSoundNames().at(1).toStdString()) != std::string::npos);
        }
        // A reader nobody here wrote takes all three.
        if (QProcess::execute(QStringLiteral("sh"),
                              {QStringLiteral("-c"), QStringLiteral("command -v khal >/dev/null")}) != 0)
            QSKIP("khal is not installed");
        const QString conf = QString::fromStdString((dir.path / "khal.conf").string());
        std::ofstream(conf.toStdString())
            << "[calendars]\n[[personal]]\npath = " << (dir.path / "calendars" / "personal").string()
            << "\n[locale]\ntimeformat = %H:%M\ndateformat = %Y-%m-%d\n"
               "longdateformat = %Y-%m-%d\ndatetimeformat = %Y-%m-%d %H:%M\n"
               "longdatetimeformat = %Y-%m-%d %H:%M\n";
        QProcess khal;
        khal.start(QStringLiteral("khal"), {QStringLiteral("-c"), conf, QStringLiteral("list"),
                                            QStringLiteral("2010-03-11"), QStringLiteral("1d")});
        QVERIFY(khal.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(khal.readAllStandardOutput()).count(QStringLiteral("Call Bob")), 3);
    }
};

int runPrefsTest(int argc, char** argv) {
    PrefsTest suite;
    return QTest::qExec(&suite, argc, argv);
}

}  // namespace linecal::testing

#include "PrefsTest.moc"
