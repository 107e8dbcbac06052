// The desktop program's front: start-up, shutdown, and the wiring between its controllers.
#include "app/AppDelegate.h"

#include "app/EntryController.h"
#include "app/EntryDialog.h"
#include "app/PreferencesController.h"
#include "app/PreferencesPanel.h"
#include "app/TrayController.h"
#include "parse/ParseEntry.h"
#include "parse/TextHelpers.h"
#include "prefs/DefaultAlarm.h"

#include <QCoreApplication>

namespace linecal {
namespace {

constexpr char kExampleEntry[] = "Buy groceries at 4pm tomorrow";

int clampIndex(std::int32_t index, qsizetype count) {
    if (count <= 0) return 0;
    return static_cast<int>(std::clamp<qsizetype>(index, 0, count - 1));
}

}  // namespace

AppDelegate::AppDelegate(AppServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)), prefs_(*services_.settings) {
    if (!services_.now) services_.now = currentDate;
    entry_ = std::make_unique<EntryController>(services_, prefs_);
    tray_ = std::make_unique<TrayController>(services_, prefs_);
    prefsWindow_ = std::make_unique<PreferencesController>(services_, prefs_);
    connectControllers();
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::connectControllers() {
    EntryController* entry = entry_.get();
    TrayController* tray = tray_.get();
    PreferencesController* window = prefsWindow_.get();
    connect(entry, &EntryController::pulse, tray, &TrayController::pulseIcon);
    connect(entry, &EntryController::notice, this, &AppDelegate::notice);
    connect(entry, &EntryController::calendarProgramChanged, this, [entry, tray, window] {
        tray->setCalendarProgram(entry->calendarProgramName(), entry->hasCalendarProgram());
        window->setCalendarProgram(entry->calendarProgramName());
    });
    connect(window, &PreferencesController::emailsChanged, entry, &EntryController::setUserEmails);
    window->setHotKeyCapture([tray](const QKeyEvent& event) { return tray->takeHotKeyPress(event); });
    connect(tray, &TrayController::hotKeyShown, window, &PreferencesController::showHotKey);
    connect(tray, &TrayController::dialogRequested, this, [this](std::uint32_t time) {
        showDialog(Activation{time, {}});
    });
    connect(tray, &TrayController::launchRequested, entry, &EntryController::launchCal);
    connect(tray, &TrayController::preferencesRequested, this, [this] { showPreferences(); });
    connect(tray, &TrayController::quitRequested, this, &AppDelegate::quitRequested);
    connect(tray, &TrayController::menuAboutToShow, this, &AppDelegate::refreshMenu);
}

void AppDelegate::awakeFromNib() {
    // The first preview shows a worked example rather than an empty line.
    entry_->dialog()->setText(QString::fromUtf8(kExampleEntry));
    entry_->updateDefaultCalendar();
}

void AppDelegate::applicationDidFinishLaunching() {
    const bool launchedBefore = prefs_.boolValue(Setting::AppHasLaunched);

    entry_->prepareStore();
    tray_->applyStoredHotKey();

    // The addresses arrive later (the address book may be slow to start); until then the stored
    // e-mail position stands as it is, so that it is not lost to an empty list.
    prefsWindow_->updateAlarmSettings(clampIndex(prefs_.intValue(Setting::AlarmTypeIndex), 3),
                                      clampIndex(prefs_.intValue(Setting::AlarmSoundIndex), alarmSoundNames().size()),
                                      std::max(0, prefs_.intValue(Setting::AlarmEmailIndex)));
    prefsWindow_->askForUserEmails();

    if (!launchedBefore && services_.usage && services_.usage->isTrackingEnabled())
        prefs_.set(Setting::UsageEnabled, true);
    const bool usage = prefs_.boolValue(Setting::UsageEnabled);
    if (services_.usage) services_.usage->setTrackingEnabled(usage);
    if (services_.updater) services_.updater->setSendsSystemProfile(usage);

    tray_->updateMenuIcon();

    ensureSelectedCalendar(prefs_.store(), *services_.store);
    tray_->pulseIcon(kPulseBlue, 2);

    if (launchedBefore) {
        prefsWindow_->applyStoredAlarm(false);
        entry_->restoreHelp();
    } else {
        prefs_.set(Setting::AppHasLaunched, true);
        prefsWindow_->applyStoredAlarm(true);
        entry_->dialog()->setHelpShown(true);
        showDialog();
    }
    prefsWindow_->refreshPreferences();
    collectUsageProperties();
}

void AppDelegate::collectUsageProperties() {
    if (!services_.usage) return;
    const auto calendars = services_.store->calendars();
    auto count = [&](const char16_t* type) {
        return QString::number(std::count_if(calendars.begin(), calendars.end(),
                                             [type](const CalendarRef& c) { return c && c->type == type; }));
    };
    const auto yesNo = [](bool value) { return QString::fromUtf8(stringWithBool(value)); };
    UsageProperties properties{
        {QStringLiteral("Calendars/Total"), QString::number(calendars.size())},
        {QStringLiteral("Calendars/Local"), count(CalCalendarTypeLocal)},
        {QStringLiteral("Calendars/CalDAV"), count(CalCalendarTypeCalDAV)},
        {QStringLiteral("Calendars/IMAP"), count(CalCalendarTypeIMAP)},
        {QStringLiteral("Calendars/Birthday"), count(CalCalendarTypeBirthday)},
        {QStringLiteral("Calendars/Subscription"), count(CalCalendarTypeSubscription)},
        {QStringLiteral("Default Calendar App"), entry_->calendarProgramName()},
        {QStringLiteral("Show Menu Bar Icon"), yesNo(prefs_.boolValue(Setting::ShowMenuBarIcon))},
        {QStringLiteral("Default Alarm Enabled"), yesNo(prefs_.boolValue(Setting::AlarmEnabled))},
        {QStringLiteral("Default Alarm Minutes"), defaultAlarmTime()},
        {QStringLiteral("Hide Help"), yesNo(prefs_.boolValue(Setting::HideHelp))},
    };
    services_.usage->initWithProperties(properties);
}

bool AppDelegate::applicationShouldHandleReopen(const Activation& activation) {
    services_.addUsageEvent(QStringLiteral("Reopen Launch"));
    showDialog(activation);
    return true;
}

void AppDelegate::applicationWillTerminate() {
    tray_->removeMenuIcon();
    // A save under way ends within the network time limits; its outcome still reaches the log.
    entry_->finishPendingSave();
}

void AppDelegate::showDialog(const Activation& activation) { entry_->showDialog(activation); }

void AppDelegate::showPreferences(const Activation& activation) {
    entry_->updateDefaultCalendar();
    prefsWindow_->showPreferences(activation);
}

void AppDelegate::refreshMenu() {
    entry_->updateDefaultCalendar();
    services_.store->reload();
    tray_->setCanAdd(!services_.store->calendars().empty());
    prefsWindow_->showLaunchAtStartup();
}

void AppDelegate::calendarsChanged() {
    tray_->setCanAdd(!services_.store->calendars().empty());
    if (prefsWindow_->panel()->isVisible()) prefsWindow_->fillCalendarMenu();
    // A [tag] may name a calendar that has just arrived.
    if (entry_->isDialogOpen()) entry_->controlTextDidChange();
}

QString AppDelegate::hotKeyShortcut() const { return tray_->hotKeyShortcut(); }

StatusItem* AppDelegate::menuItem() const { return tray_->menuItem(); }

}  // namespace linecal
