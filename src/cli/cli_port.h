#pragma once
#include <cstdint>
#include <string>

#include "serial_line.h"

enum class PortOpening { Opened, BadName, Unavailable };

// The serial port named on the command line: a device path on Linux, a COM
// port on Windows. It serves the console's exchange through Line().
class CliPort {
public:
    virtual ~CliPort() = default;
    // Opens the port for this program alone at `baudRate`, 8 data bits, no
    // parity, one stop bit. A port already open is closed first, so a scan
    // moves it from one speed to the next. BadName: no port of this
    // platform's kind is named so (nothing was tried).
    virtual PortOpening Open(const std::string& name, uint32_t baudRate) = 0;
    // Lets the port go, so a port that has gone is not held while it is away.
    virtual void Close() = 0;
    virtual SerialLine& Line() = 0;
};
