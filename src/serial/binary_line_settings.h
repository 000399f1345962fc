#pragma once
#include <cstdint>

// Speed and framing for the unit's binary frames on a Windows DCB (or any
// record with its field names), leaving the hardware handshake (RTS, DTR,
// CTS, DSR) as the driver reports it. Windows drivers keep their settings
// across opens, so what a terminal program used before us set is still there;
// each of these would corrupt a binary frame, so they are switched off:
// NUL stripping drops 0x00 bytes, error replacement overwrites bad ones, and
// XON/XOFF swallows 0x11 and 0x13 or sends them into the bus.
template <typename LineSettings>
void SetBinaryFraming(LineSettings& dcb, uint32_t baudRate) {
    dcb.BaudRate = baudRate;
    dcb.ByteSize = 8;
    dcb.Parity = 0;    // NOPARITY
    dcb.StopBits = 0;  // ONESTOPBIT
    dcb.fNull = 0;
    dcb.fErrorChar = 0;
    dcb.fOutX = 0;
    dcb.fInX = 0;
}
