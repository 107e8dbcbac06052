// The global hot key as stored and as shown: its modifier bits, which key presses may become
// it, and its two written forms.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace linecal {

// Modifier bits of a stored hot key. They keep the values the settings have always used, so a
// settings file means the same everywhere: "command" is Ctrl here, "option" Alt, "control" Meta.
inline constexpr int kHotKeyCommand = 256;
inline constexpr int kHotKeyShift = 512;
inline constexpr int kHotKeyOption = 2048;
inline constexpr int kHotKeyControl = 4096;
inline constexpr int kHotKeyModifiers = kHotKeyCommand | kHotKeyShift | kHotKeyOption | kHotKeyControl;

// The key after its modifiers in the order Ctrl, Alt, Shift, Meta, each under the name the
// reader uses for it, joined by "+". Inline: the desktop portal writes its own form with it.
struct ModifierNames {
    QString command, option, shift, control;
};
inline QString joinedHotKey(const QString& key, int flags, const ModifierNames& names) {
    QStringList parts;
    if (flags & kHotKeyCommand) parts << names.command;
    if (flags & kHotKeyOption) parts << names.option;
    if (flags & kHotKeyShift) parts << names.shift;
    if (flags & kHotKeyControl) parts << names.control;
    parts << key;
    return parts.join(QLatin1Char('+'));
}

struct HotKeyPress {
    bool ctrl = false;
    bool alt = false;
    bool meta = false;
    bool shift = false;
    QString character;  // what the key makes without modifiers
};

struct HotKeyChoice {
    QString key;  // one lower-case letter or digit
    int flags = 0;
};

// Whether the text may be a hot key's key: one ASCII letter or digit, the keys the X11 grab
// finds on every keyboard (other characters have no keysym of their own to grab).
bool isHotKeyCharacter(const QString& key);
// The hot key a press makes, or nothing: it needs one of Ctrl, Alt and Meta (Shift alone would
// take a character away from every program) and exactly one ASCII letter or digit.
std::optional<HotKeyChoice> hotKeyFromPress(const HotKeyPress& press);
// This desktop's names: "Ctrl+Alt+Shift+Meta+R".
QString hotKeyShortcut(const QString& key, int flags);

}  // namespace linecal
