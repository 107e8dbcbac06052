#include "prefs/HotKeyText.h"

#include <QStringList>

namespace linecal {

std::optional<HotKeyChoice> hotKeyFromPress(const HotKeyPress& press) {
    if (press.character.size() != 1) return std::nullopt;
    if (!press.ctrl && !press.alt && !press.meta) return std::nullopt;
    if (!press.character.at(0).isLetterOrNumber()) return std::nullopt;
    HotKeyChoice choice{press.character.toLower(), 0};
    if (press.ctrl) choice.flags += kHotKeyCommand;
    if (press.alt) choice.flags += kHotKeyOption;
    if (press.meta) choice.flags |= kHotKeyControl;
    if (press.shift) choice.flags |= kHotKeyShift;
    return choice;
}

QString hotKeyShortcut(const QString& key, int flags) {
    return joinedHotKey(key.toUpper(), flags, {QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("Shift"),
                                               QStringLiteral("Meta")});
}

}  // namespace linecal
