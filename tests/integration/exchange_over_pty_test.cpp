// The exchange over a real pty against lumeric-sim in real time, and
// PosixSerialLine's own contract on a live pty. The drain's limit under a
// unit that never falls silent is proven by the unit tests' fault matrix.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {
uint64_t ThreadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto ms = [](const timeval& t) { return uint64_t(t.tv_sec) * 1000 + uint64_t(t.tv_usec) / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}
}  // namespace

using ExchangeOverPtyTest = SimLineTest;

// A reply ends the wait with its last byte; silence ends it after five seconds.
TEST_F(ExchangeOverPtyTest, AReplyEndsTheWaitAtOnceAndSilenceAfterFiveSecondsWithoutSpinning) {
    StartSim();
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
    // 7 characters at 9600 baud and the unit's few ms, not the 200 ms deadline; room for a busy machine.
    EXPECT_LT(elapsedMs, 180u);
    ASSERT_EQ(sim.Command("fault 1 silent"), "ok");
    const uint64_t cpuBefore = ThreadCpuMs();
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Timeout);
    const uint64_t cpuMs = ThreadCpuMs() - cpuBefore;
    EXPECT_GE(elapsedMs, 5000u);
    EXPECT_LT(elapsedMs, 5200u);
    // The wait sleeps on the line; a polling loop would burn the whole five seconds.
    EXPECT_LT(cpuMs, 250u);
    EXPECT_THAT(log.lines, ElementsAre(StartsWith("发:")));
}

using PosixSerialLineTest = SimLineTest;

TEST_F(PosixSerialLineTest, ReadTakesQueuedBytesButNeverMoreThanAsked) {
    StartSim();
    const RequestFrame request = ReadFourVoltagesRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    for (int tries = 0; tries < 300 && line.QueryStatus().queued < kFourVoltagesReplyLength; ++tries) {
        clock.SleepMs(10);
    }
    ASSERT_EQ(line.QueryStatus().queued, kFourVoltagesReplyLength);
    uint8_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(line.Read(buffer, 4, 10).count, 4u);
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

// A tty keeps its settings for its next user: XON/XOFF left on by a terminal
// program would swallow the 0x11 and 0x13 bytes of our frames.
TEST(PosixSerialLineSettings, OpenSwitchesOffTheSoftwareFlowControlAnEarlierUserLeftOn) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const std::string path = ptsname(master);
    const int earlier = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios settings{};
    tcgetattr(earlier, &settings);
    settings.c_iflag |= IXON | IXOFF | IXANY;
    ASSERT_EQ(tcsetattr(earlier, TCSANOW, &settings), 0);
    PosixSerialLine line;
    ASSERT_TRUE(line.Open(path, 9600));
    EXPECT_TRUE(tcgetattr(earlier, &settings) == 0 && (settings.c_iflag & (IXON | IXOFF | IXANY)) == 0);
    close(earlier);
    close(master);
}
