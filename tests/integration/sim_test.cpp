// lumeric-sim as a Modbus RTU slave seen from the raw line, and its control
// channel: what tests and integrators rely on when they drive it.
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "format_hex.h"
#include "sim_line_fixture.h"

using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

namespace {
using Bytes = std::vector<uint8_t>;
constexpr const char* kFreshUnit = "ok address=1 baud=9600 interval=10 resets=0 calibrations= voltage=1234,0,0,0";

Bytes Exception(uint8_t function, uint8_t code) { return WithCrc({1, static_cast<uint8_t>(function | 0x80), code}); }
std::string Hex(const Bytes& bytes) { return FormatHex(bytes.data(), bytes.size()); }
}  // namespace

using SimTest = SimLineTest;

TEST_F(SimTest, RefusesWithModbusExceptions) {
    StartSim();
    EXPECT_EQ(Transfer(BuildRequest(1, 0x04, Register::VoltageFirst, 1), 5), Exception(0x04, 1));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, 0x0004, 1), 5), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::SampleInterval, 5), 5), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::SoftwareReset, 1), 5), Exception(3, 2));
    EXPECT_EQ(Transfer(BuildRequest(1, 3, Register::VoltageFirst, 0), 5), Exception(3, 3));
    EXPECT_EQ(Transfer(BuildRequest(1, 6, Register::VoltageFirst, 1), 5), Exception(6, 2));
    EXPECT_EQ(Transfer(SetLineSpeedRequest(1, 5000), 5), Exception(6, 3));
    EXPECT_EQ(Transfer(BuildRequest(1, 6, Register::SoftwareReset, 0x1234), 5), Exception(6, 3));
    EXPECT_EQ(Transfer(CalibrateRequest(1, 5, 1), 5), Exception(6, 3));
    EXPECT_EQ(sim.Command("get 1"), kFreshUnit);
}

// Requests written back to back are still two, one to a unit added while the
// sim runs; a corrupted one reaches the wire and gets no answer. Units at
// several speeds, each quiet at the others', are proven by the CLI's scan.
TEST_F(SimTest, BackToBackRequestsAreTwoAndACorruptedOneIsHeardButNotAnswered) {
    StartSim();
    ASSERT_EQ(sim.Command("add 3 9600"), "ok");
    const RequestFrame first = ReadVoltageRequest(1);
    line.StartWrite(first.data(), static_cast<uint32_t>(first.size()));
    EXPECT_EQ(Hex(Transfer(ReadVoltageRequest(3), 14)),
              Hex(WithCrc({1, 3, 2, 0x04, 0xD2})) + Hex(WithCrc({3, 3, 2, 0x04, 0xD2})));
    // Last: nothing may follow it before the sim has heard the silence that ends it.
    RequestFrame corrupted = ReadVoltageRequest(1);
    corrupted[7] ^= 0x01;
    EXPECT_THAT(Transfer(corrupted), IsEmpty());
    std::vector<std::string> heard = sim.RxLog();
    for (int tries = 0; tries < 300 && heard.size() < 3; ++tries, heard = sim.RxLog()) clock.SleepMs(10);
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_THAT(heard[2], MatchesRegex("rx [0-9]+ 9600 01030040000185DF"));
}

TEST_F(SimTest, TheEchoOfASpeedChangeLeavesAtTheOldSpeed) {
    StartSim({"--unit", "1:1200"}, 1200);
    const RequestFrame change = SetLineSpeedRequest(1, 19200);
    EXPECT_EQ(Transfer(change, change.size()), Bytes(change.begin(), change.end()));
    // Eight bytes of ten bits at 1200 bit/s take 66 ms on the wire; at 19200, 4 ms.
    EXPECT_GE(elapsedMs, 66u);
}

// What each fault makes of unit 1's reply 01 03 02 04 D2 3A D9 on the wire:
// its bytes, how many, and the least time after the request its last takes.
TEST_F(SimTest, FaultsReshapeTheReplyOnTheWire) {
    StartSim();
    const std::string reply = " 01 03 02 04 D2 3A D9", anyThree = "( [0-9A-F]{2}){3}";
    const struct {
        std::string fault, bytes;
        size_t count;
        uint32_t lastByteMs;
    } kCases[] = {
        {"silent", "", 0, 0},
        {"badcrc", " 01 03 02 04 D2 3A 26", 7, 0},
        {"short 4", " 01 03 02 04", 4, 0},
        {"trailing 3", reply + anyThree, 10, 0},
        {"noise 3", anyThree + reply, 10, 0},
        {"otheraddr 9", Hex(WithCrc({9, 3, 2, 0x04, 0xD2})), 7, 0},
        {"late 300", reply, 7, 300},
        {"chunks 2 20", reply, 7, 60},  // four chunks, three gaps
        {"none", reply, 7, 0},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(sim.Command("fault 1 " + c.fault), "ok");
        EXPECT_THAT(Hex(Transfer(ReadVoltageRequest(1), c.count)), MatchesRegex(c.bytes)) << c.fault;
        EXPECT_GE(elapsedMs, c.lastByteMs) << c.fault;
    }
}

// Channel 1's level (register 0x0040) as a read of it gives it.
TEST_F(SimTest, ARampWalksAChannelToItsTargetAndJitterScattersEachReply) {
    StartSim();
    ASSERT_EQ(sim.Command("set 1 ramp 1 2234 1"), "ok");
    const auto level = [this] {
        const Bytes reply = Transfer(ReadVoltageRequest(1), 7);
        return reply.size() == 7 ? reply[3] * 256 + reply[4] : -1;
    };
    const int early = level();
    EXPECT_GE(early, 1234);
    EXPECT_LT(early, 2234) << "a ramp over a second is not there at once";
    clock.SleepMs(1100);
    EXPECT_EQ(level(), 2234);
    EXPECT_THAT(sim.Command("get 1"), testing::EndsWith("voltage=2234,0,0,0"));

    ASSERT_EQ(sim.Command("set 1 jitter 1 5"), "ok");
    std::set<int> seen;
    for (int i = 0; i < 20; ++i) seen.insert(level());
    EXPECT_GE(*seen.begin(), 2229);
    EXPECT_LE(*seen.rbegin(), 2239);
    EXPECT_GT(seen.size(), 1u);
}

TEST(SimControlTest, RefusesWhatItCannotDoAndServesSeveralConnections) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start());
    EXPECT_EQ(sim.Command("set 1 name " + std::string(62, 'A')), "error text longer than its field");
    for (const char* refused :
         {"set 1 maker 4G", "set 1 voltage 5 1", "set 1 baud 300", "fault 1 wobble", "fault 1 late", "get 9",
          "add 1 9600", "set 1 ramp 1 5", "set 1 ramp 0 5 1", "set 1 jitter 1 70000"}) {
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

// "quit" is proven where a test makes a unit vanish with it (tests/e2e/serial).
TEST(SimControlTest, TerminationEndsTheSimCleanlyAndTakesItsLinkAlong) {
    namespace fs = std::filesystem;
    const fs::path link = testing::TempDir() + "lumeric-sim-link-" + std::to_string(getpid());
    SimProcess terminated;
    ASSERT_TRUE(terminated.Start({"--link", link.string()}));
    std::error_code error;
    EXPECT_EQ(fs::read_symlink(link, error), terminated.PtyPath());
    EXPECT_EQ(terminated.Stop(), 0);
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(link, error))) << "the link outlived the sim";
}
