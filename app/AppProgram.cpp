#include "app/AppProgram.h"

#include "app/AppDelegate.h"
#include "app/EntryDialog.h"
#include "app/SupportLinks.h"
#include "app/StatusItem.h"
#include "parse/ParseEntry.h"
#include "platform/CalendarApps.h"
#include "platform/EdsAddressBook.h"
#include "platform/JournalLog.h"
#include "platform/LoginItems.h"
#include "platform/PortalHotKeys.h"
#include "platform/Logging.h"
#include "platform/ProcessLife.h"
#include "platform/SingleInstance.h"
#include "platform/X11HotKeys.h"
#include "prefs/Settings.h"
#include "prefs/UsageStats.h"
#include "stores/UserCalendars.h"

#include <CLI/CLI.hpp>
#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QSystemTrayIcon>

#include <iostream>

// Outside any namespace, as Qt's resource macro needs; the icons live in a static library,
// whose resources the linker would otherwise drop.
void initAppResources() { Q_INIT_RESOURCE(resources); }

namespace linecal {
namespace {

struct ProgramOptions {
    std::string store;
    std::string config;
    bool show = false;
    bool prefs = false;
    bool version = false;
};

// Qt takes its own options (-platform, -display …) from what is left over.
int parseOptions(int argc, char** argv, ProgramOptions& options) {
    CLI::App cli{
        "linecal-app: the tray program that turns one line of text into a calendar event or to-do.\n"
        "Starting it again (or `linecal show`) opens the entry dialog of the running one.",
        "linecal-app"};
    cli.allow_extras();
    cli.add_option("--store", options.store, "Calendar folder tree (vdir) to use")->option_text("DIR");
    cli.add_option("--config", options.config, "Settings file to use")->option_text("FILE");
    cli.add_flag("--show", options.show, "Open the entry dialog (of the running program, if there is one)");
    cli.add_flag("--prefs", options.prefs, "Open the preferences (of the running program, if there is one)");
    cli.add_flag("--version", options.version, "Print the version and exit");
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : 2;
    }
    return -1;
}

void reportSettingsProblem(const QString& message) { qCWarning(lcApp, "%s", qUtf8Printable(message)); }

// The local calendars still work when the accounts file cannot be read; the log says why.
void reportStoreProblem(const StoreError& error) {
    qCWarning(lcApp, "%s %s", qUtf8Printable(toQString(error.message)),
              qUtf8Printable(toQString(error.recoverySuggestion)));
}

}  // namespace

int runAppProgram(int argc, char** argv) {
    initAppResources();
    ProgramOptions options;
    if (int done = parseOptions(argc, argv, options); done >= 0) return done;
    if (options.version) {
        std::cout << "linecal-app " << LINECAL_VERSION << '\n';
        return 0;
    }

    routeLogToJournal();
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(LINECAL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("linecal"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("linecal"), QIcon(QStringLiteral(":/icons/linecal.svg"))));

    const QString token = launchActivationToken();
    SingleInstance instance;
    const QString command = QString::fromLatin1(options.prefs  ? kPrefsCommand
                                                : options.show ? kShowCommand
                                                               : kReopenCommand);
    switch (instance.claim(command, token)) {
        case SingleInstance::Role::Secondary:
            notifyLauncher("forwarded\n");
            return 0;
        case SingleInstance::Role::Failed:
            std::cerr << "linecal-app: another linecal-app is running but does not answer; see the journal\n";
            notifyLauncher("failed\n");
            return 1;
        case SingleInstance::Role::Primary:
            break;
    }
    quitOnTerminationSignals(app);

    IniSettings settings(options.config.empty() ? IniSettings::defaultPath() : QString::fromStdString(options.config),
                         reportSettingsProblem);
    // The server lists come from their cache at once; the servers and the desktop's calendars
    // are asked once the program runs.
    std::unique_ptr<UserCalendars> store = openUserCalendars(
        {std::filesystem::path(options.store), {}, {}, ServerRefresh::Never, {}, {}, DesktopList::InBackground});
    if (store->accountsError) reportStoreProblem(*store->accountsError);
    // X11 takes the key at once; elsewhere the desktop portal asks the user, where it offers that.
    std::unique_ptr<HotKeyService> hotKeys = X11HotKeys::create();
    if (!hotKeys) hotKeys = PortalHotKeys::create();
    XdgCalendarApps calendarApps;
    LocalUsageStats usage;
    LocalUpdateService updater;
    XdgAutostart loginItems(XdgAutostart::defaultFolder(), QCoreApplication::applicationFilePath());
    EdsAddressBook addressBook;

    AppServices services;
    services.store = store.get();
    services.prepareStore = [&store](StoreError* error) { return store->ensureCalendar(error); };
    services.savesOverNetwork = [&store](const CalendarItem& item) {
        return item.calendar && store->savesElsewhere(*item.calendar);
    };
    services.lastDesktopSource = [&store] {
        return store->desktop() ? QString::fromStdString(store->desktop()->lastSavedSource()) : QString();
    };
    if (!store->servers().empty()) services.refreshCalendars = [&store] { store->refreshInBackground({}, true); };
    services.settings = &settings;
    services.hotKeys = hotKeys.get();
    services.calendarApps = &calendarApps;
    services.usage = &usage;
    services.updater = &updater;
    services.loginItems = &loginItems;
    services.addressBook = &addressBook;
    services.now = currentDate;
    services.support = SupportLinks::fromBuild();
    AppDelegate delegate(std::move(services));

    QObject::connect(&instance, &SingleInstance::commandReceived, &delegate,
                     [&delegate](const QString& received, const QString& receivedToken) {
                         const Activation activation{0, receivedToken};
                         if (received == QLatin1String(kReopenCommand))
                             delegate.applicationShouldHandleReopen(activation);
                         else if (received == QLatin1String(kShowCommand)) delegate.showDialog(activation);
                         else if (received == QLatin1String(kPrefsCommand)) delegate.showPreferences(activation);
                     });
    // exit rather than quit, which would first ask the windows to close and be turned down by
    // the entry dialog (it hides instead).
    QObject::connect(&delegate, &AppDelegate::quitRequested, &app, [&app] { app.exit(0); });
    QObject::connect(&app, &QApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    QObject::connect(&delegate, &AppDelegate::notice, &delegate, [&delegate](const QString& message) {
        if (StatusItem* item = delegate.menuItem()) item->showMessage(message);
        else std::cerr << "linecal-app: " << message.toStdString() << '\n';
    });

    delegate.awakeFromNib();
    delegate.applicationDidFinishLaunching();
    // Server lists arrive on the refresh thread; the delegate hears of them on its own, if it is
    // still there.
    store->refreshInBackground([&app, target = QPointer<AppDelegate>(&delegate)] {
        QMetaObject::invokeMethod(
            &app,
            [target] {
                if (target) target->calendarsChanged();
            },
            Qt::QueuedConnection);
    });
    if (options.show) delegate.showDialog(Activation{0, token});
    if (options.prefs) delegate.showPreferences(Activation{0, token});
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        qCInfo(lcApp, "no system tray right now; open the entry dialog with %s or by starting linecal-app again",
               qUtf8Printable(delegate.hotKeyShortcut()));
        // Without a tray a start would leave no trace on the screen; the dialog shows that the
        // program runs (the first start opens it anyway, the preferences are a sign of their own).
        if (!options.prefs) delegate.showDialog(Activation{0, token});
    }
    qCInfo(lcApp, "linecal-app %s ready (%s)", LINECAL_VERSION, qUtf8Printable(instance.channel()));
    notifyLauncher("started\n");
    return app.exec();
}

}  // namespace linecal
