// The calendar program as the desktop names it: desktop entries and mimeapps.list in a private
// XDG tree, read through the real lookup; the BusyCal address; GNOME Calendar asked for an event
// of the desktop's calendars.
#include "AppTestSupport.h"

#include "app/AppProgram.h"
#include "app/ZQButton.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QSignalSpy>

#include <cstdlib>
#include <fstream>

namespace linecal::testing {
namespace {

namespace fs = std::filesystem;

struct XdgTree {
    TempDir dir;
    fs::path applications() const { return dir.path / "data" / "applications"; }

    // Installs a desktop entry the way packages do, index of types included.
    void addApp(const std::string& id, const std::string& name, const std::string& exec, const std::string& types) {
        writeEntry(id, name, exec, types);
        const std::string index = "update-desktop-database '" + applications().string() + "'";
        QCOMPARE(std::system(index.c_str()), 0);
    }
    // A desktop entry put there by hand: no index lists its types.
    void writeEntry(const std::string& id, const std::string& name, const std::string& exec, const std::string& types) {
        fs::create_directories(applications());
        std::ofstream(applications() / id) << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << exec
                                           << "\nMimeType=" << types << "\n";
    }
    void setDefault(const std::string& id) {
        fs::create_directories(dir.path / "config");
        std::ofstream(dir.path / "config" / "mimeapps.list") << "[Default Applications]\ntext/calendar=" << id << "\n";
    }
};

XdgTree& tree() {
    static XdgTree xdg;
    return xdg;
}

}  // namespace

class CalendarProgramTest : public QObject {
    Q_OBJECT
private slots:
    void onlyAProgramForCalendarFilesCounts() {
        // An editor for text/plain would open calendar files too; it is no calendar program.
        tree().addApp("editor.desktop", "Text Editor", "true", "text/plain;");
        XdgCalendarApps apps;
        QVERIFY(!apps.defaultApp());

        tree().addApp("fakecal.desktop", "Fake Calendar", "touch " + (tree().dir.path / "launched").string(),
                      "text/calendar;");
        tree().setDefault("fakecal.desktop");
        QTRY_VERIFY_WITH_TIMEOUT(apps.defaultApp().has_value(), 5000);
        QCOMPARE(apps.defaultApp()->name, QStringLiteral("Fake Calendar"));
        QCOMPARE(apps.defaultApp()->desktopId, QStringLiteral("fakecal.desktop"));
    }

    // The user names a program with `xdg-mime default` before any index lists it: it counts as
    // long as its own entry claims calendar files, and not when it claims only other types.
    void aDefaultNoIndexListsCountsWhenItsEntryClaimsTheType() {
        XdgCalendarApps apps;
        tree().writeEntry("handmade.desktop", "Handmade Calendar", "true", "text/x-vcalendar;text/calendar;");
        tree().setDefault("handmade.desktop");
        // The desktop's index notices a changed default a moment later; the earlier default counts till then.
        auto defaultId = [&] { return apps.defaultApp() ? apps.defaultApp()->desktopId : QString(); };
        QTRY_COMPARE_WITH_TIMEOUT(defaultId(), QStringLiteral("handmade.desktop"), 5000);
        QCOMPARE(apps.defaultApp()->name, QStringLiteral("Handmade Calendar"));

        tree().writeEntry("notes.desktop", "Notes", "true", "text/plain;");
        tree().setDefault("notes.desktop");
        QTRY_VERIFY_WITH_TIMEOUT(!apps.defaultApp().has_value() || apps.defaultApp()->desktopId != "handmade.desktop",
                                 5000);
        QVERIFY(!apps.defaultApp() || apps.defaultApp()->desktopId != QStringLiteral("notes.desktop"));
        fs::remove(tree().applications() / "handmade.desktop");
        fs::remove(tree().applications() / "notes.desktop");
        tree().setDefault("fakecal.desktop");
        QTRY_COMPARE_WITH_TIMEOUT(defaultId(), QStringLiteral("fakecal.desktop"), 5000);  // as the next test expects
    }

    void theTitlesFollowTheDefaultAndLaunchingStartsIt() {
        AppFixture f;
        f.markLaunchedBefore();
        XdgCalendarApps xdg;
        AppDelegate& app = f.launch();
        auto lookUp = [&] {  // what the real lookup finds in the private tree, as the program asks it
            f.apps.app = xdg.defaultApp();
            app.entry().updateDefaultCalendar();
            return app.entry().dialog()->addButton->mainTitle();
        };
        QCOMPARE(lookUp(), QStringLiteral("Add Event to Fake Calendar"));
        QCOMPARE(app.entry().dialog()->addButton->optionTitle(), QStringLiteral("Add and Launch Fake Calendar"));
        QCOMPARE(app.tray().launchCalItem()->text(), QStringLiteral("Launch Fake Calendar"));

        QString why;
        QVERIFY2(xdg.launch(*f.apps.app, &why), qPrintable(why));
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(tree().dir.path / "launched"), 5000);

        // The user picks another program while linecal runs.
        tree().addApp("other.desktop", "Other Calendar", "true", "text/calendar;");
        tree().setDefault("other.desktop");
        QTRY_COMPARE_WITH_TIMEOUT(lookUp(), QStringLiteral("Add Event to Other Calendar"), 5000);

        // Every calendar program gone, or left with a program that is not there: none at all.
        fs::remove(tree().applications() / "fakecal.desktop");
        fs::remove(tree().applications() / "other.desktop");
        tree().addApp("broken.desktop", "Broken Calendar", "/nonexistent/calendar-program", "text/calendar;");
        tree().setDefault("broken.desktop");
        QTRY_COMPARE_WITH_TIMEOUT(lookUp(), QStringLiteral("Add Event to Calendar"), 5000);
        QVERIFY(!app.tray().launchCalItem()->isEnabled());
        QVERIFY(!xdg.launch(CalendarApp{QStringLiteral("other.desktop"), QStringLiteral("Other Calendar")}, &why));
        QVERIFY(why.contains(QStringLiteral("other.desktop")));
    }

    void busyCalIsAskedByAddressFiveSecondsLater() {
        AppFixture f;
        f.markLaunchedBefore();
        f.apps.app = CalendarApp{QStringLiteral("busycal.desktop"), QStringLiteral("BusyCal")};
        f.store.addCalendar({u"w", u"Work/Home", CalCalendarTypeLocal, {}, true});
        AppDelegate& app = f.launch();
        app.showDialog();
        f.type(QStringLiteral("Café & cake? [Work/Home] 3/15 4pm"));
        QVERIFY(app.entry().addEvent(true));
        QVERIFY(f.apps.opened.empty());
        QTRY_COMPARE_WITH_TIMEOUT(f.apps.opened.size(), size_t(1), 6000);
        QCOMPARE(
            f.apps.opened.front().toString(QUrl::FullyEncoded),
            QStringLiteral("busycalevent://find/Work%2FHome/Caf%C3%A9%20%26%20cake%3F/2010-03-15T16%3A00%3A00-0700"));
        QVERIFY(f.apps.launched.empty());
    }

    // GNOME Calendar opens on an event saved into the desktop's calendars (EDS), named by its
    // source and its own identifier; every other case only starts the program.
    void gnomeCalendarOpensOnAnEventOfTheDesktopsCalendars() {
        AppFixture f;
        f.markLaunchedBefore();
        const CalendarApp gnome{QStringLiteral("org.gnome.Calendar.desktop"), QStringLiteral("Calendar")};
        f.apps.app = gnome;
        f.store.addCalendar({u"eds-work", u"Work", CalCalendarTypeLocal, {}, true});
        QString desktopSaved;  // the source the desktop's calendars name as the last one they saved into
        f.lastDesktopSource = [&desktopSaved] { return desktopSaved; };
        AppDelegate& app = f.launch();
        auto save = [&](const QString& text, const QString& desktop) {
            app.showDialog();
            f.type(text);
            desktopSaved = desktop;
            return app.entry().addEvent(true);
        };
        auto shown = [](const QString& uuid) {
            return QStringList{QStringLiteral("gnome-calendar"), QStringLiteral("--uuid"), uuid};
        };

        QVERIFY(save(QStringLiteral("Review [Work] 3/15 4pm"), QStringLiteral("eds-work")));
        QCOMPARE(f.apps.ran, std::vector<QStringList>{shown(QStringLiteral("eds-work:") + f.lastEventUid())});
        QVERIFY(f.apps.launched.empty());
        app.entry().launchCal();  // the tray's "Launch Calendar" shows the same event
        QCOMPARE(f.apps.ran.size(), size_t(2));
        QCOMPARE(f.apps.ran.back(), f.apps.ran.front());

        // Saved into linecal's own folder: the desktop's calendars still name their earlier save.
        QVERIFY(save(QStringLiteral("Lunch 3/16 noon"), QStringLiteral("eds-work")));
        // GNOME Calendar shows no to-dos.
        QVERIFY(save(QStringLiteral("todo Call Bob [Work]"), QStringLiteral("eds-work")));
        QCOMPARE(f.apps.ran.size(), size_t(2));
        QCOMPARE(f.apps.launched.size(), size_t(2));

        // GNOME Calendar installed where no gnome-calendar is on the path: started by its entry.
        f.apps.runs = false;
        QVERIFY(save(QStringLiteral("Retro [Work] 3/17 4pm"), QStringLiteral("eds-work")));
        QCOMPARE(f.apps.ran.size(), size_t(3));
        QCOMPARE(f.apps.launched, (std::vector<QString>(3, gnome.desktopId)));

        // Another default program is never handed the identifiers.
        f.apps.runs = true;
        f.apps.app = CalendarApp{QStringLiteral("fakecal.desktop"), QStringLiteral("Fake Calendar")};
        QVERIFY(save(QStringLiteral("Plan [Work] 3/18 4pm"), QStringLiteral("eds-work")));
        QCOMPARE(f.apps.ran.size(), size_t(3));
        QCOMPARE(f.apps.launched.back(), QStringLiteral("fakecal.desktop"));
    }
};

int runCalendarProgramTest(int argc, char** argv) {
    CalendarProgramTest suite;
    return QTest::qExec(&suite, argc, argv);
}

}  // namespace linecal::testing

int main(int argc, char** argv) {
    using linecal::testing::tree;
    // GIO reads these once, at its first use.
    const auto& base = tree().dir.path;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (base / "system").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (base / "system").c_str(), 1);
    ::setenv("XDG_CURRENT_DESKTOP", "", 1);
    // The types' family tree (text/calendar is a kind of text/plain) without the system's programs.
    std::filesystem::create_directories(base / "system");
    std::filesystem::create_symlink("/usr/share/mime", base / "system" / "mime");
    initAppResources();
    QApplication app(argc, argv);
    return linecal::testing::runCalendarProgramTest(argc, argv);
}

#include "CalendarProgramTest.moc"
