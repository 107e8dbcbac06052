#include "prefs/HotKeyText.h"

#include <QStringList>

namespace linecal {

bool isHotKeyCharacter(const QString& key) {
    if (key.size() != 1) return false;
    const char16_t c = key.at(0).unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

std::optional<HotKeyChoice> hotKeyFromPress(const HotKeyPress& press) {
    if (!isHotKeyCharacter(press.character)) return std::nullopt;
    if (!press.ctrl && !press.alt && !press.meta) return std::nullopt;
    HotKeyChoice choice{press.character.toLower(), 0};
    if (press.ctrl) choice.flags += kHotKeyCommand;
    if (press.alt) choice.flags += kHotKeyOption;
    if (press.meta) choice.flags |= kHotKeyControl;
    if (press.shift) choice.flags |= kHotKeyShift;
    return choice;
}

QString hotKeyShortcut(const QString& key, int flags) {
    return joinedHotKey(
        key.toUpper(), flags,
        {QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("Shift"), QStringLiteral("Meta")});
}

}  // namespace linecal
