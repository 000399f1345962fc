// lumeric-sim as a Modbus RTU slave, seen from the raw line: what any master
// gets for good requests, refused ones, and frames no unit should answer.
#include <gmock/gmock.h>

#include "modbus_crc.h"
#include "register_map.h"
#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::SizeIs;

namespace {
constexpr uint32_t kListenMs = 100;

std::vector<uint8_t> WithCrc(std::vector<uint8_t> frame) {
    const uint16_t crc = ModbusCrc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    return frame;
}

std::vector<uint8_t> Exception(uint8_t function, uint8_t code) {
    return WithCrc({1, static_cast<uint8_t>(function | 0x80), code});
}
}  // namespace

using SimAsModbusSlaveTest = SimLineTest;

TEST_F(SimAsModbusSlaveTest, ReadsAnyRunOfValidRegisters) {
    StartSim();
    ASSERT_EQ(sim.Command("set 1 voltage 4 65535"), "ok");
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::LineSpeed, 2), kListenMs),
              WithCrc({1, 3, 4, 0x25, 0x80, 0x00, 0x0A}));
    EXPECT_EQ(Transfer(ReadFourVoltagesRequest(1), kListenMs),
              WithCrc({1, 3, 8, 0x04, 0xD2, 0, 0, 0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, 0x002A, 5), kListenMs),
              WithCrc({1, 3, 10, 'V', '1', '.', '0', 0, 0, 0, 0, 0, 0}));
}

TEST_F(SimAsModbusSlaveTest, RefusesWithModbusExceptions) {
    StartSim();
    EXPECT_EQ(Transfer(BuildRequest(1, 0x04, Register::VoltageFirst, 1), kListenMs), Exception(0x04, 1));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, 0x0004, 1), kListenMs), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::SampleInterval, 5), kListenMs), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::SoftwareReset, 1), kListenMs), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::VoltageFirst, 0), kListenMs), Exception(3, 3));
    EXPECT_EQ(Transfer(BuildRequest(1, 6, Register::VoltageFirst, 1), kListenMs), Exception(6, 2));
    EXPECT_EQ(Transfer(SetLineSpeedRequest(1, 5000), kListenMs), Exception(6, 3));
    EXPECT_EQ(Transfer(BuildRequest(1, 6, Register::SoftwareReset, 0x1234), kListenMs), Exception(6, 3));
    EXPECT_EQ(Transfer(CalibrateRequest(1, 5, 1), kListenMs), Exception(6, 3));
    EXPECT_EQ(sim.Command("get 1"), "ok address=1 baud=9600 interval=10 resets=0 calibrations= voltage=1234,0,0,0");
}

TEST_F(SimAsModbusSlaveTest, StaysQuietForBadCrcAndStrangers) {
    StartSim();
    RequestFrame corrupted = ReadVoltageRequest(1);
    corrupted[7] ^= 0x01;
    EXPECT_THAT(Transfer(corrupted, kListenMs), IsEmpty());
    EXPECT_THAT(Transfer(ReadVoltageRequest(9), kListenMs), IsEmpty());
    // Both reached the wire all the same.
    EXPECT_THAT(sim.RxLog(), ElementsAre(MatchesRegex("rx [0-9]+ 9600 01030040000185DF"),
                                         MatchesRegex("rx [0-9]+ 9600 09030040000184[0-9A-F]{2}")));
}

TEST_F(SimAsModbusSlaveTest, ServesSeveralUnitsOnOneLine) {
    StartSim({"--unit", "1", "--unit", "2"});
    ASSERT_EQ(sim.Command("set 2 voltage 1 500"), "ok");
    ASSERT_EQ(sim.Command("add 3 9600"), "ok");
    EXPECT_EQ(Transfer(ReadVoltageRequest(2), kListenMs), WithCrc({2, 3, 2, 0x01, 0xF4}));
    EXPECT_EQ(Transfer(ReadVoltageRequest(3), kListenMs), WithCrc({3, 3, 2, 0x04, 0xD2}));
    // Two requests written back to back are still two requests.
    const RequestFrame first = ReadVoltageRequest(1);
    line.StartWrite(first.data(), static_cast<uint32_t>(first.size()));
    EXPECT_THAT(Transfer(ReadVoltageRequest(2), 2 * kListenMs), SizeIs(14));
}
