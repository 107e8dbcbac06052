#include "FakeServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <vector>

namespace linecal::testing {
namespace {

// Whether `data` holds a whole request (headers and a Content-Length body); removes it if so.
bool takeRequest(std::string& data) {
    const auto end = data.find("\r\n\r\n");
    if (end == std::string::npos) return false;
    std::size_t length = 0;
    const auto at = data.find("Content-Length: ");
    if (at != std::string::npos && at < end) length = std::stoul(data.substr(at + 16));
    if (data.size() < end + 4 + length) return false;
    data.erase(0, end + 4 + length);
    return true;
}

}  // namespace

FakeServer::FakeServer(std::string reply) : reply_(std::move(reply)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 8);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

FakeServer::~FakeServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::string FakeServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void FakeServer::serve() {
    std::map<int, std::string> clients;  // socket to unread input
    while (!stop_) {
        std::vector<pollfd> fds{{listener_, POLLIN, 0}};
        for (auto& [fd, _] : clients) fds.push_back({fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 50) <= 0) continue;
        if (fds[0].revents & POLLIN) {
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd >= 0) {
                clients[fd];
                ++connections_;
            }
        }
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
            const int fd = fds[i].fd;
            char buffer[65536];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                ::close(fd);
                clients.erase(fd);
                continue;
            }
            std::string& data = clients[fd];
            data.append(buffer, static_cast<std::size_t>(n));
            while (takeRequest(data)) {
                ++requests_;
                if (!reply_.empty()) ::send(fd, reply_.data(), reply_.size(), MSG_NOSIGNAL);
            }
        }
    }
    for (auto& [fd, _] : clients) ::close(fd);
}

}  // namespace linecal::testing
