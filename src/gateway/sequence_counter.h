#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The gateway's reading number, one up per poll. With a folder it goes on
// from where the last run stopped: the next number is on the disk before a
// reading carries it, so no number is ever given twice.
class SequenceCounter {
public:
    SequenceCounter() = default;
    ~SequenceCounter();
    SequenceCounter(const SequenceCounter&) = delete;
    SequenceCounter& operator=(const SequenceCounter&) = delete;

    // Continues the count kept in `folder`; why not, if it cannot.
    std::optional<std::string> Open(const std::string& folder);
    // The next number; false in `kept` if it could not be recorded.
    uint64_t Next(bool& kept);

private:
    uint64_t m_next = 1;
    int m_fd = -1;
};
