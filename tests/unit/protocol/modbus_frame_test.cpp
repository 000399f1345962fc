#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format_hex.h"
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

TEST(BuildRequest, LaysOutAddressFunctionRegisterValueAndCrc) {
    const RequestFrame frame = BuildRequest(0x01, 0x03, 0x0040, 0x0001);
    EXPECT_EQ((RequestFrame{0x01, 0x03, 0x00, 0x40, 0x00, 0x01, 0x85, 0xDE}), frame);
}

TEST(VerifyReply, JudgesByBothCrcBytesAlone) {
    // Address, function and byte count of this reply are nonsense; only the CRC counts.
    std::vector<uint8_t> reply{0x7F, 0x55, 0x09, 0x04, 0xD2};
    const uint16_t crc = Crc(reply);
    reply.push_back(static_cast<uint8_t>(crc >> 8));
    reply.push_back(static_cast<uint8_t>(crc & 0xFF));
    EXPECT_TRUE(VerifyReply(reply.data(), reply.size()));

    std::vector<uint8_t> swapped = reply;
    std::swap(swapped[5], swapped[6]);
    EXPECT_FALSE(VerifyReply(swapped.data(), swapped.size()));

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

TEST(FormatHex, WritesASpaceAndTwoUpperCaseDigitsPerByte) {
    const uint8_t bytes[] = {0x0A, 0xFF};
    EXPECT_EQ(" 0A FF", FormatHex(bytes, 2));
    EXPECT_EQ("", FormatHex(bytes, 0));
    const RequestFrame frame = BuildRequest(0x01, 0x03, 0x0040, 0x0001);
    EXPECT_EQ(" 01 03 00 40 00 01 85 DE", FormatHex(frame.data(), frame.size()));
}

}  // namespace
