#pragma once
#include "cli_port.h"
#include "com_port.h"
#include "com_port_line.h"

// The port on Windows: COM n through CComPort, opened exclusively for
// overlapped I/O, as the console opens it, but without the line-event
// monitor: no window listens here.
class Win32CliPort : public CliPort {
public:
    Win32CliPort();
    // Waits for what was written to leave first: a reset's request must not
    // be purged by the close.
    ~Win32CliPort() override;
    Win32CliPort(const Win32CliPort&) = delete;
    Win32CliPort& operator=(const Win32CliPort&) = delete;

    PortOpening Open(const std::string& name, uint32_t baudRate) override;
    void Close() override { m_line.Close(); }
    SerialLine& Line() override { return m_line; }

private:
    CComPort m_port;
    // Declared after the port, so it ends first and lets a write finish.
    ComPortLine m_line{m_port};
};
