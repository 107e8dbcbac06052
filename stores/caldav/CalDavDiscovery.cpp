#include "stores/caldav/CalDavDiscovery.h"

#include "stores/caldav/DavXml.h"
#include "stores/caldav/ServerErrors.h"
#include "stores/StoreErrors.h"

#include <algorithm>

namespace linecal {
namespace {

struct Reply {
    std::vector<dav::Resource> resources;
    std::string url;  // where it came from, after redirects
};

std::optional<Reply> propfind(HttpSession& session, const Account& account, const std::string& url, int depth,
                              const char* body, bool followRedirects, StoreError* error, bool* unreachable = nullptr) {
    HttpRequest request{"PROPFIND",
                        url,
                        {"Depth: " + std::to_string(depth), "Content-Type: application/xml; charset=utf-8"},
                        body,
                        followRedirects};
    HttpResponse response = session.perform(request);
    if (unreachable) *unreachable = response.failure != HttpFailure::None;
    if (response.failure != HttpFailure::None || response.status != 207) {
        fail(error, errors::serverFailed(account, response));
        return std::nullopt;
    }
    std::string problem;
    auto resources = dav::parseMultistatus(response.body, &problem);
    if (!resources) {
        fail(error, errors::malformedReply(account, problem));
        return std::nullopt;
    }
    return Reply{std::move(*resources), response.finalUrl};
}

// An address a reply named, when it leaves the account's scheme, host and port: such a reply is
// refused whole, as the password is never sent there.
bool foreign(const Account& account, const std::string& url, StoreError* error) {
    if (urlOrigin(url) == urlOrigin(account.url) && !urlOrigin(url).empty()) return false;
    fail(error, errors::foreignAddress(account, url));
    return true;
}

std::string withSlash(std::string url) {
    if (url.empty() || url.back() != '/') url += '/';
    return url;
}

// The principal's URL: from the well-known address when the account gives only a host, else
// from the account's URL, which may already be the principal or the calendar home.
std::optional<std::string> principalUrl(HttpSession& session, const Account& account, StoreError* error) {
    std::vector<std::string> starts;
    if (urlPath(account.url) == "/") starts.push_back(resolveUrl(account.url, "/.well-known/caldav"));
    starts.push_back(account.url);
    for (const auto& start : starts) {
        bool unreachable = false;
        auto reply = propfind(session, account, start, 0, dav::kPrincipalQuery, true, error, &unreachable);
        if (reply) {
            std::string principal = reply->url;  // no principal named: the address is the principal itself
            for (const auto& r : reply->resources) {
                if (r.principal && !r.principal->empty()) {
                    principal = resolveUrl(reply->url, *r.principal);
                    break;
                }
            }
            if (foreign(account, principal, error)) return std::nullopt;
            return principal;
        }
        if (unreachable) break;  // the second address is on the same server
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<ServerCalendar>> discoverCalendars(HttpSession& session, const Account& account,
                                                             StoreError* error) {
    auto principal = principalUrl(session, account, error);
    if (!principal) return std::nullopt;
    auto homes = propfind(session, account, *principal, 0, dav::kHomeSetQuery, false, error);
    if (!homes) return std::nullopt;
    std::string home;
    for (const auto& r : homes->resources) {
        if (!r.homeSets.empty()) home = resolveUrl(homes->url, r.homeSets.front());
    }
    if (home.empty()) {
        fail(error, errors::notCalDav(account));
        return std::nullopt;
    }
    if (foreign(account, home, error)) return std::nullopt;
    auto members = propfind(session, account, withSlash(home), 1, dav::kCalendarQuery, false, error);
    if (!members) return std::nullopt;

    std::vector<ServerCalendar> calendars;
    for (const auto& r : members->resources) {
        if (!r.isCalendar) continue;
        ServerCalendar calendar;
        calendar.url = withSlash(resolveUrl(members->url, r.href));
        if (foreign(account, calendar.url, error)) return std::nullopt;
        calendar.path = urlPath(calendar.url);
        calendar.components = r.components.value_or(std::vector<std::string>{});
        if (!calendar.holds("VEVENT") && !calendar.holds("VTODO")) continue;  // journals and the like
        calendar.title = r.displayName && !r.displayName->empty() ? *r.displayName : calendar.path;
        calendar.color = r.color.value_or("");
        calendar.writable = r.mayWriteContent();
        calendars.push_back(std::move(calendar));
    }
    std::sort(calendars.begin(), calendars.end(), [](auto& a, auto& b) { return a.path < b.path; });
    return calendars;
}

}  // namespace linecal
