// The self contact as EDS records it, read without changing anything: the UID that EDS keeps in
// GSettings, then that contact from the built-in address book. (EDS's own "get self" call makes
// up a contact from the login name when none is set, which is not the user's card.)
#include "platform/eds/BusServices.h"
#include "platform/eds/GlibHandles.h"
#include "platform/eds/SelfCardLookup.h"

#include <libebook/libebook.h>

namespace linecal::eds {
namespace {

constexpr char kSettingsSchema[] = "org.gnome.evolution-data-server.addressbook";
constexpr char kSelfContactKey[] = "self-contact-uid";
// The built-in book's fixed UID; EDS's own accessor for it logs a critical error when it is missing.
constexpr char kBuiltinBookUid[] = "system-address-book";
// The daemons' names carry their interface versions; these are EDS 3.x's.
constexpr char kRegistryName[] = "org.gnome.evolution.dataserver.Sources5";
constexpr char kBookFactoryName[] = "org.gnome.evolution.dataserver.AddressBook10";

// The objects EDS creates here attach their callbacks to this thread's own context, not to the
// process's default one, which the GUI thread runs.
class PrivateContext {
public:
    PrivateContext() : context_(g_main_context_new()) { g_main_context_push_thread_default(context_); }
    PrivateContext(const PrivateContext&) = delete;
    PrivateContext& operator=(const PrivateContext&) = delete;
    ~PrivateContext() {
        // Runs what the objects queued as they went, so it is freed with them.
        for (int i = 0; i < 100 && g_main_context_iteration(context_, FALSE); ++i) {
        }
        g_main_context_pop_thread_default(context_);
        g_main_context_unref(context_);
    }

private:
    GMainContext* context_;
};

SelfCard problem(std::string why) { return SelfCard{{}, std::move(why)}; }

// The UID EDS recorded for the user's own contact; empty with the reason when there is none.
std::string selfContactUid(std::string* why) {
    // GSettings aborts the process on a schema it does not know, so ask first.
    GSettingsSchemaSource* schemas = g_settings_schema_source_get_default();
    GSettingsSchema* schema = schemas ? g_settings_schema_source_lookup(schemas, kSettingsSchema, TRUE) : nullptr;
    if (!schema) {
        *why = "the Evolution Data Server settings are not installed";
        return {};
    }
    Object<GSettings> settings(g_settings_new_full(schema, nullptr, nullptr));
    g_settings_schema_unref(schema);
    Chars uid(g_settings_get_string(settings.get(), kSelfContactKey));
    if (!uid || !*uid) {
        *why = "no self contact is set in Evolution Data Server";
        return {};
    }
    return uid.get();
}

std::vector<std::string> emailsOf(EContact* contact) {
    std::vector<std::string> emails;
    auto* list = static_cast<GList*>(e_contact_get(contact, E_CONTACT_EMAIL));
    for (GList* entry = list; entry; entry = entry->next) {
        if (const auto* text = static_cast<const gchar*>(entry->data); text && *text) emails.emplace_back(text);
    }
    g_list_free_full(list, g_free);
    return emails;
}

SelfCard readContact(const std::string& uid, GCancellable* cancellable) {
    ErrorSlot error;
    Object<ESourceRegistry> registry(e_source_registry_new_sync(cancellable, error.out()));
    if (!registry) return problem(std::string("cannot read Evolution Data Server's sources: ") + error.message());
    Object<ESource> source(e_source_registry_ref_source(registry.get(), kBuiltinBookUid));
    if (!source) return problem("Evolution Data Server has no built-in address book");
    // (guint32)-1: do not wait for a remote backend to come online; 0 would wait for ever.
    Object<EClient> client(
        e_book_client_connect_sync(source.get(), static_cast<guint32>(-1), cancellable, error.out()));
    if (!client) return problem(std::string("cannot open the built-in address book: ") + error.message());

    EContact* found = nullptr;
    if (!e_book_client_get_contact_sync(E_BOOK_CLIENT(client.get()), uid.c_str(), &found, cancellable, error.out())) {
        if (error.matches(E_BOOK_CLIENT_ERROR, E_BOOK_CLIENT_ERROR_CONTACT_NOT_FOUND)) {
            return problem("the self contact " + uid + " is not in the built-in address book");
        }
        return problem("cannot read the self contact " + uid + ": " + error.message());
    }
    Object<EContact> contact(found);
    SelfCard card{emailsOf(contact.get()), {}};
    if (card.emails.empty()) card.problem = "the self contact " + uid + " has no e-mail address";
    return card;
}

class Reader final : public SelfCardLookup {
public:
    Reader() : cancellable_(g_cancellable_new()) {}

    SelfCard run(std::chrono::milliseconds budget) override {
        const Deadline deadline(budget);
        PrivateContext context;
        std::string why;
        const std::string uid = selfContactUid(&why);
        if (uid.empty()) return problem(why);
        if (!sessionBusConfigured()) return problem("there is no session bus");
        ErrorSlot error;
        Object<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, cancellable_.get(), error.out()));
        if (!bus) return problem(std::string("cannot reach the session bus: ") + error.message());
        // The process's shared connection would otherwise raise SIGTERM when the bus goes away.
        g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
        for (const auto& [name, what] : {std::pair{kRegistryName, "Evolution Data Server's registry"},
                                         std::pair{kBookFactoryName, "Evolution Data Server's address book"}}) {
            why = readyService(bus.get(), name, what, deadline, cancellable_.get());
            if (!why.empty()) return problem(why);
        }
        return readContact(uid, cancellable_.get());
    }

    void cancel() override { g_cancellable_cancel(cancellable_.get()); }

private:
    Object<GCancellable> cancellable_;
};

}  // namespace
}  // namespace linecal::eds

namespace linecal::eds {
namespace {
SelfCardLookup* newLookup() { return new Reader(); }
}  // namespace
}  // namespace linecal::eds

LINECAL_MODULE_ENTRY const linecal::eds::EdsModule linecal_eds_module{{linecal::eds::kEdsModuleVersion},
                                                                      linecal::eds::newLookup};
