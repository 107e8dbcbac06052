// The entry dialog: the item each keystroke builds, saving with Return and Ctrl+Return, the
// add button's titles, the help box, failed saves and the editing keys.
#include "AppTestSupport.h"

#include "app/KeyRules.h"
#include "app/ZQButton.h"
#include "items/Descriptions.h"
#include "stores/StoreErrors.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QToolButton>

namespace linecal::testing {
namespace {

// The saved item's alarms as "15m,30m" in their order.
QString alarmNames(const CalendarItem& item) {
    QStringList names;
    for (const auto& alarm : item.alarms) names << toQString(alarm->description());
    return names.join(QLatin1Char(','));
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT
private slots:
    void defaultAlarmJoinsTheTypedOnes_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("alarms");
        QTest::addColumn<QString>("alarmLine");
        QTest::newRow("same key replaces") << "Call Bob @30m" << true << 30 << "30m"
                                           << "30m alarm";
        QTest::newRow("another key adds") << "Call Bob @15m" << true << 30 << "15m,30m"
                                          << "15m, 30m alarms";
        QTest::newRow("same time, other key") << "Call Bob @1h" << true << 60 << "1h,60m"
                                              << "1h, 60m alarms";
        QTest::newRow("default off") << "Call Bob @1h" << false << 60 << "1h"
                                     << "1h alarm";
        QTest::newRow("none at all") << "Call Bob" << false << 30 << ""
                                     << "No alarms";
    }
    void defaultAlarmJoinsTheTypedOnes() {
        QFETCH(QString, entry);
        QFETCH(bool, enabled);
        QFETCH(int, minutes);
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.preferencesWindow().toggleAlarmEnabled(enabled, QString::number(minutes));
        f.type(entry);
        auto item = app.entry().currentItem();
        QTEST(alarmNames(*item), "alarms");
        QTEST(f.dialog().alarmField->line(), "alarmLine");
        for (const auto& alarm : item->alarms) QCOMPARE(alarm->action, AlarmAction::Display);
    }

    void alarmTypeReachesEveryAlarm() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.preferencesWindow().updateAlarmSettings(1, 1, 0);
        f.type(QStringLiteral("Call Bob @15m"));
        auto item = app.entry().currentItem();
        QCOMPARE(item->alarms.size(), size_t(2));
        for (const auto& alarm : item->alarms) {
            QCOMPARE(alarm->action, AlarmAction::Sound);
            QCOMPARE(toQString(*alarm->sound), alarmSoundNames().at(1));
        }
        QCOMPARE(stored(f.settings, Setting::AlarmSoundIndex), QStringLiteral("1"));
    }

    void eventLengthStretchesOnlyZeroLengthEvents() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        f.type(QStringLiteral("Call Bob 5pm"));
        auto lengthOf = [&] {
            auto item = app.entry().currentItem();
            auto* event = dynamic_cast<Event*>(item.get());
            return int((*event->endDate - *event->startDate) / 60);
        };
        QCOMPARE(lengthOf(), 0);
        f.settings.setValue(settingKey(Setting::EventLength), QStringLiteral("60"));
        QCOMPARE(lengthOf(), 60);
        f.type(QStringLiteral("Call Bob 5pm for 2 hours"));
        QCOMPARE(lengthOf(), 120);
    }

    void returnSavesAndCtrlReturnAlsoLaunches() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        QLineEdit* field = f.dialog().titleField;

        f.type(QStringLiteral("Shift and Ctrl do nothing"));
        QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier);
        QVERIFY(f.store.savedItems().empty());
        QVERIFY(app.entry().isDialogOpen());

        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(f.store.savedItems().size(), size_t(1));
        QVERIFY(!app.entry().isDialogOpen());
        QVERIFY(f.apps.launched.empty());
        QCOMPARE(app.entry().lastEventName(), QStringLiteral("Shift and Ctrl do nothing"));
        QCOMPARE(app.entry().lastCalendarName(), QStringLiteral("Personal"));
        QCOMPARE(stored(f.settings, Setting::LastEventUID), toQString(f.store.savedItems().back()->uid));
        QCOMPARE(f.usage.events.back(), QStringLiteral("Reminders/Yes"));

        app.showDialog();
        QCOMPARE(field->selectedText(), QStringLiteral("Shift and Ctrl do nothing"));  // kept, selected
        f.type(QStringLiteral("Lunch tomorrow noon"));
        QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(f.store.savedItems().size(), size_t(2));
        QCOMPARE(f.apps.launched, std::vector<QString>{QStringLiteral("fakecal.desktop")});
        const auto& events = f.usage.events;
        QCOMPARE(std::vector<QString>(events.end() - 2, events.end()),
                 (std::vector<QString>{QStringLiteral("Launch iCal Menu Item/Fake Calendar"),
                                       QStringLiteral("Reminders/Yes")}));
    }

    void onlyExactlyCtrlCounts() {
        QVERIFY(isExactlyCommand(Qt::ControlModifier, false));
        QVERIFY(!isExactlyCommand(Qt::ControlModifier, true));  // Caps Lock
        QVERIFY(!isExactlyCommand(Qt::ControlModifier | Qt::KeypadModifier, false));
        QVERIFY(!isExactlyCommand(Qt::ControlModifier | Qt::ShiftModifier, false));
        QVERIFY(!isExactlyCommand(Qt::ControlModifier | Qt::MetaModifier, false));
        QVERIFY(!isExactlyCommand(Qt::NoModifier, false));
    }

    void addButtonTitleFollowsCtrl() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        ZQButton* button = f.dialog().addButton;
        QTest::keyClick(f.dialog().titleField, Qt::Key_End);  // no modifier held, whatever ran before
        QCOMPARE(button->text(), QStringLiteral("Add Event to Fake Calendar"));
        QCOMPARE(button->toolTip(), QStringLiteral("Ctrl+Return to Add and Launch Fake Calendar"));
        QTest::keyPress(f.dialog().titleField, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(button->text(), QStringLiteral("Add and Launch Fake Calendar"));
        QTest::keyPress(f.dialog().titleField, Qt::Key_Left, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(button->text(), QStringLiteral("Add Event to Fake Calendar"));
        QTest::keyPress(f.dialog().titleField, Qt::Key_Left, Qt::ControlModifier);
        QTest::keyRelease(f.dialog().titleField, Qt::Key_Left, Qt::NoModifier);
        QCOMPARE(button->text(), QStringLiteral("Add Event to Fake Calendar"));
    }

    void anEmptyEntryCannotBeAdded() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral("\t\u00a0")}) {
            f.type(blank);
            QVERIFY(!f.dialog().addButton->isEnabled());
            QVERIFY(f.dialog().eventField->line().startsWith(QStringLiteral("[Personal] Buy groceries at ")));
            QTest::keyClick(f.dialog().titleField, Qt::Key_Return);
            QVERIFY(f.store.savedItems().empty());
            QVERIFY(app.entry().isDialogOpen());
        }
    }

    // A small window of fixed size: the window manager offers no maximise or minimise.
    void theDialogIsAFixedSizeDialog() {
        AppFixture f;
        f.markLaunchedBefore();
        f.launch();
        const Qt::WindowFlags flags = f.dialog().windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(!(flags & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
    }

    // A title too long for the dialog loses its middle; the calendar, date and time stay whole.
    void aLongEntryKeepsItsDateInView() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(
            QStringLiteral("Quarterly planning review with the whole product, design and support teams, "
                           "and two guests from finance, tomorrow at 5pm"));
        const QString line = f.dialog().eventField->line(), shown = f.dialog().eventField->text();
        auto item = app.entry().currentItem();
        const QString title = toQString(*item->title);
        const QString dateAndTime = line.mid(line.indexOf(title) + title.size());
        QVERIFY2(shown != line, qPrintable(shown));
        QVERIFY2(shown.startsWith(QStringLiteral("[Personal] Quarterly")), qPrintable(shown));
        QVERIFY2(shown.endsWith(dateAndTime), qPrintable(shown));
        QVERIFY(shown.contains(QChar(0x2026)));
        QCOMPARE(f.dialog().eventField->accessibleName(), line);  // a screen reader hears all of it
    }

    // A date that names no day stays in the title, and the alarm line says so in red.
    void anImpossibleDateIsNamed() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Call Bob Feb 30"));
        QCOMPARE(f.dialog().alarmField->line(), QStringLiteral("Feb 30 is not a date"));
        QCOMPARE(f.dialog().alarmField->palette().color(f.dialog().alarmField->foregroundRole()), QColor(Qt::red));
        QVERIFY(f.dialog().eventField->line().startsWith(QStringLiteral("[Personal] Call Bob Feb 30 at ")));
        f.type(QStringLiteral("Call Bob Feb 3"));
        QCOMPARE(f.dialog().alarmField->line(), QStringLiteral("30m alarm"));
        QVERIFY(f.dialog().alarmField->palette().color(f.dialog().alarmField->foregroundRole()) != QColor(Qt::red));
    }

    void aFailedSaveKeepsEverything() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.addCalendar({u"ro", u"Holidays", CalCalendarTypeSubscription, {}, false});
        AppDelegate& app = f.launch();
        app.showDialog();
        f.settings.setValue(settingKey(Setting::LastEventUID), QStringLiteral("before"));
        const int writes = f.settings.writeCount();
        f.type(QStringLiteral("Party [Holidays] Friday"));
        QVERIFY(!app.entry().addEvent(false));
        QVERIFY(app.entry().isDialogOpen());
        QCOMPARE(f.dialog().text(), QStringLiteral("Party [Holidays] Friday"));
        QVERIFY(f.dialog().showsFailure());
        QCOMPARE(f.dialog().failureField->text(),
                 QStringLiteral("Choose a writable calendar, or make the calendar's folder writable."));
        QCOMPARE(f.dialog().failureField->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(f.dialog().failureField->isVisible());
        QVERIFY(f.dialog().eventField->isHidden());
        QCOMPARE(f.lastEventUid(), QStringLiteral("before"));
        QCOMPARE(f.settings.writeCount(), writes);
        QCOMPARE(f.usage.events.back(), QStringLiteral("Reminders/No"));
        // The next keystroke brings the normal preview back.
        f.type(QStringLiteral("Party [Holidays] Friday!"));
        QVERIFY(!f.dialog().showsFailure());
        QVERIFY(f.dialog().failureField->isHidden());
        QVERIFY(f.dialog().eventField->isVisible());
        QVERIFY(f.dialog().eventField->line().startsWith(QStringLiteral("[Holidays] Party Friday!")));
    }

    // A save that goes over the network runs beside the GUI: the dialog waits with the text fixed,
    // then closes; a failure brings the entry back even when the dialog was closed meanwhile.
    void aServerSaveLeavesTheDialogResponsive() {
        AppFixture f;
        f.markLaunchedBefore();
        f.savesOverNetwork = [](const CalendarItem&) { return true; };
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Standup 9am tomorrow"));
        QVERIFY(!app.entry().addEvent(false));
        QVERIFY(f.dialog().isSaving());
        QVERIFY(f.dialog().titleField->isReadOnly());
        QVERIFY(!f.dialog().addButton->isEnabled());
        QCOMPARE(f.dialog().alarmField->line(), QStringLiteral("Saving to Personal…"));
        QVERIFY(!app.entry().addEvent(false));  // a second Return while it goes adds nothing
        app.entry().hideDialog();               // closed and opened again meanwhile: still on its way
        app.showDialog();
        QCOMPARE(f.dialog().alarmField->line(), QStringLiteral("Saving to Personal…"));
        QVERIFY(!f.dialog().addButton->isEnabled());
        QTRY_VERIFY(!app.entry().isDialogOpen());
        QCOMPARE(f.store.savedItems().size(), std::size_t(1));
        QVERIFY(!f.lastEventUid().isEmpty());
        QCOMPARE(f.usage.events.back(), QStringLiteral("Reminders/Yes"));
        app.showDialog();
        QVERIFY(!f.dialog().isSaving());
        QVERIFY(f.dialog().addButton->isEnabled());
    }

    void aFailedServerSaveBringsTheEntryBack() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.addCalendar({u"ro", u"Holidays", CalCalendarTypeSubscription, {}, false});
        f.savesOverNetwork = [](const CalendarItem&) { return true; };
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Party [Holidays] Friday"));
        app.entry().addEvent(false);
        app.entry().hideDialog();  // Escape while it is on its way
        QTRY_VERIFY(app.entry().isDialogOpen());
        QCOMPARE(f.dialog().text(), QStringLiteral("Party [Holidays] Friday"));
        QVERIFY(f.dialog().showsFailure());
        QVERIFY(!f.dialog().isSaving());
        QCOMPARE(f.dialog().alarmField->line(), QStringLiteral("30m alarm"));
        QVERIFY(f.store.savedItems().empty());
        QVERIFY(f.lastEventUid().isEmpty());
    }

    // A server that took the item but whose answer was lost: Return again on the same text retries
    // with the identifier the first attempt carried, so no second copy can be stored.
    void aRetryAfterAnUnknownOutcomeKeepsTheIdentifier() {
        struct UnconfirmingStore : CalendarStore {
            MemoryStore& inner;
            std::vector<icu::UnicodeString> uidsSent;
            explicit UnconfirmingStore(MemoryStore& s) : inner(s) {}
            std::vector<CalendarRef> calendars() const override { return inner.calendars(); }
            bool saveEvent(Event& event, int, StoreError* error) override {
                icu::UnicodeString uid = event.uid;
                if (uid.isEmpty()) uid = icu::UnicodeString(u"fresh-") + static_cast<char16_t>(u'0' + uidsSent.size());
                uidsSent.push_back(uid);
                if (uidsSent.size() == 1) {
                    *error = {u"The server did not confirm the save; the item may have reached it.", u"Look first."};
                    error->outcomeUnknown = true;
                    error->uid = uid;
                    return false;
                }
                event.uid = uid;
                return true;
            }
            bool saveTask(Task&, StoreError*) override { return false; }
        };
        AppFixture f;
        f.markLaunchedBefore();
        UnconfirmingStore server(f.store);
        f.useStore(server);
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Standup 9am tomorrow"));
        QVERIFY(!app.entry().addEvent(false));
        QVERIFY(f.dialog().showsFailure());
        QVERIFY(app.entry().addEvent(false));
        QCOMPARE(server.uidsSent.size(), std::size_t(2));
        QVERIFY(server.uidsSent[1] == server.uidsSent[0]);
        QCOMPARE(f.lastEventUid(), QStringLiteral("fresh-0"));
        // Another text is another item: it gets an identifier of its own.
        app.showDialog();
        f.type(QStringLiteral("Lunch tomorrow"));
        QVERIFY(app.entry().addEvent(false));
        QVERIFY(server.uidsSent[2] != server.uidsSent[0]);
    }

    // The store words its advice for the terminal; the dialog names no command or option, and a
    // long message wraps inside the dialog, which grows for it and shrinks back.
    void aStoreWithoutCalendarsSaysWhyInTheDesktopsWords() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.removeCalendar(u"personal");
        const std::string root = "/home/someone/.local/share/linecal/calendars/that/are/kept/somewhere/deep";
        int asked = 0;
        f.prepare = [&](StoreError* error) {
            ++asked;
            *error = errors::rootNotAFolder(root);
            return false;
        };
        AppDelegate& app = f.launch();
        app.showDialog();
        QCOMPARE(asked, 2);  // at start-up and again at the opening, in case it was mended meanwhile
        const int height = f.dialog().height();
        f.type(QStringLiteral("Lunch"));
        QVERIFY(!app.entry().addEvent(false));
        const FailureLabel* failure = f.dialog().failureField;
        QVERIFY(failure->text().contains(QString::fromStdString(root)));
        QVERIFY(!failure->text().contains(QStringLiteral("--store")));
        QVERIFY(!failure->text().contains(QLatin1Char(0x60)));  // no command to type
        QCOMPARE(failure->accessibleName(), failure->text());
        QVERIFY(failure->wordWrap());
        QVERIFY(failure->geometry().right() <= f.dialog().contentsRect().right());
        QVERIFY(failure->height() >= failure->heightForWidth(failure->width()));
        QVERIFY(f.dialog().height() > height);
        f.type(QStringLiteral("Lunch!"));
        QCOMPARE(f.dialog().height(), height);
    }

    void anItemWithoutCalendarPointsToThePreferences() {
        AppFixture f;
        f.markLaunchedBefore();
        f.store.removeCalendar(u"personal");
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Lunch"));
        QVERIFY(!app.entry().addEvent(false));
        QVERIFY(f.dialog().failureField->text().contains(QStringLiteral("preferences")));
        QVERIFY(!f.dialog().failureField->text().contains(QStringLiteral("linecal calendars")));
    }

    // Damaged settings are named once per run, above the entry; the button puts them aside, and a
    // failure to do so is said in the same place.
    void damagedSettingsAreSaidOnceWithAWayOut() {
        struct DamagedSettings : MemorySettings {
            QString why = QStringLiteral("the settings file /home/me/.config/linecal/linecal.conf is not text");
            bool movable = false;
            int tries = 0;
            QString damage() const override { return why; }
            bool startFresh(QString* error) override {
                ++tries;
                if (!movable) *error = QStringLiteral("cannot move it aside");
                else why.clear();
                return movable;
            }
        } damaged;
        AppFixture f;
        f.useSettings(damaged);
        AppDelegate& app = f.launch();
        app.showDialog();
        const EntryDialog& dialog = f.dialog();
        QVERIFY(dialog.settingsNotice->isVisible());
        QVERIFY(dialog.settingsNoticeText->text().startsWith(
            QStringLiteral("The settings file /home/me/.config/linecal/linecal.conf is not text.")));
        QCOMPARE(dialog.settingsNoticeText->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(dialog.freshSettingsButton->isVisible());
        QVERIFY(dialog.settingsNotice->geometry().bottom() < dialog.titleField->geometry().top());
        const int withNotice = dialog.height();
        dialog.freshSettingsButton->click();
        QCOMPARE(damaged.tries, 1);
        QVERIFY(dialog.settingsNoticeText->text().startsWith(QStringLiteral("Cannot move it aside.")));
        app.entry().hideDialog();
        app.showDialog();
        QVERIFY(dialog.settingsNotice->isHidden());
        QVERIFY(dialog.height() < withNotice);
        // A new run says it again; this time the button mends it.
        AppFixture g;
        damaged.movable = true;
        g.useSettings(damaged);
        g.launch().showDialog();
        QVERIFY(g.dialog().settingsNotice->isVisible());
        g.dialog().freshSettingsButton->click();
        QCOMPARE(damaged.tries, 2);
        QVERIFY(g.dialog().settingsNotice->isHidden());
    }

    void helpTwiceRestoresTheFrame() {
        AppFixture f;
        AppDelegate& app = f.launch();
        const QRect before = f.dialog().geometry();
        app.entry().clickHelpButton();
        QVERIFY(f.dialog().helpBox->isHidden());
        QCOMPARE(f.dialog().geometry().top(), before.top());
        QCOMPARE(f.dialog().geometry().height(), before.height() - f.dialog().helpBox->height() - 14);
        QCOMPARE(stored(f.settings, Setting::HideHelp), QStringLiteral("true"));
        app.entry().clickHelpButton();
        QCOMPARE(f.dialog().geometry(), before);
        QCOMPARE(stored(f.settings, Setting::HideHelp), QStringLiteral("false"));
        QCOMPARE(f.usage.events.back(), QStringLiteral("Help Button/Yes"));
        QCOMPARE(f.settings.flushCount() >= 2, true);
    }

    void editingKeysKeepTheClipboard() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        QLineEdit* field = f.dialog().titleField;
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("copied earlier"));
        f.type(QStringLiteral("Lunch Friday"));
        field->setCursorPosition(5);
        QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);  // nothing selected
        QCOMPARE(clipboard->text(), QStringLiteral("copied earlier"));
        QCOMPARE(field->text(), QStringLiteral("Lunch Friday"));

        field->setSelection(6, 6);  // "Friday"
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("Lunch copied earlier"));
        QCOMPARE(field->cursorPosition(), 20);
        QVERIFY(f.dialog().eventField->line().startsWith(QStringLiteral("[Personal] Lunch copied earlier at ")));

        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(field->selectedText(), field->text());
        QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QStringLiteral("Lunch copied earlier"));
        QVERIFY(field->text().isEmpty());
        QVERIFY(!f.dialog().addButton->isEnabled());
    }

    // The other reading: offered under the preview, taken with Alt+Down (the entry rewritten so it
    // reads that way, a numeric date's order kept for the next ones), given back with Alt+Up.
    void theOtherReadingIsOneKeyAway() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        QLineEdit* field = f.dialog().titleField;
        const int plainHeight = f.dialog().height();
        f.type(QStringLiteral("Call Ann 5/12 at 3pm"));
        QVERIFY(!f.dialog().otherField->isHidden());
        QCOMPARE(f.dialog().otherField->text(), QStringLiteral("or 12/5/10, 3:00\u202FPM?"));
        QCOMPARE(f.dialog().otherField->accessibleName(), QStringLiteral("Other reading"));
        QVERIFY(f.dialog().height() > plainHeight);

        QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(field->text(), QStringLiteral("Call Ann 5 Dec at 3pm"));
        QVERIFY(f.dialog().eventField->line().contains(QStringLiteral("12/5/10, 3:00")));
        QVERIFY(f.dialog().otherField->isHidden());
        QCOMPARE(f.dialog().height(), plainHeight);
        QCOMPARE(stored(f.settings, Setting::NumericDatesOtherOrder), QStringLiteral("true"));
        // The order taken reads the next numeric date, and the locale's is now the other reading.
        f.type(QStringLiteral("Tea 6/11"));
        const auto teaItem = app.entry().currentItem();
        auto* tea = dynamic_cast<const Event*>(teaItem.get());
        QVERIFY(tea && tea->startDate && *tea->startDate == local(2010, 11, 6));
        QCOMPARE(f.dialog().otherField->text(), QStringLiteral("or 6/11/10?"));

        // Alt+Up gives back the entry and the order, only while the entry is as the reading left it.
        f.type(QStringLiteral("Call Ann 5/12 at 3pm"));
        QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(field->text(), QStringLiteral("Call Ann 12 May at 3pm"));
        QCOMPARE(stored(f.settings, Setting::NumericDatesOtherOrder), QStringLiteral("false"));
        QTest::keyClick(field, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(field->text(), QStringLiteral("Call Ann 5/12 at 3pm"));
        QCOMPARE(stored(f.settings, Setting::NumericDatesOtherOrder), QStringLiteral("true"));
        QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(field, Qt::Key_X);
        QTest::keyClick(field, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(field->text(), QStringLiteral("Call Ann 12 May at 3pmx"));

        // A click takes it too, and Return saves what the preview shows.
        f.type(QStringLiteral("Lunch next Friday"));
        QTest::mouseClick(f.dialog().otherField, Qt::LeftButton);
        QCOMPARE(field->text(), QStringLiteral("Lunch Friday"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(f.store.savedItems().size(), size_t(1));
        auto* saved = dynamic_cast<const Event*>(f.store.savedItems().back().get());
        QVERIFY(saved && saved->startDate && *saved->startDate == local(2010, 3, 12));
        // No other reading, no line, and Alt+Down changes nothing.
        app.showDialog();
        f.type(QStringLiteral("Lunch Friday 7pm"));
        QVERIFY(f.dialog().otherField->isHidden());
        QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(field->text(), QStringLiteral("Lunch Friday 7pm"));
    }

    void escapeClosesWithoutSaving() {
        AppFixture f;
        f.markLaunchedBefore();
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Not this one"));
        QTest::keyClick(f.dialog().titleField, Qt::Key_Escape);
        QVERIFY(!app.entry().isDialogOpen());
        QVERIFY(f.store.savedItems().empty());
        QCOMPARE(f.dialog().text(), QStringLiteral("Not this one"));
    }
};

int runDialogTest(int argc, char** argv) {
    DialogTest suite;
    return QTest::qExec(&suite, argc, argv);
}

}  // namespace linecal::testing

#include "DialogTest.moc"
