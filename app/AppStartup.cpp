// Start-up, reopening and shutdown of the application controller.
#include "app/AppDelegate.h"

#include "app/EntryDialog.h"
#include "app/PreferencesPanel.h"
#include "app/StatusItem.h"
#include "app/ZQButton.h"
#include "parse/ParseEntry.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"
#include "prefs/DefaultAlarm.h"
#include "prefs/Settings.h"
#include "prefs/UsageStats.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

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
    dialog_ = std::make_unique<EntryDialog>();
    prefsPanel_ = std::make_unique<PreferencesPanel>();
    connectPreferences();
    buildMenu();
    connect(dialog_.get(), &EntryDialog::textChanged, this, &AppDelegate::controlTextDidChange);
    connect(dialog_.get(), &EntryDialog::addRequested, this, &AppDelegate::addEvent);
    connect(dialog_.get(), &EntryDialog::helpClicked, this, &AppDelegate::clickHelpButton);
    connect(dialog_.get(), &EntryDialog::closeRequested, this, &AppDelegate::hideDialog);
    connect(dialog_.get(), &EntryDialog::freshSettingsRequested, this, &AppDelegate::startFreshSettings);
    if (services_.hotKeys) {
        connect(services_.hotKeys, &HotKeyService::pressed, this,
                [this](std::uint32_t time) { showDialog(Activation{time, {}}); });
        connect(services_.hotKeys, &HotKeyService::statusChanged, this, &AppDelegate::showHotKeyStatus);
        connect(services_.hotKeys, &HotKeyService::keyboardChanged, this, [this] {
            HotKeySetting key = prefs_.hotKey();
            key.code = services_.hotKeys->resolveKeyCode(key.key, key.code);
            syncHotKeys(key);
        });
    }
}

AppDelegate::~AppDelegate() {
    if (saver_.joinable()) saver_.join();
}

void AppDelegate::awakeFromNib() {
    // The first preview shows a worked example rather than an empty line.
    dialog_->titleField->setText(QString::fromUtf8(kExampleEntry));
    updateDefaultCalendar();
}

void AppDelegate::applyStoredHotKey() {
    HotKeySetting key = prefs_.hotKey();
    if (services_.hotKeys) key.code = services_.hotKeys->resolveKeyCode(key.key, key.code);
    syncHotKeys(key);
}

void AppDelegate::applyStoredAlarm(bool firstLaunch) {
    if (firstLaunch) {
        toggleAlarmEnabled(true, defaultAlarmTime());
        return;
    }
    toggleAlarmEnabled(prefs_.boolValue(Setting::AlarmEnabled), QString::number(prefs_.intValue(Setting::AlarmMinutes)));
}

void AppDelegate::applicationDidFinishLaunching() {
    const bool launchedBefore = prefs_.boolValue(Setting::AppHasLaunched);

    prepareStore();
    applyStoredHotKey();

    // The addresses arrive later (the address book may be slow to start); until then the stored
    // e-mail position stands as it is, so that it is not lost to an empty list.
    updateAlarmSettings(clampIndex(prefs_.intValue(Setting::AlarmTypeIndex), 3),
                        clampIndex(prefs_.intValue(Setting::AlarmSoundIndex), alarmSoundNames().size()),
                        std::max(0, prefs_.intValue(Setting::AlarmEmailIndex)));
    askForUserEmails();

    if (!launchedBefore && services_.usage && services_.usage->isTrackingEnabled())
        prefs_.set(Setting::UsageEnabled, true);
    const bool usage = prefs_.boolValue(Setting::UsageEnabled);
    if (services_.usage) services_.usage->setTrackingEnabled(usage);
    if (services_.updater) services_.updater->setSendsSystemProfile(usage);

    updateMenuIcon();

    ensureSelectedCalendar(prefs_.store(), *services_.store);
    pulseIcon(kPulseBlue, 2);

    if (launchedBefore) {
        applyStoredAlarm(false);
        if (prefs_.boolValue(Setting::HideHelp)) hideHelp();
        else dialog_->helpButton->setChecked(true);
    } else {
        prefs_.set(Setting::AppHasLaunched, true);
        applyStoredAlarm(true);
        dialog_->helpButton->setChecked(true);
        showDialog();
    }
    refreshPreferences();
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
        {QStringLiteral("Default Calendar App"), calAppName},
        {QStringLiteral("Show Menu Bar Icon"), yesNo(prefs_.boolValue(Setting::ShowMenuBarIcon))},
        {QStringLiteral("Default Alarm Enabled"), yesNo(prefs_.boolValue(Setting::AlarmEnabled))},
        {QStringLiteral("Default Alarm Minutes"), defaultAlarmTime()},
        {QStringLiteral("Hide Help"), yesNo(prefs_.boolValue(Setting::HideHelp))},
    };
    services_.usage->initWithProperties(properties);
}

void AppDelegate::addUsageEvent(const QString& event) {
    if (services_.usage) services_.usage->addEvent(event);
}

bool AppDelegate::applicationShouldHandleReopen(const Activation& activation) {
    addUsageEvent(QStringLiteral("Reopen Launch"));
    showDialog(activation);
    return true;
}

void AppDelegate::applicationWillTerminate() {
    menuItem_.reset();
    // A save under way ends within the network time limits; its outcome still reaches the log.
    if (saver_.joinable()) {
        saver_.join();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

}  // namespace linecal
