#include "cli/AccountsCommand.h"

#include "cli/ExitCodes.h"
#include "cli/ItemCommands.h"

#include <memory>

namespace linecal::cli {

void registerAccountsCommand(CLI::App& app) {
    CLI::App* accounts = app.add_subcommand("accounts", "Manage the CalDAV accounts whose calendars linecal lists");
    accounts->require_subcommand(1);
    accounts->footer(
        "\nAccounts live in $XDG_CONFIG_HOME/linecal/accounts.conf; passwords in the desktop keyring "
        "or behind a --password-command.");

    auto request = std::make_shared<ItemRequest>();
    auto run = [request](ItemCommand command) {
        return commandCallback([request, command] {
            request->command = command;
            return runInModule(*request);
        });
    };
    AccountDetails& account = request->account;

    CLI::App* add = accounts->add_subcommand(
        "add", "Add an account; asks for the password and keeps it in the keyring unless a command gives it");
    add->add_option("NAME", account.name, "A short name for the account (letters, digits, . _ -)")->required();
    add->add_option("--url", account.url, "The server's address, such as https://dav.example.com/")->required();
    add->add_option("--username", account.username, "Your user name on the server")->required();
    add->add_option("--password-command", account.passwordCommand,
                    "A command that prints the password, such as \"pass show dav\"");
    add->callback(run(ItemCommand::AccountsAdd));

    accounts->add_subcommand("list", "List the accounts")->callback(run(ItemCommand::AccountsList));

    CLI::App* remove = accounts->add_subcommand("remove", "Remove an account and its password from the keyring");
    remove->add_option("NAME", account.name, "The account's name")->required();
    remove->callback(run(ItemCommand::AccountsRemove));
}

}  // namespace linecal::cli
