#pragma once
#include <windows.h>

#include "unit_line.h"

// The cycle's port on the Windows communications API: one synchronous
// handle, opened without sharing.
class Win32UnitLine : public UnitLine {
public:
    Win32UnitLine() = default;
    ~Win32UnitLine() override { Close(); }
    Win32UnitLine(const Win32UnitLine&) = delete;
    Win32UnitLine& operator=(const Win32UnitLine&) = delete;

    bool Open(int32_t comNumber, uint32_t baudRate) override;
    void Close() override;
    bool IsOpen() const override { return m_handle != INVALID_HANDLE_VALUE; }

    void Purge() override;
    void Write(const uint8_t* data, uint32_t count) override;
    uint32_t QueuedCount() override;
    uint32_t Read(uint8_t* dest, uint32_t count) override;

    // The open handle, for the tests of its settings.
    HANDLE Handle() const { return m_handle; }

private:
    bool Configure(uint32_t baudRate);

    HANDLE m_handle = INVALID_HANDLE_VALUE;
};
