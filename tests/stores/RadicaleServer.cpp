#include "RadicaleServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace linecal::testing {
namespace {

// A port nobody listens on now; the kernel picks it.
int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool accepts(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

void writeText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

}  // namespace

RadicaleServer::RadicaleServer(const fs::path& folder, bool tls) : folder_(folder), tls_(tls) {
    fs::create_directories(folder_ / "storage");
    const std::string cert = (folder_ / "cert.pem").string(), key = (folder_ / "key.pem").string();
    if (tls_) {
        const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout '" +
                                    key + "' -out '" + cert + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            error_ = "openssl could not make a certificate";
            return;
        }
    }
    writeText(folder_ / "users", std::string(kUser) + ":" + kPassword + "\n");
    writeRights("");
    // Another program may take the port between the look-up and the start: try a few.
    for (int attempt = 0; attempt < 3 && !running(); ++attempt) {
        port_ = freePort();
        std::ostringstream config;
        config << "[server]\nhosts = 127.0.0.1:" << port_ << "\n";
        if (tls_) config << "ssl = True\ncertificate = " << cert << "\nkey = " << key << "\n";
        config << "[auth]\ntype = htpasswd\nhtpasswd_filename = " << (folder_ / "users").string()
               << "\nhtpasswd_encryption = plain\ndelay = 0\n"
               << "[rights]\ntype = from_file\nfile = " << (folder_ / "rights").string() << "\n"
               << "[storage]\nfilesystem_folder = " << (folder_ / "storage").string() << "\n"
               << "[web]\ntype = none\n[logging]\nlevel = warning\n";

        writeText(folder_ / "config", config.str());
        start();
    }
}

RadicaleServer::~RadicaleServer() { stop(); }

void RadicaleServer::writeRights(const std::string& readOnlyCalendar) {
    std::ostringstream rights;
    rights << "[root]\nuser: .+\ncollection:\npermissions: R\n\n"
           << "[principal]\nuser: .+\ncollection: {user}\npermissions: RW\n\n";
    if (!readOnlyCalendar.empty())
        rights << "[read-only]\nuser: .+\ncollection: {user}/" << readOnlyCalendar << "\npermissions: r\n\n";
    rights << "[calendars]\nuser: .+\ncollection: {user}/[^/]+\npermissions: rw\n";
    // Radicale reads the rights file at every request; a whole new file avoids a half-read one.
    writeText(folder_ / "rights.new", rights.str());
    fs::rename(folder_ / "rights.new", folder_ / "rights");
}

bool RadicaleServer::start() {
    if (running()) return true;
    const std::string config = (folder_ / "config").string();
    const std::string log = (folder_ / "radicale.log").string();
    std::vector<std::string> args = {"/usr/bin/python3", "-m", "radicale", "--config", config};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) {
        error_ = "cannot start /usr/bin/python3 -m radicale (scripts/install-deps.sh installs it)";
        return false;
    }
    pid_ = pid;
    // Bounded wait for the port: 10 s, or until the process ends.
    for (int i = 0; i < 200; ++i) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            std::ifstream in(log);
            error_ = "Radicale exited: " + std::string(std::istreambuf_iterator<char>(in), {});
            return false;
        }
        if (accepts(port_)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    error_ = "Radicale did not listen on port " + std::to_string(port_) + " within 10 s";
    return false;
}

void RadicaleServer::stop() {
    if (!running()) return;
    ::kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {  // 5 s, then it is killed
        if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string RadicaleServer::url(const std::string& path) const {
    return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + path;
}

HttpResponse RadicaleServer::request(const std::string& method, const std::string& path, const std::string& body,
                                     std::vector<std::string> headers) {
    HttpSession session(url(), kUser, kPassword);
    return session.perform({method, url(path), std::move(headers), body, false});
}

bool RadicaleServer::makeCalendar(const std::string& name, const std::string& title,
                                  const std::vector<std::string>& components) {
    // Built piece by piece: g++ 12 warns falsely (-Wrestrict) about one long concatenation.
    std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><C:mkcalendar xmlns:D=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:set><D:prop><D:displayname>";
    body += title;
    body += "</D:displayname><C:supported-calendar-component-set>";
    for (const auto& c : components) {
        body += "<C:comp name=\"";
        body += c;
        body += "\"/>";
    }
    body += "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>";
    std::string path = std::string(kUser);
    path.insert(0, 1, '/');
    path += '/';
    path += name;
    path += '/';
    return request("MKCALENDAR", path, body).status == 201;
}

void RadicaleServer::makeReadOnly(const std::string& name) { writeRights(name); }

}  // namespace linecal::testing
