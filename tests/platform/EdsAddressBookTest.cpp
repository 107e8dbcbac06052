// The user's own addresses read from a real EDS on a private session bus (see eds_session.sh),
// and what a caller sees when EDS is missing or never answers.
#include "EdsTestDesk.h"

#include "platform/EdsAddressBook.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace linecal {
namespace {

using namespace std::chrono_literals;
using testing::markSelf;
using testing::setSelfUid;
using Clock = std::chrono::steady_clock;

constexpr char kRegistry[] = "org.gnome.evolution.dataserver.Sources5";
constexpr char kBookFactory[] = "org.gnome.evolution.dataserver.AddressBook10";

struct Answer {
    QStringList emails;
    std::string problem;
};

Answer ask(EdsAddressBook& book, std::chrono::milliseconds timeout) {
    QString problem = QStringLiteral("left over");
    QStringList emails = book.selfEmails(timeout, &problem);
    return {emails, problem.toStdString()};
}

// What an answer given later brought, and on which thread.
struct Later {
    bool called = false;
    QStringList emails;
    std::string problem;
    std::thread::id thread;
};

EdsAddressBook::EmailsReady record(Later& later) {
    return [&later](const QStringList& emails, const QString& problem) {
        later = {true, emails, problem.toStdString(), std::this_thread::get_id()};
    };
}

// Runs this thread's event loop until `later` is called or `limit` has passed.
void runEventsUntil(const Later& later, std::chrono::milliseconds limit) {
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);  // for the whole run; Qt allows one
    static_cast<void>(app);
    QTimer limiter;
    limiter.setSingleShot(true);
    limiter.start(limit);
    while (!later.called && limiter.isActive()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::string card(const char* uid, std::initializer_list<const char*> emails) {
    std::string vcard = std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + uid + "\r\nFN:Test User " + uid + "\r\n";
    for (const char* email : emails) vcard += std::string("EMAIL;TYPE=INTERNET:") + email + "\r\n";
    return vcard + "END:VCARD\r\n";
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(testing::sessionKind(), expected()) << "run through tests/platform/eds_session.sh";
    }
    virtual std::string expected() const = 0;
};

// Runs in the order written: the first case finds EDS not yet running.
class EdsService : public Session {
    std::string expected() const override { return "eds"; }
};

TEST_F(EdsService, StartsEdsItselfAndNamesASelfContactThatIsGone) {
    ASSERT_FALSE(testing::busNameHasOwner(kRegistry)) << "this case must run first, on a bus where EDS is not running";
    setSelfUid("no-such-contact");
    EdsAddressBook book(10s);
    const Answer answer = ask(book, 10s);
    EXPECT_TRUE(answer.emails.isEmpty());
    EXPECT_NE(answer.problem.find("no-such-contact is not in the built-in address book"), std::string::npos)
        << answer.problem;
    EXPECT_TRUE(testing::busNameHasOwner(kRegistry));
}

TEST_F(EdsService, SelfContactAddressesInTheCardsOrder) {
    markSelf(card("self-two", {"zoe@work.example", "alice@home.example"}));
    EdsAddressBook book(10s);
    const Answer answer = ask(book, 10s);
    EXPECT_EQ(answer.emails, (QStringList{"zoe@work.example", "alice@home.example"}));
    EXPECT_EQ(answer.problem, "");
}

TEST_F(EdsService, NoSelfContactOrNoAddressesGivesNone) {
    testing::addContact(card("someone-else", {"other@example.org"}));
    setSelfUid("");
    EdsAddressBook book(10s);
    Answer answer = ask(book, 10s);
    EXPECT_TRUE(answer.emails.isEmpty());
    EXPECT_EQ(answer.problem, "no self contact is set in Evolution Data Server");

    markSelf(card("self-bare", {}));
    answer = ask(book, 10s);
    EXPECT_TRUE(answer.emails.isEmpty());
    EXPECT_EQ(answer.problem, "the self contact self-bare has no e-mail address");
}

TEST_F(EdsService, EachCallReadsTheCardAgainAndAPrefetchIsTakenUp) {
    markSelf(card("self-first", {"first@example.org"}));
    EdsAddressBook book(10s);
    book.prefetch();
    EXPECT_EQ(ask(book, 10s).emails, QStringList{"first@example.org"});
    markSelf(card("self-second", {"second@example.org", "third@example.org"}));
    EXPECT_EQ(ask(book, 10s).emails, (QStringList{"second@example.org", "third@example.org"}));
}

TEST_F(EdsService, AnAnswerLaterComesOnTheReceiversThread) {
    markSelf(card("self-later", {"later@example.org"}));
    EdsAddressBook book(10s);
    QObject receiver;
    Later later;
    book.selfEmailsLater(&receiver, 10s, record(later));
    EXPECT_FALSE(later.called);
    runEventsUntil(later, 10s);
    EXPECT_TRUE(later.called);
    EXPECT_EQ(later.emails, QStringList{"later@example.org"});
    EXPECT_EQ(later.problem, "");
    EXPECT_EQ(later.thread, std::this_thread::get_id());
}

// A bus on which nothing can be started.
class EdsBare : public Session {
    std::string expected() const override { return "bare"; }
};

TEST_F(EdsBare, NoEdsOnTheBus) {
    setSelfUid("self");
    EdsAddressBook book(10s);
    const Answer answer = ask(book, 10s);
    EXPECT_TRUE(answer.emails.isEmpty());
    EXPECT_EQ(answer.problem, "Evolution Data Server's registry is not on the session bus");

    // An answer for a receiver that is gone is dropped, whether it came before or after.
    auto gone = std::make_unique<QObject>();
    Later never;
    book.selfEmailsLater(gone.get(), 100ms, record(never));
    gone.reset();
    runEventsUntil(never, 300ms);
    EXPECT_FALSE(never.called);
}

// A registry that takes calls and never answers would hold EDS's library 25 s, whatever it is told.
TEST_F(EdsBare, ARegistryThatNeverAnswersHoldsNobody) {
    setSelfUid("self");
    testing::SilentName registry(kRegistry);
    testing::SilentName books(kBookFactory, testing::SilentName::Ping::Answered);
    {
        auto book = std::make_unique<EdsAddressBook>(60s);
        const auto start = Clock::now();
        Answer answer = ask(*book, 200ms);
        EXPECT_LT(Clock::now() - start, 5s);
        EXPECT_TRUE(answer.emails.isEmpty());
        EXPECT_EQ(answer.problem, "Evolution Data Server did not answer within 200 ms; no addresses for now");
        // A second caller waits on the same lookup instead of starting another one.
        answer = ask(*book, 200ms);
        EXPECT_TRUE(answer.emails.isEmpty());
        EXPECT_EQ(registry.callsReceived(), 1);
        const auto dropped = Clock::now();
        book.reset();  // with the lookup still waiting
        EXPECT_LT(Clock::now() - dropped, 1s);
    }
    // Without waiting, the timeout is the answer.
    {
        EdsAddressBook book(60s);
        QObject receiver;
        Later later;
        book.selfEmailsLater(&receiver, 200ms, record(later));
        EXPECT_FALSE(later.called);
        runEventsUntil(later, 10s);
        EXPECT_EQ(later.problem, "Evolution Data Server did not answer within 200 ms; no addresses for now");
    }
    // The lookup bounds its own wait too, well before the library's 25 s.
    EdsAddressBook book(300ms);
    const Answer answer = ask(book, 10s);
    EXPECT_TRUE(answer.emails.isEmpty());
    EXPECT_EQ(answer.problem, "Evolution Data Server's registry did not answer within 300 ms");
}

// Past the Ping, EDS's registry ignores cancellation: the worker stays stuck in it, and the
// process ends with it still there.
TEST_F(EdsBare, ARegistryStuckPastThePingHoldsNobodyEvenAtExit) {
    setSelfUid("self");
    // Kept until the process ends, so the lookup is still waiting then.
    static auto* registry = new testing::SilentName(kRegistry, testing::SilentName::Ping::Answered);
    static auto* books = new testing::SilentName(kBookFactory, testing::SilentName::Ping::Answered);
    auto book = std::make_unique<EdsAddressBook>(60s);
    const auto start = Clock::now();
    const Answer answer = ask(*book, 1s);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_EQ(answer.problem, "Evolution Data Server did not answer within 1000 ms; no addresses for now");
    EXPECT_EQ(books->callsReceived(), 1);
    EXPECT_GE(registry->callsReceived(), 2) << "the lookup got past the Ping";
    const auto dropped = Clock::now();
    book.reset();
    EXPECT_LT(Clock::now() - dropped, 1s);
}

class EdsNoBus : public Session {
    std::string expected() const override { return "none"; }
};

TEST_F(EdsNoBus, NoSessionBus) {
    setSelfUid("self");
    EdsAddressBook book(10s);
    const Answer answer = ask(book, 10s);
    EXPECT_TRUE(answer.emails.isEmpty());
    EXPECT_EQ(answer.problem, "there is no session bus");
}

}  // namespace
}  // namespace linecal
