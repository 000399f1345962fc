// The slow cases: a unit that never answers and a line that never falls
// silent. Each runs for about five seconds; CTest runs them side by side.
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <algorithm>

#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
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

using SlowExchangeTest = SimLineTest;

TEST_F(SlowExchangeTest, SilentUnitTimesOutAfterFiveSecondsWithoutSpinning) {
    StartSim();
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

TEST_F(SlowExchangeTest, UnitAtAnotherSpeedHearsTheFrameButDoesNotAnswer) {
    StartSim({"--unit", "1:19200"}, 9600);
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Timeout);
    EXPECT_GE(elapsedMs, 5000u);
    EXPECT_THAT(sim.RxLog(), ElementsAre(MatchesRegex("rx [0-9]+ 9600 01030040000185DE")));
}

TEST_F(SlowExchangeTest, DrainGivesUpOnALineThatNeverFallsSilent) {
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
    ASSERT_EQ(sim.Command("fault 1 none"), "ok");
    EXPECT_GE(drainMs, ModbusExchange::kDrainLimitMs);
    EXPECT_LT(drainMs, ModbusExchange::kDrainLimitMs + 500);

    // Once the unit falls silent the line recovers with the next button press.
    // The sim may still push out a byte or two it had due when the fault was
    // lifted; let them reach the line so the press's own drain takes them.
    clock.SleepMs(100);
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
}
