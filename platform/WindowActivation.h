// Bringing a window in front of whatever the user works in, as the desktop allows it.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

class QWindow;

namespace linecal {

// What a request to show a window carries to be allowed to take the focus: the desktop's time
// of the key press that asked (X11), or the token the launcher handed over (X11 startup id or
// Wayland activation token).
struct Activation {
    std::uint32_t x11Time = 0;
    QString token;
};

// Raises and activates an already shown window. On X11 it also asks the window manager
// through _NET_ACTIVE_WINDOW with the request's time; on Wayland it activates with the token.
void bringToFront(QWindow* window, const Activation& activation);

// The time an X11 startup id ("…_TIME<number>") carries.
std::optional<std::uint32_t> startupIdTime(const QString& token);

// The token the desktop gave this process at its start, if any.
QString launchActivationToken();

}  // namespace linecal
