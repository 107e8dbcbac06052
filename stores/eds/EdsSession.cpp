#include "stores/eds/EdsSession.h"

namespace linecal::eds {

EdsSession::EdsSession() : context_(g_main_context_new()) { g_main_context_push_thread_default(context_); }

EdsSession::~EdsSession() {
    registry_.reset();
    bus_.reset();
    // Runs what the objects queued as they went, so it is freed with them.
    for (int i = 0; i < 100 && g_main_context_iteration(context_, FALSE); ++i) {
    }
    g_main_context_pop_thread_default(context_);
    g_main_context_unref(context_);
}

std::string EdsSession::open(const Deadline& deadline, GCancellable* cancellable, bool calendars) {
    if (!sessionBusConfigured()) return "there is no session bus";
    ErrorSlot error;
    bus_.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, cancellable, error.out()));
    if (!bus_) return std::string("cannot reach the session bus: ") + error.message();
    // The process's shared connection would otherwise raise SIGTERM when the bus goes away.
    g_dbus_connection_set_exit_on_close(bus_.get(), FALSE);
    if (auto why = readyService(bus_.get(), kRegistryName, "its registry", deadline, cancellable); !why.empty())
        return why;
    if (calendars) {
        if (auto why = readyService(bus_.get(), kCalendarFactoryName, "its calendar service", deadline, cancellable);
            !why.empty())
            return why;
    }
    registry_.reset(e_source_registry_new_sync(cancellable, error.out()));
    if (!registry_) return std::string("its registry did not open: ") + error.message();
    return {};
}

}  // namespace linecal::eds
