#include "sim_control.h"

#include <winsock2.h>

#include <cstdlib>
#include <sstream>

namespace {

std::string Variable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

}  // namespace

SimControl::SimControl(const std::string& suffix) : m_socket(INVALID_SOCKET) {
    // "<IPv4 address>:<port>", as run-with-sim.sh sets it.
    const std::string hostPort = Variable("LUMERIC_SIM_CONTROL" + suffix);
    const size_t colon = hostPort.rfind(':');
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0 || colon == std::string::npos) return;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(hostPort.substr(0, colon).c_str());
    address.sin_port = htons(static_cast<u_short>(std::atoi(hostPort.c_str() + colon + 1)));
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    // A sim that stops answering fails the test instead of hanging it.
    const DWORD replyTimeoutMs = 10000;
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&replyTimeoutMs),
               sizeof replyTimeoutMs);
    if (m_socket != INVALID_SOCKET && connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

SimControl::~SimControl() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    WSACleanup();
}

bool SimControl::Connected() const { return m_socket != INVALID_SOCKET; }

// A byte at a time: the replies are short, and nothing read past a line end is lost.
bool SimControl::ReadLine(std::string& line) {
    line.clear();
    char byte = 0;
    while (recv(m_socket, &byte, 1, 0) == 1) {
        if (byte == '\n') return true;
        if (byte != '\r') line += byte;
    }
    return false;
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
