// The user's own addresses from Evolution Data Server (GNOME's address store): the e-mail
// addresses of the contact EDS records as the user's own.
#pragma once

#include "platform/AddressBook.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace linecal {

// Each lookup runs on a worker thread of its own; the caller waits on it for at most the
// timeout it passes. A lookup the caller gave up on goes on by itself and the next call joins
// it, so a stalled EDS costs one thread, never another wait. The object may be destroyed (and
// the program may exit) while a lookup still runs: the worker shares nothing else with it.
// Thread-safe; calls from several threads share the lookup under way.
class EdsAddressBook : public AddressBook {
public:
    // `lookupBudget` bounds each start of an EDS service and each check that it answers.
    explicit EdsAddressBook(std::chrono::milliseconds lookupBudget = std::chrono::seconds(2));
    ~EdsAddressBook() override;  // cancels a lookup under way and does not wait for it
    EdsAddressBook(const EdsAddressBook&) = delete;
    EdsAddressBook& operator=(const EdsAddressBook&) = delete;

    // Starts a lookup now, without waiting, for the next selfEmails() to take up: early in
    // start-up, so that the addresses are there when the controller asks.
    void prefetch();

    QStringList selfEmails(std::chrono::milliseconds timeout, QString* problem) override;

private:
    struct Lookup;  // shared between the caller and the worker
    std::shared_ptr<Lookup> startLookup();

    const std::chrono::milliseconds budget_;
    std::mutex mutex_;
    std::shared_ptr<Lookup> current_;
    bool prefetched_ = false;
};

}  // namespace linecal
