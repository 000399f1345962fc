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
    // Sends one command; returns its last reply line ("ok ..." or "error ...").
    std::string Command(const std::string& line);
    // Every reply line of a command, the final "ok"/"error" line included.
    std::vector<std::string> CommandLines(const std::string& line);

private:
    int m_fd = -1;
    std::string m_input;
};

// One lumeric-sim started for a test: its pty and a control connection.
// The sim is stopped when this goes.
class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the sim with `arguments` (plus --control 0) and waits for "ready".
    bool Start(const std::vector<std::string>& arguments = {});
    const std::string& PtyPath() const { return m_ptyPath; }
    // Another connection to the same control channel.
    std::unique_ptr<ControlConnection> Connect() const;
    // Ends the sim with SIGTERM; returns its exit status (-1 if it did not exit normally).
    int Stop();
    // Waits for a sim that was told to quit; its exit status as for Stop.
    int WaitForExit();

    std::string Command(const std::string& line) { return m_control->Command(line); }
    // The frames the sim received, as "rx" lines.
    std::vector<std::string> RxLog();

private:
    bool ReadStartupLine(const char* key, std::string& value);

    pid_t m_pid = -1;
    int m_stdout = -1;
    uint16_t m_port = 0;
    std::unique_ptr<ControlConnection> m_control;
    std::string m_ptyPath;
    std::string m_stdoutInput;
};

// The hex of a frame as the sim's log shows it.
std::string LogHex(const std::vector<uint8_t>& bytes);
