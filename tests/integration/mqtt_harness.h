#pragma once
// A real mosquitto for the gateway's tests, with its command-line subscriber
// and the gateway itself, each a child process of the test.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A program run by the test, its standard output and error in one file.
class ChildProcess {
public:
    ~ChildProcess();
    bool Start(const std::vector<std::string>& words, const std::string& outputPath);
    bool Running() const { return m_pid > 0; }
    void Signal(int number) const;
    // The exit code, or 128 + the signal that ended it.
    int Wait();

private:
    pid_t m_pid = -1;
};

// A folder of the test's own, removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// mosquitto on 127.0.0.1 at a free port, its session store in a folder of
// its own, so that queued messages outlive a restart.
class MosquittoBroker {
public:
    // With a user, only that user and password get in.
    bool Start(const std::string& user = "", const std::string& password = "");
    void Stop();
    bool Restart() { return Launch(); }
    uint16_t Port() const { return m_port; }
    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(m_port); }

private:
    bool Launch();
    TempFolder m_folder;
    uint16_t m_port = 0;
    ChildProcess m_process;
};

// mosquitto_sub at QoS 1 with a persistent session: it reconnects by itself
// after a broker restart and gets what was queued for it meanwhile. Every
// message is a line "RETAINED TOPIC PAYLOAD".
class Subscriber {
public:
    bool Start(const MosquittoBroker& broker, const std::string& topicFilter);
    std::vector<std::string> Lines() const;
    // Waits up to `seconds` for a line that `wanted` accepts.
    bool WaitFor(const std::function<bool(const std::string&)>& wanted, int seconds) const;

private:
    TempFolder m_folder;
    ChildProcess m_process;
};
