#include "stores/caldav/Passwords.h"

#include <libsecret/secret.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>

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
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr};
    return &s;
}

std::string keyringProblem(GError* error) {
    std::string message = "the keyring could not be reached (" + std::string(error->message) +
                          "); unlock or start the desktop keyring, or give the account a --password-command";
    g_error_free(error);
    return message;
}

// What a finished or stopped command left: its output (at most 64 KiB of it) and how it ended.
struct CommandRun {
    std::string output;
    int status = 0;
    bool timedOut = false;
};

// Reads the command's output until it is done or the deadline passes. The shell is only looked at,
// not reaped, so its process group stays reserved until the caller has stopped it.
void collect(pid_t pid, int out, std::chrono::steady_clock::time_point deadline, CommandRun& run) {
    bool eof = false;
    char buffer[4096];
    auto take = [&] {
        const ssize_t n = ::read(out, buffer, sizeof buffer);
        if (n > 0 && run.output.size() < 65536) run.output.append(buffer, static_cast<std::size_t>(n));
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) eof = true;
        return n > 0;
    };
    for (;;) {
        siginfo_t info{};
        const bool exited =
            ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
        if (exited) {
            // Whatever it printed is in the pipe by now; something it left running may hold the
            // pipe open, and is not waited for.
            ::fcntl(out, F_SETFL, O_NONBLOCK);
            for (int i = 0; i < 64 && !eof && take(); ++i) {
            }
            return;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.timedOut = true;
            return;
        }
        const int slice = static_cast<int>(std::min<long long>(left.count(), 20));
        if (eof) {
            ::usleep(static_cast<useconds_t>(slice) * 1000);
            continue;
        }
        pollfd ready{out, POLLIN, 0};
        if (::poll(&ready, 1, slice) > 0) take();
    }
}

std::string seconds(std::chrono::milliseconds limit) {
    std::ostringstream text;
    text << static_cast<double>(limit.count()) / 1000;
    return text.str();
}

std::optional<std::string> runCommand(const Account& account, std::chrono::milliseconds limit, std::string* problem) {
    auto fail = [&](const std::string& why) -> std::optional<std::string> {
        if (problem) *problem = "the password command of account " + account.name + " " + why;
        return std::nullopt;
    };
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return fail("could not be started");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that a stop reaches whatever the shell started too.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::string command = *account.passwordCommand;
    char shell[] = "sh", dashC[] = "-c";
    char* argv[] = {shell, dashC, command.data(), nullptr};
    pid_t pid = 0;
    std::fflush(nullptr);
    const int spawnError = ::posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeEnds[1]);
    if (spawnError != 0) {
        ::close(pipeEnds[0]);
        return fail("could not be started");
    }
    CommandRun run;
    collect(pid, pipeEnds[0], std::chrono::steady_clock::now() + limit, run);
    ::close(pipeEnds[0]);
    ::kill(-pid, SIGKILL);  // all of it when it ran out of time, else what it left running
    while (::waitpid(pid, &run.status, 0) < 0 && errno == EINTR) {
    }
    if (run.timedOut) {
        return fail("did not finish within " + seconds(limit) +
                    " seconds; run it yourself to see why, or change it with `linecal accounts add`");
    }
    const int status = run.status;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return fail("failed (exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                    "); run it yourself to see why, or change it with `linecal accounts add`");
    }
    std::string output = run.output.substr(0, run.output.find('\n'));  // pass and gopass print the password first
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

std::optional<std::string> passwordFor(const Account& account, SecretStore& secrets, std::string* problem,
                                       std::chrono::milliseconds commandLimit) {
    if (account.passwordCommand) return runCommand(account, commandLimit, problem);
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
