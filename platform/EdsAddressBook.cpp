#include "platform/EdsAddressBook.h"

#include "platform/EdsLookup.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>

namespace linecal {
namespace {

QStringList toQt(const std::vector<std::string>& emails) {
    QStringList list;
    for (const std::string& email : emails) list.append(QString::fromStdString(email));
    return list;
}

QString timedOut(std::chrono::milliseconds timeout) {
    return QStringLiteral("Evolution Data Server did not answer within %1 ms; no addresses for now")
        .arg(timeout.count());
}

// Hands one answer to the receiver, on its thread: the worker's answer or the timeout,
// whichever comes first. A child of the receiver, so it goes with it.
class Relay : public QObject {
public:
    // What the worker reaches the relay through; cleared when the relay goes.
    struct Handle {
        std::mutex mutex;
        Relay* relay = nullptr;
    };

    Relay(QObject* receiver, std::chrono::milliseconds timeout, EdsAddressBook::EmailsReady done)
        : QObject(receiver), done_(std::move(done)), handle_(std::make_shared<Handle>()) {
        handle_->relay = this;
        timer_.setSingleShot(true);
        timer_.callOnTimeout(this, [this, timeout] { deliver({}, timedOut(timeout)); });
        timer_.start(timeout);
    }
    ~Relay() override {
        std::lock_guard lock(handle_->mutex);
        handle_->relay = nullptr;
    }
    std::shared_ptr<Handle> handle() const { return handle_; }

    void deliver(const QStringList& emails, const QString& problem) {
        if (!done_) return;
        // `done` may destroy the receiver, and this with it: nothing of this is used after it.
        EdsAddressBook::EmailsReady done = std::move(done_);
        done_ = nullptr;
        timer_.stop();
        deleteLater();
        done(emails, problem);
    }

    // From the worker: a relay that still exists gets the answer posted to its thread (and a
    // relay destroyed before it arrives takes the posted answer with it).
    static void post(Handle& handle, const eds::SelfCard& card) {
        std::lock_guard lock(handle.mutex);
        if (!handle.relay) return;
        Relay* relay = handle.relay;
        QMetaObject::invokeMethod(
            relay,
            [relay, emails = toQt(card.emails), problem = QString::fromStdString(card.problem)] {
                relay->deliver(emails, problem);
            },
            Qt::QueuedConnection);
    }

private:
    EdsAddressBook::EmailsReady done_;
    std::shared_ptr<Handle> handle_;
    QTimer timer_{this};
};

}  // namespace

EdsAddressBook::EdsAddressBook(std::chrono::milliseconds lookupBudget) : budget_(lookupBudget) {}

EdsAddressBook::~EdsAddressBook() {
    std::lock_guard lock(mutex_);
    if (current_) current_->cancel();
}

void EdsAddressBook::prefetch() {
    std::lock_guard lock(mutex_);
    if (!current_ || current_->isDone()) current_ = eds::WorkerLookup::start(budget_);
    prefetched_ = true;
}

std::shared_ptr<eds::WorkerLookup> EdsAddressBook::takeLookup() {
    std::lock_guard lock(mutex_);
    // A prefetched lookup is taken as it stands; a finished one is not reused after that, so
    // the answer is never older than the call (or its prefetch).
    if (!current_ || (!prefetched_ && current_->isDone())) current_ = eds::WorkerLookup::start(budget_);
    prefetched_ = false;
    return current_;
}

QStringList EdsAddressBook::selfEmails(std::chrono::milliseconds timeout, QString* problem) {
    const std::optional<eds::SelfCard> card = takeLookup()->waitFor(timeout);
    if (problem) *problem = card ? QString::fromStdString(card->problem) : timedOut(timeout);
    return card ? toQt(card->emails) : QStringList();
}

void EdsAddressBook::selfEmailsLater(QObject* receiver, std::chrono::milliseconds timeout, EmailsReady done) {
    auto* relay = new Relay(receiver, timeout, std::move(done));
    takeLookup()->whenDone([handle = relay->handle()](const eds::SelfCard& card) { Relay::post(*handle, card); });
}

}  // namespace linecal
