// One HTTP connection to one server, through libcurl: kept open between requests, with
// time limits, a cap on the reply's size and certificate checks that cannot be turned off.
#pragma once

#include "stores/ServerStore.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace linecal {

struct HttpRequest {
    std::string method;
    std::string url;
    std::vector<std::string> headers;  // "Name: value"
    std::string body;
    bool followRedirects = false;
};

// Why no HTTP status came back.
enum class HttpFailure { None, Refused, NameNotFound, Certificate, TimedOut, TooLarge, Cancelled, ForeignHost, Other };

struct HttpResponse {
    HttpFailure failure = HttpFailure::None;
    std::string detail;  // libcurl's words when it failed
    long status = 0;
    std::string body;
    std::string finalUrl;  // after redirects
    // Whether any of the request went out: a failure after that may have left the server
    // having done what was asked.
    bool requestSent = false;
};

class HttpSession {
public:
    // `origin` is the account's address: the name and password go only to its scheme, host
    // and port, and a request elsewhere is refused unsent. `cancel`, when given and set, ends a
    // transfer in progress (for shutting down a refresh).
    HttpSession(std::string origin, std::string username, std::string password, HttpLimits limits = {},
                const std::atomic<bool>* cancel = nullptr);

    // Whether the name and password go with the first request: once the server is known to ask
    // for Basic alone (learnt from a refusal, or told by the caller from an earlier run).
    bool sendsBasicFirst() const;
    void sendBasicFirst();
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    HttpResponse perform(const HttpRequest& request);

    // New connections opened so far; stays at 1 while the server keeps the connection alive.
    long connectionsOpened() const { return connections_; }

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::string origin_;
    std::string username_;
    std::string password_;
    HttpLimits limits_;
    const std::atomic<bool>* cancel_;
    long connections_ = 0;
};

// `reference` resolved against `base` (an absolute URL), as a browser would.
std::string resolveUrl(const std::string& base, const std::string& reference);
// The path of an absolute URL ("/" when it has none).
std::string urlPath(const std::string& url);
// The host of an absolute URL, empty when it cannot be read.
std::string urlHost(const std::string& url);
// "scheme://host:port" of an absolute URL, lower case, the port always given; empty when it
// cannot be read. Two URLs with the same origin reach the same server the same way.
std::string urlOrigin(const std::string& url);
// "host" when `url` is on the default port of its scheme, else "host:port", for messages.
std::string urlHostAndPort(const std::string& url);

}  // namespace linecal
