// The exchange over a real pty against lumeric-sim: what the console sees of
// good replies, writes and faulty replies, in real time; and PosixSerialLine's
// own contract on a live pty.
#include <gmock/gmock.h>

#include <algorithm>

#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

using ExchangeOverPtyTest = SimLineTest;

TEST_F(ExchangeOverPtyTest, VoltageReadIsLoggedAndAccepted) {
    StartSim();
    ASSERT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
    EXPECT_EQ(RegisterValueAt(exchange.Reply() + kReplyDataOffset), 0x04D2);
    EXPECT_THAT(log.lines, ElementsAre("发: 01 03 00 40 00 01 85 DE", "读: 01 03 02 04 D2 3A D9"));
    // 7 characters at 9600 baud and the unit's few ms: well inside the short deadline.
    EXPECT_LT(elapsedMs, 100u);
    EXPECT_THAT(sim.RxLog(), ElementsAre(MatchesRegex("rx [0-9]+ 9600 01030040000185DE")));
}

TEST_F(ExchangeOverPtyTest, InformationReadsCarrySettingsAndIdentity) {
    StartSim({"--unit", "7:4800"}, 4800);
    ASSERT_EQ(sim.Command("set 7 interval 25"), "ok");
    // A name that fills its 30 bytes, no zero: "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123".
    ASSERT_EQ(sim.Command("set 7 name 4142434445464748494A4B4C4D4E4F505152535455565758595A30313233"), "ok");

    ASSERT_EQ(Run(ReadSettingsRequest(7), kSettingsReplyLength), ExchangeResult::Ok);
    EXPECT_EQ(exchange.Reply()[4], 7);
    EXPECT_EQ(RegisterValueAt(exchange.Reply() + kReplyDataOffset + 2), 4800);
    EXPECT_EQ(exchange.Reply()[8], 25);

    ASSERT_EQ(Run(ReadIdentityRequest(7), kIdentityReplyLength), ExchangeResult::Ok);
    const auto field = [this](TextField f) {
        return std::string(reinterpret_cast<const char*>(exchange.Reply()) + f.offset, f.size);
    };
    EXPECT_EQ(field(kDeviceNameField), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    EXPECT_EQ(field(kSoftwareVersionField), std::string("V1.00\0\0\0\0\0", 10));
    EXPECT_EQ(field(kMakerField), "\xC0\xCA\xC3\xF7\xB5\xE7\xD7\xD3" + std::string(22, '\0'));
    EXPECT_EQ(field(kProtocolVersionField), std::string("V1.0\0\0\0\0\0\0", 10));
}

TEST_F(ExchangeOverPtyTest, WritesAreEchoedAndNewAddressAndSpeedApplyAfterTheEcho) {
    StartSim();
    const RequestFrame setInterval = SetSampleIntervalRequest(1, 60);
    ASSERT_EQ(Run(setInterval, kWriteEchoLength), ExchangeResult::Ok);
    EXPECT_EQ(std::vector<uint8_t>(exchange.Reply(), exchange.Reply() + kWriteEchoLength),
              std::vector<uint8_t>(setInterval.begin(), setInterval.end()));

    // The echo still comes from the old address and at the old speed.
    ASSERT_EQ(Run(SetStationAddressRequest(1, 5), kWriteEchoLength), ExchangeResult::Ok);
    // The sim takes the new address a moment after the echo's last byte has left.
    std::string unit5 = sim.Command("get 5");
    for (int tries = 0; tries < 100 && unit5.rfind("ok", 0) != 0; ++tries) {
        clock.SleepMs(10);
        unit5 = sim.Command("get 5");
    }
    EXPECT_THAT(unit5, StartsWith("ok address=5 baud=9600 interval=60 "));
    ASSERT_EQ(Run(SetLineSpeedRequest(5, 19200), kWriteEchoLength), ExchangeResult::Ok);
    ReopenAt(19200);
    ASSERT_EQ(Run(ReadVoltageRequest(5), kVoltageReplyLength), ExchangeResult::Ok);

    // Nothing is read after a reset; the unit's echo must not pass for the calibration's.
    ASSERT_EQ(Run(SoftwareResetRequest(5), 0), ExchangeResult::Ok);
    clock.SleepMs(50);
    ASSERT_EQ(Run(CalibrateRequest(5, 2, 3), kWriteEchoLength), ExchangeResult::Ok);
    EXPECT_EQ(exchange.Reply()[5], 0x03);
    EXPECT_EQ(sim.Command("get 5"), "ok address=5 baud=19200 interval=60 resets=1 calibrations=0203 voltage=1234,0,0,0");
}

TEST_F(ExchangeOverPtyTest, TheEchoOfASpeedChangeLeavesAtTheOldSpeed) {
    StartSim({"--unit", "1:1200"}, 1200);
    ASSERT_EQ(Run(SetLineSpeedRequest(1, 19200), kWriteEchoLength), ExchangeResult::Ok);
    // Eight bytes of ten bits at 1200 bit/s take 66 ms on the wire; at 19200, 4 ms.
    EXPECT_GE(elapsedMs, 66u);
}

// The sim's reply faults one after another on the same unit, each checked for
// what the console makes of it over the real line.
TEST_F(ExchangeOverPtyTest, FaultyRepliesEndAsTheConsoleExpects) {
    StartSim();
    const auto withFault = [this](const std::string& fault) {
        clock.SleepMs(50);  // what the last fault left on the line has landed, for the drain to take
        EXPECT_EQ(sim.Command("fault 1 " + fault), "ok");
        return Run(ReadVoltageRequest(1), kVoltageReplyLength);
    };
    // A wrong CRC is reported after the reply is logged.
    EXPECT_EQ(withFault("badcrc"), ExchangeResult::CrcError);
    EXPECT_THAT(log.lines, ElementsAre(StartsWith("发:"), "读: 01 03 02 04 D2 3A 26"));
    EXPECT_EQ(withFault("chunks 2 20"), ExchangeResult::Ok);
    EXPECT_GE(elapsedMs, 60u);  // three gaps, all within the 200 ms of 9600 baud
    EXPECT_EQ(withFault("otheraddr 9"), ExchangeResult::Ok);
    EXPECT_EQ(exchange.Reply()[0], 9);  // taken on its CRC alone
    EXPECT_EQ(withFault("trailing 3"), ExchangeResult::Ok);
    EXPECT_EQ(log.lines.back(), "读: 01 03 02 04 D2 3A D9");  // neither logged nor checked
    EXPECT_EQ(withFault("noise 3"), ExchangeResult::CrcError);  // bytes ahead of the reply count
    // A short reply times out 1920000 / 9600 = 200 ms from the start of the wait, not 5000.
    EXPECT_EQ(withFault("short 4"), ExchangeResult::Timeout);
    EXPECT_GE(elapsedMs, 200u);
    EXPECT_LT(elapsedMs, 400u);
    EXPECT_EQ(exchange.TimeoutMs(), 5000);
    // A reply beginning after that deadline ends the wait with its first byte read.
    EXPECT_EQ(withFault("late 300"), ExchangeResult::Timeout);
    EXPECT_GE(elapsedMs, 300u);
    EXPECT_LT(elapsedMs, 600u);
}

using PosixSerialLineTest = SimLineTest;

TEST_F(PosixSerialLineTest, ReadTakesQueuedBytesButNeverMoreThanAsked) {
    StartSim();
    const RequestFrame request = ReadFourVoltagesRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    clock.SleepMs(100);
    ASSERT_EQ(line.QueryStatus().queued, kFourVoltagesReplyLength);

    uint8_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    const ReadResult first = line.Read(buffer, 4, 10);
    EXPECT_FALSE(first.failed);
    EXPECT_EQ(first.count, 4u);
    EXPECT_TRUE(std::all_of(buffer + 4, std::end(buffer), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(line.QueryStatus().queued, kFourVoltagesReplyLength - 4);

    EXPECT_EQ(line.Read(buffer, sizeof buffer, 10).count, kFourVoltagesReplyLength - 4);
    const ReadResult empty = line.Read(buffer, sizeof buffer, 10);
    EXPECT_FALSE(empty.failed);
    EXPECT_EQ(empty.count, 0u);
}

TEST_F(PosixSerialLineTest, WaitOnAHungUpLineStillWaitsInsteadOfSpinning) {
    StartSim();
    sim.Stop();
    const uint32_t start = clock.NowMs();
    line.WaitForInput(200);
    EXPECT_GE(clock.NowMs() - start, 200u);
}
