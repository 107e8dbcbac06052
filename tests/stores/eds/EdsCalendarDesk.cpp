#include "EdsCalendarDesk.h"

#include <libecal/libecal.h>

#include <csignal>
#include <memory>
#include <stdexcept>
#include <thread>

namespace linecal::testing {
namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using Object = std::unique_ptr<T, Unref>;

void check(bool ok, GError* error, const std::string& doing) {
    if (ok) return;
    std::string message = doing + ": " + (error ? error->message : "failed");
    if (error) g_error_free(error);
    throw std::runtime_error(message);
}

// One registry for the whole run, never freed: a registry that sees sources come while it lives
// leaves its thread's subscriptions behind when freed, which the leak checker would report.
ESourceRegistry* registry() {
    static ESourceRegistry* const shared = [] {
        GError* error = nullptr;
        ESourceRegistry* opened = e_source_registry_new_sync(nullptr, &error);
        check(opened != nullptr, error, "opening EDS's registry");
        return opened;
    }();
    return shared;
}

Object<ECalClient> client(const std::string& sourceUid, bool tasks) {
    Object<ESource> source(e_source_registry_ref_source(registry(), sourceUid.c_str()));
    check(source != nullptr, nullptr, "finding source " + sourceUid);
    GError* error = nullptr;
    EClient* opened = e_cal_client_connect_sync(
        source.get(), tasks ? E_CAL_CLIENT_SOURCE_TYPE_TASKS : E_CAL_CLIENT_SOURCE_TYPE_EVENTS,
        static_cast<guint32>(-1), nullptr, &error);
    check(opened != nullptr, error, "opening source " + sourceUid);
    return Object<ECalClient>(E_CAL_CLIENT(opened));
}

std::string text(ICalComponent* component) {
    gchar* ical = i_cal_component_as_ical_string(component);
    std::string result = ical ? ical : "";
    g_free(ical);
    return result;
}

}  // namespace

std::string addSource(const NewSource& wanted) {
    GError* error = nullptr;
    Object<ESource> source(e_source_new(nullptr, nullptr, &error));
    check(source != nullptr, error, "making a source");
    e_source_set_parent(source.get(), wanted.parent.empty() ? nullptr : wanted.parent.c_str());
    e_source_set_display_name(source.get(), wanted.title.c_str());
    e_source_set_enabled(source.get(), wanted.enabled);
    auto* backend = static_cast<ESourceBackend*>(e_source_get_extension(
        source.get(), wanted.tasks ? E_SOURCE_EXTENSION_TASK_LIST : E_SOURCE_EXTENSION_CALENDAR));
    e_source_backend_set_backend_name(backend, wanted.backend.c_str());
    if (!wanted.user.empty() || !wanted.host.empty()) {
        auto* auth = static_cast<ESourceAuthentication*>(
            e_source_get_extension(source.get(), E_SOURCE_EXTENSION_AUTHENTICATION));
        e_source_authentication_set_user(auth, wanted.user.c_str());
        e_source_authentication_set_host(auth, wanted.host.c_str());
    }
    check(e_source_registry_commit_source_sync(registry(), source.get(), nullptr, &error), error,
          "committing source " + wanted.title);
    const std::string uid = e_source_get_uid(source.get());
    for (int i = 0; i < 100; ++i) {
        // The registry learns of the source on its own thread.
        Object<ESource> listed(e_source_registry_ref_source(registry(), uid.c_str()));
        if (listed) return uid;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("the registry never listed source " + wanted.title);
}

std::string readObject(const std::string& sourceUid, bool tasks, const std::string& uid) {
    auto cal = client(sourceUid, tasks);
    ICalComponent* found = nullptr;
    GError* error = nullptr;
    if (!e_cal_client_get_object_sync(cal.get(), uid.c_str(), nullptr, &found, nullptr, &error)) {
        g_clear_error(&error);
        return {};
    }
    Object<ICalComponent> component(found);
    return text(component.get());
}

std::vector<std::string> readObjects(const std::string& sourceUid, bool tasks) {
    auto cal = client(sourceUid, tasks);
    GSList* objects = nullptr;
    GError* error = nullptr;
    check(e_cal_client_get_object_list_sync(cal.get(), "#t", &objects, nullptr, &error), error, "listing objects");
    std::vector<std::string> texts;
    for (GSList* each = objects; each; each = each->next)
        texts.push_back(text(static_cast<ICalComponent*>(each->data)));
    g_slist_free_full(objects, g_object_unref);
    return texts;
}

int countObjects(const std::string& sourceUid, bool tasks) {
    return static_cast<int>(readObjects(sourceUid, tasks).size());
}

std::string readZone(const std::string& sourceUid, bool tasks, const std::string& tzid) {
    auto cal = client(sourceUid, tasks);
    ICalTimezone* zone = nullptr;  // owned by the client
    GError* error = nullptr;
    if (!e_cal_client_get_timezone_sync(cal.get(), tzid.c_str(), &zone, nullptr, &error)) {
        g_clear_error(&error);
        return {};
    }
    Object<ICalComponent> component(i_cal_timezone_get_component(zone));
    return component ? text(component.get()) : std::string();
}

int ownerPid(const char* name) {
    GError* error = nullptr;
    Object<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error));
    check(bus != nullptr, error, "connecting to the session bus");
    GVariant* reply =
        g_dbus_connection_call_sync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "GetConnectionUnixProcessID", g_variant_new("(s)", name), G_VARIANT_TYPE("(u)"),
                                    G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    if (!reply) {
        g_clear_error(&error);
        return 0;
    }
    guint32 pid = 0;
    g_variant_get(reply, "(u)", &pid);
    g_variant_unref(reply);
    return static_cast<int>(pid);
}

bool stopOwner(const char* name) {
    const int pid = ownerPid(name);
    if (pid <= 0 || ::kill(pid, SIGTERM) != 0) return false;
    for (int i = 0; i < 100; ++i) {
        if (ownerPid(name) != pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace linecal::testing
