// The hot key as the controller keeps it: stored, shown and registered.
#include "app/AppDelegate.h"

#include "app/StatusItem.h"
#include "platform/Logging.h"
#include "prefs/Settings.h"

#include <QAction>
#include <QKeySequence>

namespace linecal {

void AppDelegate::syncHotKeys() {
    SettingsStore& settings = *services_.settings;
    writeSetting(settings, Setting::Hotkey, hotKey);
    writeSetting(settings, Setting::HotkeyCode, hotKeyCode);
    writeSetting(settings, Setting::HotkeyFlags, hotKeyFlags);
    vorlaMenuItem_->setShortcut(QKeySequence(hotKeyShortcut()));
    registerHotKeys();
}

void AppDelegate::registerHotKeys() {
    hotKeyStatus = services_.hotKeys ? services_.hotKeys->registerHotKey(hotKeyCode, hotKeyFlags)
                                     : HotKeyStatus::Unsupported;
    if (hotKeyStatus == HotKeyStatus::Taken) {
        qCWarning(lcApp, "the hot key %s is taken by another program; it is not active",
                  qUtf8Printable(hotKeyShortcut()));
    }
    if (menuItem_) menuItem_->setToolTip(trayToolTip());
}

QString AppDelegate::hotKeyText() const {
    QString text = QStringLiteral("  ");
    if (hotKeyFlags & kHotKeyControl) text += QChar(0x2303);  // ⌃
    if (hotKeyFlags & kHotKeyOption) text += QChar(0x2325);   // ⌥
    if (hotKeyFlags & kHotKeyShift) text += QChar(0x21E7);    // ⇧
    if (hotKeyFlags & kHotKeyCommand) text += QChar(0x2318);  // ⌘
    return text + hotKey.toUpper();
}

QString AppDelegate::hotKeyShortcut() const {
    QStringList parts;
    if (hotKeyFlags & kHotKeyCommand) parts << QStringLiteral("Ctrl");
    if (hotKeyFlags & kHotKeyOption) parts << QStringLiteral("Alt");
    if (hotKeyFlags & kHotKeyShift) parts << QStringLiteral("Shift");
    if (hotKeyFlags & kHotKeyControl) parts << QStringLiteral("Meta");
    parts << hotKey.toUpper();
    return parts.join(QLatin1Char('+'));
}

}  // namespace linecal
