// The preferences window's controller.
#include "app/PreferencesController.h"

#include "app/HotkeyField.h"
#include "app/PreferencesPanel.h"
#include "items/CalendarMenu.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"
#include "prefs/DefaultAlarm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace linecal {
namespace {

// The address book may take this long at most at start-up; a slower one is asked again when
// the preferences open, where the list is shown, and may then take longer (a first start of
// its service can take seconds).
constexpr std::chrono::milliseconds kAddressBookWait{500};
constexpr std::chrono::milliseconds kAddressBookPanelWait{10000};

// Sets what a check box shows without running its action: the action answers the user, who
// may also switch it through assistive technology (which toggles rather than clicks).
void showChecked(QCheckBox* box, bool checked) {
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

}  // namespace

PreferencesController::PreferencesController(const AppServices& services, Preferences& prefs, QObject* parent)
    : QObject(parent), services_(services), prefs_(prefs), panel_(std::make_unique<PreferencesPanel>()) {
    PreferencesPanel* p = panel_.get();
    connect(p->alarmCheckbox, &QCheckBox::toggled, this,
            [this, p](bool checked) { toggleAlarmEnabled(checked, p->alarmMinutesField->text()); });
    connect(p->alarmMinutesField, &QLineEdit::textEdited, this, &PreferencesController::alarmMinutesEdited);
    connect(p->defaultEventLengthField, &QLineEdit::textEdited, this, &PreferencesController::eventLengthEdited);
    auto alarmChanged = [this, p] {
        updateAlarmSettings(p->alarmTypeDropdown->currentIndex(), p->alarmSoundDropdown->currentIndex(),
                            p->alarmEmailDropdown->currentIndex());
    };
    for (QComboBox* box : {p->alarmTypeDropdown, p->alarmSoundDropdown, p->alarmEmailDropdown})
        connect(box, &QComboBox::activated, this, alarmChanged);
    connect(p->calendarDropdown, &QComboBox::activated, this, &PreferencesController::updateCalendarSelection);
    connect(p->numericDatesDropdown, &QComboBox::activated, this,
            [this](int index) { prefs_.set(Setting::NumericDatesOtherOrder, index == 1); });
    // The dialog takes an order too, when the user takes the other reading of a numeric date.
    connect(&prefs_, &Preferences::changed, this, [this, p](Setting id) {
        if (id == Setting::NumericDatesOtherOrder)
            p->numericDatesDropdown->setCurrentIndex(prefs_.boolValue(Setting::NumericDatesOtherOrder) ? 1 : 0);
    });
    connect(p->launchCheckbox, &QCheckBox::toggled, this, &PreferencesController::toggleLaunchAtStartup);
    connect(p->menuIconButton, &QCheckBox::toggled, this, &PreferencesController::clickMenuIconButton);
    connect(p->usageCheckbox, &QCheckBox::toggled, this, &PreferencesController::toggleUsageData);
    const SupportLinks& links = services_.support;
    connect(p->emailButton, &QPushButton::clicked, this,
            [this] { openSupportLink(services_.support.mail, "Email Button"); });
    connect(p->issuesButton, &QPushButton::clicked, this,
            [this] { openSupportLink(services_.support.issues, "Twitter Button"); });
    connect(p->webButton, &QPushButton::clicked, this,
            [this] { openSupportLink(services_.support.web, "Web Button"); });
    connect(p->storeButton, &QPushButton::clicked, this,
            [this] { openSupportLink(services_.support.softwareCentre, "App Store Button"); });
    p->showSupportButtons(!links.mail.isEmpty(), !links.issues.isEmpty(), !links.web.isEmpty(),
                          !links.softwareCentre.isEmpty());
    p->versionField->setText(QStringLiteral("Version %1. © 2026 the linecal developers.").arg(LINECAL_VERSION));
}

PreferencesController::~PreferencesController() = default;

void PreferencesController::setHotKeyCapture(std::function<bool(const QKeyEvent&)> capture) {
    panel_->hotKeyField->onKeyPress = std::move(capture);
}

void PreferencesController::showHotKey(const QString& keys, bool working) {
    hotKeyKeys_ = keys;
    hotKeyWorking_ = working;
    panel_->hotKeyField->showHotKey(keys, keys, working);
}

void PreferencesController::refreshPreferences() {
    PreferencesPanel* p = panel_.get();
    const bool alarmOn = prefs_.boolValue(Setting::AlarmEnabled);
    showChecked(p->alarmCheckbox, alarmOn);
    PreferencesPanel::showNumber(p->alarmMinutesField, prefs_.intValue(Setting::AlarmMinutes));
    p->alarmMinutesField->setEnabled(alarmOn);
    p->setEmails(emails_);
    p->alarmTypeDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmTypeIndex));
    p->alarmSoundDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmSoundIndex));
    p->alarmEmailDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmEmailIndex));
    p->showAlarmKind(prefs_.intValue(Setting::AlarmTypeIndex));
    const QString length = prefs_.eventLengthText();
    if (p->defaultEventLengthField->text() != length) p->defaultEventLengthField->setText(length);
    p->numericDatesDropdown->setCurrentIndex(prefs_.boolValue(Setting::NumericDatesOtherOrder) ? 1 : 0);
    p->hotKeyField->showHotKey(hotKeyKeys_, hotKeyKeys_, hotKeyWorking_);
    showChecked(p->menuIconButton, prefs_.boolValue(Setting::ShowMenuBarIcon));
    showLaunchAtStartup();
    showUsageConsent();
}

void PreferencesController::showPreferences(const Activation& activation) {
    services_.store->reload();
    fillCalendarMenu();
    // An address book that was slow at start-up has had time to come up since.
    if (emails_.isEmpty()) askForUserEmails(true);
    refreshPreferences();
    panel_->show();
    bringToFront(panel_->windowHandle(), activation);
    panel_->activateWindow();
    services_.addUsageEvent(QStringLiteral("Preferences Menu Item"));
}

void PreferencesController::fillCalendarMenu() {
    const auto selected = selectedCalendarUID(prefs_.store(), *services_.store);
    const auto calendars = services_.store->calendars();
    panel_->setCalendarMenu(
        calendarMenu(calendars, selected ? std::optional(toUnicode(*selected)) : std::nullopt, toUnicode(calAppName_)));
    panel_->calendarDropdown->setEnabled(!calendars.empty());
}

void PreferencesController::updateCalendarSelection(int index) {
    const QString uid = panel_->calendarAt(index);
    // A heading, or a calendar that is gone since the list was made, changes nothing.
    if (uid.isEmpty() || !services_.store->calendarWithUID(toUnicode(uid))) return;
    setSelectedCalendarUID(prefs_.store(), *services_.store, uid);
}

void PreferencesController::alarmMinutesEdited(const QString& text) {
    const std::int32_t minutes = std::clamp(leadingInteger(text).value_or(0), 0, kMostMinutes);
    PreferencesPanel::showNumber(panel_->alarmMinutesField, minutes);
    toggleAlarmEnabled(panel_->alarmCheckbox->isChecked(), QString::number(minutes));
}

void PreferencesController::eventLengthEdited(const QString& text) {
    const std::int32_t minutes = std::clamp(leadingInteger(text).value_or(0), 0, kMostMinutes);
    PreferencesPanel::showNumber(panel_->defaultEventLengthField, minutes);
    prefs_.set(Setting::EventLength, QString::number(minutes));
}

bool PreferencesController::isLaunchAtStartup() const {
    return services_.loginItems && services_.loginItems->isLaunchAtStartup();
}

// The check box shows the state as the desktop has it now, and why it cannot be changed.
void PreferencesController::showLaunchAtStartup() {
    QCheckBox* box = panel_->launchCheckbox;
    QString why = QStringLiteral("This desktop has no way to start programs at login.");
    const bool changeable = services_.loginItems && services_.loginItems->canChange(&why);
    showChecked(box, isLaunchAtStartup());
    box->setEnabled(changeable);
    box->setToolTip(changeable ? QString() : why);
}

void PreferencesController::toggleLaunchAtStartup() {
    const bool wasOn = isLaunchAtStartup();
    showChecked(panel_->launchCheckbox, !wasOn);
    QString why;
    if (!services_.loginItems || !services_.loginItems->canChange(&why)) {
        showLaunchAtStartup();
        return;
    }
    QString error;
    if (!services_.loginItems->setLaunchAtStartup(!wasOn, &error)) qCWarning(lcApp, "%s", qUtf8Printable(error));
    showLaunchAtStartup();
    if (!error.isEmpty()) panel_->launchCheckbox->setToolTip(error);
    else
        services_.addUsageEvent(QStringLiteral("Launch at Startup Button/") +
                                QString::fromUtf8(stringWithBool(!wasOn)));
}

void PreferencesController::showUsageConsent() {
    const bool usage = prefs_.boolValue(Setting::UsageEnabled);
    showChecked(panel_->usageCheckbox, usage);
    panel_->usageYesField->setVisible(!usage);
    panel_->usageNoField->setVisible(usage);
}

void PreferencesController::toggleUsageData() {
    // The stored consent decides, not what the check box happens to show.
    const bool usage = !prefs_.boolValue(Setting::UsageEnabled);
    prefs_.set(Setting::UsageEnabled, usage);
    if (services_.updater) services_.updater->setSendsSystemProfile(usage);
    if (services_.usage) services_.usage->setTrackingEnabled(usage);
    showUsageConsent();
}

void PreferencesController::openSupportLink(const QString& address, const char* event) {
    QString why;
    // Without a program for the address nothing would happen on screen; the panel says why.
    if (services_.calendarApps && !services_.calendarApps->openUrl(QUrl(address), &why)) {
        qCWarning(lcApp, "could not open %s: %s", qUtf8Printable(address), qUtf8Printable(why));
        panel_->setSupportProblem(QStringLiteral("Could not open %1: %2.").arg(address, why));
    } else {
        panel_->setSupportProblem({});
    }
    services_.addUsageEvent(QString::fromUtf8(event));
}

void PreferencesController::toggleAlarmEnabled(bool checked, const QString& minutesText) {
    prefs_.set(Setting::AlarmEnabled, checked);
    prefs_.set(Setting::AlarmMinutes, leadingInteger(minutesText).value_or(0));
    showChecked(panel_->alarmCheckbox, checked);
    panel_->alarmMinutesField->setEnabled(checked);
    services_.addUsageEvent(QStringLiteral("Alarm Button/") + QString::fromUtf8(stringWithBool(checked)));
}

void PreferencesController::updateAlarmSettings(int typeIndex, int soundIndex, int emailIndex) {
    prefs_.set(Setting::AlarmTypeIndex, typeIndex);
    prefs_.set(Setting::AlarmSoundIndex, soundIndex);
    prefs_.set(Setting::AlarmEmailIndex, emailIndex);
    panel_->showAlarmKind(typeIndex);
}

void PreferencesController::askForUserEmails(bool panelOpen) {
    if (!services_.addressBook || emailsAwaited_) return;
    emailsAwaited_ = true;
    const auto wait = panelOpen ? kAddressBookPanelWait : kAddressBookWait;
    services_.addressBook->selfEmailsLater(this, wait, [this](const QStringList& emails, const QString& problem) {
        emailsAwaited_ = false;
        if (!problem.isEmpty()) qCInfo(lcApp, "no e-mail addresses for alarms: %s", qUtf8Printable(problem));
        takeUserEmails(emails);
    });
}

void PreferencesController::takeUserEmails(const QStringList& emails) {
    emails_ = emails;
    emit emailsChanged(emails_);
    panel_->setEmails(emails_);
    const int emailIndex = prefs_.intValue(Setting::AlarmEmailIndex);
    updateAlarmSettings(prefs_.intValue(Setting::AlarmTypeIndex), prefs_.intValue(Setting::AlarmSoundIndex),
                        emails_.isEmpty() ? 0 : std::min<int>(emailIndex, emails_.size() - 1));
    panel_->alarmEmailDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmEmailIndex));
}

AlarmAction PreferencesController::alarmType() const { return prefs_.alarmChoice(emails_).action; }

QString PreferencesController::alarmEmail() const {
    const auto email = prefs_.alarmChoice(emails_).email;
    return email ? toQString(*email) : QString();
}

void PreferencesController::applyStoredAlarm(bool firstLaunch) {
    if (firstLaunch) toggleAlarmEnabled(true, defaultAlarmTime());
    else
        toggleAlarmEnabled(prefs_.boolValue(Setting::AlarmEnabled),
                           QString::number(prefs_.intValue(Setting::AlarmMinutes)));
}

void PreferencesController::clickMenuIconButton(bool checked) {
    showChecked(panel_->menuIconButton, checked);
    prefs_.set(Setting::ShowMenuBarIcon, checked);
}

}  // namespace linecal
