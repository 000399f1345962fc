// The exchange over a real pty against lumeric-sim in real time, and
// PosixSerialLine's own contract on a live pty. The slow cases run for about
// five seconds each; CTest runs them side by side.
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <algorithm>

#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::StartsWith;

namespace {
// A host whose every read pends for its full short wait, as an overlapped
// read may on Windows, and takes a few bytes at a time: slower than the bytes
// of a babbling unit at 9600 baud, so it never finds the queue empty, even
// when a busy machine holds the sim back for a moment. A pty read by itself
// is too quick to fall behind.
class SlowReadingLine : public PosixSerialLine {
public:
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override {
        SteadyClock().SleepMs(shortWaitMs);
        return PosixSerialLine::Read(dest, std::min<uint32_t>(count, 4), shortWaitMs);
    }
};

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

TEST_F(ExchangeOverPtyTest, DrainGivesUpOnALineThatNeverFallsSilent) {
    StartSim();
    SlowReadingLine slowLine;  // a second handle on the same pty: the same queued bytes
    ASSERT_TRUE(slowLine.Open(sim.PtyPath(), 9600));
    ASSERT_EQ(sim.Command("fault 1 babble"), "ok");
    slowLine.WaitForInput(1000);
    ASSERT_GT(slowLine.QueryStatus().queued, 0u) << "the unit does not babble";
    ModbusExchange slowExchange(slowLine, clock, log, [] { return 9600; });
    const uint32_t start = clock.NowMs();
    slowExchange.DrainInput();  // a drain that never gave up would hang here until CTest's timeout
    const uint32_t drainMs = clock.NowMs() - start;
    EXPECT_GE(drainMs, ModbusExchange::kDrainLimitMs);
    EXPECT_LT(drainMs, ModbusExchange::kDrainLimitMs + 500);
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
