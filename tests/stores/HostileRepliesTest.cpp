// What linecal takes from a server's reply, and where it sends the password: the rules that keep
// a lying server from filling the memory or learning the password.
#include "FakeServer.h"
#include "TestSupport.h"

#include "stores/caldav/DavXml.h"
#include "stores/caldav/HttpSession.h"
#include "stores/CalendarCache.h"

#include <gtest/gtest.h>

#include <fstream>

namespace linecal {
namespace {

std::string calendarReply(const std::string& name, const std::string& color, const std::string& prologue = "") {
    return R"(<?xml version="1.0"?>)" + prologue +
           R"(<d:multistatus xmlns:d="DAV:" xmlns:c="urn:ietf:params:xml:ns:caldav" xmlns:a="http://apple.com/ns/ical/">)"
           R"(<d:response><d:href>/cal/</d:href><d:propstat><d:prop><d:resourcetype><c:calendar/></d:resourcetype>)"
           "<d:displayname>" +
           name + "</d:displayname><a:calendar-color>" + color +
           "</a:calendar-color></d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
           "</d:multistatus>";
}

TEST(HostileReplies, DocumentTypesAndEntitiesAreRefusedBeforeParsing) {
    const std::string declarations[] = {
        R"(<!DOCTYPE d:multistatus [<!ENTITY a "aaaaaaaaaa">]>)",
        R"(<!doctype d:multistatus SYSTEM "file:///etc/passwd">)",
        R"(<!DOCTYPE x [<!ENTITY % p SYSTEM "http://127.0.0.1:1/x.dtd"> %p;]>)",
    };
    for (const auto& prologue : declarations) {
        SCOPED_TRACE(prologue);
        std::string problem;
        EXPECT_FALSE(dav::parseMultistatus(calendarReply("Team", "#ff0000", prologue), &problem));
        EXPECT_NE(problem.find("document type"), std::string::npos) << problem;
    }
    // An undeclared entity is not well-formed; the predefined ones and character references read.
    std::string problem;
    EXPECT_FALSE(dav::parseMultistatus(calendarReply("&a;", ""), &problem));
    auto plain = dav::parseMultistatus(calendarReply("Tom &amp; Jerry &#x263A;", "#ff0000"), &problem);
    ASSERT_TRUE(plain) << problem;
    EXPECT_EQ(plain->front().displayName.value_or(""), "Tom & Jerry \u263A");
}

TEST(HostileReplies, TextsAreCappedWithoutSplittingACharacter) {
    std::string problem;
    // 2,000 two-byte characters: the name is cut at 1 KiB, on a character's start.
    std::string name;
    for (int i = 0; i < 2000; ++i) name += "\u00e9";
    auto resources = dav::parseMultistatus(calendarReply(name, std::string(65, 'f')), &problem);
    ASSERT_TRUE(resources) << problem;
    const std::string kept = resources->front().displayName.value_or("");
    EXPECT_EQ(kept.size(), 1024u);
    EXPECT_EQ(kept, name.substr(0, 1024));
    EXPECT_FALSE(resources->front().color) << "a 65-byte colour is no colour";
    resources = dav::parseMultistatus(calendarReply("Team", std::string(64, 'f')), &problem);
    ASSERT_TRUE(resources);
    EXPECT_EQ(resources->front().color.value_or("").size(), 64u);
}

TEST(HostileReplies, AMultistatusAnswerToAPutCarriesItsOwnStatus) {
    auto reply = [](const std::string& status) {
        return R"(<d:multistatus xmlns:d="DAV:"><d:response><d:href>/cal/x.ics</d:href><d:status>HTTP/1.1 )" + status +
               "</d:status></d:response></d:multistatus>";
    };
    EXPECT_EQ(dav::multistatusFailure(reply("507 Insufficient Storage")), 507);
    EXPECT_EQ(dav::multistatusFailure(reply("201 Created")), 0);
    EXPECT_EQ(dav::multistatusFailure("not xml"), 500);
    EXPECT_EQ(dav::multistatusFailure(R"(<!DOCTYPE x><d:multistatus xmlns:d="DAV:"/>)"), 500);
}

TEST(HostileReplies, OriginsCompareSchemeHostAndPort) {
    EXPECT_EQ(urlOrigin("HTTP://Example.COM/dav/"), "http://example.com:80");
    EXPECT_EQ(urlOrigin("https://example.com/"), urlOrigin("https://example.com:443/x"));
    EXPECT_NE(urlOrigin("https://example.com/"), urlOrigin("http://example.com/"));
    EXPECT_NE(urlOrigin("http://127.0.0.1:8080/"), urlOrigin("http://localhost:8080/"));
    EXPECT_NE(urlOrigin("http://127.0.0.1:8080/"), urlOrigin("http://127.0.0.1:8081/"));
    EXPECT_EQ(urlOrigin("not a url"), "");
}

TEST(HostileReplies, ThePasswordNeverLeavesTheAccountsOrigin) {
    testing::FakeServer server("HTTP/1.1 207 Multi-Status\r\nContent-Length: 0\r\n\r\n");
    const std::string own = server.url("/");
    std::string other = own;
    other.replace(other.find("127.0.0.1"), 9, "localhost");
    HttpSession https("https" + own.substr(4), "alice", "secret");
    HttpSession session(own, "alice", "secret");
    session.sendBasicFirst();
    for (const std::string& url : {other + "p/", "https" + own.substr(4) + "p/"}) {
        SCOPED_TRACE(url);
        const HttpResponse r = session.perform({"PROPFIND", url, {}, "", false});
        EXPECT_EQ(r.failure, HttpFailure::ForeignHost);
        EXPECT_FALSE(r.requestSent);
    }
    // An https account never speaks plain http, even to its own host and port.
    EXPECT_EQ(https.perform({"PROPFIND", own + "p/", {}, "", false}).failure, HttpFailure::ForeignHost);
    EXPECT_EQ(server.requests(), 0) << "nothing was sent anywhere";
    EXPECT_EQ(session.perform({"PROPFIND", own + "p/", {}, "", false}).status, 207);
    EXPECT_EQ(server.requests(), 1);
}

TEST(HostileReplies, ACacheThatIsHugeOrDamagedIsIgnored) {
    testing::TempDir dir;
    const Account account{"acc", "http://127.0.0.1:1/", "alice", {}};
    ASSERT_TRUE(writeCachedCalendars(dir.path, account, {{"http://127.0.0.1:1/cal/", "/cal/", "Cal", "", {}, true}}));
    ASSERT_TRUE(readCachedCalendars(dir.path, account));
    const auto file = dir.path / "caldav-acc.json";
    const std::string valid = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    const std::string cases[] = {
        valid.substr(0, valid.size() / 2),                                                           // cut short
        valid + std::string(2 * 1024 * 1024, ' '),                                                   // valid JSON, 2 MB
        std::string(valid).replace(valid.find("\"Cal\""), 5, "\"" + std::string(9000, 'x') + "\""),  // a long title
        "[1, 2, 3]",                                                                                 // another shape
    };
    for (const auto& text : cases) {
        std::ofstream(file, std::ios::trunc) << text;
        EXPECT_FALSE(readCachedCalendars(dir.path, account)) << text.substr(0, 40);
    }
    // A list too large to cache is not written, rather than written for the next run to refuse.
    std::vector<ServerCalendar> many(3000, {"http://127.0.0.1:1/cal/", "/cal/", std::string(400, 't'), "", {}, true});
    EXPECT_FALSE(writeCachedCalendars(dir.path, account, many));
}

TEST(HostileReplies, AFailedRefreshIsRememberedForAMinute) {
    testing::TempDir dir;
    const Account account{"acc", "http://127.0.0.1:1/", "alice", {}};
    writeFailedRefresh(dir.path, account, 1000, {u"127.0.0.1 did not answer in time.", u"Try later."});
    EXPECT_EQ(testing::utf8(readFailedRefresh(dir.path, account, 1059, std::chrono::seconds(60))->message),
              "127.0.0.1 did not answer in time.");
    EXPECT_FALSE(readFailedRefresh(dir.path, account, 1060, std::chrono::seconds(60)));
    EXPECT_FALSE(readFailedRefresh(dir.path, account, 999, std::chrono::seconds(60))) << "a clock set back";
    ASSERT_TRUE(writeCachedCalendars(dir.path, account, {}));
    EXPECT_FALSE(readFailedRefresh(dir.path, account, 1001, std::chrono::seconds(60))) << "a list read forgets it";
}

}  // namespace
}  // namespace linecal
