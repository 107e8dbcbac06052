// A loopback HTTP server for the faults a real server cannot be made to show: one that accepts
// and never answers, one that answers every request with the same canned reply.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace linecal::testing {

class FakeServer {
public:
    // `reply` is the raw HTTP reply sent for every request; empty: never answer.
    explicit FakeServer(std::string reply);
    ~FakeServer();
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    std::string url(const std::string& path = "/") const;
    int connections() const { return connections_; }
    int requests() const { return requests_; }

private:
    void serve();

    std::string reply_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

}  // namespace linecal::testing
