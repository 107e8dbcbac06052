// One conversation with EDS on the calling thread: a GLib context of its own (EDS attaches its
// callbacks to the thread's default context, which in the desktop program the GUI thread
// runs), the session bus, the daemons started and asked with bounded calls, then the registry.
#pragma once

#include "platform/eds/BusServices.h"
#include "platform/eds/GlibHandles.h"

#include <libedataserver/libedataserver.h>

#include <string>

namespace linecal::eds {

class EdsSession {
public:
    EdsSession();
    ~EdsSession();
    EdsSession(const EdsSession&) = delete;
    EdsSession& operator=(const EdsSession&) = delete;

    // Reaches the registry (and, with `calendars`, the calendar daemon) within the deadline;
    // empty when it did, otherwise why not. The registry's own start-up call waits 25 s for a
    // daemon that never answers, so the daemons are asked first.
    std::string open(const Deadline& deadline, GCancellable* cancellable, bool calendars);
    ESourceRegistry* registry() const { return registry_.get(); }

private:
    GMainContext* context_;
    Object<GDBusConnection> bus_;
    Object<ESourceRegistry> registry_;
};

// The daemons' bus names carry their interface versions; these are EDS 3.x's.
inline constexpr char kRegistryName[] = "org.gnome.evolution.dataserver.Sources5";
inline constexpr char kCalendarFactoryName[] = "org.gnome.evolution.dataserver.Calendar8";

}  // namespace linecal::eds
