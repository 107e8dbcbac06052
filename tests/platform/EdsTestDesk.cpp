#include "EdsTestDesk.h"

#include <libebook/libebook.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace linecal::testing {
namespace {

template <typename T>
struct Unref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using Object = std::unique_ptr<T, Unref<T>>;

void check(gboolean ok, GError* error, const char* doing) {
    if (ok) return;
    std::string message = std::string(doing) + ": " + (error ? error->message : "failed");
    if (error) g_error_free(error);
    throw std::runtime_error(message);
}

Object<EBookClient> openBuiltinBook() {
    GError* error = nullptr;
    Object<ESourceRegistry> registry(e_source_registry_new_sync(nullptr, &error));
    check(registry != nullptr, error, "reading EDS's sources");
    Object<ESource> source(e_source_registry_ref_source(registry.get(), "system-address-book"));
    check(source != nullptr, nullptr, "finding the built-in address book");
    EClient* client = e_book_client_connect_sync(source.get(), static_cast<guint32>(-1), nullptr, &error);
    check(client != nullptr, error, "opening the built-in address book");
    return Object<EBookClient>(E_BOOK_CLIENT(client));
}

Object<EContact> contactFrom(const std::string& vcard) {
    Object<EContact> contact(e_contact_new_from_vcard(vcard.c_str()));
    check(contact != nullptr, nullptr, "reading the test's vCard");
    return contact;
}

std::string add(EBookClient* book, EContact* contact) {
    GError* error = nullptr;
    gchar* uid = nullptr;
    check(e_book_client_add_contact_sync(book, contact, E_BOOK_OPERATION_FLAG_NONE, &uid, nullptr, &error), error,
          "adding a contact");
    std::string result = uid;
    g_free(uid);
    e_contact_set(contact, E_CONTACT_UID, result.c_str());
    return result;
}

}  // namespace

std::string sessionKind() {
    const char* kind = std::getenv("LINECAL_TEST_SESSION");
    return kind ? kind : "";
}

std::string addContact(const std::string& vcard) {
    Object<EBookClient> book = openBuiltinBook();
    return add(book.get(), contactFrom(vcard).get());
}

void markSelf(const std::string& vcard) {
    Object<EBookClient> book = openBuiltinBook();
    Object<EContact> contact = contactFrom(vcard);
    add(book.get(), contact.get());
    GError* error = nullptr;
    check(e_book_client_set_self(book.get(), contact.get(), &error), error, "marking the user's own contact");
}

void setSelfUid(const std::string& uid) {
    Object<GSettings> settings(g_settings_new("org.gnome.evolution-data-server.addressbook"));
    g_settings_set_string(settings.get(), "self-contact-uid", uid.c_str());
    g_settings_sync();
}

bool busNameHasOwner(const char* name) {
    GError* error = nullptr;
    Object<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error));
    check(bus != nullptr, error, "connecting to the session bus");
    GVariant* reply = g_dbus_connection_call_sync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name),
                                                  G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    check(reply != nullptr, error, "asking the bus");
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

namespace {
struct Filter {
    std::shared_ptr<std::atomic<int>> calls;
    bool answerPing;
};

// Runs on GDBus's own thread, before GDBus would answer anything itself (Ping included).
GDBusMessage* swallowCalls(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer data) {
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL) return message;
    const auto* filter = static_cast<Filter*>(data);
    ++*filter->calls;
    const char* interface = g_dbus_message_get_interface(message);
    if (filter->answerPing && interface && std::strcmp(interface, "org.freedesktop.DBus.Peer") == 0) return message;
    g_object_unref(message);
    return nullptr;
}
}  // namespace

struct SilentName::State {
    Object<GDBusConnection> connection;
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);
};

SilentName::SilentName(const char* name, Ping ping) : state_(new State) {
    std::unique_ptr<State> state(state_);
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    check(address != nullptr, error, "finding the session bus");
    state->connection.reset(g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &error));
    g_free(address);
    check(state->connection != nullptr, error, "connecting the silent name");
    g_dbus_connection_set_exit_on_close(state->connection.get(), FALSE);
    // The filter may run on GDBus's thread after it is removed, so it owns a share of the count.
    g_dbus_connection_add_filter(state->connection.get(), swallowCalls,
                                 new Filter{state->calls, ping == Ping::Answered},
                                 [](gpointer data) { delete static_cast<Filter*>(data); });
    GVariant* reply = g_dbus_connection_call_sync(state->connection.get(), "org.freedesktop.DBus",
                                                  "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                                                  g_variant_new("(su)", name, 4u /* do not queue */),
                                                  G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, &error);
    check(reply != nullptr, error, "owning the silent name");
    guint32 result = 0;
    g_variant_get(reply, "(u)", &result);
    g_variant_unref(reply);
    check(result == 1, nullptr, "owning the silent name (someone else has it)");
    state.release();
}

SilentName::~SilentName() {
    g_dbus_connection_close_sync(state_->connection.get(), nullptr, nullptr);
    delete state_;
}

int SilentName::callsReceived() const { return state_->calls->load(); }

}  // namespace linecal::testing
