#pragma once
#include <cstddef>
#include <optional>
#include <string>

// The service's status line, told once a pass: how the units of the last
// pass answered and how many readings wait for the broker. "systemctl
// status" shows it.
class PassStatus {
public:
    explicit PassStatus(size_t unitsPerPass) : m_unitsPerPass(unitsPerPass) {}
    // After each poll; the line when the poll ended a pass.
    std::optional<std::string> AfterPoll(bool answered, size_t pending);

private:
    size_t m_unitsPerPass;
    size_t m_polled = 0;
    size_t m_answered = 0;
};
