// The exchange over a real pty against lumeric-sim: what the console sees of
// good replies, writes and the quick faults, in real time.
#include <gmock/gmock.h>

#include <thread>

#include "register_map.h"
#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

namespace {
std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> Field(const std::vector<uint8_t>& text, size_t size) {
    std::vector<uint8_t> field(text);
    field.resize(size, 0);
    return field;
}

std::vector<uint8_t> FieldOf(const uint8_t* reply, TextField field) {
    return {reply + field.offset, reply + field.offset + field.size};
}

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
}  // namespace

using ExchangeOverPtyTest = SimLineTest;

TEST_F(ExchangeOverPtyTest, VoltageReadIsLoggedAndAccepted) {
    StartSim();
    ASSERT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
    EXPECT_EQ(ReplyRegister(0), 0x04D2);
    EXPECT_THAT(log.lines, ElementsAre("发: 01 03 00 40 00 01 85 DE", "读: 01 03 02 04 D2 3A D9"));
    // 7 characters at 9600 baud and the unit's few ms: well inside the short deadline.
    EXPECT_LT(elapsedMs, 100u);
    EXPECT_THAT(sim.RxLog(), ElementsAre(MatchesRegex("rx [0-9]+ 9600 01030040000185DE")));
}

TEST_F(ExchangeOverPtyTest, InformationReadsCarrySettingsAndIdentity) {
    StartSim({"--unit", "7:4800"}, 4800);
    const std::string fullName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";  // 30 bytes, no zero
    ASSERT_EQ(sim.Command("set 7 interval 25"), "ok");
    ASSERT_EQ(sim.Command("set 7 name " + LogHex(Bytes(fullName))), "ok");

    ASSERT_EQ(Run(ReadSettingsRequest(7), kSettingsReplyLength), ExchangeResult::Ok);
    EXPECT_EQ(exchange.Reply()[4], 7);
    EXPECT_EQ(ReplyRegister(1), 4800);
    EXPECT_EQ(exchange.Reply()[8], 25);

    ASSERT_EQ(Run(ReadIdentityRequest(7), kIdentityReplyLength), ExchangeResult::Ok);
    const uint8_t* reply = exchange.Reply();
    EXPECT_EQ(FieldOf(reply, kDeviceNameField), Bytes(fullName));
    EXPECT_EQ(FieldOf(reply, kSoftwareVersionField), Field(Bytes("V1.00"), 10));
    EXPECT_EQ(FieldOf(reply, kMakerField), Field({0xC0, 0xCA, 0xC3, 0xF7, 0xB5, 0xE7, 0xD7, 0xD3}, 30));
    EXPECT_EQ(FieldOf(reply, kProtocolVersionField), Field(Bytes("V1.0"), 10));
}

TEST_F(ExchangeOverPtyTest, WritesAreEchoedAndNewAddressAndSpeedApplyAfterTheEcho) {
    StartSim();
    const RequestFrame setInterval = SetSampleIntervalRequest(1, 60);
    ASSERT_EQ(Run(setInterval, kWriteEchoLength), ExchangeResult::Ok);
    EXPECT_EQ(Reply(kWriteEchoLength), std::vector<uint8_t>(setInterval.begin(), setInterval.end()));

    // The echo still comes from the old address and at the old speed.
    ASSERT_EQ(Run(SetStationAddressRequest(1, 5), kWriteEchoLength), ExchangeResult::Ok);
    EXPECT_THAT(sim.Command("get 5"), StartsWith("ok address=5 baud=9600 interval=60 "));
    ASSERT_EQ(Run(SetLineSpeedRequest(5, 19200), kWriteEchoLength), ExchangeResult::Ok);
    ReopenAt(19200);
    ASSERT_EQ(Run(ReadVoltageRequest(5), kVoltageReplyLength), ExchangeResult::Ok);

    // Nothing is read after a reset; the unit's echo must not pass for the calibration's.
    ASSERT_EQ(Run(SoftwareResetRequest(5), 0), ExchangeResult::Ok);
    Pause(50);
    ASSERT_EQ(Run(CalibrateRequest(5, 2, 3), kWriteEchoLength), ExchangeResult::Ok);
    EXPECT_EQ(exchange.Reply()[5], 0x03);
    EXPECT_EQ(sim.Command("get 5"), "ok address=5 baud=19200 interval=60 resets=1 calibrations=0203 voltage=1234,0,0,0");
}

TEST_F(ExchangeOverPtyTest, WrongCrcIsReportedAfterTheReplyIsLogged) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 badcrc"), "ok");
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::CrcError);
    EXPECT_THAT(log.lines, ElementsAre(StartsWith("发:"), "读: 01 03 02 04 D2 3A 26"));
}

TEST_F(ExchangeOverPtyTest, ReplyInChunksWithGapsStillCompletes) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 chunks 2 20"), "ok");
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
    EXPECT_GE(elapsedMs, 60u);  // three gaps, all within the 200 ms of 9600 baud
    EXPECT_EQ(ReplyRegister(0), 0x04D2);
}

TEST_F(ExchangeOverPtyTest, ReplyFromAnotherStationIsAcceptedByItsCrc) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 otheraddr 9"), "ok");
    ASSERT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
    EXPECT_EQ(exchange.Reply()[0], 9);
}

TEST_F(ExchangeOverPtyTest, TrailingBytesAreNeitherLoggedNorChecked) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 trailing 3"), "ok");
    ASSERT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
    EXPECT_EQ(log.lines.back(), "读: 01 03 02 04 D2 3A D9");
}

TEST_F(ExchangeOverPtyTest, StaleBytesCountUnlessDrainedFirst) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 noise 3"), "ok");
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::CrcError);
    ASSERT_EQ(sim.Command("fault 1 none"), "ok");
    Pause(30);  // the last 3 bytes of that reply are now queued
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength, false), ExchangeResult::CrcError);
    Pause(30);
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength, true), ExchangeResult::Ok);
    EXPECT_EQ(log.lines.back(), "读: 01 03 02 04 D2 3A D9");
}

TEST_F(ExchangeOverPtyTest, ShortReplyTimesOutAtTheShortenedDeadline) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 short 4"), "ok");
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Timeout);
    // 1920000 / 9600 = 200 ms from the start of the wait, not 5000.
    EXPECT_GE(elapsedMs, 200u);
    EXPECT_LT(elapsedMs, 400u);
    EXPECT_EQ(exchange.TimeoutMs(), 5000);
}

TEST_F(ExchangeOverPtyTest, ReplyBeginningAfterTheShortenedDeadlineTimesOut) {
    StartSim();
    ASSERT_EQ(sim.Command("fault 1 late 300"), "ok");
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Timeout);
    // Ends with the first byte read, long before the resting 5000 ms.
    EXPECT_GE(elapsedMs, 300u);
    EXPECT_LT(elapsedMs, 600u);
}
