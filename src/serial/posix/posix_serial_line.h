#pragma once
#include <cstdint>
#include <string>

#include "serial_line.h"

// A SerialLine on a termios device (a real tty or a pty's slave), raw 8N1.
// A tty read never pends: it delivers what is queued at once, so the rule
// that nothing lands in the caller's buffer after Read holds by construction.
class PosixSerialLine : public SerialLine {
public:
    PosixSerialLine() = default;
    ~PosixSerialLine() override;
    PosixSerialLine(const PosixSerialLine&) = delete;
    PosixSerialLine& operator=(const PosixSerialLine&) = delete;

    // Opens `path` raw, 8 data bits, no parity, 1 stop bit at `baud` bit/s.
    // Closes any port opened before. False when the device or the rate is
    // refused. `exclusive` also takes the device's lock (flock), as serial
    // programs do to keep off each other's line: false when another holds it.
    bool Open(const std::string& path, uint32_t baud, bool exclusive = false);
    void Close();

    bool IsOpen() const override { return m_fd >= 0; }
    LineStatus QueryStatus() override;
    LineStatus QueryErrors() override;
    void PurgeInput() override;
    void PurgeOutput() override;
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override;
    void StartWrite(const uint8_t* data, uint32_t count) override;
    void WaitForInput(uint32_t timeoutMs) override;
    // After an I/O error that only a device that has gone reports (EIO,
    // ENXIO, ENODEV), or a hang-up with nothing left to read.
    bool Gone() const override { return m_gone; }

private:
    bool Configure(uint32_t baud);
    void NoteFailure(int error);

    int m_fd = -1;
    bool m_gone = false;
};
