// The hot key as the controller keeps it: stored, shown and registered.
#include "app/AppDelegate.h"

#include "app/HotkeyField.h"
#include "app/PreferencesPanel.h"
#include "app/StatusItem.h"
#include "platform/Logging.h"
#include "prefs/Settings.h"

#include <QAction>
#include <QKeySequence>

namespace linecal {

void AppDelegate::syncHotKeys(const HotKeySetting& key) {
    prefs_.setHotKey(key);
    vorlaMenuItem_->setShortcut(QKeySequence(hotKeyShortcut()));
    registerHotKeys();
}

void AppDelegate::registerHotKeys() {
    const HotKeySetting key = prefs_.hotKey();
    showHotKeyStatus(services_.hotKeys ? services_.hotKeys->registerHotKey(key.key, key.code, key.flags)
                                       : HotKeyStatus::Unsupported);
}

void AppDelegate::showHotKeyStatus(HotKeyStatus status) {
    hotKeyStatus = status;
    if (status == HotKeyStatus::Taken) {
        qCWarning(lcApp, "the hot key %s is taken by another program; it is not active",
                  qUtf8Printable(hotKeyShortcut()));
    }
    if (menuItem_) menuItem_->setToolTip(trayToolTip());
    const bool working = status == HotKeyStatus::Active || status == HotKeyStatus::Pending;
    prefsPanel_->hotKeyField->showHotKey(hotKeyText(), hotKeyShortcut(), working);
}

QString AppDelegate::hotKeyText() const { return hotKeyShortcut(); }

QString AppDelegate::hotKeyShortcut() const {
    const HotKeySetting key = prefs_.hotKey();
    return linecal::hotKeyShortcut(key.key, key.flags);
}

}  // namespace linecal
