#pragma once
#include <cstdint>

// What a status query reports: whether it succeeded, whether the driver
// flagged a line error (framing, parity, overrun...), and the input queue size.
struct LineStatus {
    bool succeeded = false;
    bool lineError = false;
    uint32_t queued = 0;
};

// What one read delivered. `failed` marks a read the line refused outright
// (anything but "still pending"); its count is then 0.
struct ReadResult {
    bool failed = false;
    uint32_t count = 0;
};

// An open serial port as the exchange sees it.
class SerialLine {
public:
    virtual ~SerialLine() = default;

    virtual bool IsOpen() const = 0;
    // Reads and clears the line-error flags and reports the input queue size.
    virtual LineStatus QueryStatus() = 0;
    // Reads and clears the line-error flags only.
    virtual LineStatus QueryErrors() = 0;
    virtual void PurgeInput() = 0;
    virtual void PurgeOutput() = 0;
    // Reads up to `count` bytes into `dest`. A read that cannot finish at once
    // gets at most `shortWaitMs` to complete; if it is still pending then, it
    // is cancelled before Read returns, so no byte is ever written to `dest`
    // after the call, and the line's read record is free for the next read.
    virtual ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) = 0;
    // Starts writing and does not wait for the bytes to leave. The line keeps
    // its own copy, so the caller's buffer is free as soon as this returns.
    virtual void StartWrite(const uint8_t* data, uint32_t count) = 0;
    // Blocks until input is queued, a line error is flagged, or `timeoutMs`
    // has passed. The exchange calls it instead of spinning while it waits.
    virtual void WaitForInput(uint32_t timeoutMs) = 0;
    // True once the port has gone from under its handle (a USB adapter pulled
    // out, the far end of a pty closed): nothing will ever come on it again.
    // The exchange still sees such a port as a silent one, as the console's
    // windows show it; a program that can reopen the port asks this. Opening
    // the port again clears it.
    virtual bool Gone() const { return false; }
};
