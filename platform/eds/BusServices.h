// The session bus as the module meets it: found without side effects, and services that are
// started and asked with bounded calls before any library call that would wait 25 s for them.
#pragma once

#include <gio/gio.h>

#include <chrono>
#include <string>

namespace linecal::eds {

class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds budget)
        : budget_(budget), end_(std::chrono::steady_clock::now() + budget) {}
    // What remains, as a D-Bus call timeout: at least 1 ms, since 0 and -1 mean "the default".
    int remainingMs() const;
    long long budgetMs() const { return budget_.count(); }

private:
    std::chrono::milliseconds budget_;
    std::chrono::steady_clock::time_point end_;
};

// True when the session bus has an address GIO would use: the environment's, or the socket in
// XDG_RUNTIME_DIR. Without one GIO would run dbus-launch, which starts a new bus.
bool sessionBusConfigured();

// Makes sure the service that owns `name` runs and answers; `what` names it in the reply.
// Empty when it does; otherwise why not.
std::string readyService(GDBusConnection* bus, const char* name, const char* what, const Deadline& deadline,
                         GCancellable* cancellable);

}  // namespace linecal::eds
