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

bool isHotKeyCharacter(const QString& key) {
    return key.size() == 1 && key.at(0).isLetterOrNumber() && key.at(0).unicode() < 0x80;
}

int clampIndex(std::int32_t index, qsizetype count) {
    if (count <= 0) return 0;
    return static_cast<int>(std::clamp<qsizetype>(index, 0, count - 1));
}

}  // namespace

AppDelegate::AppDelegate(AppServices services, QObject* parent) : QObject(parent), services_(std::move(services)) {
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
            hotKeyCode = services_.hotKeys->resolveKeyCode(hotKey, hotKeyCode);
            syncHotKeys();
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
    SettingsStore& settings = *services_.settings;
    const bool launchedBefore = boolSetting(settings, Setting::AppHasLaunched);
    hotKey = QStringLiteral("r");
    hotKeyCode = 15;
    hotKeyFlags = kHotKeyCommand | kHotKeyOption;
    // A damaged value is no key at all; it would register something the user never chose.
    if (auto stored = settings.readString(settingKey(Setting::Hotkey)); stored && isHotKeyCharacter(*stored)) {
        hotKey = *stored;
        if (!launchedBefore && hotKey == QLatin1String("R")) hotKey = QStringLiteral("r");
    }
    if (auto code = settings.readIntIfPresent(settingKey(Setting::HotkeyCode))) hotKeyCode = *code;
    // Shift alone (or no modifier) would take a plain letter away from every program.
    const int flags = intSetting(settings, Setting::HotkeyFlags) & kHotKeyModifiers;
    if (flags & (kHotKeyCommand | kHotKeyOption | kHotKeyControl)) hotKeyFlags = flags;
    if (services_.hotKeys) hotKeyCode = services_.hotKeys->resolveKeyCode(hotKey, hotKeyCode);
    syncHotKeys();
}

void AppDelegate::applyStoredAlarm(bool firstLaunch) {
    SettingsStore& settings = *services_.settings;
    if (firstLaunch) {
        toggleAlarmEnabled(true, defaultAlarmTime());
        return;
    }
    const auto enabled = settings.readBoolIfPresent(settingKey(Setting::AlarmEnabled));
    const auto minutes = settings.readIntIfPresent(settingKey(Setting::AlarmMinutes));
    const bool on = enabled.value_or(true);
    const std::int32_t lead = minutes.value_or(leadingInteger(defaultAlarmTime()).value_or(0));
    toggleAlarmEnabled(on, QString::number(lead));
}

void AppDelegate::applicationDidFinishLaunching() {
    SettingsStore& settings = *services_.settings;
    const bool launchedBefore = boolSetting(settings, Setting::AppHasLaunched);

    prepareStore();
    applyStoredHotKey();

    const auto lastEvent = settings.readString(settingKey(Setting::LastEventUID));
    const auto lastCalendar = settings.readString(settingKey(Setting::LastCalendarUID));
    if (lastEvent && lastCalendar) {
        lastEventUid = *lastEvent;
        lastCalendarUid = *lastCalendar;
    }

    const auto length = settings.readString(settingKey(Setting::EventLength));
    eventLengthText = length && !length->isEmpty() ? *length : QStringLiteral("0");

    // The addresses arrive later (the address book may be slow to start); until then the stored
    // e-mail position stands as it is, so that it is not lost to an empty list.
    updateAlarmSettings(clampIndex(intSetting(settings, Setting::AlarmTypeIndex), 3),
                        clampIndex(intSetting(settings, Setting::AlarmSoundIndex), alarmSoundNames().size()),
                        std::max(0, intSetting(settings, Setting::AlarmEmailIndex)));
    askForUserEmails();

    if (!launchedBefore && services_.usage && services_.usage->isTrackingEnabled())
        writeSetting(settings, Setting::UsageEnabled, true);
    usageEnabled = boolSetting(settings, Setting::UsageEnabled);
    if (services_.usage) services_.usage->setTrackingEnabled(usageEnabled);
    if (services_.updater) services_.updater->setSendsSystemProfile(usageEnabled);

    shouldShowMenuIcon = true;
    if (auto show = settings.readBoolIfPresent(settingKey(Setting::ShowMenuBarIcon))) shouldShowMenuIcon = *show;
    updateMenuIcon();

    ensureSelectedCalendar(settings, *services_.store);
    pulseIcon(kPulseBlue, 2);

    if (launchedBefore) {
        applyStoredAlarm(false);
        if (boolSetting(settings, Setting::HideHelp)) hideHelp();
        else dialog_->helpButton->setChecked(true);
    } else {
        writeSetting(settings, Setting::AppHasLaunched, true);
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
        {QStringLiteral("Show Menu Bar Icon"), yesNo(shouldShowMenuIcon)},
        {QStringLiteral("Default Alarm Enabled"), yesNo(isAlarmEnabled)},
        {QStringLiteral("Default Alarm Minutes"), defaultAlarmTime()},
        {QStringLiteral("Hide Help"), yesNo(boolSetting(*services_.settings, Setting::HideHelp))},
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
