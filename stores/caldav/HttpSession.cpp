#include "stores/caldav/HttpSession.h"

#include <curl/curl.h>

#include <mutex>

namespace linecal {
namespace {

void initialiseCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Receiver {
    std::string* body;
    std::size_t limit;
    bool overflowed = false;
};

std::size_t receive(char* data, std::size_t size, std::size_t count, void* user) {
    auto* receiver = static_cast<Receiver*>(user);
    const std::size_t n = size * count;
    if (receiver->body->size() + n > receiver->limit) {
        receiver->overflowed = true;
        return 0;  // libcurl ends the transfer with a write error
    }
    receiver->body->append(data, n);
    return n;
}

int progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel && cancel->load() ? 1 : 0;
}

HttpFailure failureOf(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return HttpFailure::None;
        case CURLE_COULDNT_CONNECT:
            return HttpFailure::Refused;
        case CURLE_COULDNT_RESOLVE_HOST:
            return HttpFailure::NameNotFound;
        case CURLE_OPERATION_TIMEDOUT:
            return HttpFailure::TimedOut;
        case CURLE_FILESIZE_EXCEEDED:
            return HttpFailure::TooLarge;
        case CURLE_ABORTED_BY_CALLBACK:
            return HttpFailure::Cancelled;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return HttpFailure::Certificate;
        default:
            return HttpFailure::Other;
    }
}

struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

std::string urlPart(const std::string& url, CURLUPart part) {
    Url u(curl_url());
    char* text = nullptr;
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(u.get(), part, &text, 0) != CURLUE_OK) {
        return {};
    }
    std::string out = text;
    curl_free(text);
    return out;
}

// libcurl's effective URL after a redirect carries the name and password it sent; the URLs
// discovery keeps go into the cache file and into what `add --json` prints, so never with them.
std::string withoutCredentials(const std::string& url) {
    Url u(curl_url());
    char* text = nullptr;
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_set(u.get(), CURLUPART_USER, nullptr, 0) != CURLUE_OK ||
        curl_url_set(u.get(), CURLUPART_PASSWORD, nullptr, 0) != CURLUE_OK ||
        curl_url_get(u.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) {
        return {};
    }
    std::string out = text;
    curl_free(text);
    return out;
}

}  // namespace

struct HttpSession::Handle {
    CURL* curl = curl_easy_init();
    char error[CURL_ERROR_SIZE] = {};
    // Once the server is known to ask for Basic alone, the name and password go with the
    // first request instead of after a refusal, saving a round trip per request.
    unsigned long auth = CURLAUTH_ANY;
    ~Handle() {
        if (curl) curl_easy_cleanup(curl);
    }
};

HttpSession::HttpSession(std::string origin, std::string username, std::string password, HttpLimits limits,
                         const std::atomic<bool>* cancel)
    : origin_(urlOrigin(origin)),
      username_(std::move(username)),
      password_(std::move(password)),
      limits_(limits),
      cancel_(cancel) {
    initialiseCurl();
    handle_ = std::make_unique<Handle>();
}

HttpSession::~HttpSession() = default;

bool HttpSession::sendsBasicFirst() const { return handle_->auth == CURLAUTH_BASIC; }
void HttpSession::sendBasicFirst() { handle_->auth = CURLAUTH_BASIC; }

HttpResponse HttpSession::perform(const HttpRequest& request) {
    HttpResponse response;
    CURL* curl = handle_->curl;
    if (!curl) {
        response.failure = HttpFailure::Other;
        response.detail = "libcurl could not start";
        return response;
    }
    // Replies name addresses, and a lying one must not get the password: nothing is sent
    // anywhere but the account's own scheme, host and port.
    if (origin_.empty() || urlOrigin(request.url) != origin_) {
        response.failure = HttpFailure::ForeignHost;
        response.detail = request.url;
        return response;
    }
    // Reset forgets the previous request's options but keeps the open connection.
    curl_easy_reset(curl);
    Receiver receiver{&response.body, limits_.maxReply};
    // No "Expect: 100-continue": servers that ignore it would cost every save a one-second wait.
    curl_slist* headers = curl_slist_append(nullptr, "Expect:");
    for (const auto& header : request.headers) headers = curl_slist_append(headers, header.c_str());

    handle_->error[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, handle_->error);
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    // An https account is never led to plain http, where the password would travel in clear.
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, origin_.rfind("https:", 0) == 0 ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.request.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits_.maxReply));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_USERNAME, username_.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password_.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, handle_->auth);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "linecal/0.1");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &receiver);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, cancel_);
    if (request.followRedirects) {
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    }
    if (request.method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else {
        // A custom method stays the same across redirects, as PROPFIND must.
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
    }

    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);

    long connects = 0;
    curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &connects);
    connections_ += connects;
    long sent = 0;
    curl_easy_getinfo(curl, CURLINFO_REQUEST_SIZE, &sent);
    response.requestSent = sent > 0;
    if (code != CURLE_OK) {
        response.failure = receiver.overflowed ? HttpFailure::TooLarge : failureOf(code);
        response.detail = handle_->error[0] ? handle_->error : curl_easy_strerror(code);
        response.body.clear();
        return response;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    char* finalUrl = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &finalUrl);
    const std::string clean = withoutCredentials(finalUrl ? finalUrl : request.url);
    response.finalUrl = clean.empty() ? request.url : clean;
    long offered = 0;
    curl_easy_getinfo(curl, CURLINFO_HTTPAUTH_AVAIL, &offered);
    const long basic = static_cast<long>(CURLAUTH_BASIC);
    if (handle_->auth == CURLAUTH_ANY && offered == basic && response.status / 100 == 2) {
        handle_->auth = CURLAUTH_BASIC;
    } else if (handle_->auth == CURLAUTH_BASIC && response.status == 401 && offered != 0 && offered != basic) {
        handle_->auth = CURLAUTH_ANY;  // the server now wants another scheme: negotiate again
        return perform(request);
    }
    return response;
}

std::string resolveUrl(const std::string& base, const std::string& reference) {
    Url u(curl_url());
    char* text = nullptr;
    if (!u || curl_url_set(u.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(u.get(), CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK ||
        curl_url_get(u.get(), CURLUPART_URL, &text, 0) != CURLUE_OK) {
        return {};
    }
    std::string out = text;
    curl_free(text);
    return out;
}

std::string urlPath(const std::string& url) {
    std::string path = urlPart(url, CURLUPART_PATH);
    return path.empty() ? "/" : path;
}

std::string urlHost(const std::string& url) { return urlPart(url, CURLUPART_HOST); }

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

std::string portOf(const std::string& url, bool withDefault) {
    Url u(curl_url());
    char* text = nullptr;
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
        curl_url_get(u.get(), CURLUPART_PORT, &text, withDefault ? CURLU_DEFAULT_PORT : 0) != CURLUE_OK) {
        return {};
    }
    std::string out = text;
    curl_free(text);
    return out;
}

}  // namespace

std::string urlOrigin(const std::string& url) {
    const std::string scheme = lower(urlPart(url, CURLUPART_SCHEME));
    const std::string host = lower(urlHost(url));
    const std::string port = portOf(url, true);
    if (scheme.empty() || host.empty() || port.empty()) return {};
    return scheme + "://" + host + ":" + port;
}

std::string urlHostAndPort(const std::string& url) {
    const std::string host = urlHost(url);
    const std::string port = portOf(url, false);
    return port.empty() ? host : host + ":" + port;
}

}  // namespace linecal
