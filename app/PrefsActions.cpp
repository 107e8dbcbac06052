// The preferences window's operations: filling it, the calendar choice, the number fields,
// start at login, usage statistics, the support links and capturing a new hot key.
#include "app/AppDelegate.h"

#include "app/HotkeyField.h"
#include "app/PreferencesPanel.h"
#include "app/SupportLinks.h"
#include "items/CalendarMenu.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"
#include "prefs/HotKeyText.h"
#include "prefs/Settings.h"
#include "prefs/UsageStats.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace linecal {
namespace {

// Sets what a check box shows without running its action: the action answers the user, who
// may also switch it through assistive technology (which toggles rather than clicks).
void showChecked(QCheckBox* box, bool checked) {
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

}  // namespace

void AppDelegate::connectPreferences() {
    PreferencesPanel* p = prefsPanel_.get();
    connect(p->alarmCheckbox, &QCheckBox::toggled, this,
            [this, p](bool checked) { toggleAlarmEnabled(checked, p->alarmMinutesField->text()); });
    connect(p->alarmMinutesField, &QLineEdit::textEdited, this, &AppDelegate::alarmMinutesEdited);
    connect(p->defaultEventLengthField, &QLineEdit::textEdited, this, &AppDelegate::eventLengthEdited);
    auto alarmChanged = [this, p] {
        updateAlarmSettings(p->alarmTypeDropdown->currentIndex(), p->alarmSoundDropdown->currentIndex(),
                            p->alarmEmailDropdown->currentIndex());
    };
    for (QComboBox* box : {p->alarmTypeDropdown, p->alarmSoundDropdown, p->alarmEmailDropdown})
        connect(box, &QComboBox::activated, this, alarmChanged);
    connect(p->calendarDropdown, &QComboBox::activated, this, &AppDelegate::updateCalendarSelection);
    connect(p->launchCheckbox, &QCheckBox::toggled, this, &AppDelegate::toggleLaunchAtStartup);
    connect(p->menuIconButton, &QCheckBox::toggled, this, &AppDelegate::clickMenuIconButton);
    connect(p->usageCheckbox, &QCheckBox::toggled, this, &AppDelegate::toggleUsageData);
    connect(p->emailButton, &QPushButton::clicked, this, &AppDelegate::clickEmailButton);
    connect(p->issuesButton, &QPushButton::clicked, this, &AppDelegate::clickTwitterButton);
    connect(p->webButton, &QPushButton::clicked, this, &AppDelegate::clickWebButton);
    connect(p->storeButton, &QPushButton::clicked, this, &AppDelegate::clickAppStoreButton);
    const SupportLinks& links = services_.support;
    p->showSupportButtons(!links.mail.isEmpty(), !links.issues.isEmpty(), !links.web.isEmpty(),
                          !links.softwareCentre.isEmpty());
    p->hotKeyField->onKeyPress = [this](const QKeyEvent& event) { return handleHotKeyUpdateWithEvent(event); };
    p->versionField->setText(QStringLiteral("Version %1. © 2026 the linecal developers.").arg(LINECAL_VERSION));
}

// Every control as the state is now; the calendar list is rebuilt at each opening instead.
void AppDelegate::refreshPreferences() {
    PreferencesPanel* p = prefsPanel_.get();
    const bool alarmOn = prefs_.boolValue(Setting::AlarmEnabled);
    const int alarmType = prefs_.intValue(Setting::AlarmTypeIndex);
    showChecked(p->alarmCheckbox, alarmOn);
    PreferencesPanel::showNumber(p->alarmMinutesField, prefs_.intValue(Setting::AlarmMinutes));
    p->alarmMinutesField->setEnabled(alarmOn);
    p->setEmails(alarmEmails);
    p->alarmTypeDropdown->setCurrentIndex(alarmType);
    p->alarmSoundDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmSoundIndex));
    p->alarmEmailDropdown->setCurrentIndex(prefs_.intValue(Setting::AlarmEmailIndex));
    p->alarmSoundDropdown->setEnabled(alarmType != 0);
    p->alarmSoundView->setVisible(alarmType != 2);
    p->alarmEmailView->setVisible(alarmType == 2);
    const QString length = prefs_.eventLengthText();
    if (p->defaultEventLengthField->text() != length) p->defaultEventLengthField->setText(length);
    p->hotKeyField->showHotKey(hotKeyText(), hotKeyShortcut(), hotKeyStatus == HotKeyStatus::Active);
    showChecked(p->menuIconButton, prefs_.boolValue(Setting::ShowMenuBarIcon));
    showLaunchAtStartup();
    showUsageConsent();
}

void AppDelegate::showPreferences(const Activation& activation) {
    updateDefaultCalendar();
    services_.store->reload();
    fillCalendarMenu();
    // An address book that was slow at start-up has had time to come up since.
    if (alarmEmails.isEmpty()) askForUserEmails(true);
    refreshPreferences();
    prefsPanel_->show();
    bringToFront(prefsPanel_->windowHandle(), activation);
    prefsPanel_->activateWindow();
    addUsageEvent(QStringLiteral("Preferences Menu Item"));
}

void AppDelegate::calendarsChanged() {
    vorlaMenuItem_->setEnabled(!services_.store->calendars().empty());
    if (prefsPanel_->isVisible()) fillCalendarMenu();
    // A [tag] may name a calendar that has just arrived.
    if (isDialogOpen()) controlTextDidChange();
}

void AppDelegate::fillCalendarMenu() {
    const auto selected = selectedCalendarUID(prefs_.store(), *services_.store);
    const auto calendars = services_.store->calendars();
    prefsPanel_->setCalendarMenu(calendarMenu(calendars, selected ? std::optional(toUnicode(*selected)) : std::nullopt,
                                              toUnicode(calAppName)));
    prefsPanel_->calendarDropdown->setEnabled(!calendars.empty());
}

void AppDelegate::updateCalendarSelection(int index) {
    const QString uid = prefsPanel_->calendarAt(index);
    // A heading, or a calendar that is gone since the list was made, changes nothing.
    if (uid.isEmpty() || !services_.store->calendarWithUID(toUnicode(uid))) return;
    setSelectedCalendarUID(prefs_.store(), *services_.store, uid);
}

void AppDelegate::alarmMinutesEdited(const QString& text) {
    const std::int32_t minutes = std::clamp(leadingInteger(text).value_or(0), 0, kMostMinutes);
    PreferencesPanel::showNumber(prefsPanel_->alarmMinutesField, minutes);
    toggleAlarmEnabled(prefsPanel_->alarmCheckbox->isChecked(), QString::number(minutes));
}

void AppDelegate::eventLengthEdited(const QString& text) {
    const std::int32_t minutes = std::clamp(leadingInteger(text).value_or(0), 0, kMostMinutes);
    PreferencesPanel::showNumber(prefsPanel_->defaultEventLengthField, minutes);
    prefs_.set(Setting::EventLength, QString::number(minutes));
}

bool AppDelegate::isLaunchAtStartup() const { return services_.loginItems && services_.loginItems->isLaunchAtStartup(); }

// The check box shows the state as the desktop has it now, and why it cannot be changed.
void AppDelegate::showLaunchAtStartup() {
    QCheckBox* box = prefsPanel_->launchCheckbox;
    QString why = QStringLiteral("This desktop has no way to start programs at login.");
    const bool changeable = services_.loginItems && services_.loginItems->canChange(&why);
    showChecked(box, isLaunchAtStartup());
    box->setEnabled(changeable);
    box->setToolTip(changeable ? QString() : why);
}

void AppDelegate::toggleLaunchAtStartup() {
    const bool wasOn = isLaunchAtStartup();
    showChecked(prefsPanel_->launchCheckbox, !wasOn);
    QString why;
    if (!services_.loginItems || !services_.loginItems->canChange(&why)) {
        showLaunchAtStartup();
        return;
    }
    QString error;
    if (!services_.loginItems->setLaunchAtStartup(!wasOn, &error)) qCWarning(lcApp, "%s", qUtf8Printable(error));
    showLaunchAtStartup();
    if (!error.isEmpty()) prefsPanel_->launchCheckbox->setToolTip(error);
    else addUsageEvent(QStringLiteral("Launch at Startup Button/") + QString::fromUtf8(stringWithBool(!wasOn)));
}

void AppDelegate::showUsageConsent() {
    const bool usage = prefs_.boolValue(Setting::UsageEnabled);
    showChecked(prefsPanel_->usageCheckbox, usage);
    prefsPanel_->usageYesField->setVisible(!usage);
    prefsPanel_->usageNoField->setVisible(usage);
}

void AppDelegate::toggleUsageData() {
    // The stored consent decides, not what the check box happens to show.
    const bool usage = !prefs_.boolValue(Setting::UsageEnabled);
    prefs_.set(Setting::UsageEnabled, usage);
    if (services_.updater) services_.updater->setSendsSystemProfile(usage);
    if (services_.usage) services_.usage->setTrackingEnabled(usage);
    showUsageConsent();
}

void AppDelegate::openSupportLink(const QString& address, const char* event) {
    QString why;
    // Without a program for the address nothing would happen on screen; the panel says why.
    if (services_.calendarApps && !services_.calendarApps->openUrl(QUrl(address), &why)) {
        qCWarning(lcApp, "could not open %s: %s", qUtf8Printable(address), qUtf8Printable(why));
        prefsPanel_->setSupportProblem(QStringLiteral("Could not open %1: %2.").arg(address, why));
    } else {
        prefsPanel_->setSupportProblem({});
    }
    addUsageEvent(QString::fromUtf8(event));
}

void AppDelegate::clickEmailButton() { openSupportLink(services_.support.mail, "Email Button"); }
void AppDelegate::clickTwitterButton() { openSupportLink(services_.support.issues, "Twitter Button"); }
void AppDelegate::clickWebButton() { openSupportLink(services_.support.web, "Web Button"); }
void AppDelegate::clickAppStoreButton() { openSupportLink(services_.support.softwareCentre, "App Store Button"); }

bool AppDelegate::handleHotKeyUpdateWithEvent(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    HotKeyPress press{modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier),
                      modifiers.testFlag(Qt::MetaModifier), modifiers.testFlag(Qt::ShiftModifier), {}};
    // The key's own character without Shift: Shift+5 stays 5 here, where the event says %.
    const int code = static_cast<int>(event.nativeScanCode() & 0xFFFF);
    if (services_.hotKeys && code) press.character = services_.hotKeys->keyCharacter(code);
    if (press.character.isEmpty()) {
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) press.character = QChar(u'a' + (event.key() - Qt::Key_A));
        else if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) press.character = QChar(u'0' + (event.key() - Qt::Key_0));
    }
    auto choice = hotKeyFromPress(press);
    if (!choice) return false;
    HotKeySetting key{choice->key, prefs_.hotKey().code, choice->flags};
    if (code) key.code = code;
    else if (services_.hotKeys) key.code = services_.hotKeys->resolveKeyCode(key.key, key.code);
    syncHotKeys(key);
    return true;
}

}  // namespace linecal
