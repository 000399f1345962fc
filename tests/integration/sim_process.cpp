#include "sim_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {
// Reads one '\n'-terminated line a byte at a time, so nothing of the next
// line is taken from `fd`. False at end of file.
bool ReadLine(int fd, std::string& line) {
    line.clear();
    for (char c; read(fd, &c, 1) == 1; line += c) {
        if (c == '\n') return true;
    }
    return false;
}
}  // namespace

ControlConnection::ControlConnection(uint16_t port) : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (m_fd >= 0 && connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

ControlConnection::~ControlConnection() {
    if (m_fd >= 0) close(m_fd);
}

std::vector<std::string> ControlConnection::CommandLines(const std::string& line) {
    const std::string request = line + "\n";
    std::vector<std::string> lines;
    std::string reply;
    if (send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        while (ReadLine(m_fd, reply)) {
            lines.push_back(reply);
            if (reply.rfind("ok", 0) == 0 || reply.rfind("error", 0) == 0) return lines;
        }
    }
    lines.push_back("error no reply");
    return lines;
}

int SimProcess::Stop(bool terminate) {
    if (m_pid <= 0) return -1;
    if (terminate) kill(m_pid, SIGTERM);
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
    // The sim announces "pty PATH", "control PORT", then "ready".
    std::string pty, control, ready;
    const bool announced = m_pid > 0 && ReadLine(pipeFds[0], pty) && ReadLine(pipeFds[0], control) &&
                           ReadLine(pipeFds[0], ready) && pty.rfind("pty ", 0) == 0 &&
                           control.rfind("control ", 0) == 0 && ready == "ready";
    close(pipeFds[0]);
    if (!announced) return false;
    m_ptyPath = pty.substr(4);
    m_port = static_cast<uint16_t>(std::atoi(control.c_str() + 8));
    m_control = Connect();
    return m_control->Connected();
}

std::vector<std::string> SimProcess::RxLog() {
    std::vector<std::string> lines = m_control->CommandLines("log");
    lines.pop_back();
    return lines;
}
