#include "stores/eds/EdsSaving.h"

#include "stores/eds/EdsSession.h"

#include <libecal/libecal.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace linecal::eds {
namespace {

using Result = SaveOutcome::Result;

// Cancels the save's calls when the limit passes; every EDS and GDBus call below takes it.
class Watchdog {
public:
    Watchdog(std::chrono::milliseconds limit, GCancellable* cancellable)
        : thread_([this, limit, cancellable] {
              std::unique_lock lock(mutex_);
              if (!ended_.wait_for(lock, limit, [this] { return done_; })) {
                  fired_ = true;
                  g_cancellable_cancel(cancellable);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        thread_.join();
    }
    bool fired() const { return fired_; }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;  // last: it starts once the rest is there
};

bool daemonWentAway(const ErrorSlot& error) {
    return error.matches(G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY) ||
           error.matches(G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           error.matches(G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
           error.matches(G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT) ||
           error.matches(G_DBUS_ERROR, G_DBUS_ERROR_DISCONNECTED) || error.matches(G_IO_ERROR, G_IO_ERROR_CLOSED) ||
           error.matches(E_CLIENT_ERROR, E_CLIENT_ERROR_DBUS_ERROR);
}

SaveOutcome failed(Result result, const ErrorSlot& error, bool sent, const Watchdog& watchdog) {
    if (watchdog.fired()) result = Result::TimedOut;
    else if (daemonWentAway(error)) result = Result::Died;
    else if (error.matches(E_CLIENT_ERROR, E_CLIENT_ERROR_PERMISSION_DENIED)) result = Result::ReadOnly;
    else if (error.matches(E_CAL_CLIENT_ERROR, E_CAL_CLIENT_ERROR_OBJECT_ID_ALREADY_EXISTS)) result = Result::Duplicate;
    SaveOutcome outcome;
    outcome.result = result;
    outcome.why = error.message();
    outcome.sent = sent;
    return outcome;
}

// Hands every zone the object names to the backend first: one it does not know, it would
// quietly replace by UTC.
bool addZones(ECalClient* client, ICalComponent* calendar, GCancellable* cancellable, ErrorSlot& error) {
    for (Object<ICalComponent> vtimezone(i_cal_component_get_first_component(calendar, I_CAL_VTIMEZONE_COMPONENT));
         vtimezone; vtimezone.reset(i_cal_component_get_next_component(calendar, I_CAL_VTIMEZONE_COMPONENT))) {
        // The zone takes the copy's native component; the copy's wrapper only names it.
        Object<ICalComponent> copy(i_cal_component_clone(vtimezone.get()));
        Object<ICalTimezone> zone(i_cal_timezone_new());
        if (!i_cal_timezone_set_component(zone.get(), copy.get())) continue;
        if (!e_cal_client_add_timezone_sync(client, zone.get(), cancellable, error.out())) return false;
    }
    return true;
}

}  // namespace

SaveOutcome saveComponent(const std::string& sourceUid, bool tasks, const std::string& icalendar,
                          std::chrono::milliseconds limit) {
    Object<ICalComponent> calendar(i_cal_component_new_from_string(icalendar.c_str()));
    Object<ICalComponent> body(calendar ? i_cal_component_get_first_component(
                                              calendar.get(), tasks ? I_CAL_VTODO_COMPONENT : I_CAL_VEVENT_COMPONENT)
                                        : nullptr);
    if (!body) return {Result::Refused, {}, "the item could not be written as iCalendar", false};

    const Deadline deadline(limit);
    Object<GCancellable> cancellable(g_cancellable_new());
    const Watchdog watchdog(limit, cancellable.get());
    EdsSession session;
    if (auto why = session.open(deadline, cancellable.get(), true); !why.empty()) {
        return {watchdog.fired() ? Result::TimedOut : Result::Unreachable, {}, why, false};
    }
    Object<ESource> source(e_source_registry_ref_source(session.registry(), sourceUid.c_str()));
    if (!source || !e_source_registry_check_enabled(session.registry(), source.get())) {
        return {Result::Gone, {}, "the source is not in the registry", false};
    }
    ErrorSlot error;
    // (guint32)-1: an account that is offline takes the object now and sends it later; 0
    // would wait for it to come online for ever.
    Object<EClient> client(e_cal_client_connect_sync(
        source.get(), tasks ? E_CAL_CLIENT_SOURCE_TYPE_TASKS : E_CAL_CLIENT_SOURCE_TYPE_EVENTS,
        static_cast<guint32>(-1), cancellable.get(), error.out()));
    if (!client) return failed(Result::Unreachable, error, false, watchdog);
    if (e_client_is_readonly(client.get())) return {Result::ReadOnly, {}, "the calendar is read-only", false};
    auto* cal = E_CAL_CLIENT(client.get());
    if (!addZones(cal, calendar.get(), cancellable.get(), error))
        return failed(Result::Refused, error, false, watchdog);

    gchar* uid = nullptr;
    if (!e_cal_client_create_object_sync(cal, body.get(), E_CAL_OPERATION_FLAG_NONE, &uid, cancellable.get(),
                                         error.out())) {
        return failed(Result::Refused, error, true, watchdog);
    }
    Chars saved(uid);
    return {Result::Saved, saved ? saved.get() : "", {}, true};
}

}  // namespace linecal::eds
