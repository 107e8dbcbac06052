// Where account passwords are kept when no password command gives them: the desktop keyring
// (in the CalDAV module), or memory for tests.
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
    // set when the keyring could not be asked. `problem` is the keyring's cause, for the
    // caller's message (passwordFor, `linecal accounts`).
    virtual std::optional<std::string> lookup(const Account& account, std::string* problem) = 0;
    virtual bool store(const Account& account, const std::string& password, std::string* problem) = 0;
    // True when nothing is stored for the account afterwards.
    virtual bool clear(const Account& account, std::string* problem) = 0;
};

// Passwords in memory, for tests.
class MemorySecrets : public SecretStore {
public:
    std::optional<std::string> lookup(const Account& account, std::string* problem) override {
        if (problem) problem->clear();
        auto it = passwords_.find(key(account));
        if (it == passwords_.end()) return std::nullopt;
        return it->second;
    }
    bool store(const Account& account, const std::string& password, std::string*) override {
        passwords_[key(account)] = password;
        return true;
    }
    bool clear(const Account& account, std::string*) override {
        passwords_.erase(key(account));
        return true;
    }

private:
    // A password belongs to the account's name, address and user together.
    static std::string key(const Account& a) { return a.name + '\n' + a.url + '\n' + a.username; }
    std::map<std::string, std::string> passwords_;
};

}  // namespace linecal
