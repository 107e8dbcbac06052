#include "platform/HotKeys.h"

namespace linecal {

int MemoryHotKeys::resolveKeyCode(const QString& key, int storedCode) const {
    auto found = keyboard.find(key);
    return found == keyboard.end() ? storedCode : found->second;
}

HotKeyStatus MemoryHotKeys::registerHotKey(int keyCode, int flags) {
    registrations.emplace_back(keyCode, flags);
    return answer_;
}

}  // namespace linecal
