// Which keys and modifiers mean what in the entry dialog.
#pragma once

#include <Qt>

class QInputEvent;

namespace linecal {

// "Exactly Ctrl": Ctrl held and no other modifier, no keypad key and no Caps Lock. Ctrl+Return
// (and a click with Ctrl) then also shows the saved item in the calendar program; anything
// more (Shift+Ctrl+Return, Ctrl+Return with Caps Lock on) is taken as neither plain nor Ctrl.
bool isExactlyCommand(Qt::KeyboardModifiers modifiers, bool capsLock);
// Whether Caps Lock was on for this event, where the platform tells it (X11 key events).
bool capsLockOn(const QInputEvent& event);
// The same for an input event.
bool isExactlyCommand(const QInputEvent& event);

}  // namespace linecal
