#include "control_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A line longer than this is no command; the client is dropped.
constexpr size_t kMaxLineBytes = 4096;

bool SendAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}
}  // namespace

ControlServer::~ControlServer() {
    for (const Client& client : m_clients) close(client.fd);
    if (m_listenFd >= 0) close(m_listenFd);
}

bool ControlServer::Listen(uint16_t port) {
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) return false;
    const int yes = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    if (listen(m_listenFd, 8) != 0) return false;
    socklen_t length = sizeof address;
    if (getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
    m_port = ntohs(address.sin_port);
    return true;
}

void ControlServer::Run() {
    while (!m_stop.Raised()) {
        std::vector<pollfd> fds{{m_stop.ReadFd(), POLLIN, 0}, {m_listenFd, POLLIN, 0}};
        for (const Client& client : m_clients) fds.push_back({client.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) <= 0) continue;
        if (fds[1].revents & POLLIN) Accept();
        // Walk backwards so dropping a client keeps the other indices right.
        for (size_t i = fds.size(); i-- > 2;) {
            if (fds[i].revents == 0) continue;
            Client& client = m_clients[i - 2];
            if (!Serve(client)) {
                close(client.fd);
                m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(i - 2));
            }
        }
    }
}

void ControlServer::Accept() {
    const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) m_clients.push_back({fd, {}});
}

bool ControlServer::Serve(Client& client) {
    char chunk[1024];
    const ssize_t got = recv(client.fd, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    client.input.append(chunk, static_cast<size_t>(got));
    for (size_t end; (end = client.input.find('\n')) != std::string::npos;) {
        std::string line = client.input.substr(0, end);
        client.input.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        bool quit = false;
        const bool sent = SendAll(client.fd, m_commands.Execute(line, quit));
        if (quit) m_stop.Raise();
        if (!sent || quit) return sent;
    }
    return client.input.size() <= kMaxLineBytes;
}
