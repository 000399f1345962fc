#include "binary_line_settings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The fields of a Windows DCB that the driver reports and the rule touches or must not.
struct Dcb {
    uint32_t BaudRate, ByteSize, Parity, StopBits;
    uint32_t fNull, fErrorChar, fOutX, fInX;
    uint32_t fOutxCtsFlow, fOutxDsrFlow, fDtrControl, fRtsControl, fDsrSensitivity, fTXContinueOnXoff;
};

std::vector<uint32_t> Handshake(const Dcb& d) {
    return {d.fOutxCtsFlow, d.fOutxDsrFlow, d.fDtrControl, d.fRtsControl, d.fDsrSensitivity, d.fTXContinueOnXoff};
}

}  // namespace

// As a terminal program may leave a port: odd framing, NUL stripping, error
// replacement, XON/XOFF both ways and full hardware handshake.
TEST(BinaryLineSettings, TranslationAndSoftwareFlowGoAndHardwareHandshakeStays) {
    Dcb dcb{115200, 7, 2, 2, 1, 1, 1, 1, 1, 1, 2, 2, 1, 1};
    const auto handshake = Handshake(dcb);
    SetBinaryFraming(dcb, 19200);
    EXPECT_EQ((std::vector<uint32_t>{dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits}),
              (std::vector<uint32_t>{19200, 8, 0, 0}));
    EXPECT_EQ((std::vector<uint32_t>{dcb.fNull, dcb.fErrorChar, dcb.fOutX, dcb.fInX}),
              (std::vector<uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(Handshake(dcb), handshake);
}
