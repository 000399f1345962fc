#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "spool_disk.h"

// The gateway's reading number, one up per poll. With a folder it goes on
// from where the last run stopped, and never gives a number twice, power
// loss included (consumers drop a reading whose number they have seen): the
// folder holds a mark that every number given out is below, put on the disk
// a block ahead, so the disk is synced once a block. A crash skips the rest
// of the block: gaps, never reuse.
class SequenceCounter {
public:
    static constexpr uint64_t kBlock = 1000;

    // Continues the count kept in `folder`; why not, if it cannot.
    std::optional<std::string> Open(SpoolDisk& disk, const std::string& folder);
    // The next number; false in `kept` if the mark could not be moved on
    // (the number is given all the same: a reading is never held back).
    uint64_t Next(bool& kept);

private:
    uint64_t m_next = 1;
    uint64_t m_mark = 0;  // every number given out is below it, on the disk
    SpoolDisk* m_disk = nullptr;
    std::string m_path;
};
