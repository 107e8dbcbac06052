// A system-wide key combination that opens the entry dialog, whatever program has the focus.
#pragma once

#include "prefs/HotKeyText.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace linecal {

enum class HotKeyStatus {
    Active,       // registered; a press reaches `pressed`
    Taken,        // another program holds the combination
    Unsupported,  // this desktop offers no way to register one (no X11, no portal)
    Invalid,      // no key on this keyboard makes the character
    Pending,      // asked for; the desktop answers later through `statusChanged`
};

class HotKeyService : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotKeyService() override = default;

    // The key code to register for `key` (one lower-case letter or digit): `storedCode` when this
    // keyboard makes the character with it, else the keyboard's own code for it; `storedCode`
    // when the keyboard cannot make the character at all.
    virtual int resolveKeyCode(const QString& key, int storedCode) const = 0;
    // Replaces the registration held so far (one at a time) with this one. `key` is the
    // character, `keyCode` the key that makes it; each service uses what its desktop knows.
    virtual HotKeyStatus registerHotKey(const QString& key, int keyCode, int flags) = 0;
    // The letter or digit the key with this code makes without modifiers; empty when none.
    virtual QString keyCharacter(int keyCode) const = 0;

signals:
    // The registered combination was pressed; `timestamp` is the desktop's time of the press
    // (0 when unknown), which lets the window that opens take the focus.
    void pressed(std::uint32_t timestamp);
    // The keyboard layout changed; the holder should resolve and register again.
    void keyboardChanged();
    // The desktop answered a registration that was Pending.
    void statusChanged(HotKeyStatus status);
};

// Keeps registrations in memory, for tests and for desktops without any hot-key service.
class MemoryHotKeys : public HotKeyService {
    Q_OBJECT
public:
    explicit MemoryHotKeys(HotKeyStatus answer = HotKeyStatus::Active) : answer_(answer) {}

    int resolveKeyCode(const QString& key, int storedCode) const override;
    HotKeyStatus registerHotKey(const QString& key, int keyCode, int flags) override;
    QString keyCharacter(int keyCode) const override;

    // Character to key code, as the keyboard of a test makes them.
    std::map<QString, int> keyboard;
    // Every registration asked for, in order.
    std::vector<std::pair<int, int>> registrations;
    HotKeyStatus answer_;

    void press(std::uint32_t timestamp = 0) { emit pressed(timestamp); }
};

}  // namespace linecal
