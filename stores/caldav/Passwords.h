// Account passwords from the desktop keyring through the Secret Service (libsecret), or from
// the account's password command.
#pragma once

#include "stores/Secrets.h"

#include <chrono>
#include <optional>
#include <string>

namespace linecal {

// The Secret Service of the session bus (gnome-keyring, KeePassXC, KWallet's bridge, …).
class KeyringSecrets : public SecretStore {
public:
    std::optional<std::string> lookup(const Account& account, std::string* problem) override;
    bool store(const Account& account, const std::string& password, std::string* problem) override;
    bool clear(const Account& account, std::string* problem) override;
};

// The account's password: its command's first output line when it has a command, else the
// keyring's. Nothing, with `problem` saying what to do (errors::noPassword's advice), when neither gives one. A command
// that has not finished within `commandLimit` is stopped with everything it started.
std::optional<std::string> passwordFor(const Account& account, SecretStore& secrets, std::string* problem,
                                       std::chrono::milliseconds commandLimit = std::chrono::seconds(10));

}  // namespace linecal
