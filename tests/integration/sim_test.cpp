// lumeric-sim as a Modbus RTU slave seen from the raw line, and its control
// channel: what tests and integrators rely on when they drive it.
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>

#include "modbus_crc.h"
#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::SizeIs;
using ::testing::StartsWith;

namespace {
constexpr const char* kFreshUnit = "ok address=1 baud=9600 interval=10 resets=0 calibrations= voltage=1234,0,0,0";

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

using SimTest = SimLineTest;

TEST_F(SimTest, ServesSeveralUnitsOnOneLine) {
    StartSim({"--unit", "1", "--unit", "2"});
    ASSERT_EQ(sim.Command("set 1 voltage 4 65535"), "ok");
    ASSERT_EQ(sim.Command("add 3 9600"), "ok");
    EXPECT_EQ(Transfer(ReadFourVoltagesRequest(1)), WithCrc({1, 3, 8, 0x04, 0xD2, 0, 0, 0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(Transfer(ReadVoltageRequest(3)), WithCrc({3, 3, 2, 0x04, 0xD2}));
    // Two requests written back to back are still two requests.
    const RequestFrame first = ReadVoltageRequest(1);
    line.StartWrite(first.data(), static_cast<uint32_t>(first.size()));
    EXPECT_THAT(Transfer(ReadVoltageRequest(2), 200), SizeIs(14));
}

TEST_F(SimTest, RefusesWithModbusExceptions) {
    StartSim();
    EXPECT_EQ(Transfer(BuildRequest(1, 0x04, Register::VoltageFirst, 1)), Exception(0x04, 1));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, 0x0004, 1)), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::SampleInterval, 5)), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::SoftwareReset, 1)), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::VoltageFirst, 0)), Exception(3, 3));
    EXPECT_EQ(Transfer(BuildRequest(1, 6, Register::VoltageFirst, 1)), Exception(6, 2));
    EXPECT_EQ(Transfer(SetLineSpeedRequest(1, 5000)), Exception(6, 3));
    EXPECT_EQ(Transfer(BuildRequest(1, 6, Register::SoftwareReset, 0x1234)), Exception(6, 3));
    EXPECT_EQ(Transfer(CalibrateRequest(1, 5, 1)), Exception(6, 3));
    EXPECT_EQ(sim.Command("get 1"), kFreshUnit);
}

TEST_F(SimTest, StaysQuietForBadCrcAndStrangers) {
    StartSim();
    RequestFrame corrupted = ReadVoltageRequest(1);
    corrupted[7] ^= 0x01;
    EXPECT_THAT(Transfer(corrupted), IsEmpty());
    EXPECT_THAT(Transfer(ReadVoltageRequest(9)), IsEmpty());
    // Both reached the wire all the same.
    EXPECT_THAT(sim.RxLog(), ElementsAre(MatchesRegex("rx [0-9]+ 9600 01030040000185DF"),
                                         MatchesRegex("rx [0-9]+ 9600 09030040000184[0-9A-F]{2}")));
}

TEST(SimControlTest, RefusesWhatItCannotDoAndServesSeveralConnections) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(sim.Command("set 1 name " + std::string(62, 'A')), "error text longer than its field");
    for (const char* refused : {"set 1 maker 4G", "set 1 voltage 5 1", "set 1 baud 300", "fault 1 wobble",
                                "fault 1 late", "get 9", "add 1 9600"}) {
        EXPECT_THAT(sim.Command(refused), StartsWith("error ")) << refused;
    }
    EXPECT_EQ(sim.Command("get 1"), kFreshUnit);

    std::unique_ptr<ControlConnection> second = sim.Connect();
    std::unique_ptr<ControlConnection> third = sim.Connect();
    ASSERT_TRUE(second->Connected() && third->Connected());
    EXPECT_EQ(second->Command("set 1 interval 42"), "ok");
    third.reset();  // one goes away; the others carry on
    EXPECT_THAT(sim.Command("get 1"), StartsWith("ok address=1 baud=9600 interval=42 "));
    EXPECT_EQ(second->Command("set 1 interval 10"), "ok");
    EXPECT_EQ(sim.Connect()->Command("get 1"), kFreshUnit);
}

TEST(SimControlTest, TerminationOrQuitEndsTheSimCleanly) {
    namespace fs = std::filesystem;
    const fs::path link = testing::TempDir() + "lumeric-sim-link-" + std::to_string(getpid());
    SimProcess terminated, quitting;
    ASSERT_TRUE(terminated.Start({"--link", link.string()}) && quitting.Start());
    std::error_code error;
    EXPECT_EQ(fs::read_symlink(link, error), terminated.PtyPath());
    EXPECT_EQ(terminated.Stop(), 0);
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link, error))) << "the link outlived the sim";

    EXPECT_EQ(quitting.Command("quit"), "ok");
    EXPECT_EQ(quitting.Stop(false), 0);
}
