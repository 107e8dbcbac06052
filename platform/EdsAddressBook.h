// The user's own addresses from Evolution Data Server (GNOME's address store): the e-mail
// addresses of the contact EDS records as the user's own.
#pragma once

#include "platform/AddressBook.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace linecal {

namespace eds {
class WorkerLookup;
}

// Each lookup runs on a worker thread of its own; a caller waits for it at most the timeout
// it passes. A lookup the caller gave up on goes on by itself and the next call joins it, so
// a stalled EDS costs one thread, never another wait. The object may be destroyed (and the
// program may end) while a lookup still runs: the worker shares nothing else with it.
// Thread-safe; calls from several threads share the lookup under way.
class EdsAddressBook : public AddressBook {
public:
    // `lookupBudget` bounds each start of an EDS service and each check that it answers.
    explicit EdsAddressBook(std::chrono::milliseconds lookupBudget = std::chrono::seconds(2));
    ~EdsAddressBook() override;  // cancels a lookup under way and does not wait for it
    EdsAddressBook(const EdsAddressBook&) = delete;
    EdsAddressBook& operator=(const EdsAddressBook&) = delete;

    // Starts a lookup now, without waiting, for the next call below to take up: early in
    // start-up, so that the addresses are there when the controller asks.
    void prefetch();

    QStringList selfEmails(std::chrono::milliseconds timeout, QString* problem) override;

    // `receiver`'s thread runs an event loop and is the one calling this.
    void selfEmailsLater(QObject* receiver, std::chrono::milliseconds timeout, EmailsReady done) override;

private:
    std::shared_ptr<eds::WorkerLookup> takeLookup();

    const std::chrono::milliseconds budget_;
    std::mutex mutex_;
    std::shared_ptr<eds::WorkerLookup> current_;
    bool prefetched_ = false;
};

}  // namespace linecal
