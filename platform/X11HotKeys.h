// The hot key on X11: a passive grab of the key on the root window, seen through Qt's native
// event filter.
#pragma once

#include "platform/HotKeys.h"

#include <QAbstractNativeEventFilter>

#include <memory>

namespace linecal {

class X11HotKeys : public HotKeyService, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Null when the application does not run on X11.
    static std::unique_ptr<X11HotKeys> create();
    ~X11HotKeys() override;

    int resolveKeyCode(const QString& key, int storedCode) const override;
    HotKeyStatus registerHotKey(const QString& key, int keyCode, int flags) override;
    QString keyCharacter(int keyCode) const override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Connection;
    explicit X11HotKeys(std::unique_ptr<Connection> connection);
    void ungrab();
    void readModifierMasks();

    std::unique_ptr<Connection> x_;
    int grabbedCode_ = 0;
    std::uint16_t grabbedMask_ = 0;
    std::uint16_t numLockMask_ = 0;
};

// The X11 modifier mask for the stored modifier bits.
std::uint16_t x11ModifierMask(int flags);

}  // namespace linecal
