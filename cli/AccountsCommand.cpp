#include "cli/AccountsCommand.h"

#include "cli/CliSupport.h"
#include "stores/Accounts.h"
#include "stores/CalendarCache.h"
#include "stores/ServerModule.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <memory>

namespace linecal::cli {
namespace {

struct AddOptions {
    std::string name, url, username;
    std::optional<std::string> passwordCommand;
};

[[noreturn]] void failWith(const std::string& message) {
    std::cerr << "linecal: " << message << '\n';
    throw CLI::RuntimeError(1);
}

const ServerModule& moduleOrFail() {
    std::string problem;
    const ServerModule* module = serverModule(&problem);
    if (!module) failWith("server calendars are not available: " + problem);
    return *module;
}

std::vector<Account> readOrFail(const std::filesystem::path& file) {
    std::string problem;
    auto accounts = readAccounts(file, &problem);
    if (!accounts) failWith(problem + "\nFix or remove the file; linecal does not change it while it is damaged.");
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

void addAccount(const AddOptions& options) {
    const auto file = defaultAccountsPath();
    auto accounts = readOrFail(file);
    Account account{options.name, options.url, options.username, options.passwordCommand};
    if (std::string why = accountProblem(account); !why.empty()) throw UsageError(why);
    for (const auto& existing : accounts) {
        if (existing.name == account.name)
            failWith("an account named " + account.name + " exists; `linecal accounts remove " + account.name +
                     "` first to change it");
    }
    const ServerModule& module = moduleOrFail();
    std::shared_ptr<SecretStore> keyring = module.keyring();
    if (!account.passwordCommand) {
        const std::string password = askPassword("Password for " + account.address() + ": ");
        if (password.empty()) failWith("no password given; nothing was saved");
        std::string problem;
        if (!keyring->store(account, password, &problem)) failWith("cannot keep the password: " + problem);
    }
    accounts.push_back(account);
    std::string problem;
    if (!writeAccounts(file, accounts, &problem)) failWith(problem);

    // Reading the calendars now fills the cache and tells at once whether the details work.
    auto server = module.openStore(account, keyring, defaultCacheFolder(), {});
    StoreError error;
    if (!server->refresh(&error)) {
        std::cerr << "linecal: account " << account.name << " was added, but its calendars could not be read: "
                  << utf8(error.message) << '\n'
                  << utf8(error.recoverySuggestion) << '\n';
        throw CLI::RuntimeError(1);
    }
    const auto calendars = server->calendars();
    std::cout << "Added " << account.name << " (" << account.address() << ") with " << calendars.size()
              << (calendars.size() == 1 ? " calendar" : " calendars") << '\n';
    for (const auto& c : calendars) std::cout << "    " << utf8(c->title) << (c->isEditable ? "" : "  (read-only)") << '\n';
}

void listAccounts() {
    const auto accounts = readOrFail(defaultAccountsPath());
    if (accounts.empty()) {
        std::cerr << "linecal: no accounts; `linecal accounts add NAME --url URL --username USER` adds one\n";
        return;
    }
    for (const auto& a : accounts) {
        std::cout << a.name << "  " << a.address() << "  " << a.url << "  password: "
                  << (a.passwordCommand ? "command `" + *a.passwordCommand + "`" : std::string("keyring")) << '\n';
    }
}

void removeAccount(const std::string& name) {
    const auto file = defaultAccountsPath();
    auto accounts = readOrFail(file);
    auto it = std::find_if(accounts.begin(), accounts.end(), [&](const Account& a) { return a.name == name; });
    if (it == accounts.end()) failWith("no account named " + name + "; `linecal accounts list` shows them");
    const Account removed = *it;
    accounts.erase(it);
    std::string problem;
    if (!writeAccounts(file, accounts, &problem)) failWith(problem);
    removeCachedCalendars(defaultCacheFolder(), removed);
    if (!removed.passwordCommand) {
        if (!moduleOrFail().keyring()->clear(removed, &problem))
            std::cerr << "linecal: warning: the password stays in the keyring: " << problem << '\n';
    }
    std::cout << "Removed " << removed.name << '\n';
}

}  // namespace

void registerAccountsCommand(CLI::App& app) {
    CLI::App* accounts = app.add_subcommand("accounts", "Manage the CalDAV accounts whose calendars linecal lists");
    accounts->require_subcommand(1);
    accounts->footer("\nAccounts live in $XDG_CONFIG_HOME/linecal/accounts.conf; passwords in the desktop keyring "
                     "or behind a --password-command.");

    auto add = std::make_shared<AddOptions>();
    CLI::App* addCmd = accounts->add_subcommand(
        "add", "Add an account; asks for the password and keeps it in the keyring unless a command gives it");
    addCmd->add_option("NAME", add->name, "A short name for the account (letters, digits, . _ -)")->required();
    addCmd->add_option("--url", add->url, "The server's address, such as https://dav.example.com/")->required();
    addCmd->add_option("--username", add->username, "Your user name on the server")->required();
    addCmd->add_option("--password-command", add->passwordCommand,
                       "A command that prints the password, such as \"pass show dav\"");
    addCmd->callback([add] { addAccount(*add); });

    CLI::App* listCmd = accounts->add_subcommand("list", "List the accounts");
    listCmd->callback([] { listAccounts(); });

    auto name = std::make_shared<std::string>();
    CLI::App* removeCmd = accounts->add_subcommand("remove", "Remove an account and its password from the keyring");
    removeCmd->add_option("NAME", *name, "The account's name")->required();
    removeCmd->callback([name] { removeAccount(*name); });
}

}  // namespace linecal::cli
