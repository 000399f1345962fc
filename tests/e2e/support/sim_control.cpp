#include "sim_control.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <sstream>

namespace {

std::string Variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

SOCKET Connect(const std::string& hostPort) {
    const size_t colon = hostPort.rfind(':');
    if (colon == std::string::npos) return INVALID_SOCKET;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(hostPort.substr(0, colon).c_str(), hostPort.substr(colon + 1).c_str(), &hints, &found) != 0) {
        return INVALID_SOCKET;
    }
    SOCKET s = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (s != INVALID_SOCKET && connect(s, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
    freeaddrinfo(found);
    return s;
}

}  // namespace

SimControl::SimControl(const std::string& suffix) : m_socket(INVALID_SOCKET) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    m_socket = Connect(Variable("LUMERIC_SIM_CONTROL" + suffix));
}

SimControl::~SimControl() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    WSACleanup();
}

bool SimControl::Connected() const { return m_socket != INVALID_SOCKET; }

bool SimControl::ReadLine(std::string& line) {
    for (;;) {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos) {
            line = m_pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            m_pending.erase(0, end + 1);
            return true;
        }
        char chunk[512];
        const int got = recv(m_socket, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        m_pending.append(chunk, static_cast<size_t>(got));
    }
}

std::string SimControl::Command(const std::string& line) {
    if (!Connected()) return "";
    const std::string sent = line + "\n";
    if (send(m_socket, sent.data(), static_cast<int>(sent.size()), 0) != static_cast<int>(sent.size())) return "";
    std::string reply;
    return ReadLine(reply) ? reply : "";
}

std::vector<SimFrame> SimControl::Log() {
    std::vector<SimFrame> frames;
    std::string line = Command("log");
    while (line.compare(0, 3, "rx ") == 0) {
        std::istringstream fields(line.substr(3));
        SimFrame frame;
        fields >> frame.ms >> frame.baud >> frame.hex;
        frames.push_back(frame);
        if (!ReadLine(line)) break;
    }
    return frames;
}

int ComNumber(const std::string& suffix) { return std::atoi(Variable("LUMERIC_COM" + suffix).c_str()); }
