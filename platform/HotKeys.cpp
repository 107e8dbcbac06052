#include "platform/HotKeys.h"

namespace linecal {

int MemoryHotKeys::resolveKeyCode(const QString& key, int storedCode) const {
    auto found = keyboard.find(key);
    return found == keyboard.end() ? storedCode : found->second;
}

QString MemoryHotKeys::keyCharacter(int keyCode) const {
    for (const auto& [character, code] : keyboard) {
        if (code == keyCode) return character;
    }
    return {};
}

HotKeyStatus MemoryHotKeys::registerHotKey(const QString&, int keyCode, int flags) {
    registrations.emplace_back(keyCode, flags);
    return answer_;
}

}  // namespace linecal
