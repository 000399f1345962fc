#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The sim's end of a pseudo-terminal. The host opens the slave path as its
// serial port; the sim reads requests from and writes replies to the master.
class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Opens the pair in raw mode at 9600 baud. False with errno set on failure.
    bool Open();
    const std::string& SlavePath() const { return m_slavePath; }
    int MasterFd() const { return m_master; }

    // The line speed the host last set on its side, in bit/s (0 if unknown).
    uint32_t HostBaud() const;
    // Non-blocking; what nobody reads is lost, as on a wire.
    size_t Write(const uint8_t* data, size_t count);

private:
    int m_master = -1;
    // Held open so the master never sees a hang-up while no host has the port.
    int m_slave = -1;
    std::string m_slavePath;
};
