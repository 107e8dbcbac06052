// CalDAV accounts: $XDG_CONFIG_HOME/linecal/accounts.conf, an INI file with one group per
// account. Passwords are never kept there: they come from the keyring or from a command.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace linecal {

struct Account {
    std::string name;  // the group name; letters, digits, '.', '_' and '-'
    std::string url;
    std::string username;
    // A shell command that prints the password; absent when the keyring holds it.
    std::optional<std::string> passwordCommand;

    std::string host() const;
    // What the account's calendars carry as notes and are headed by: the user name when it
    // is already an address, else "username@host".
    std::string address() const;
};

// $XDG_CONFIG_HOME/linecal/accounts.conf, or ~/.config/linecal/accounts.conf.
std::filesystem::path defaultAccountsPath();

// Empty when the account can be saved; otherwise what is wrong with it, for the user.
std::string accountProblem(const Account& account);

// The accounts in the file's order; none when it does not exist. Nothing, with `problem` set,
// when it exists but cannot be read: a damaged file is never overwritten. Here and below,
// `problem` is the cause in a few words; the caller words it into the user's Problem with what
// to do (errors::accountsUnreadable, `linecal accounts`).
std::optional<std::vector<Account>> readAccounts(const std::filesystem::path& file, std::string* problem);
// Replaces the file as a whole (temporary file and rename); false with `problem` on failure.
bool writeAccounts(const std::filesystem::path& file, const std::vector<Account>& accounts, std::string* problem);

}  // namespace linecal
