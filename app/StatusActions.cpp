// The tray item, its menu and the pulse.
#include "app/AppDelegate.h"

#include "app/PreferencesPanel.h"
#include "app/StatusItem.h"
#include "platform/Logging.h"
#include "prefs/Settings.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QKeySequence>
#include <QMenu>

namespace linecal {

void AppDelegate::buildMenu() {
    menu_ = std::make_unique<QMenu>();
    vorlaMenuItem_ = menu_->addAction(QStringLiteral("New Entry…"), this, [this] { showDialog(); });
    launchCalItem_ = menu_->addAction(QStringLiteral("Launch %1").arg(calAppName), this, &AppDelegate::launchCal);
    menu_->addSeparator();
    if (services_.refreshCalendars) {
        menu_->addAction(QStringLiteral("Refresh Server Calendars"), this, [this] { services_.refreshCalendars(); });
    }
    preferencesItem_ = menu_->addAction(QStringLiteral("Preferences…"), this, [this] { showPreferences(); });
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Quit linecal"), this, &AppDelegate::quitRequested);
    connect(menu_.get(), &QMenu::aboutToShow, this, &AppDelegate::refreshMenu);
}

void AppDelegate::refreshMenu() {
    updateDefaultCalendar();
    services_.store->reload();
    vorlaMenuItem_->setEnabled(!services_.store->calendars().empty());
    showLaunchAtStartup();
}

void AppDelegate::updateMenuIcon() {
    const bool wanted = prefs_.boolValue(Setting::ShowMenuBarIcon) && services_.useTray;
    if (wanted && !menuItem_) {
        menuItem_ = std::make_unique<StatusItem>(menu_.get());
        menuItem_->setToolTip(trayToolTip());
    } else if (!wanted && menuItem_) {
        menuItem_.reset();
    }
}

QString AppDelegate::trayToolTip() const {
    const QString keys = hotKeyShortcut();
    switch (hotKeyStatus) {
        case HotKeyStatus::Active: return QStringLiteral("linecal: %1 opens the entry dialog").arg(keys);
        case HotKeyStatus::Pending:
            return QStringLiteral("linecal: %1 opens the entry dialog once the desktop agrees").arg(keys);
        case HotKeyStatus::Taken:
            return QStringLiteral("linecal: the hot key %1 is not active, another program uses it").arg(keys);
        case HotKeyStatus::Invalid:
            return QStringLiteral("linecal: the hot key %1 is not active, no key of this keyboard makes it").arg(keys);
        case HotKeyStatus::Unsupported: break;
    }
    return QStringLiteral("linecal: bind “linecal show” to a key in the desktop's keyboard settings");
}

void AppDelegate::clickMenuIconButton(bool checked) {
    {
        const QSignalBlocker quiet(prefsPanel_->menuIconButton);
        prefsPanel_->menuIconButton->setChecked(checked);
    }
    prefs_.set(Setting::ShowMenuBarIcon, checked);
    updateMenuIcon();
}

void AppDelegate::pulseIcon(const QColor& color, int count) {
    // Without the tray item there is nothing to pulse.
    if (menuItem_) menuItem_->pulse(color, count);
}

}  // namespace linecal
