#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "control_commands.h"
#include "stop_signal.h"

// The control channel: TCP on 127.0.0.1, one command per line, any number of
// connections at once. Runs on a thread of its own until the stop signal;
// `quit` raises that signal after its reply has gone out.
class ControlServer {
public:
    ControlServer(ControlCommands& commands, StopSignal& stop) : m_commands(commands), m_stop(stop) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Port 0 picks a free port. False with errno set on failure.
    bool Listen(uint16_t port);
    uint16_t Port() const { return m_port; }
    void Run();

private:
    struct Client {
        int fd;
        std::string input;
    };
    void Accept();
    // False when the client has gone and must be dropped.
    bool Serve(Client& client);

    ControlCommands& m_commands;
    StopSignal& m_stop;
    int m_listenFd = -1;
    uint16_t m_port = 0;
    std::vector<Client> m_clients;
};
