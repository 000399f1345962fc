#include <gtest/gtest.h>

#include "register_map.h"

namespace {

TEST(RegisterMap, BuildsEveryRequestByteForByte) {
    EXPECT_EQ((RequestFrame{0x01, 0x03, 0x00, 0x40, 0x00, 0x01, 0x85, 0xDE}), ReadVoltageRequest(1));
    EXPECT_EQ((RequestFrame{0x01, 0x03, 0x00, 0x01, 0x00, 0x03, 0x54, 0x0B}), ReadSettingsRequest(1));
    EXPECT_EQ((RequestFrame{0x01, 0x03, 0x00, 0x07, 0x00, 0x28, 0xF4, 0x15}), ReadIdentityRequest(1));
    EXPECT_EQ((RequestFrame{0x01, 0x06, 0x00, 0x01, 0x00, 0x02, 0x59, 0xCB}), SetStationAddressRequest(1, 2));
    EXPECT_EQ((RequestFrame{0x01, 0x06, 0x00, 0x02, 0x4B, 0x00, 0x1E, 0xFA}), SetLineSpeedRequest(1, 19200));
    EXPECT_EQ((RequestFrame{0x01, 0x06, 0x00, 0x03, 0x00, 0x0A, 0xF9, 0xCD}), SetSampleIntervalRequest(1, 10));
    EXPECT_EQ((RequestFrame{0x01, 0x06, 0x00, 0x2F, 0x55, 0x66, 0x07, 0x79}), SoftwareResetRequest(1));
    EXPECT_EQ((RequestFrame{0x01, 0x06, 0x00, 0x30, 0x02, 0x03, 0xC8, 0xA4}), CalibrateRequest(1, 2, 3));
    EXPECT_EQ((RequestFrame{0x01, 0x03, 0x00, 0x40, 0x00, 0x04, 0x45, 0xDD}), ReadFourVoltagesRequest(1));
}

TEST(RegisterMap, TheFourIdentityTextsTileBytes3To82OfTheIdentityReply) {
    EXPECT_EQ(85u, kIdentityReplyLength);
    EXPECT_EQ(kDeviceNameField.offset + kDeviceNameField.size, kSoftwareVersionField.offset);
    EXPECT_EQ(kSoftwareVersionField.offset + kSoftwareVersionField.size, kMakerField.offset);
    EXPECT_EQ(kMakerField.offset + kMakerField.size, kProtocolVersionField.offset);
    EXPECT_EQ(kIdentityReplyLength - 2, kProtocolVersionField.offset + kProtocolVersionField.size);
}

}  // namespace
