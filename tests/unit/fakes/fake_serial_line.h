#pragma once
#include <cstdint>
#include <deque>
#include <vector>

#include "console_port.h"
#include "held_ports.h"
#include "virtual_clock.h"

// A scripted port on virtual time: bytes arrive at set moments, line errors
// are flagged at set moments, and every call the exchange makes is recorded.
// Open behaves as the real port's does where the console can tell: a port
// still open is closed first, and numbers outside 1 to 1024 are refused.
class FakeSerialLine : public ConsolePort {
public:
    struct OpenCall {
        uint32_t portNumber;
        uint32_t baudRate;
    };

    explicit FakeSerialLine(VirtualClock& clock) : m_clock(clock) {}

    // `bytes` arrive from `atMs` on, one every `charUs` microseconds
    // (0: all at once). 10 bits a character: 1041 us at 9600 baud.
    void Arrive(uint64_t atMs, const std::vector<uint8_t>& bytes, uint32_t charUs = 0);
    void FlagLineErrorAt(uint64_t atMs);
    static uint32_t CharUs(uint32_t baudRate) { return 10000000 / baudRate; }

    bool Open(uint32_t portNumber, uint32_t baudRate) override;
    void Close() override {
        if (open) ++closes;
        if (open && held != nullptr && !opened.empty()) held->erase(opened.back().portNumber);
        open = false;
    }
    uint32_t PortNumber() const override { return open && !opened.empty() ? opened.back().portNumber : 0; }
    void SetNotifyWindow(uintptr_t window) override { notifyWindow = window; }
    bool IsOpen() const override { return open; }
    LineStatus QueryStatus() override;
    LineStatus QueryErrors() override;
    void PurgeInput() override;
    void PurgeOutput() override { ++outputPurges; }
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override;
    void StartWrite(const uint8_t* data, uint32_t count) override;
    void WaitForInput(uint32_t timeoutMs) override;

    uint32_t Queued() const;

    bool open = true;
    bool statusFails = false;      // the port cannot report its errors and queue
    int refuseReads = 0;           // next n reads fail outright
    int pendingReads = 0;          // next n reads pend and time out empty after their short wait
    uint32_t readCostUs = 0;       // virtual time each read takes
    std::vector<std::vector<uint8_t>> writes;
    std::vector<uint32_t> readSizes;  // what each Read asked for
    int inputPurges = 0;
    int outputPurges = 0;
    int waits = 0;
    bool refuseOpen = false;       // a port that exists in the list but cannot be had
    std::vector<OpenCall> opened;  // successful opens only
    int closes = 0;
    uintptr_t notifyWindow = 0;
    HeldPorts* held = nullptr;     // shared with the other ports of a test, when set

private:
    struct Pending {
        uint64_t atUs;
        uint8_t byte;
    };
    bool TakeLineError();

    VirtualClock& m_clock;
    std::deque<Pending> m_incoming;  // in arrival order
    std::vector<uint64_t> m_lineErrorsUs;
};
