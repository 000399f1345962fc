#pragma once
#include <cstdint>
#include <vector>

#include "com_port.h"
#include "console_port.h"

// The exchange's view of a CComPort: its Win32 I/O on the port's handle and
// its read and write records. An adapter rather than a base of CComPort, so
// CComPort's own virtual operations keep their order.
class ComPortLine : public ConsolePort {
public:
    explicit ComPortLine(CComPort& port) : m_port(port) {}
    // The port outlives this object, so a write still in flight must end
    // before the buffer it reads from does.
    ~ComPortLine() override;
    ComPortLine(const ComPortLine&) = delete;
    ComPortLine& operator=(const ComPortLine&) = delete;

    bool Open(uint32_t portNumber, uint32_t baudRate) override;
    void Close() override;
    uint32_t PortNumber() const override { return m_port.m_portNumber; }
    void SetNotifyWindow(uintptr_t window) override;

    bool IsOpen() const override;
    LineStatus QueryStatus() override;
    LineStatus QueryErrors() override;
    void PurgeInput() override;
    void PurgeOutput() override;
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override;
    void StartWrite(const uint8_t* data, uint32_t count) override;
    // Polls the input queue every 2 ms: WaitCommEvent belongs to the monitor.
    void WaitForInput(uint32_t timeoutMs) override;
    // Once ClearCommError has failed on the open handle: the device behind it
    // has been removed (a USB adapter pulled out).
    bool Gone() const override { return m_gone; }

private:
    // The status query every look at the port starts with; its failure on an
    // open handle marks the port gone.
    bool ClearErrors(DWORD& errors, COMSTAT* status);
    ReadResult CancelPendingRead();
    void FinishPendingWrite();
    void EndPendingWrite();

    CComPort& m_port;
    // Bytes of a write still in flight live here, not in the caller's buffer.
    std::vector<uint8_t> m_writeBuffer;
    bool m_writePending = false;
    // Line errors that WaitForInput read (and so cleared) on the exchange's behalf.
    DWORD m_heldLineErrors = 0;
    bool m_gone = false;
};
