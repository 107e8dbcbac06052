// `linecal accounts add|list|remove`: the accounts file, the keyring, and a first read of
// the calendars so that a wrong address or password shows at once.
#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "cli/items/ItemSession.h"
#include "stores/Accounts.h"
#include "stores/CalendarCache.h"
#include "stores/ServerModule.h"
#include "text/Utf8.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>

namespace linecal::cli {
namespace {

// A failure the user can act on: said on standard error (the message, then what to do on a line
// of its own), and the command ends with Outcome::Failed. The texts stay UTF-8 as given, so a
// name or path that is not UTF-8 reads back as typed.
int refuse(const std::string& message, const std::string& advice) {
    std::cout.flush();
    printError(message, advice);
    return exitCode(Outcome::Failed);
}

// The CalDAV module; null when it cannot be loaded, the refusal said.
const ServerModule* moduleOrRefuse() {
    std::string why;
    const ServerModule* module = serverModule(&why);
    if (!module)
        refuse("server calendars are not available: " + why,
               "Reinstall linecal with its CalDAV module; the local calendars still work.");
    return module;
}

// The accounts; nothing when the file cannot be read, the refusal said.
std::optional<std::vector<Account>> readOrRefuse(const std::filesystem::path& file) {
    std::string why;
    auto accounts = readAccounts(file, &why);
    if (!accounts) refuse(why, "Fix or remove the file; linecal does not change it while it is damaged.");
    return accounts;
}

// From the terminal without echo; from standard input as it comes when that is not a terminal.
std::string askPassword(const std::string& prompt) {
    std::string password;
    if (::isatty(STDIN_FILENO)) {
        std::cerr << prompt << std::flush;
        termios saved{};
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        std::getline(std::cin, password);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << '\n';
    } else {
        std::getline(std::cin, password);
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

// The server's advice speaks of an item to add again; here no item is waiting, the account is.
std::string accountAdvice(const StoreError& error, const std::string& name) {
    std::string advice = toUtf8(error.recoverySuggestion);
    for (const char* itemWords : {", then add the item again.", " then add the item again.", "Add the item again."}) {
        if (const auto at = advice.find(itemWords); at != std::string::npos)
            advice.replace(at, std::string(itemWords).size(), itemWords[0] == 'A' ? "" : ".");
    }
    if (!advice.empty() && advice.back() != ' ') advice += ' ';
    return advice + "The account " + name +
           " is kept: `linecal calendars --refresh` reads its calendars once that "
           "is mended.";
}

int addAccount(const AccountDetails& details) {
    const auto file = defaultAccountsPath();
    auto accounts = readOrRefuse(file);
    if (!accounts) return exitCode(Outcome::Failed);
    const Account account{details.name, details.url, details.username, details.passwordCommand};
    if (std::string why = accountProblem(account); !why.empty())
        throw UsageError(why, "Run `linecal accounts add --help` for what each option takes.");
    for (const auto& existing : *accounts) {
        if (existing.name == account.name)
            return refuse("an account named " + account.name + " exists",
                          "To change it, `linecal accounts remove " + account.name + "` first, then add it again.");
    }
    const ServerModule* module = moduleOrRefuse();
    if (!module) return exitCode(Outcome::Failed);
    std::shared_ptr<SecretStore> keyring = module->keyring();
    if (!account.passwordCommand) {
        const std::string password = askPassword("Password for " + account.address() + ": ");
        if (password.empty())
            return refuse("no password given; nothing was saved",
                          "Type the password when asked, or give a --password-command that prints it.");
        std::string why;
        if (!keyring->store(account, password, &why))
            return refuse("cannot keep the password: " + why,
                          "Unlock or start the desktop keyring, or give a --password-command instead.");
    }
    accounts->push_back(account);
    std::string why;
    if (!writeAccounts(file, *accounts, &why))
        return refuse(why, "Make the accounts file and its folder writable; nothing was changed.");

    // Reading the calendars now fills the cache and tells at once whether the details work.
    auto server = module->openStore(account, keyring, defaultCacheFolder(), {});
    StoreError error;
    if (!server->refresh(&error)) {
        printError(
            "account " + account.name + " was added, but its calendars could not be read: " + toUtf8(error.message),
            accountAdvice(error, account.name));
        return exitCode(Outcome::Failed);
    }
    const auto calendars = server->calendars();
    std::cout << "Added " << account.name << " (" << account.address() << ") with " << calendars.size()
              << (calendars.size() == 1 ? " calendar" : " calendars") << '\n';
    for (const auto& c : calendars)
        std::cout << "    " << toUtf8(c->title) << (c->isEditable ? "" : "  (read-only)") << '\n';
    return exitCode(Outcome::Done);
}

int listAccounts() {
    const auto accounts = readOrRefuse(defaultAccountsPath());
    if (!accounts) return exitCode(Outcome::Failed);
    if (accounts->empty()) {
        std::cerr << "linecal: no accounts; `linecal accounts add NAME --url URL --username USER` adds one\n";
        return exitCode(Outcome::Done);
    }
    for (const auto& a : *accounts) {
        std::cout << a.name << "  " << a.address() << "  " << a.url << "  password: "
                  << (a.passwordCommand ? "command `" + *a.passwordCommand + "`" : std::string("keyring")) << '\n';
    }
    return exitCode(Outcome::Done);
}

int removeAccount(const std::string& name) {
    const auto file = defaultAccountsPath();
    auto accounts = readOrRefuse(file);
    if (!accounts) return exitCode(Outcome::Failed);
    auto it = std::find_if(accounts->begin(), accounts->end(), [&](const Account& a) { return a.name == name; });
    if (it == accounts->end()) return refuse("no account named " + name, "`linecal accounts list` shows the accounts.");
    const Account removed = *it;
    accounts->erase(it);
    std::string why;
    if (!writeAccounts(file, *accounts, &why))
        return refuse(why, "Make the accounts file and its folder writable; nothing was changed.");
    removeCachedCalendars(defaultCacheFolder(), removed);
    if (!removed.passwordCommand) {
        // The account is gone either way: a keyring that keeps the password is worth a warning only.
        const ServerModule* module = moduleOrRefuse();
        if (!module) return exitCode(Outcome::Failed);
        if (!module->keyring()->clear(removed, &why))
            std::cerr << "linecal: warning: the password stays in the keyring: " << why << '\n';
    }
    std::cout << "Removed " << removed.name << '\n';
    return exitCode(Outcome::Done);
}

}  // namespace

int runAccounts(const ItemRequest& request) {
    switch (request.command) {
        case ItemCommand::AccountsAdd:
            return addAccount(request.account);
        case ItemCommand::AccountsList:
            return listAccounts();
        case ItemCommand::AccountsRemove:
            return removeAccount(request.account.name);
        default:
            return exitCode(Outcome::BadInput);
    }
}

}  // namespace linecal::cli
