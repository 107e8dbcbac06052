// `linecal accounts add|list|remove`: the accounts file, the keyring, and a first read of
// the calendars so that a wrong address or password shows at once.
#include "cli/CliSupport.h"
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

namespace linecal::cli {
namespace {

// A refusal: its message goes to standard error and the command exits 1.
struct Refusal {
    std::string message;
    std::string advice;  // what to do, on a line of its own
};

const ServerModule& moduleOrRefuse() {
    std::string problem;
    const ServerModule* module = serverModule(&problem);
    if (!module)
        throw Refusal{"server calendars are not available: " + problem,
                      "Reinstall linecal with its CalDAV module; the local calendars still work."};
    return *module;
}

std::vector<Account> readOrRefuse(const std::filesystem::path& file) {
    std::string problem;
    auto accounts = readAccounts(file, &problem);
    if (!accounts) throw Refusal{problem, "Fix or remove the file; linecal does not change it while it is damaged."};
    return *accounts;
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
    return advice + "The account " + name + " is kept: `linecal calendars --refresh` reads its calendars once that "
                    "is mended.";
}

int addAccount(const AccountDetails& details) {
    const auto file = defaultAccountsPath();
    auto accounts = readOrRefuse(file);
    const Account account{details.name, details.url, details.username, details.passwordCommand};
    if (std::string why = accountProblem(account); !why.empty())
        throw UsageError(why, "Run `linecal accounts add --help` for what each option takes.");
    for (const auto& existing : accounts) {
        if (existing.name == account.name)
            throw Refusal{"an account named " + account.name + " exists",
                          "To change it, `linecal accounts remove " + account.name + "` first, then add it again."};
    }
    const ServerModule& module = moduleOrRefuse();
    std::shared_ptr<SecretStore> keyring = module.keyring();
    if (!account.passwordCommand) {
        const std::string password = askPassword("Password for " + account.address() + ": ");
        if (password.empty())
            throw Refusal{"no password given; nothing was saved",
                          "Type the password when asked, or give a --password-command that prints it."};
        std::string problem;
        if (!keyring->store(account, password, &problem))
            throw Refusal{"cannot keep the password: " + problem,
                          "Unlock or start the desktop keyring, or give a --password-command instead."};
    }
    accounts.push_back(account);
    std::string problem;
    if (!writeAccounts(file, accounts, &problem))
        throw Refusal{problem, "Make the accounts file and its folder writable; nothing was changed."};

    // Reading the calendars now fills the cache and tells at once whether the details work.
    auto server = module.openStore(account, keyring, defaultCacheFolder(), {});
    StoreError error;
    if (!server->refresh(&error)) {
        printError("account " + account.name + " was added, but its calendars could not be read: " + toUtf8(error.message),
                   accountAdvice(error, account.name));
        return 1;
    }
    const auto calendars = server->calendars();
    std::cout << "Added " << account.name << " (" << account.address() << ") with " << calendars.size()
              << (calendars.size() == 1 ? " calendar" : " calendars") << '\n';
    for (const auto& c : calendars) std::cout << "    " << toUtf8(c->title) << (c->isEditable ? "" : "  (read-only)") << '\n';
    return 0;
}

int listAccounts() {
    const auto accounts = readOrRefuse(defaultAccountsPath());
    if (accounts.empty()) {
        std::cerr << "linecal: no accounts; `linecal accounts add NAME --url URL --username USER` adds one\n";
        return 0;
    }
    for (const auto& a : accounts) {
        std::cout << a.name << "  " << a.address() << "  " << a.url << "  password: "
                  << (a.passwordCommand ? "command `" + *a.passwordCommand + "`" : std::string("keyring")) << '\n';
    }
    return 0;
}

int removeAccount(const std::string& name) {
    const auto file = defaultAccountsPath();
    auto accounts = readOrRefuse(file);
    auto it = std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) { return a.name == name; });
    if (it == accounts.end()) throw Refusal{"no account named " + name, "`linecal accounts list` shows the accounts."};
    const Account removed = *it;
    accounts.erase(it);
    std::string problem;
    if (!writeAccounts(file, accounts, &problem))
        throw Refusal{problem, "Make the accounts file and its folder writable; nothing was changed."};
    removeCachedCalendars(defaultCacheFolder(), removed);
    if (!removed.passwordCommand) {
        if (!moduleOrRefuse().keyring()->clear(removed, &problem))
            std::cerr << "linecal: warning: the password stays in the keyring: " << problem << '\n';
    }
    std::cout << "Removed " << removed.name << '\n';
    return 0;
}

}  // namespace

int runAccounts(const ItemRequest& request) {
    try {
        switch (request.command) {
        case ItemCommand::AccountsAdd: return addAccount(request.account);
        case ItemCommand::AccountsList: return listAccounts();
        case ItemCommand::AccountsRemove: return removeAccount(request.account.name);
        default: return 2;
        }
    } catch (const Refusal& refusal) {
        std::cout.flush();
        printError(refusal.message, refusal.advice);
        return 1;
    }
}

}  // namespace linecal::cli
