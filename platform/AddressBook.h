// The user's own e-mail addresses, from the desktop's address book: the addresses an e-mail
// alarm can be sent to.
#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

class QObject;

namespace linecal {

class AddressBook {
public:
    virtual ~AddressBook() = default;
    // The addresses of the user's own card, in the card's order; empty when there is no card or
    // it has none. Waits at most `timeout`: past that it gives up for this run, gives an empty
    // list and says why in `problem` (as it does for any other failure).
    virtual QStringList selfEmails(std::chrono::milliseconds timeout, QString* problem) = 0;

    // The same answer without waiting: `done` runs on `receiver`'s thread once the addresses are
    // there, or with none and the reason once `timeout` has passed; never after `receiver` is
    // gone. Books that answer at once call it before returning.
    using EmailsReady = std::function<void(const QStringList& emails, const QString& problem)>;
    virtual void selfEmailsLater(QObject* receiver, std::chrono::milliseconds timeout, EmailsReady done) {
        (void)receiver;
        QString problem;
        const QStringList emails = selfEmails(timeout, &problem);
        done(emails, problem);
    }
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
