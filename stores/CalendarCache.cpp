#include "stores/CalendarCache.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace linecal {
namespace {

fs::path cacheFile(const fs::path& folder, const Account& account) { return folder / ("caldav-" + account.name + ".json"); }

}  // namespace

fs::path defaultCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return fs::path(cache) / "linecal";
    const char* home = std::getenv("HOME");
    return fs::path(home && home[0] ? home : "/") / ".cache" / "linecal";
}

std::optional<std::vector<ServerCalendar>> readCachedCalendars(const fs::path& folder, const Account& account,
                                                               bool* basicAuth) {
    std::ifstream in(cacheFile(folder, account), std::ios::binary);
    if (!in) return std::nullopt;
    try {
        const json doc = json::parse(in);
        if (doc.at("url") != account.url || doc.at("username") != account.username) return std::nullopt;
        std::vector<ServerCalendar> calendars;
        for (const auto& c : doc.at("calendars")) {
            ServerCalendar calendar;
            calendar.url = c.at("url").get<std::string>();
            calendar.path = c.at("path").get<std::string>();
            calendar.title = c.at("title").get<std::string>();
            calendar.color = c.value("color", "");
            calendar.components = c.at("components").get<std::vector<std::string>>();
            calendar.writable = c.at("writable").get<bool>();
            calendars.push_back(std::move(calendar));
        }
        if (basicAuth) *basicAuth = doc.value("basicAuth", false);
        return calendars;
    } catch (const json::exception&) {
        return std::nullopt;  // a damaged cache is as good as none: the server is asked again
    }
}

bool writeCachedCalendars(const fs::path& folder, const Account& account, const std::vector<ServerCalendar>& calendars,
                          bool basicAuth) {
    json list = json::array();
    for (const auto& c : calendars) {
        list.push_back({{"url", c.url},
                        {"path", c.path},
                        {"title", c.title},
                        {"color", c.color},
                        {"components", c.components},
                        {"writable", c.writable}});
    }
    const json doc = {
        {"url", account.url}, {"username", account.username}, {"basicAuth", basicAuth}, {"calendars", list}};
    const std::string text = doc.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
    std::error_code ec;
    fs::create_directories(folder, ec);
    // g_file_set_contents replaces the file through a temporary one: readers see old or new.
    return g_file_set_contents(cacheFile(folder, account).c_str(), text.data(), static_cast<gssize>(text.size()),
                               nullptr);
}

void removeCachedCalendars(const fs::path& folder, const Account& account) {
    std::error_code ec;
    fs::remove(cacheFile(folder, account), ec);
}

CalendarRef calendarFor(const Account& account, const ServerCalendar& server) {
    Calendar calendar;
    calendar.uid = icu::UnicodeString::fromUTF8(account.name + ":" + server.path);
    calendar.title = icu::UnicodeString::fromUTF8(server.title);
    calendar.type = CalCalendarTypeCalDAV;
    calendar.notes = icu::UnicodeString::fromUTF8(account.address());
    calendar.isEditable = server.writable;
    return std::make_shared<const Calendar>(std::move(calendar));
}

}  // namespace linecal
