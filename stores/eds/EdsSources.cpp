#include "stores/eds/EdsSources.h"

#include "platform/eds/GlibHandles.h"
#include "text/Utf8.h"

#include <algorithm>
#include <tuple>

namespace linecal::eds {
namespace {

std::string text(const gchar* value) { return value ? value : ""; }

// "user@host" as linecal's own accounts write it; a user name that is an address stands alone.
std::string addressOf(ESource* source) {
    if (!source || !e_source_has_extension(source, E_SOURCE_EXTENSION_AUTHENTICATION)) return {};
    auto* auth = static_cast<ESourceAuthentication*>(e_source_get_extension(source, E_SOURCE_EXTENSION_AUTHENTICATION));
    const std::string user = text(e_source_authentication_get_user(auth));
    const std::string host = text(e_source_authentication_get_host(auth));
    if (user.empty()) return host;
    if (host.empty() || user.find('@') != std::string::npos) return user;
    return user + "@" + host;
}

// The account's address: the calendar's own sign-in, else its account's, else the identity
// the online account goes by.
std::string accountAddress(ESourceRegistry* registry, ESource* source) {
    if (auto address = addressOf(source); !address.empty()) return address;
    const gchar* parentUid = e_source_get_parent(source);
    if (!parentUid) return {};
    Object<ESource> parent(e_source_registry_ref_source(registry, parentUid));
    if (!parent) return {};
    if (auto address = addressOf(parent.get()); !address.empty()) return address;
    if (e_source_has_extension(parent.get(), E_SOURCE_EXTENSION_COLLECTION)) {
        auto* collection =
            static_cast<ESourceCollection*>(e_source_get_extension(parent.get(), E_SOURCE_EXTENSION_COLLECTION));
        return text(e_source_collection_get_identity(collection));
    }
    return {};
}

void addSources(ESourceRegistry* registry, const char* extension, bool tasks, std::vector<Source>& out) {
    GList* sources = e_source_registry_list_enabled(registry, extension);
    for (GList* entry = sources; entry; entry = entry->next) {
        auto* source = static_cast<ESource*>(entry->data);
        auto* backendExtension = static_cast<ESourceBackend*>(e_source_get_extension(source, extension));
        const std::string backend = text(e_source_backend_get_backend_name(backendExtension));
        auto calendar = std::make_shared<Calendar>();
        calendar->uid = fromUtf8(text(e_source_get_uid(source)));
        calendar->title = fromUtf8(text(e_source_get_display_name(source)));
        calendar->type = typeOfBackend(backend);
        calendar->isEditable = !backendIsReadOnly(backend);
        if (calendar->type == CalCalendarTypeCalDAV) {
            if (auto address = accountAddress(registry, source); !address.empty()) calendar->notes = fromUtf8(address);
        }
        out.push_back({std::move(calendar), tasks, text(e_source_get_parent(source))});
    }
    g_list_free_full(sources, g_object_unref);
}

int rank(const Calendar& calendar) {
    if (calendar.type == CalCalendarTypeLocal) return 0;
    if (calendar.type == CalCalendarTypeCalDAV) return 1;
    return 2;
}

}  // namespace

icu::UnicodeString typeOfBackend(const std::string& backend) {
    if (backend == "local") return CalCalendarTypeLocal;
    if (backend == "contacts") return CalCalendarTypeBirthday;  // birthdays and anniversaries
    if (backend == "weather" || backend == "webcal" || backend == "http") return CalCalendarTypeSubscription;
    // caldav, webdav, google, gtasks, and the online accounts' own (ews, microsoft365, …).
    return CalCalendarTypeCalDAV;
}

bool backendIsReadOnly(const std::string& backend) {
    return backend == "contacts" || backend == "weather" || backend == "webcal" || backend == "http";
}

std::vector<Source> listSources(ESourceRegistry* registry) {
    std::vector<Source> sources;
    addSources(registry, E_SOURCE_EXTENSION_CALENDAR, false, sources);
    addSources(registry, E_SOURCE_EXTENSION_TASK_LIST, true, sources);
    Object<ESource> defaultCalendar(e_source_registry_ref_default_calendar(registry));
    Object<ESource> defaultTaskList(e_source_registry_ref_default_task_list(registry));
    const icu::UnicodeString defaults[] = {
        fromUtf8(text(defaultCalendar ? e_source_get_uid(defaultCalendar.get()) : nullptr)),
        fromUtf8(text(defaultTaskList ? e_source_get_uid(defaultTaskList.get()) : nullptr))};
    // Within an account its calendars before its task lists, each led by EDS's default, so that
    // the first calendar listed (linecal's default when it has none of its own) takes events.
    auto key = [&](const Source& s) {
        icu::UnicodeString title = s.calendar->title;
        title.foldCase();
        return std::tuple(rank(*s.calendar), s.calendar->notes.value_or(icu::UnicodeString()), s.account, s.tasks,
                          s.calendar->uid != defaults[s.tasks ? 1 : 0], title, s.calendar->uid);
    };
    std::stable_sort(sources.begin(), sources.end(), [&](const Source& a, const Source& b) { return key(a) < key(b); });
    return sources;
}

}  // namespace linecal::eds
