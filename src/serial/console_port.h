#pragma once
#include <cstdint>

#include "serial_line.h"

// The console's one port: opened by COM number and speed, closed again, and
// read and written by the exchange through SerialLine.
class ConsolePort : public SerialLine {
public:
    // True when the port is open, configured and monitored. A port that opened
    // but refused its settings is held until Close even though this is false.
    virtual bool Open(uint32_t portNumber, uint32_t baudRate) = 0;
    // Harmless on a closed port.
    virtual void Close() = 0;
    // The COM number of the port that is open.
    virtual uint32_t PortNumber() const = 0;
    // The window that receives the line-event messages; 0 means nobody.
    virtual void SetNotifyWindow(uintptr_t window) = 0;
};
