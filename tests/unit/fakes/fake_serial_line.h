#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "console_port.h"
#include "scripted_input.h"
#include "virtual_clock.h"

// A scripted port on virtual time, its input from ScriptedInput, every call
// the exchange makes recorded. Open behaves as the real port's does where the
// console can tell: a port still open is closed first, and numbers outside 1
// to 1024 are refused. Once the line hangs up, every query and read fails and
// a wait returns at once, as they do on a handle whose device has gone.
class FakeSerialLine : public ConsolePort, public ScriptedInput {
public:
    struct OpenCall {
        uint32_t portNumber;
        uint32_t baudRate;
    };

    explicit FakeSerialLine(VirtualClock& clock) : ScriptedInput(clock) {}

    bool Open(uint32_t portNumber, uint32_t baudRate) override;
    void Close() override {
        if (open) ++closes;
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
    bool Gone() const override { return HungUp(); }

    bool open = true;
    bool statusFails = false;  // the port cannot report its errors and queue
    int refuseReads = 0;       // next n reads fail outright
    int pendingReads = 0;      // next n reads pend and time out empty after their short wait
    std::vector<std::vector<uint8_t>> writes;
    // Runs at every write, with the bytes written: a unit answering.
    std::function<void(const std::vector<uint8_t>&)> onWrite;
    std::vector<uint32_t> readSizes;  // what each Read asked for
    int inputPurges = 0;
    int outputPurges = 0;
    int waits = 0;
    bool refuseOpen = false;       // a port that exists in the list but cannot be had
    bool refuseSettings = false;   // opens, refuses its settings, and stays held as the real port does
    std::vector<OpenCall> opened;  // successful opens only
    int closes = 0;
    uintptr_t notifyWindow = 0;
};
