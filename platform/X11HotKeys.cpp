#include "platform/X11HotKeys.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace linecal {
namespace {

constexpr std::uint32_t kNumLockKeysym = 0xff7f;
constexpr std::uint8_t kBadAccess = 10;

// Latin letters and digits are their own keysyms.
xcb_keysym_t keysymFor(const QString& key) {
    if (key.size() != 1) return 0;
    const char16_t c = key.at(0).toLower().unicode();
    if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) return c;
    return 0;
}

// The modifiers a grab cares about; Lock and NumLock are grabbed both ways instead.
constexpr std::uint16_t kRelevantMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

}  // namespace

std::uint16_t x11ModifierMask(int flags) {
    std::uint16_t mask = 0;
    if (flags & kHotKeyCommand) mask |= XCB_MOD_MASK_CONTROL;
    if (flags & kHotKeyOption) mask |= XCB_MOD_MASK_1;
    if (flags & kHotKeyControl) mask |= XCB_MOD_MASK_4;
    if (flags & kHotKeyShift) mask |= XCB_MOD_MASK_SHIFT;
    return mask;
}

struct X11HotKeys::Connection {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_key_symbols_t* symbols = nullptr;
    ~Connection() {
        if (symbols) xcb_key_symbols_free(symbols);
    }
};

std::unique_ptr<X11HotKeys> X11HotKeys::create() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return nullptr;
    auto x = std::make_unique<Connection>();
    x->connection = x11->connection();
    const xcb_setup_t* setup = xcb_get_setup(x->connection);
    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup);
    if (!screen.rem) return nullptr;
    x->root = screen.data->root;
    x->symbols = xcb_key_symbols_alloc(x->connection);
    if (!x->symbols) return nullptr;
    std::unique_ptr<X11HotKeys> keys(new X11HotKeys(std::move(x)));
    qGuiApp->installNativeEventFilter(keys.get());
    return keys;
}

X11HotKeys::X11HotKeys(std::unique_ptr<Connection> connection) : x_(std::move(connection)) { readModifierMasks(); }

X11HotKeys::~X11HotKeys() {
    if (qGuiApp) qGuiApp->removeNativeEventFilter(this);
    ungrab();
}

void X11HotKeys::readModifierMasks() {
    numLockMask_ = 0;
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(x_->connection, xcb_get_modifier_mapping(x_->connection), nullptr);
    if (!reply) return;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code && xcb_key_symbols_get_keysym(x_->symbols, code, 0) == kNumLockKeysym)
                numLockMask_ = static_cast<std::uint16_t>(1u << modifier);
        }
    }
    std::free(reply);
}

int X11HotKeys::resolveKeyCode(const QString& key, int storedCode) const {
    const xcb_keysym_t keysym = keysymFor(key);
    if (!keysym) return storedCode;
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(x_->symbols, keysym);
    if (!codes) return storedCode;
    int resolved = codes[0] != XCB_NO_SYMBOL ? codes[0] : storedCode;
    for (xcb_keycode_t* code = codes; *code != XCB_NO_SYMBOL; ++code) {
        if (*code == storedCode) resolved = storedCode;
    }
    std::free(codes);
    return resolved;
}

QString X11HotKeys::keyCharacter(int keyCode) const {
    if (keyCode < 8 || keyCode > 255) return {};
    // The key's first level: the character it makes without Shift, whatever Shift was held.
    const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(x_->symbols, static_cast<xcb_keycode_t>(keyCode), 0);
    if ((keysym >= 'a' && keysym <= 'z') || (keysym >= '0' && keysym <= '9') || (keysym >= 'A' && keysym <= 'Z'))
        return QString(QChar(static_cast<char16_t>(keysym))).toLower();
    return {};
}

void X11HotKeys::ungrab() {
    if (!grabbedCode_ || !x_) return;
    for (std::uint16_t extra : {std::uint16_t(0), std::uint16_t(XCB_MOD_MASK_LOCK), numLockMask_,
                                std::uint16_t(XCB_MOD_MASK_LOCK | numLockMask_)}) {
        xcb_ungrab_key(x_->connection, static_cast<xcb_keycode_t>(grabbedCode_), x_->root,
                       static_cast<std::uint16_t>(grabbedMask_ | extra));
    }
    xcb_flush(x_->connection);
    grabbedCode_ = 0;
}

HotKeyStatus X11HotKeys::registerHotKey(const QString&, int keyCode, int flags) {
    ungrab();
    if (keyCode < 8 || keyCode > 255) return HotKeyStatus::Invalid;
    const std::uint16_t mask = x11ModifierMask(flags);
    const auto code = static_cast<xcb_keycode_t>(keyCode);
    // Caps Lock and Num Lock change the state a press arrives with, so each is grabbed both ways.
    xcb_void_cookie_t cookies[4];
    const std::uint16_t extras[4] = {0, XCB_MOD_MASK_LOCK, numLockMask_,
                                     static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLockMask_)};
    for (int i = 0; i < 4; ++i) {
        cookies[i] = xcb_grab_key_checked(x_->connection, 1, x_->root, static_cast<std::uint16_t>(mask | extras[i]),
                                          code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool taken = false;
    for (auto cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(x_->connection, cookie)) {
            taken = taken || error->error_code == kBadAccess;
            std::free(error);
        }
    }
    grabbedCode_ = keyCode;
    grabbedMask_ = mask;
    if (taken) {
        ungrab();
        return HotKeyStatus::Taken;
    }
    return HotKeyStatus::Active;
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type == XCB_MAPPING_NOTIFY) {
        auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
        xcb_refresh_keyboard_mapping(x_->symbols, mapping);
        if (mapping->request != XCB_MAPPING_POINTER) {
            readModifierMasks();
            emit keyboardChanged();
        }
        return false;
    }
    if (type != XCB_KEY_PRESS || !grabbedCode_) return false;
    auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
    if (press->event != x_->root || press->detail != grabbedCode_ || (press->state & kRelevantMask) != grabbedMask_)
        return false;
    emit pressed(press->time);
    return true;
}

}  // namespace linecal
