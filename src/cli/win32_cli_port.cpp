#include "win32_cli_port.h"

#include "com_port_name.h"

Win32CliPort::Win32CliPort() { m_port.m_autoStartThread = false; }

Win32CliPort::~Win32CliPort() {
    if (m_line.IsOpen()) FlushFileBuffers(m_port.m_hComm);
}

PortOpening Win32CliPort::Open(const std::string& name, uint32_t baudRate) {
    const uint32_t number = ComPortNumber(name);
    if (number == 0) return PortOpening::BadName;
    if (m_line.Open(number, baudRate)) return PortOpening::Opened;
    // A port that opened but refused its settings is still open.
    m_line.Close();
    return PortOpening::Unavailable;
}
