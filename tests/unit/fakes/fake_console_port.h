#pragma once
#include <cstdint>
#include <vector>

#include "console_port.h"
#include "fake_serial_line.h"
#include "virtual_clock.h"

// The console's port over a scripted line. Open behaves as the real port's
// does where the console can tell: a port still open is closed first, and
// numbers outside 1 to 1024 are refused.
class FakeConsolePort : public ConsolePort {
public:
    struct OpenCall {
        uint32_t portNumber;
        uint32_t baudRate;
    };

    explicit FakeConsolePort(VirtualClock& clock) : line(clock) { line.open = false; }

    bool Open(uint32_t portNumber, uint32_t baudRate) override {
        Close();
        if (portNumber < 1 || portNumber > 1024 || refuseOpen) return false;
        opened.push_back({portNumber, baudRate});
        line.open = true;
        return true;
    }
    void Close() override {
        if (line.open) ++closes;
        line.open = false;
    }
    void SetNotifyWindow(uintptr_t window) override { notifyWindow = window; }

    bool IsOpen() const override { return line.IsOpen(); }
    LineStatus QueryStatus() override { return line.QueryStatus(); }
    LineStatus QueryErrors() override { return line.QueryErrors(); }
    void PurgeInput() override { line.PurgeInput(); }
    void PurgeOutput() override { line.PurgeOutput(); }
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override {
        return line.Read(dest, count, shortWaitMs);
    }
    void StartWrite(const uint8_t* data, uint32_t count) override { line.StartWrite(data, count); }
    void WaitForInput(uint32_t timeoutMs) override { line.WaitForInput(timeoutMs); }

    FakeSerialLine line;
    bool refuseOpen = false;  // a port that exists in the list but cannot be had
    std::vector<OpenCall> opened;  // successful opens only
    int closes = 0;
    uintptr_t notifyWindow = 0;
};
