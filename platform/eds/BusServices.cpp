#include "platform/eds/BusServices.h"

#include "platform/eds/GlibHandles.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace linecal::eds {
namespace {

constexpr char kBusName[] = "org.freedesktop.DBus";
constexpr char kBusPath[] = "/org/freedesktop/DBus";
constexpr char kBusInterface[] = "org.freedesktop.DBus";

Variant callBus(GDBusConnection* bus, const char* method, GVariant* parameters, const char* replyType, int timeoutMs,
                GCancellable* cancellable, ErrorSlot& error) {
    return Variant(g_dbus_connection_call_sync(bus, kBusName, kBusPath, kBusInterface, method, parameters,
                                               G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, timeoutMs,
                                               cancellable, error.out()));
}

std::string failure(const char* what, const char* doing, const Deadline& deadline, const ErrorSlot& error) {
    if (error.matches(G_IO_ERROR, G_IO_ERROR_TIMED_OUT)) {
        return std::string(what) + " did not " + doing + " within " + std::to_string(deadline.budgetMs()) + " ms";
    }
    return std::string(what) + " did not " + doing + ": " + error.message();
}

bool isActivatable(GDBusConnection* bus, const char* name, const Deadline& deadline, GCancellable* cancellable,
                   std::string* problem) {
    ErrorSlot error;
    Variant reply = callBus(bus, "ListActivatableNames", nullptr, "(as)", deadline.remainingMs(), cancellable, error);
    if (!reply) {
        *problem = failure("the session bus", "list its services", deadline, error);
        return false;
    }
    Variant names(g_variant_get_child_value(reply.get(), 0));
    gsize count = 0;
    const gchar** list = g_variant_get_strv(names.get(), &count);
    const bool found =
        std::any_of(list, list + count, [name](const gchar* entry) { return std::strcmp(entry, name) == 0; });
    g_free(list);  // the strings belong to the variant
    return found;
}

// Starting it ourselves bounds the wait: a call that relies on the bus starting the service
// waits as long as the service takes.
std::string start(GDBusConnection* bus, const char* name, const char* what, const Deadline& deadline,
                  GCancellable* cancellable) {
    ErrorSlot error;
    Variant owned =
        callBus(bus, "NameHasOwner", g_variant_new("(s)", name), "(b)", deadline.remainingMs(), cancellable, error);
    if (!owned) return failure("the session bus", "answer", deadline, error);
    gboolean hasOwner = FALSE;
    g_variant_get(owned.get(), "(b)", &hasOwner);
    if (hasOwner) return {};

    std::string problem;
    if (!isActivatable(bus, name, deadline, cancellable, &problem)) {
        return problem.empty() ? std::string(what) + " is not on the session bus" : problem;
    }
    Variant started = callBus(bus, "StartServiceByName", g_variant_new("(su)", name, 0u), "(u)", deadline.remainingMs(),
                              cancellable, error);
    return started ? std::string() : failure(what, "start", deadline, error);
}

}  // namespace

int Deadline::remainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 1, 24 * 3600 * 1000));
}

bool sessionBusConfigured() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    Chars socket(g_build_filename(runtime, "bus", nullptr));
    return g_file_test(socket.get(), G_FILE_TEST_EXISTS);
}

std::string readyService(GDBusConnection* bus, const char* name, const char* what, const Deadline& deadline,
                         GCancellable* cancellable) {
    if (std::string problem = start(bus, name, what, deadline, cancellable); !problem.empty()) return problem;
    // A running service may still be stuck; every GDBus peer answers Ping on its own, so
    // silence here means the library's calls would wait their full 25 s.
    ErrorSlot error;
    Variant pong(g_dbus_connection_call_sync(bus, name, "/", "org.freedesktop.DBus.Peer", "Ping", nullptr, nullptr,
                                             G_DBUS_CALL_FLAGS_NO_AUTO_START, deadline.remainingMs(), cancellable,
                                             error.out()));
    return pong ? std::string() : failure(what, "answer", deadline, error);
}

}  // namespace linecal::eds
