// What the address-book tests set up on their private session bus: contacts in the real EDS
// address book, the self-contact setting, and a bus name that takes calls and never answers.
// No Qt here: the EDS headers clash with its keywords.
#pragma once

#include <string>

namespace linecal::testing {

// The session the test runner put this process in: "eds" (EDS can be started), "bare" (a bus
// with no services to start) or "none" (no bus at all).
std::string sessionKind();

// Adds a contact from vCard text to EDS's built-in address book; its UID.
std::string addContact(const std::string& vcard);
// Marks a contact as the user's own, as EDS's own clients do.
void markSelf(const std::string& vcard);
// Sets the self-contact setting to any text; empty unsets it.
void setSelfUid(const std::string& uid);
bool busNameHasOwner(const char* name);

// Owns a bus name on a connection of its own that swallows every call made to it, or every
// call but the bus's Ping (which GDBus answers by itself).
class SilentName {
public:
    enum class Ping { Swallowed, Answered };
    explicit SilentName(const char* name, Ping ping = Ping::Swallowed);
    ~SilentName();
    SilentName(const SilentName&) = delete;
    SilentName& operator=(const SilentName&) = delete;
    int callsReceived() const;

private:
    struct State;
    State* state_;
};

}  // namespace linecal::testing
