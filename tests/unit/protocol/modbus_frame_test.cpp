#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/frames.h"
#include "modbus_crc.h"
#include "modbus_frame.h"

namespace {

// The check value of the CRC; the frames in their wire order are pinned
// byte for byte with the requests.
TEST(ModbusCrc16, MatchesTheCheckValue) {
    const std::string digits = "123456789";
    EXPECT_EQ(0x374B, ModbusCrc16(reinterpret_cast<const uint8_t*>(digits.data()), digits.size()));
    EXPECT_EQ(0xFFFF, ModbusCrc16(nullptr, 0));
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
