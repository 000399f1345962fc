#pragma once
#include <cstdint>

// The time-outs of the cycle's port, in milliseconds: a read of n bytes ends
// after 5 + 5 n ms at most (70 ms for a reply of 13), or 100 ms after a byte
// when the next one does not follow; a write of n bytes after 100 + 50 n ms.
struct UnitPortTimeouts {
    uint32_t readInterval = 100;
    uint32_t readMultiplier = 5;
    uint32_t readConstant = 5;
    uint32_t writeMultiplier = 50;
    uint32_t writeConstant = 100;
};
constexpr UnitPortTimeouts kUnitPortTimeouts{};

// The multi-unit cycle's own port: opened exclusively, for synchronous reads
// and writes, 8 data bits, no parity, one stop bit, DTR off, the time-outs
// above. Win32UnitLine is the real one; tests use a fake.
class UnitLine {
public:
    virtual ~UnitLine() = default;

    // False when the port does not exist, is held by anyone, or refuses the settings.
    virtual bool Open(int32_t comNumber, uint32_t baudRate) = 0;
    // Harmless on a closed port.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Drops queued input and output.
    virtual void Purge() = 0;
    // Returns once the bytes are written or the write time-out has passed.
    virtual void Write(const uint8_t* data, uint32_t count) = 0;
    // Clears a pending line error and returns the number of bytes waiting.
    virtual uint32_t QueuedCount() = 0;
    // Reads up to `count` bytes within the read time-outs; returns how many came.
    virtual uint32_t Read(uint8_t* dest, uint32_t count) = 0;
};
