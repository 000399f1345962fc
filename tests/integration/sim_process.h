#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// One lumeric-sim started for a test: its pty, and a control connection
// that speaks its line protocol. The sim is stopped when this goes.
class SimProcess {
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the sim with `arguments` (plus --control 0) and waits for "ready".
    bool Start(const std::vector<std::string>& arguments = {});
    const std::string& PtyPath() const { return m_ptyPath; }
    // Ends the sim (SIGTERM) and waits for it; its pty goes with it.
    void Stop();

    // Sends one command; returns its last reply line ("ok ..." or "error ...").
    std::string Command(const std::string& line);
    // Every reply line of a command, the final "ok"/"error" line included.
    std::vector<std::string> CommandLines(const std::string& line);
    // The frames the sim received, as "rx" lines.
    std::vector<std::string> RxLog();

private:
    bool ReadStartupLine(const char* key, std::string& value);
    bool ReadControlLine(std::string& line);

    pid_t m_pid = -1;
    int m_stdout = -1;
    int m_control = -1;
    std::string m_ptyPath;
    std::string m_stdoutInput;
    std::string m_controlInput;
};

// The hex of a frame as the sim's log shows it.
std::string LogHex(const std::vector<uint8_t>& bytes);
