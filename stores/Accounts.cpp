#include "stores/Accounts.h"

#include "modules/XdgDirs.h"

#include <glib.h>

#include <cstdlib>
#include <memory>

namespace fs = std::filesystem;

namespace linecal {
namespace {

constexpr const char* kUrl = "url";
constexpr const char* kUsername = "username";
constexpr const char* kPasswordCommand = "password-command";
constexpr const char* kPasswordSource = "password";  // "keyring", written for the reader's sake

struct KeyFileDeleter {
    void operator()(GKeyFile* f) const { g_key_file_free(f); }
};
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;

std::string takeError(GError* error) {
    std::string message = error ? error->message : "unknown error";
    if (error) g_error_free(error);
    return message;
}

std::optional<std::string> readString(GKeyFile* file, const char* group, const char* key) {
    gchar* value = g_key_file_get_string(file, group, key, nullptr);
    if (!value) return std::nullopt;
    std::string out = value;
    g_free(value);
    return out;
}

}  // namespace

std::string Account::host() const {
    GUri* uri = g_uri_parse(url.c_str(), G_URI_FLAGS_NONE, nullptr);
    if (!uri) return {};
    const char* host = g_uri_get_host(uri);
    std::string out = host ? host : "";
    g_uri_unref(uri);
    return out;
}

std::string Account::address() const {
    if (username.find('@') != std::string::npos) return username;
    return username + "@" + host();
}

fs::path defaultAccountsPath() { return xdgDir(XdgDir::Config) / "linecal" / "accounts.conf"; }

std::string accountProblem(const Account& account) {
    if (account.name.empty()) return "the account needs a name";
    for (unsigned char c : account.name) {
        if (!g_ascii_isalnum(c) && c != '.' && c != '_' && c != '-')
            return "the account name '" + account.name + "' may hold only letters, digits, '.', '_' and '-'";
    }
    const bool web = account.url.starts_with("https://") || account.url.starts_with("http://");
    if (!web || account.host().empty())
        return "the address '" + account.url + "' is not an http:// or https:// URL with a host";
    if (GUri* uri = g_uri_parse(account.url.c_str(), G_URI_FLAGS_NONE, nullptr)) {
        const bool userInfo = g_uri_get_userinfo(uri) != nullptr;
        g_uri_unref(uri);
        // The file would keep a password typed into the address.
        if (userInfo)
            return "the address must not hold a user name or password: give them with --username and the "
                   "keyring or --password-command";
    }
    if (account.username.empty()) return "the account needs a user name";
    for (const std::string* value : {&account.url, &account.username}) {
        if (value->find_first_of("\r\n") != std::string::npos) return "the address and user name must be one line each";
    }
    if (account.passwordCommand && account.passwordCommand->find_first_of("\r\n") != std::string::npos)
        return "the password command must be one line";
    return {};
}

std::optional<std::vector<Account>> readAccounts(const fs::path& file, std::string* problem) {
    std::vector<Account> accounts;
    std::error_code ec;
    if (!fs::exists(file, ec) && !ec) return accounts;
    KeyFile keys(g_key_file_new());
    GError* error = nullptr;
    if (!g_key_file_load_from_file(keys.get(), file.c_str(), G_KEY_FILE_KEEP_COMMENTS, &error)) {
        if (problem) *problem = "cannot read " + file.string() + ": " + takeError(error);
        return std::nullopt;
    }
    gsize count = 0;
    gchar** groups = g_key_file_get_groups(keys.get(), &count);
    for (gsize i = 0; i < count; ++i) {
        Account account;
        account.name = groups[i];
        account.url = readString(keys.get(), groups[i], kUrl).value_or("");
        account.username = readString(keys.get(), groups[i], kUsername).value_or("");
        account.passwordCommand = readString(keys.get(), groups[i], kPasswordCommand);
        if (std::string why = accountProblem(account); !why.empty()) {
            if (problem) *problem = file.string() + ", account [" + account.name + "]: " + why;
            g_strfreev(groups);
            return std::nullopt;
        }
        accounts.push_back(std::move(account));
    }
    g_strfreev(groups);
    return accounts;
}

bool writeAccounts(const fs::path& file, const std::vector<Account>& accounts, std::string* problem) {
    KeyFile keys(g_key_file_new());
    for (const auto& account : accounts) {
        const char* group = account.name.c_str();
        g_key_file_set_string(keys.get(), group, kUrl, account.url.c_str());
        g_key_file_set_string(keys.get(), group, kUsername, account.username.c_str());
        if (account.passwordCommand) {
            g_key_file_set_string(keys.get(), group, kPasswordCommand, account.passwordCommand->c_str());
        } else {
            g_key_file_set_string(keys.get(), group, kPasswordSource, "keyring");
        }
    }
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    gsize length = 0;
    gchar* data = g_key_file_to_data(keys.get(), &length, nullptr);
    GError* error = nullptr;
    // g_file_set_contents writes a temporary file and renames it over the old one.
    const bool ok = g_file_set_contents(file.c_str(), data, static_cast<gssize>(length), &error);
    g_free(data);
    if (!ok && problem) *problem = "cannot write " + file.string() + ": " + takeError(error);
    return ok;
}

}  // namespace linecal
