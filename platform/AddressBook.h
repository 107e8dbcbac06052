// The user's own e-mail addresses, from the desktop's address book: the addresses an e-mail
// alarm can be sent to.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

namespace linecal {

class AddressBook {
public:
    virtual ~AddressBook() = default;
    // The addresses of the user's own card, in the card's order; empty when there is no card or
    // it has none. Waits at most `timeout`: past that it gives up for this run, gives an empty
    // list and says why in `problem` (as it does for any other failure).
    virtual QStringList selfEmails(std::chrono::milliseconds timeout, QString* problem) = 0;
};

// A fixed card; for tests and for desktops without an address book.
class MemoryAddressBook : public AddressBook {
public:
    explicit MemoryAddressBook(QStringList emails = {}) : emails_(std::move(emails)) {}
    QStringList selfEmails(std::chrono::milliseconds, QString*) override { return emails_; }

private:
    QStringList emails_;
};

}  // namespace linecal
