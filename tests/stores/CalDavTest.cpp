// The CalDAV store against a real Radicale on loopback, and against fakes for the faults
// Radicale cannot show.
#include "FakeServer.h"
#include "RadicaleServer.h"
#include "TestSupport.h"

#include "items/Calendars.h"
#include "stores/caldav/CalDavStore.h"
#include "stores/CalendarCache.h"
#include "stores/UserCalendars.h"

#include "parse/Recurrence.h"

#include <gtest/gtest.h>
#include <libical/ical.h>

#include <fstream>
#include <future>

namespace fs = std::filesystem;

namespace linecal {
namespace {

using testing::RadicaleServer;
using testing::utf8;

std::vector<std::string> titles(const std::vector<CalendarRef>& calendars) {
    std::vector<std::string> out;
    for (const auto& c : calendars) out.push_back(utf8(c->title));
    return out;
}

Account accountAt(const std::string& url, const std::string& password = RadicaleServer::kPassword) {
    return {"rad", url, RadicaleServer::kUser, "printf '%s\\n' '" + password + "'"};
}

AlarmRef displayAlarm(double trigger) {
    auto alarm = std::make_shared<ZQCalAlarm>();
    alarm->relativeTrigger = trigger;
    alarm->action = AlarmAction::Display;
    alarm->relativeTime = u"15m";
    return alarm;
}

// A Radicale with alice's calendars: Team (events and to-dos), Events Only, and Read Only.
class CalDav : public ::testing::Test {
protected:
    void SetUp() override {
        testing::pinLocale("en_US", "Europe/Berlin");
        ASSERT_TRUE(server.running()) << server.error();
        ASSERT_TRUE(server.makeCalendar("team", "Team", {"VEVENT", "VTODO"}));
        ASSERT_TRUE(server.makeCalendar("events", "Events Only", {"VEVENT"}));
        ASSERT_TRUE(server.makeCalendar("readonly", "Read Only", {"VEVENT", "VTODO"}));
        server.makeReadOnly("readonly");
    }

    std::unique_ptr<CalDavStore> store(const Account& account, HttpLimits limits = {}) {
        return std::make_unique<CalDavStore>(account, std::make_shared<MemorySecrets>(), dir.path / "cache", limits);
    }
    CalendarRef calendar(const CalendarStore& s, const char* title) {
        for (const auto& c : s.calendars())
            if (c->title == icu::UnicodeString::fromUTF8(title)) return c;
        return nullptr;
    }
    // The one item stored at `path` on the server, parsed.
    std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> fetch(const std::string& path) {
        auto reply = server.request("GET", path);
        EXPECT_EQ(reply.status, 200) << path;
        return {icalparser_parse_string(reply.body.c_str()), icalcomponent_free};
    }
    std::string itemPath(const char* calendar, const CalendarItem& item) {
        return "/alice/" + std::string(calendar) + "/" + utf8(item.uid) + ".ics";
    }
    Event event(CalendarRef in) {
        Event e;
        e.title = u"Standup with Jörg";
        e.startDate = testing::local(2010, 3, 11, 9, 30);
        e.endDate = testing::local(2010, 3, 11, 10, 0);
        e.location = u"Room 4";
        e.alarms = {displayAlarm(-900)};
        e.calendar = std::move(in);
        return e;
    }

    testing::TempDir dir;
    RadicaleServer server{dir.path / "radicale"};
};

TEST_F(CalDav, DiscoveryFromTheHostOrThePrincipalFindsEveryCalendarAndItsRights) {
    for (const std::string path : {"", "/", "/alice/", "/alice"}) {
        SCOPED_TRACE(path);
        auto s = store(accountAt(server.url(path)));
        StoreError error;
        ASSERT_TRUE(s->refresh(&error)) << utf8(error.message);
        EXPECT_EQ(s->state(), CalDavStore::State::Online);
        const auto calendars = s->calendars();
        EXPECT_EQ(titles(calendars), (std::vector<std::string>{"Events Only", "Read Only", "Team"}));
        ASSERT_EQ(calendars.size(), 3u);
        for (const auto& c : calendars) {
            EXPECT_EQ(c->type, CalCalendarTypeCalDAV);
            EXPECT_EQ(utf8(headingForCalendar(c.get())), "alice@127.0.0.1 (CalDAV)");
        }
        EXPECT_EQ(utf8(calendars[2]->uid), "rad:/alice/team/");
        EXPECT_TRUE(calendars[0]->isEditable);
        EXPECT_FALSE(calendars[1]->isEditable);
        // The bare host is redirected, after which libcurl's own URL names the user and password.
        std::ifstream cached(dir.path / "cache" / "caldav-rad.json");
        const std::string text{std::istreambuf_iterator<char>(cached), {}};
        EXPECT_NE(text.find(server.url("/alice/team/")), std::string::npos) << text;
        EXPECT_EQ(text.find(RadicaleServer::kPassword), std::string::npos)
            << "the password reached the cache: " << text;
    }
}

TEST_F(CalDav, OneListWithTheLocalCalendarsServedFromTheCacheWhileTheServerIsDown) {
    const fs::path accounts = dir.path / "accounts.conf";
    ASSERT_TRUE(writeAccounts(accounts, {accountAt(server.url())}, nullptr));
    CalendarsOptions options{dir.path / "calendars",
                             accounts,
                             dir.path / "cache",
                             ServerRefresh::IfNotCached,
                             std::make_shared<MemorySecrets>(),
                             {}};
    {
        auto all = openUserCalendars(options);
        ASSERT_TRUE(all->ensureCalendar(nullptr));
        EXPECT_EQ(titles(all->calendars()), (std::vector<std::string>{"Events Only", "Read Only", "Team"}))
            << "no local calendar is made while server calendars exist";
        ASSERT_TRUE(all->local().ensureCalendar(nullptr));
        all->local().reload();
        EXPECT_EQ(titles(all->calendars()), (std::vector<std::string>{"Personal", "Events Only", "Read Only", "Team"}));
        const auto lookup = calendarLookup(*all, u"iCal");
        ASSERT_TRUE(lookup.count(u"team"));
        EXPECT_EQ(all->serverOf(*lookup.at(u"team")), all->servers().front().get());
        EXPECT_EQ(all->serverOf(*lookup.at(u"personal")), nullptr);
        EXPECT_EQ(calendarLookup(*all, u"BusyCal").count(u"team"), 0u);
    }
    server.stop();
    // Within the minute only an ask of the user's own reaches the server.
    for (auto refresh : {ServerRefresh::Never, ServerRefresh::IfNotCached, ServerRefresh::Now,
                         ServerRefresh::InBackground, ServerRefresh::Asked}) {
        options.refresh = refresh;
        auto all = openUserCalendars(options);
        EXPECT_EQ(titles(all->calendars()), (std::vector<std::string>{"Personal", "Events Only", "Read Only", "Team"}));
        if (refresh == ServerRefresh::Asked) {
            EXPECT_EQ(all->servers().front()->state(), CalDavStore::State::Offline);
            EXPECT_NE(utf8(all->servers().front()->lastError().message).find("refused"), std::string::npos);
        }
    }
}

TEST_F(CalDav, ABackgroundRefreshFillsTheListWithoutBlockingIt) {
    const fs::path accounts = dir.path / "accounts.conf";
    ASSERT_TRUE(writeAccounts(accounts, {accountAt(server.url())}, nullptr));
    auto all = openUserCalendars({dir.path / "calendars",
                                  accounts,
                                  dir.path / "cache",
                                  ServerRefresh::Never,
                                  std::make_shared<MemorySecrets>(),
                                  {}});
    EXPECT_TRUE(all->calendars().empty()) << "nothing cached yet, and nothing asked";
    std::promise<void> changed;
    all->refreshInBackground([&] { changed.set_value(); });
    ASSERT_EQ(changed.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(titles(all->calendars()), (std::vector<std::string>{"Events Only", "Read Only", "Team"}));
    EXPECT_EQ(all->servers().front()->state(), ServerStore::State::Online);
    EXPECT_TRUE(readCachedCalendars(dir.path / "cache", accountAt(server.url())));
}

TEST_F(CalDav, AnEventAndAToDoAreSavedWithEveryProperty) {
    auto s = store(accountAt(server.url()));
    ASSERT_TRUE(s->refresh(nullptr));
    Event e = event(calendar(*s, "Team"));
    StoreError error;
    ASSERT_TRUE(saveItem(*s, e, &error)) << utf8(error.message);
    ASSERT_FALSE(e.uid.isEmpty());
    auto saved = fetch(itemPath("team", e));
    icalcomponent* vevent = icalcomponent_get_first_component(saved.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_NE(vevent, nullptr);
    EXPECT_EQ(utf8(e.uid), icalcomponent_get_uid(vevent));
    EXPECT_STREQ(icalcomponent_get_summary(vevent), "Standup with Jörg");
    EXPECT_STREQ(icalcomponent_get_location(vevent), "Room 4");
    icaltimetype start = icalcomponent_get_dtstart(vevent), end = icalcomponent_get_dtend(vevent);
    EXPECT_EQ(icaltime_as_timet_with_zone(start, start.zone), static_cast<time_t>(e.startDate->seconds));
    EXPECT_EQ(icaltime_as_timet_with_zone(end, end.zone), static_cast<time_t>(e.endDate->seconds));
    EXPECT_STREQ(icaltimezone_get_tzid(const_cast<icaltimezone*>(start.zone)), "Europe/Berlin");
    icalcomponent* alarm = icalcomponent_get_first_component(vevent, ICAL_VALARM_COMPONENT);
    ASSERT_NE(alarm, nullptr);
    EXPECT_EQ(icaldurationtype_as_int(
                  icalproperty_get_trigger(icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY)).duration),
              -900);

    Task task;
    task.title = u"Pay rent";
    task.dueDate = testing::local(2010, 3, 12, 12, 0);
    task.calendar = calendar(*s, "Team");
    ASSERT_TRUE(saveItem(*s, task, &error)) << utf8(error.message);
    auto todo = fetch(itemPath("team", task));
    icalcomponent* vtodo = icalcomponent_get_first_component(todo.get(), ICAL_VTODO_COMPONENT);
    ASSERT_NE(vtodo, nullptr);
    EXPECT_STREQ(icalcomponent_get_summary(vtodo), "Pay rent");
    icaltimetype due = icalcomponent_get_due(vtodo);
    EXPECT_EQ(icaltime_as_timet_with_zone(due, due.zone), static_cast<time_t>(task.dueDate->seconds));
}

// The server reads the rule the file states: asked for one day weeks after the start, it
// finds the event on a weekday of the series and not on a weekend day or after its end.
// (This server has no expand of its own; its time-range search walks the rule.)
TEST_F(CalDav, TheServerFindsARepeatingEventOnTheDaysOfItsRule) {
    auto s = store(accountAt(server.url()));
    ASSERT_TRUE(s->refresh(nullptr));
    Event e = event(calendar(*s, "Team"));
    Recurrence weekdays;
    weekdays.frequency = Recurrence::Frequency::Weekly;
    weekdays.byDay = {{0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}};
    weekdays.until = Recurrence::Day{2010, 3, 31};
    e.recurrence = weekdays;
    StoreError error;
    ASSERT_TRUE(saveItem(*s, e, &error)) << utf8(error.message);
    auto found = [&](const char* from, const char* to) {
        const std::string query =
            std::string(
                R"(<?xml version="1.0" encoding="utf-8"?>)"
                R"(<C:calendar-query xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><D:prop><D:getetag/></D:prop>)"
                R"(<C:filter><C:comp-filter name="VCALENDAR"><C:comp-filter name="VEVENT"><C:time-range start=")") +
            from + R"(" end=")" + to + R"("/></C:comp-filter></C:comp-filter></C:filter></C:calendar-query>)";
        auto reply = server.request("REPORT", "/alice/team/", query, {"Depth: 1", "Content-Type: application/xml"});
        EXPECT_EQ(reply.status, 207) << reply.body;
        return reply.body.find(utf8(e.uid)) != std::string::npos;
    };
    // The days of the series, from the rule as linecal expands it.
    const auto days = occurrences(weekdays, *e.startDate, false, 100);
    EXPECT_EQ(days.size(), 15u);                                  // 11 to 31 March
    EXPECT_TRUE(found("20100325T000000Z", "20100326T000000Z"));   // Thursday 25 March
    EXPECT_FALSE(found("20100327T000000Z", "20100328T000000Z"));  // Saturday 27 March
    EXPECT_FALSE(found("20100401T000000Z", "20100402T000000Z"));  // after the last day
}

// Radicale closes every connection, so connections count requests here.
TEST_F(CalDav, ALaterRunSendsThePasswordWithItsFirstRequest) {
    auto first = store(accountAt(server.url()));
    ASSERT_TRUE(first->refresh(nullptr));
    Event e = event(calendar(*first, "Team"));
    ASSERT_TRUE(saveItem(*first, e, nullptr));
    auto later = store(accountAt(server.url()));
    ASSERT_TRUE(later->loadCache());
    Event again = event(calendar(*later, "Team"));
    StoreError error;
    ASSERT_TRUE(saveItem(*later, again, &error)) << utf8(error.message);
    EXPECT_EQ(later->connectionsOpened(), 1) << "no refusal before the password is sent";
}

TEST_F(CalDav, ARetryWithTheSameIdentifierFindsTheFirstCopyAndATakenFreshNameIsDrawnAgainOnce) {
    auto s = store(accountAt(server.url()));
    ASSERT_TRUE(s->refresh(nullptr));
    Event first = event(calendar(*s, "Team"));
    ASSERT_TRUE(saveItem(*s, first, nullptr));
    // A retry after an unknown outcome brings the identifier: the server's 412 says it is there.
    Event retried = event(calendar(*s, "Team"));
    retried.uid = first.uid;
    StoreError error;
    ASSERT_TRUE(saveItem(*s, retried, &error)) << utf8(error.message);
    EXPECT_EQ(retried.uid, first.uid);
    const std::string listing = server.request("PROPFIND", "/alice/team/", "", {"Depth: 1"}).body;
    ASSERT_NE(listing.find(utf8(first.uid)), std::string::npos);
    EXPECT_EQ(listing.find(utf8(first.uid)), listing.rfind(utf8(first.uid))) << "one copy on the server";
    EXPECT_EQ(s->lastSavedUrl(), server.url(itemPath("team", first))) << "the address names the stored item";
    // An identifier that is no plain file name maps to the same resource name every time.
    Event odd = event(calendar(*s, "Team"));
    odd.uid = u"odd uid/with?marks";
    ASSERT_TRUE(saveItem(*s, odd, &error)) << utf8(error.message);
    const std::string oddUrl = s->lastSavedUrl();
    Event oddAgain = event(calendar(*s, "Team"));
    oddAgain.uid = odd.uid;
    ASSERT_TRUE(saveItem(*s, oddAgain, &error)) << utf8(error.message);
    EXPECT_EQ(s->lastSavedUrl(), oddUrl);

    // Radicale never refuses a fresh random name; a fake refuses every name.
    testing::FakeServer refuses("HTTP/1.1 412 Precondition Failed\r\nContent-Length: 0\r\n\r\n");
    const fs::path cache = dir.path / "fake-cache";
    const Account fake = accountAt(refuses.url());
    ASSERT_TRUE(writeCachedCalendars(cache, fake, {{refuses.url("/cal/"), "/cal/", "Fake", "", {}, true}}));
    CalDavStore f(fake, std::make_shared<MemorySecrets>(), cache);
    ASSERT_TRUE(f.loadCache());
    Event third = event(calendar(f, "Fake"));
    EXPECT_FALSE(saveItem(f, third, &error));
    EXPECT_EQ(refuses.requests(), 4) << "two PUTs, each refusal checked with a GET";
    EXPECT_TRUE(third.uid.isEmpty()) << "a failed save leaves the item as it was";
    EXPECT_EQ(f.lastSavedUrl(), "") << "no address for a refused save";
    EXPECT_NE(utf8(error.message).find("refused two new item names"), std::string::npos);
}

TEST_F(CalDav, RefusalsNameTheCalendarAndSayWhatToDo) {
    {
        auto wrong = store(accountAt(server.url(), "wrong"));
        StoreError error;
        EXPECT_FALSE(wrong->refresh(&error));
        EXPECT_EQ(utf8(error.message), "127.0.0.1 refused the user name or password of account rad.");
        EXPECT_NE(utf8(error.recoverySuggestion).find("linecal accounts remove rad"), std::string::npos);
    }
    auto s = store(accountAt(server.url()));
    ASSERT_TRUE(s->refresh(nullptr));
    const struct {
        const char* calendar;
        bool task;
        const char* message;
    } cases[] = {
        {"Events Only", true, "The calendar “Events Only” on 127.0.0.1 does not hold to-dos."},
        {"Read Only", false, "The calendar “Read Only” on 127.0.0.1 is read-only."},
    };
    for (const auto& c : cases) {
        Event e = event(calendar(*s, c.calendar));
        Task t;
        t.title = u"Pay rent";
        t.calendar = calendar(*s, c.calendar);
        CalendarItem& item = c.task ? static_cast<CalendarItem&>(t) : e;
        StoreError error;
        EXPECT_FALSE(saveItem(*s, item, &error));
        EXPECT_EQ(utf8(error.message), c.message);
        EXPECT_FALSE(error.recoverySuggestion.isEmpty());
        EXPECT_TRUE(item.uid.isEmpty());
    }

    // The server's own refusal, when the list still says the calendar is writable.
    server.makeReadOnly("team");
    Event refused = event(calendar(*s, "Team"));
    StoreError error;
    EXPECT_FALSE(saveItem(*s, refused, &error));
    EXPECT_EQ(utf8(error.message), "127.0.0.1 does not let alice change the calendar “Team”.");

    // A calendar deleted on the server: the save says so and the list is read again.
    ASSERT_EQ(server.request("DELETE", "/alice/events/").status, 200);
    Event gone = event(calendar(*s, "Events Only"));
    EXPECT_FALSE(saveItem(*s, gone, &error));
    EXPECT_EQ(utf8(error.message), "the calendar “Events Only” no longer exists on 127.0.0.1.");
    EXPECT_EQ(titles(s->calendars()), (std::vector<std::string>{"Read Only", "Team"}));
}

TEST_F(CalDav, AServerStoppedBetweenDiscoveryAndSaveLosesNothing) {
    auto s = store(accountAt(server.url()));
    ASSERT_TRUE(s->refresh(nullptr));
    server.stop();
    Event e = event(calendar(*s, "Team"));
    StoreError error;
    EXPECT_FALSE(saveItem(*s, e, &error));
    EXPECT_EQ(utf8(error.message), "Could not connect to 127.0.0.1: the connection was refused.");
    EXPECT_TRUE(e.uid.isEmpty());
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(saveItem(*s, e, &error)) << utf8(error.message);
    fetch(itemPath("team", e));
}

TEST_F(CalDav, BrokenServersAndMissingPasswordsGiveClearErrors) {
    testing::FakeServer silent("");
    testing::FakeServer junk(
        "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 19\r\n\r\n<multistatus><respo");
    testing::FakeServer notDav(
        "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 13\r\n\r\n<html></html>");
    testing::FakeServer failing500("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n");
    HttpLimits quick;
    quick.request = std::chrono::milliseconds(300);
    HttpLimits tiny;
    tiny.maxReply = 200;  // Radicale's home listing is larger
    Account failing = accountAt(server.url());
    failing.passwordCommand = "exit 3";
    Account keyringOnly = accountAt(server.url());
    keyringOnly.passwordCommand.reset();
    const struct {
        Account account;
        HttpLimits limits;
        const char* message;
    } cases[] = {
        {accountAt(silent.url()), quick, "127.0.0.1 did not answer in time."},
        {accountAt(junk.url()), {}, "The reply from 127.0.0.1 is not valid CalDAV: the reply is not well-formed XML."},
        {accountAt(notDav.url()),
         {},
         "The reply from 127.0.0.1 is not valid CalDAV: the reply is not a WebDAV multi-status document."},
        {accountAt(server.url()), tiny, "The reply from 127.0.0.1 is larger than 10 MB."},
        {accountAt(failing500.url()), {}, "127.0.0.1 failed with a server error (HTTP 503)."},
        {failing, {}, "No password for account rad."},
        {keyringOnly, {}, "No password for account rad."},
        {accountAt("http://127.0.0.1:1/"), {}, "Could not connect to 127.0.0.1: the connection was refused."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        auto s = store(c.account, c.limits);
        StoreError error;
        EXPECT_FALSE(s->refresh(&error));
        EXPECT_EQ(utf8(error.message), c.message);
        EXPECT_FALSE(error.recoverySuggestion.isEmpty());
        EXPECT_EQ(s->state(), CalDavStore::State::Offline);
    }
    EXPECT_GE(silent.requests(), 1);
}

TEST(CalDavCertificates, AnUntrustedCertificateIsNeverAccepted) {
    testing::TempDir dir;
    RadicaleServer server(dir.path / "radicale", /*tls=*/true);
    ASSERT_TRUE(server.running()) << server.error();
    CalDavStore s(accountAt(server.url()), std::make_shared<MemorySecrets>(), dir.path / "cache");
    StoreError error;
    EXPECT_FALSE(s.refresh(&error));
    EXPECT_EQ(utf8(error.message).rfind("The certificate of 127.0.0.1 cannot be trusted (", 0), 0u)
        << utf8(error.message);
    EXPECT_NE(utf8(error.recoverySuggestion).find("trust store"), std::string::npos);
}

// Radicale answers in HTTP/1.0 and closes every connection; a keep-alive server shows reuse.
TEST(CalDavConnection, OneConnectionCarriesEverySave) {
    testing::TempDir dir;
    testing::FakeServer accepts("HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n");
    const Account account = accountAt(accepts.url());
    ASSERT_TRUE(
        writeCachedCalendars(dir.path, account, {{accepts.url("/cal/"), "/cal/", "Cal", "", {"VEVENT"}, true}}));
    CalDavStore s(account, std::make_shared<MemorySecrets>(), dir.path);
    ASSERT_TRUE(s.loadCache());
    for (int i = 0; i < 3; ++i) {
        Event e;
        e.title = u"Standup";
        e.startDate = e.endDate = Date{1268300000};
        e.calendar = s.calendars().front();
        StoreError error;
        ASSERT_TRUE(saveItem(s, e, &error)) << utf8(error.message);
    }
    EXPECT_EQ(accepts.requests(), 3);
    EXPECT_EQ(accepts.connections(), 1);
    EXPECT_EQ(s.connectionsOpened(), 1);
}

}  // namespace
}  // namespace linecal
