#include "app/KeyRules.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace linecal {

bool isExactlyCommand(Qt::KeyboardModifiers modifiers, bool capsLock) {
    const Qt::KeyboardModifiers counted = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier |
                                          Qt::KeypadModifier | Qt::GroupSwitchModifier;
    return (modifiers & counted) == Qt::ControlModifier && !capsLock;
}

bool capsLockOn(const QInputEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) return false;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
    // X11 hands its modifier state along with key events; bit 1 is Lock.
    return static_cast<const QKeyEvent&>(event).nativeModifiers() & 0x2;
}

bool isExactlyCommand(const QInputEvent& event) { return isExactlyCommand(event.modifiers(), capsLockOn(event)); }

}  // namespace linecal
