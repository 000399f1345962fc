#pragma once
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One connection to a sim's control channel, speaking its line protocol.
class ControlConnection {
public:
    explicit ControlConnection(uint16_t port);
    ~ControlConnection();
    ControlConnection(const ControlConnection&) = delete;
    ControlConnection& operator=(const ControlConnection&) = delete;

    bool Connected() const { return m_fd >= 0; }
    // Every reply line of a command; the last is "ok ..." or "error ...".
    std::vector<std::string> CommandLines(const std::string& line);
    std::string Command(const std::string& line) { return CommandLines(line).back(); }

private:
    int m_fd = -1;
};

// One lumeric-sim started for a test: its pty and a control connection.
// The sim is stopped when this goes. A sim that hangs leaves the test to
// CTest's timeout.
class SimProcess {
public:
    ~SimProcess() { Stop(); }
    // Starts the sim with `arguments` (plus --control 0) and waits for "ready".
    bool Start(const std::vector<std::string>& arguments = {});
    const std::string& PtyPath() const { return m_ptyPath; }
    std::unique_ptr<ControlConnection> Connect() const { return std::make_unique<ControlConnection>(m_port); }
    // Waits for the sim to exit, first sending SIGTERM if `terminate`; its exit
    // status, or -1 if it did not exit normally.
    int Stop(bool terminate = true);

    std::string Command(const std::string& line) { return m_control->Command(line); }
    // The frames the sim received, as "rx" lines.
    std::vector<std::string> RxLog();

private:
    pid_t m_pid = -1;
    uint16_t m_port = 0;
    std::unique_ptr<ControlConnection> m_control;
    std::string m_ptyPath;
};
