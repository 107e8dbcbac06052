// A real Radicale on 127.0.0.1 for CalDAV tests: a free port, htpasswd users, rights from a
// file (owner-only, plus calendars made read-only on demand), storage in a temporary folder.
// Stopped by its own process id when the object goes.
#pragma once

#include "stores/caldav/HttpSession.h"

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace linecal::testing {

class RadicaleServer {
public:
    static constexpr const char* kUser = "alice";
    static constexpr const char* kPassword = "secret";

    // Starts the server; `error()` says why when it did not start. With `tls` it speaks HTTPS
    // with a self-signed certificate made for it, which clients must refuse.
    explicit RadicaleServer(const std::filesystem::path& folder, bool tls = false);
    ~RadicaleServer();
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& error() const { return error_; }
    // Starts again on the same port with the same storage.
    bool start();
    void stop();

    std::string url(const std::string& path = "") const;
    // A request as alice.
    HttpResponse request(const std::string& method, const std::string& path, const std::string& body = {},
                         std::vector<std::string> headers = {});
    // MKCALENDAR of /alice/NAME/ titled `title` holding `components` (such as "VEVENT").
    bool makeCalendar(const std::string& name, const std::string& title, const std::vector<std::string>& components);
    // Lets alice only read the calendar /alice/NAME/ from now on.
    void makeReadOnly(const std::string& name);

private:
    void writeRights(const std::string& readOnlyCalendar);

    std::filesystem::path folder_;
    int port_ = 0;
    bool tls_ = false;
    pid_t pid_ = -1;
    std::string error_;
};

}  // namespace linecal::testing
