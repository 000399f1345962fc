#include "binary_line_settings.h"

#include <gtest/gtest.h>

#include <vector>

// The fields of a Windows DCB that the rule sets, clears, or must leave alone.
struct Dcb {
    uint32_t BaudRate, ByteSize, Parity, StopBits, fNull, fErrorChar, fOutX, fInX;
    uint32_t fOutxCtsFlow, fOutxDsrFlow, fDtrControl, fRtsControl;
};

// As a terminal program may leave a port: odd framing, NUL stripping, error
// replacement, XON/XOFF both ways and full hardware handshake.
TEST(BinaryLineSettings, TranslationAndSoftwareFlowGoAndHardwareHandshakeStays) {
    Dcb d{115200, 7, 2, 2, 1, 1, 1, 1, 1, 1, 2, 2};
    SetBinaryFraming(d, 19200);
    EXPECT_EQ((std::vector<uint32_t>{d.BaudRate, d.ByteSize, d.Parity, d.StopBits, d.fNull, d.fErrorChar, d.fOutX,
                                     d.fInX, d.fOutxCtsFlow, d.fOutxDsrFlow, d.fDtrControl, d.fRtsControl}),
              (std::vector<uint32_t>{19200, 8, 0, 0, 0, 0, 0, 0, 1, 1, 2, 2}));
}
