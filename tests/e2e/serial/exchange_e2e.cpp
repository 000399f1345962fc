// The console's exchange over CComPort, ComPortLine and TickClock, under Wine,
// against a simulated unit.
#include <gtest/gtest.h>

#include <cstring>

#include "com_port.h"
#include "com_port_line.h"
#include "cpu_time.h"
#include "exchange.h"
#include "recording_log.h"
#include "register_map.h"
#include "sim_control.h"
#include "tick_clock.h"

CComPort g_comm;

namespace {

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(com, 0u) << "LUMERIC_COM is not set";
        ASSERT_TRUE(sim.Connected()) << "no sim control channel";
        // One sim serves every test of this program: undo what earlier tests set.
        for (const char* command : {"fault 1 none", "set 1 baud 9600", "clearlog"}) {
            ASSERT_EQ(sim.Command(command).substr(0, 2), "ok") << command;
        }
        ASSERT_TRUE(line.Open(com, 9600));
    }
    void TearDown() override { line.Close(); }

    ExchangeResult ReadVoltage() {
        return exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, true, true, false);
    }
    // The unit answers within a few milliseconds; give it ample time.
    bool AwaitQueued(uint32_t count) {
        for (int i = 0; i < 100 && line.QueryStatus().queued < count; ++i) Sleep(10);
        return line.QueryStatus().queued >= count;
    }

    const uint32_t com = static_cast<uint32_t>(ComNumber());
    SimControl sim;
    ComPortLine line{g_comm};
    TickClock clock;
    RecordingLog log;
    int32_t baudRate = 9600;
    ModbusExchange exchange{line, clock, log, [this] { return baudRate; }};
};

TEST_F(ExchangeTest, VoltageReadIsLoggedInHexAndJudgedOk) {
    ASSERT_EQ(sim.Command("set 1 voltage 1 1234").substr(0, 2), "ok");

    EXPECT_EQ(ReadVoltage(), ExchangeResult::Ok);

    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "发: 01 03 00 40 00 01 85 DE");
    EXPECT_EQ(log.lines[1].substr(0, std::strlen("读: 01 03 02 04 D2")), "读: 01 03 02 04 D2");
    EXPECT_EQ(log.lines[1].size(), std::strlen("读:") + 7 * 3);
    const std::vector<SimFrame> frames = sim.Log();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].hex, "01030040000185DE");
    EXPECT_EQ(frames[0].baud, 9600u);
}

TEST_F(ExchangeTest, SilentUnitTimesOutAfter5000msWithoutSpinning) {
    ASSERT_EQ(sim.Command("fault 1 silent").substr(0, 2), "ok");
    const uint64_t cpuBefore = ProcessCpuMs();
    const DWORD start = GetTickCount();

    EXPECT_EQ(ReadVoltage(), ExchangeResult::Timeout);

    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 5000u);
    EXPECT_LT(took, 5500u);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 500u) << "CPU ms over the 5 s wait";
    EXPECT_EQ(log.lines, std::vector<std::string>{"发: 01 03 00 40 00 01 85 DE"});
}

TEST_F(ExchangeTest, WrongCrcIsJudgedCrcErrorAfterTheReplyIsLogged) {
    ASSERT_EQ(sim.Command("fault 1 badcrc").substr(0, 2), "ok");
    EXPECT_EQ(ReadVoltage(), ExchangeResult::CrcError);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1].substr(0, std::strlen("读: 01 03 02")), "读: 01 03 02");
}

TEST_F(ExchangeTest, ReopeningAtANewSpeedReachesTheUnitAtThatSpeed) {
    ASSERT_EQ(ReadVoltage(), ExchangeResult::Ok);
    ASSERT_EQ(sim.Command("set 1 baud 19200").substr(0, 2), "ok");

    ASSERT_TRUE(line.Open(com, 19200));
    baudRate = 19200;
    EXPECT_EQ(ReadVoltage(), ExchangeResult::Ok);

    const std::vector<SimFrame> frames = sim.Log();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].baud, 9600u);
    EXPECT_EQ(frames[1].baud, 19200u);
}

TEST_F(ExchangeTest, ReadStillPendingAfterItsShortWaitIsCancelledBeforeItReturns) {
    uint8_t early[16];
    std::memset(early, 0xAA, sizeof early);
    const DWORD start = GetTickCount();
    const ReadResult nothing = line.Read(early, sizeof early, 10);
    EXPECT_LT(GetTickCount() - start, 100u);
    EXPECT_FALSE(nothing.failed);
    EXPECT_EQ(nothing.count, 0u);

    // The reply that follows must neither land in the old buffer nor be swallowed.
    const RequestFrame request = ReadVoltageRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    ASSERT_TRUE(AwaitQueued(kVoltageReplyLength));
    for (uint8_t byte : early) EXPECT_EQ(byte, 0xAA);

    // Asking for more than came pends, is cancelled, and still counts what landed.
    uint8_t reply[16] = {};
    const ReadResult got = line.Read(reply, sizeof reply, 10);
    EXPECT_FALSE(got.failed);
    ASSERT_EQ(got.count, kVoltageReplyLength);
    EXPECT_TRUE(VerifyReply(reply, kVoltageReplyLength));
}

}  // namespace
