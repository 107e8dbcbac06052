#include "platform/WindowActivation.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace linecal {
namespace {

void askWindowManager(QWindow* window, std::uint32_t time) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    const char name[] = "_NET_ACTIVE_WINDOW";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    if (!atom) return;
    if (atom->atom != XCB_ATOM_NONE) {
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = static_cast<xcb_window_t>(window->winId());
        event.type = atom->atom;
        event.data.data32[0] = 1;  // a request from an application
        event.data.data32[1] = time;
        xcb_send_event(connection, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection);
    }
    free(atom);
}

}  // namespace

std::optional<std::uint32_t> startupIdTime(const QString& token) {
    const qsizetype at = token.lastIndexOf(QLatin1String("_TIME"));
    if (at < 0) return std::nullopt;
    bool ok = false;
    const qulonglong time = token.mid(at + 5).toULongLong(&ok);
    if (!ok || time > 0xFFFFFFFFull) return std::nullopt;
    return static_cast<std::uint32_t>(time);
}

QString launchActivationToken() {
    QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
    return token.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : token;
}

void bringToFront(QWindow* window, const Activation& activation) {
    if (!window) return;
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    // Qt's Wayland activation reads the token from the environment when it activates.
    if (wayland && !activation.token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activation.token.toUtf8());
    window->raise();
    window->requestActivate();
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        const std::uint32_t time =
            activation.x11Time ? activation.x11Time : startupIdTime(activation.token).value_or(0);
        askWindowManager(window, time);
    }
}

}  // namespace linecal
