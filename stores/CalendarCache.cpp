#include "stores/CalendarCache.h"

#include "modules/XdgDirs.h"
#include "text/Utf8.h"
#include <sys/stat.h>

#include <glib.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;
using nlohmann::json;

namespace linecal {
namespace {

fs::path cacheFile(const fs::path& folder, const Account& account) {
    return folder / ("caldav-" + account.name + ".json");
}
fs::path failureFile(const fs::path& folder, const Account& account) {
    return folder / ("caldav-" + account.name + ".failed");
}

// Far above any real account's list (a hundred calendars take ~30 KB), far below what could hurt.
constexpr std::uintmax_t kMaxCacheFile = 1024 * 1024;
constexpr std::size_t kMaxCachedText = 8192;

// The file's text when it is a regular file of sane size; nothing otherwise.
std::optional<std::string> readSmallFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    const auto size = fs::file_size(file, ec);
    if (ec || size > kMaxCacheFile) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) return std::nullopt;
    return text;
}

std::string cappedText(const json& value) {
    std::string text = value.get<std::string>();
    if (text.size() > kMaxCachedText) throw std::length_error("cached text too long");
    return text;
}

}  // namespace

std::optional<std::time_t> cachedListTime(const fs::path& folder, const Account& account) {
    struct stat st {};
    if (::stat(cacheFile(folder, account).c_str(), &st) != 0) return std::nullopt;
    return st.st_mtime;
}

fs::path defaultCacheFolder() { return xdgDir(XdgDir::Cache) / "linecal"; }

std::optional<std::vector<ServerCalendar>> readCachedCalendars(const fs::path& folder, const Account& account,
                                                               bool* basicAuth) {
    // A damaged, huge or foreign file is as good as none: the server is asked again and the file
    // rewritten. Nothing in it may stop a run, least of all one that saves locally.
    const auto text = readSmallFile(cacheFile(folder, account));
    if (!text) return std::nullopt;
    try {
        const json doc = json::parse(*text);
        if (doc.at("url") != account.url || doc.at("username") != account.username) return std::nullopt;
        std::vector<ServerCalendar> calendars;
        for (const auto& c : doc.at("calendars")) {
            ServerCalendar calendar;
            calendar.url = cappedText(c.at("url"));
            calendar.path = cappedText(c.at("path"));
            calendar.title = cappedText(c.at("title"));
            calendar.color = c.contains("color") ? cappedText(c.at("color")) : std::string();
            for (const auto& component : c.at("components")) calendar.components.push_back(cappedText(component));
            calendar.writable = c.at("writable").get<bool>();
            calendars.push_back(std::move(calendar));
        }
        if (basicAuth) *basicAuth = doc.value("basicAuth", false);
        return calendars;
    } catch (const std::exception&) {
        return std::nullopt;
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
    if (text.size() > kMaxCacheFile) return false;  // never a file the next run would refuse
    std::error_code ec;
    fs::remove(failureFile(folder, account), ec);
    fs::create_directories(folder, ec);
    // g_file_set_contents replaces the file through a temporary one: readers see old or new.
    return g_file_set_contents(cacheFile(folder, account).c_str(), text.data(), static_cast<gssize>(text.size()),
                               nullptr);
}

void removeCachedCalendars(const fs::path& folder, const Account& account) {
    std::error_code ec;
    fs::remove(cacheFile(folder, account), ec);
    fs::remove(failureFile(folder, account), ec);
}

std::optional<StoreError> readFailedRefresh(const fs::path& folder, const Account& account, std::time_t now,
                                            std::chrono::seconds maxAge) {
    const auto text = readSmallFile(failureFile(folder, account));
    if (!text) return std::nullopt;
    try {
        const json doc = json::parse(*text);
        const auto at = doc.at("time").get<std::int64_t>();
        if (at > now || now - at >= maxAge.count()) return std::nullopt;
        return StoreError{fromUtf8(cappedText(doc.at("message"))), fromUtf8(cappedText(doc.at("suggestion")))};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void writeFailedRefresh(const fs::path& folder, const Account& account, std::time_t now, const StoreError& error) {
    std::string message, suggestion;
    error.message.toUTF8String(message);
    error.recoverySuggestion.toUTF8String(suggestion);
    const std::string text = json{{"time", static_cast<std::int64_t>(now)},
                                  {"message", message.substr(0, kMaxCachedText)},
                                  {"suggestion", suggestion.substr(0, kMaxCachedText)}}
                                 .dump(-1, ' ', false, json::error_handler_t::replace) +
                             "\n";
    std::error_code ec;
    fs::create_directories(folder, ec);
    g_file_set_contents(failureFile(folder, account).c_str(), text.data(), static_cast<gssize>(text.size()), nullptr);
}

CalendarRef calendarFor(const Account& account, const ServerCalendar& server) {
    Calendar calendar;
    calendar.uid = fromUtf8(account.name + ":" + server.path);
    calendar.title = fromUtf8(server.title);
    calendar.type = CalCalendarTypeCalDAV;
    calendar.notes = fromUtf8(account.address());
    calendar.isEditable = server.writable;
    return std::make_shared<const Calendar>(std::move(calendar));
}

}  // namespace linecal
