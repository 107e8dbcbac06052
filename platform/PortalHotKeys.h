// The hot key where the desktop has no X11 (Wayland): the desktop portal's global shortcuts,
// which the desktop may confirm with the user before the shortcut works.
#pragma once

#include "platform/HotKeys.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <memory>

namespace linecal {

class PortalHotKeys : public HotKeyService {
    Q_OBJECT
public:
    // Null when the session bus has no desktop portal offering global shortcuts.
    static std::unique_ptr<PortalHotKeys> create(QDBusConnection bus = QDBusConnection::sessionBus());

    int resolveKeyCode(const QString&, int storedCode) const override { return storedCode; }
    QString keyCharacter(int) const override { return {}; }
    // Pending: the answer arrives through `statusChanged`.
    HotKeyStatus registerHotKey(const QString& key, int keyCode, int flags) override;

    // The portal's way of writing a combination: "CTRL+ALT+r".
    static QString trigger(const QString& key, int flags);
    // How the desktop says the shortcut is triggered, once it has bound it.
    const QString& triggerDescription() const { return description_; }

private slots:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutsBound(uint response, const QVariantMap& results);
    void activated(const QDBusMessage& message);

private:
    explicit PortalHotKeys(QDBusConnection bus);
    // Calls the portal; its answer comes as the Response of a request object, which is listened
    // to before the call so that no answer is missed.
    bool request(const QString& method, QList<QVariant> arguments, QVariantMap options, const char* answer);
    void bind();

    QDBusConnection bus_;
    QString session_;
    QString trigger_;
    QString description_;
    QString pendingRequest_;
    int tokens_ = 0;
};

}  // namespace linecal
