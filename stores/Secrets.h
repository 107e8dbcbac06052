// Where account passwords live: the desktop keyring through the Secret Service (libsecret),
// or the output of the account's password command.
#pragma once

#include "stores/Accounts.h"

#include <map>
#include <optional>
#include <string>

namespace linecal {

class SecretStore {
public:
    virtual ~SecretStore() = default;
    // The stored password; nothing with `problem` empty when none is stored, or with `problem`
    // set when the keyring could not be asked.
    virtual std::optional<std::string> lookup(const Account& account, std::string* problem) = 0;
    virtual bool store(const Account& account, const std::string& password, std::string* problem) = 0;
    // True when nothing is stored for the account afterwards.
    virtual bool clear(const Account& account, std::string* problem) = 0;
};

// The Secret Service of the session bus (gnome-keyring, KeePassXC, KWallet's bridge, …).
class KeyringSecrets : public SecretStore {
public:
    std::optional<std::string> lookup(const Account& account, std::string* problem) override;
    bool store(const Account& account, const std::string& password, std::string* problem) override;
    bool clear(const Account& account, std::string* problem) override;
};

// Passwords in memory, for tests.
class MemorySecrets : public SecretStore {
public:
    std::optional<std::string> lookup(const Account& account, std::string* problem) override;
    bool store(const Account& account, const std::string& password, std::string* problem) override;
    bool clear(const Account& account, std::string* problem) override;

private:
    std::map<std::string, std::string> passwords_;
};

// The account's password: its command's first output line when it has a command, else the
// keyring's. Nothing, with `problem` saying what to do, when neither gives one.
std::optional<std::string> passwordFor(const Account& account, SecretStore& secrets, std::string* problem);

}  // namespace linecal
