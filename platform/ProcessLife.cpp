#include "platform/ProcessLife.h"

#include "platform/Logging.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace linecal {
namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int sig) {
    const char byte = static_cast<char>(sig);
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void quitOnTerminationSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char buffer[16];
        ssize_t n = 0, got;
        while ((got = ::read(signalPipe[0], buffer, sizeof buffer)) > 0) n = got;
        if (n > 0) qCInfo(lcApp, "ending on signal %d (%s)", buffer[n - 1], strsignal(buffer[n - 1]));
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

void notifyLauncher(const char* message) {
    const char* text = std::getenv(kReadyFdVariable);
    if (!text) return;
    char* end = nullptr;
    const long fd = std::strtol(text, &end, 10);
    ::unsetenv(kReadyFdVariable);  // programs this one starts must not see it
    if (end == text || *end || fd < 3 || fd > 1024 || ::fcntl(static_cast<int>(fd), F_GETFD) < 0) return;
    [[maybe_unused]] ssize_t written = ::write(static_cast<int>(fd), message, std::strlen(message));
    ::close(static_cast<int>(fd));
}

}  // namespace linecal
