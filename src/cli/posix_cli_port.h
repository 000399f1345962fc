#pragma once
#include "cli_port.h"
#include "posix_serial_line.h"

// The port on Linux: any terminal device by its path (/dev/ttyUSB0, a pty),
// locked against other programs that lock their lines.
class PosixCliPort : public CliPort {
public:
    PortOpening Open(const std::string& name, uint32_t baudRate) override {
        return m_line.Open(name, baudRate, /*exclusive=*/true) ? PortOpening::Opened : PortOpening::Unavailable;
    }
    void Close() override { m_line.Close(); }
    SerialLine& Line() override { return m_line; }

private:
    PosixSerialLine m_line;
};
