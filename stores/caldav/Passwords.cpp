#include "stores/caldav/Passwords.h"

#include <libsecret/secret.h>

#include <cstdio>
#include <sys/wait.h>

namespace linecal {
namespace {

// Entries are found by account name, address and user, so an account pointed elsewhere does
// not send the old server's password.
const SecretSchema* schema() {
    static const SecretSchema s = {"org.linecal.CalDAV",
                                   SECRET_SCHEMA_NONE,
                                   {{"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {"url", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {"username", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                    {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                   0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &s;
}

std::string keyringProblem(GError* error) {
    std::string message = "the keyring could not be reached (" + std::string(error->message) +
                          "); unlock or start the desktop keyring, or give the account a --password-command";
    g_error_free(error);
    return message;
}

std::optional<std::string> runCommand(const Account& account, std::string* problem) {
    auto fail = [&](const std::string& why) -> std::optional<std::string> {
        if (problem) *problem = "the password command of account " + account.name + " " + why;
        return std::nullopt;
    };
    std::fflush(nullptr);
    FILE* pipe = ::popen(account.passwordCommand->c_str(), "re");
    if (!pipe) return fail("could not be started");
    std::string output;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        if (output.size() < 65536) output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return fail("failed (exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                    "); run it yourself to see why, or change it with `linecal accounts add`");
    }
    output = output.substr(0, output.find('\n'));  // pass and gopass print the password first
    if (!output.empty() && output.back() == '\r') output.pop_back();
    if (output.empty()) return fail("printed no password");
    return output;
}

}  // namespace

std::optional<std::string> KeyringSecrets::lookup(const Account& account, std::string* problem) {
    GError* error = nullptr;
    gchar* password = secret_password_lookup_sync(schema(), nullptr, &error, "account", account.name.c_str(), "url",
                                                  account.url.c_str(), "username", account.username.c_str(), nullptr);
    if (error) {
        if (problem) *problem = keyringProblem(error);
        return std::nullopt;
    }
    if (problem) problem->clear();
    if (!password) return std::nullopt;
    std::string out = password;
    secret_password_free(password);
    return out;
}

bool KeyringSecrets::store(const Account& account, const std::string& password, std::string* problem) {
    GError* error = nullptr;
    const std::string label = "linecal: " + account.name + " (" + account.address() + ")";
    const bool ok = secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), password.c_str(),
                                               nullptr, &error, "account", account.name.c_str(), "url",
                                               account.url.c_str(), "username", account.username.c_str(), nullptr);
    if (error) {
        if (problem) *problem = keyringProblem(error);
        return false;
    }
    return ok;
}

bool KeyringSecrets::clear(const Account& account, std::string* problem) {
    GError* error = nullptr;
    secret_password_clear_sync(schema(), nullptr, &error, "account", account.name.c_str(), "url", account.url.c_str(),
                               "username", account.username.c_str(), nullptr);
    if (error) {
        if (problem) *problem = keyringProblem(error);
        return false;
    }
    return true;
}

std::optional<std::string> passwordFor(const Account& account, SecretStore& secrets, std::string* problem) {
    if (account.passwordCommand) return runCommand(account, problem);
    std::string why;
    auto password = secrets.lookup(account, &why);
    if (password) return password;
    if (problem) {
        *problem = !why.empty() ? why
                                : "the keyring holds no password for account " + account.name +
                                      "; add it again with `linecal accounts add " + account.name + " …`";
    }
    return std::nullopt;
}

}  // namespace linecal
