// The tray item, its menu and the pulse; the hot key.
#include "app/TrayController.h"

#include "app/StatusItem.h"
#include "platform/Logging.h"
#include "prefs/HotKeyText.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

namespace linecal {

TrayController::TrayController(const AppServices& services, Preferences& prefs, QObject* parent)
    : QObject(parent), services_(services), prefs_(prefs), menu_(std::make_unique<QMenu>()) {
    vorlaMenuItem_ = menu_->addAction(QStringLiteral("New Entry…"), this, [this] { emit dialogRequested(0); });
    launchCalItem_ = menu_->addAction(QStringLiteral("Launch Calendar"), this, &TrayController::launchRequested);
    menu_->addSeparator();
    if (services_.refreshCalendars) {
        menu_->addAction(QStringLiteral("Refresh Server Calendars"), this, [this] { services_.refreshCalendars(); });
    }
    menu_->addAction(QStringLiteral("Preferences…"), this, &TrayController::preferencesRequested);
    menu_->addSeparator();
    menu_->addAction(QStringLiteral("Quit linecal"), this, &TrayController::quitRequested);
    connect(menu_.get(), &QMenu::aboutToShow, this, &TrayController::menuAboutToShow);
    connect(&prefs_, &Preferences::changed, this, [this](Setting id) {
        if (id == Setting::ShowMenuBarIcon) updateMenuIcon();
    });
    if (services_.hotKeys) {
        connect(services_.hotKeys, &HotKeyService::pressed, this, &TrayController::dialogRequested);
        connect(services_.hotKeys, &HotKeyService::statusChanged, this, &TrayController::showHotKeyStatus);
        connect(services_.hotKeys, &HotKeyService::keyboardChanged, this, [this] {
            HotKeySetting key = prefs_.hotKey();
            key.code = services_.hotKeys->resolveKeyCode(key.key, key.code);
            syncHotKeys(key);
        });
    }
}

TrayController::~TrayController() = default;

void TrayController::setCanAdd(bool can) { vorlaMenuItem_->setEnabled(can); }

void TrayController::setCalendarProgram(const QString& name, bool available) {
    launchCalItem_->setText(QStringLiteral("Launch %1").arg(name));
    launchCalItem_->setEnabled(available);
}

void TrayController::updateMenuIcon() {
    const bool wanted = prefs_.boolValue(Setting::ShowMenuBarIcon) && services_.useTray;
    if (wanted && !menuItem_) {
        menuItem_ = std::make_unique<StatusItem>(menu_.get());
        menuItem_->setToolTip(trayToolTip());
    } else if (!wanted && menuItem_) {
        menuItem_.reset();
    }
}

void TrayController::removeMenuIcon() { menuItem_.reset(); }

void TrayController::pulseIcon(const QColor& color, int count) {
    // Without the tray item there is nothing to pulse.
    if (menuItem_) menuItem_->pulse(color, count);
}

QString TrayController::trayToolTip() const {
    const QString keys = hotKeyShortcut();
    switch (hotKeyStatus_) {
        case HotKeyStatus::Active:
            return QStringLiteral("linecal: %1 opens the entry dialog").arg(keys);
        case HotKeyStatus::Pending:
            return QStringLiteral("linecal: %1 opens the entry dialog once the desktop agrees").arg(keys);
        case HotKeyStatus::Taken:
            return QStringLiteral("linecal: the hot key %1 is not active, another program uses it").arg(keys);
        case HotKeyStatus::Invalid:
            return QStringLiteral("linecal: the hot key %1 is not active, no key of this keyboard makes it").arg(keys);
        case HotKeyStatus::Unsupported:
            break;
    }
    return QStringLiteral("linecal: bind “linecal show” to a key in the desktop's keyboard settings");
}

void TrayController::applyStoredHotKey() {
    HotKeySetting key = prefs_.hotKey();
    if (services_.hotKeys) key.code = services_.hotKeys->resolveKeyCode(key.key, key.code);
    syncHotKeys(key);
}

void TrayController::syncHotKeys(const HotKeySetting& key) {
    prefs_.setHotKey(key);
    vorlaMenuItem_->setShortcut(QKeySequence(hotKeyShortcut()));
    registerHotKeys();
}

void TrayController::registerHotKeys() {
    const HotKeySetting key = prefs_.hotKey();
    showHotKeyStatus(services_.hotKeys ? services_.hotKeys->registerHotKey(key.key, key.code, key.flags)
                                       : HotKeyStatus::Unsupported);
}

void TrayController::showHotKeyStatus(HotKeyStatus status) {
    hotKeyStatus_ = status;
    if (status == HotKeyStatus::Taken) {
        qCWarning(lcApp, "the hot key %s is taken by another program; it is not active",
                  qUtf8Printable(hotKeyShortcut()));
    }
    if (menuItem_) menuItem_->setToolTip(trayToolTip());
    emit hotKeyShown(hotKeyShortcut(), status == HotKeyStatus::Active || status == HotKeyStatus::Pending);
}

QString TrayController::hotKeyShortcut() const {
    const HotKeySetting key = prefs_.hotKey();
    return linecal::hotKeyShortcut(key.key, key.flags);
}

bool TrayController::takeHotKeyPress(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    HotKeyPress press{modifiers.testFlag(Qt::ControlModifier),
                      modifiers.testFlag(Qt::AltModifier),
                      modifiers.testFlag(Qt::MetaModifier),
                      modifiers.testFlag(Qt::ShiftModifier),
                      {}};
    // The key's own character without Shift: Shift+5 stays 5 here, where the event says %.
    const int code = static_cast<int>(event.nativeScanCode() & 0xFFFF);
    if (services_.hotKeys && code) press.character = services_.hotKeys->keyCharacter(code);
    if (press.character.isEmpty()) {
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
            press.character = QChar(u'a' + (event.key() - Qt::Key_A));
        else if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9)
            press.character = QChar(u'0' + (event.key() - Qt::Key_0));
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
