// Starts `linecal-app --show` (or --prefs) and waits until it has either handed the request to the running
// program or become the running program itself. It stays free of Qt, so a desktop shortcut
// bound to it costs no more than a small process start.
#include "cli/ShowCommand.h"

#include "cli/CliSupport.h"
#include "cli/ExitCodes.h"
#include "modules/ModuleLayout.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace linecal::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 10000;

bool isExecutable(const fs::path& path) { return ::access(path.c_str(), X_OK) == 0 && !fs::is_directory(path); }

// In this program's tree (installed, built or moved; see ModuleLayout), else on PATH.
std::string findDesktopProgram() {
    if (const char* chosen = std::getenv("LINECAL_APP"); chosen && *chosen) return chosen;
    if (fs::path inTree = modules::ModuleLayout::current().findProgram("linecal-app", "app"); !inTree.empty())
        return inTree.string();
    const char* path = std::getenv("PATH");
    for (std::string rest = path ? path : ""; !rest.empty();) {
        const auto colon = rest.find(':');
        const fs::path candidate = fs::path(rest.substr(0, colon)) / "linecal-app";
        if (!candidate.parent_path().empty() && isExecutable(candidate)) return candidate.string();
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return {};
}

[[noreturn]] void startDesktopProgram(const std::string& program, std::vector<std::string> args, int readyFd) {
    ::setsid();                                      // the program outlives this command and its terminal
    const int ready = ::fcntl(readyFd, F_DUPFD, 3);  // without close-on-exec
    ::setenv("LINECAL_READY_FD", std::to_string(ready).c_str(), 1);
    if (int null = ::open("/dev/null", O_RDWR); null >= 0) {
        for (int fd : {0, 1, 2}) ::dup2(null, fd);  // log lines go to the journal
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// What the program reported through the pipe; empty when it ended without a word.
std::string awaitReady(int fd) {
    std::string reply;
    pollfd waiting{fd, POLLIN, 0};
    char buffer[64];
    while (reply.find('\n') == std::string::npos) {
        const int ready = ::poll(&waiting, 1, kWaitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return "timeout";
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(n));
    }
    return reply.substr(0, reply.find('\n'));
}

int show(const CLI::App& app, const char* flag, const char* what) {
    const std::string program = findDesktopProgram();
    if (program.empty()) {
        printError("linecal-app is not installed (not beside linecal, not on PATH)",
                   "Install linecal's desktop program, or put the folder that holds linecal-app on PATH.");
        return exitCode(Outcome::Failed);
    }
    std::vector<std::string> args{flag};
    for (const char* name : {"--store", "--config"}) {
        const CLI::Option* option = app.get_option_no_throw(name);
        if (option && option->count() > 0) {
            args.push_back(name);
            args.push_back(fs::absolute(option->as<std::string>()).string());
        }
    }
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        printError(std::string("cannot start linecal-app: ") + std::strerror(errno),
                   "Try again; see the journal if it goes on.");
        return exitCode(Outcome::Failed);
    }
    const pid_t child = ::fork();
    if (child == 0) startDesktopProgram(program, args, pipe[1]);
    ::close(pipe[1]);
    const std::string reply = child > 0 ? awaitReady(pipe[0]) : "";
    ::close(pipe[0]);
    if (child > 0) ::waitpid(child, nullptr, WNOHANG);  // a forwarding start has ended; a new one runs on
    if (reply == "forwarded" || reply == "started") return exitCode(Outcome::Done);
    if (reply == "timeout") {
        printError("linecal-app did not answer within " + std::to_string(kWaitMs / 1000) + " s",
                   "See why in the journal: journalctl --user -t linecal-app");
    } else {
        printError(program + " could not open " + what,
                   reply.empty() ? "It ended at once: start it from the desktop session, where a display is set."
                                 : "See why in the journal: journalctl --user -t linecal-app");
    }
    return exitCode(Outcome::Failed);
}

}  // namespace

void registerShowCommand(CLI::App& app) {
    CLI::App* cmd = app.add_subcommand("show",
                                       "Open the desktop program's entry dialog, starting the program when "
                                       "it is not running (bind this to a key where the desktop has no X11 "
                                       "hot keys)");
    cmd->callback(commandCallback([&app] { return show(app, "--show", "the entry dialog"); }));
    CLI::App* prefs = app.add_subcommand("prefs",
                                         "Open the desktop program's preferences, starting the program when "
                                         "it is not running");
    prefs->callback(commandCallback([&app] { return show(app, "--prefs", "its preferences"); }));
}

}  // namespace linecal::cli
