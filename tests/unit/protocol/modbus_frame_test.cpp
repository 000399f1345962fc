#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/frames.h"
#include "modbus_crc.h"
#include "modbus_frame.h"

namespace {

uint16_t Crc(const std::vector<uint8_t>& bytes) { return ModbusCrc16(bytes.data(), bytes.size()); }

TEST(ModbusCrc16, MatchesTheWorkedValuesInWireOrder) {
    const std::string digits = "123456789";
    EXPECT_EQ(0x374B, ModbusCrc16(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()));
    EXPECT_EQ(0xFFFF, ModbusCrc16(nullptr, 0));
    EXPECT_EQ(0x85DE, Crc({0x01, 0x03, 0x00, 0x40, 0x00, 0x01}));
    EXPECT_EQ(0x540B, Crc({0x01, 0x03, 0x00, 0x01, 0x00, 0x03}));
    EXPECT_EQ(0xF415, Crc({0x01, 0x03, 0x00, 0x07, 0x00, 0x28}));
    EXPECT_EQ(0x45DD, Crc({0x01, 0x03, 0x00, 0x40, 0x00, 0x04}));
}

TEST(ModbusCrc16, IsZeroOverAnyCompleteFrame) {
    for (int address = 0; address < 256; address += 17) {
        for (uint16_t value : {0x0000, 0x0001, 0x5566, 0xFFFF}) {
            const RequestFrame frame = BuildRequest(static_cast<uint8_t>(address), 0x06, 0x0030, value);
            EXPECT_EQ(0x0000, ModbusCrc16(frame.data(), frame.size()));
        }
    }
}

TEST(VerifyReply, JudgesByBothCrcBytesAlone) {
    // Address, function and byte count of this reply are nonsense; only the CRC counts.
    const std::vector<uint8_t> reply = WithCrc({0x7F, 0x55, 0x09, 0x04, 0xD2});
    EXPECT_TRUE(VerifyReply(reply.data(), reply.size()));

    for (size_t last : {size_t{5}, size_t{6}}) {
        std::vector<uint8_t> oneWrong = reply;
        oneWrong[last] ^= 0x01;
        EXPECT_FALSE(VerifyReply(oneWrong.data(), oneWrong.size())) << "byte " << last;
    }
}

TEST(VerifyReply, RefusesFramesTooShortToCarryACrc) {
    const uint8_t bytes[] = {0xFF, 0xFF};
    EXPECT_FALSE(VerifyReply(bytes, 0));
    EXPECT_FALSE(VerifyReply(bytes, 1));
    EXPECT_TRUE(VerifyReply(bytes, 2));  // the CRC of nothing is FF FF
}

}  // namespace
