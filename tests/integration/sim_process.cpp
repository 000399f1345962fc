#include "sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kStartupTimeoutMs = 10000;
constexpr int kReplyTimeoutMs = 5000;

// Reads one '\n'-terminated line from `fd` into `line`, keeping what follows in `buffer`.
bool ReadLine(int fd, std::string& buffer, std::string& line, int timeoutMs) {
    for (;;) {
        const size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return true;
        }
        pollfd input{fd, POLLIN, 0};
        if (poll(&input, 1, timeoutMs) <= 0) return false;
        char chunk[4096];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

int ConnectLocal(uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}
}  // namespace

std::string LogHex(const std::vector<uint8_t>& bytes) {
    std::string hex;
    char digits[3];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", byte);
        hex += digits;
    }
    return hex;
}

ControlConnection::ControlConnection(uint16_t port) : m_fd(ConnectLocal(port)) {}

ControlConnection::~ControlConnection() {
    if (m_fd >= 0) close(m_fd);
}

std::vector<std::string> ControlConnection::CommandLines(const std::string& line) {
    const std::string request = line + "\n";
    if (send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
        return {"error send failed"};
    }
    std::vector<std::string> lines;
    std::string reply;
    while (ReadLine(m_fd, m_input, reply, kReplyTimeoutMs)) {
        lines.push_back(reply);
        if (reply.rfind("ok", 0) == 0 || reply.rfind("error", 0) == 0) return lines;
    }
    lines.push_back("error no reply");
    return lines;
}

std::string ControlConnection::Command(const std::string& line) { return CommandLines(line).back(); }

SimProcess::~SimProcess() {
    Stop();
    if (m_stdout >= 0) close(m_stdout);
}

int SimProcess::Stop() {
    if (m_pid > 0) kill(m_pid, SIGTERM);
    return WaitForExit();
}

int SimProcess::WaitForExit() {
    if (m_pid <= 0) return -1;
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SimProcess::Start(const std::vector<std::string>& arguments) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    std::vector<std::string> words{LUMERIC_SIM_PATH, "--control", "0"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    m_stdout = pipeFds[0];
    if (m_pid < 0) return false;

    std::string port;
    std::string ready;
    if (!ReadStartupLine("pty", m_ptyPath) || !ReadStartupLine("control", port)) return false;
    if (!ReadLine(m_stdout, m_stdoutInput, ready, kStartupTimeoutMs) || ready != "ready") return false;
    m_port = static_cast<uint16_t>(std::atoi(port.c_str()));
    m_control = Connect();
    return m_control->Connected();
}

std::unique_ptr<ControlConnection> SimProcess::Connect() const { return std::make_unique<ControlConnection>(m_port); }

bool SimProcess::ReadStartupLine(const char* key, std::string& value) {
    std::string line;
    if (!ReadLine(m_stdout, m_stdoutInput, line, kStartupTimeoutMs)) return false;
    const std::string prefix = std::string(key) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    value = line.substr(prefix.size());
    return true;
}

std::vector<std::string> SimProcess::RxLog() {
    std::vector<std::string> lines = m_control->CommandLines("log");
    lines.pop_back();
    return lines;
}
