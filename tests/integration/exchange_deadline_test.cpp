// The slow cases: a unit that never answers and a line that never falls
// silent. Each runs for about five seconds; CTest runs them side by side.
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "register_map.h"
#include "sim_line_fixture.h"

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

namespace {
// A host whose every read pends for its full short wait, as an overlapped
// read may on Windows: slower than the bytes of a babbling unit at 9600
// baud, so it never finds the queue empty. A pty read by itself is too quick
// to fall behind.
class SlowReadingLine : public SerialLine {
public:
    explicit SlowReadingLine(SerialLine& line) : m_line(line) {}
    bool IsOpen() const override { return m_line.IsOpen(); }
    LineStatus QueryStatus() override { return m_line.QueryStatus(); }
    LineStatus QueryErrors() override { return m_line.QueryErrors(); }
    void PurgeInput() override { m_line.PurgeInput(); }
    void PurgeOutput() override { m_line.PurgeOutput(); }
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(shortWaitMs));
        return m_line.Read(dest, count, shortWaitMs);
    }
    void StartWrite(const uint8_t* data, uint32_t count) override { m_line.StartWrite(data, count); }
    void WaitForInput(uint32_t timeoutMs) override { m_line.WaitForInput(timeoutMs); }

private:
    SerialLine& m_line;
};

// Clears a unit's babble after `after`, or at once on StopNow.
class BabbleStopper {
public:
    BabbleStopper(SimProcess& sim, std::chrono::seconds after)
        : m_thread([this, &sim, after] {
              std::unique_lock<std::mutex> lock(m_mutex);
              m_wake.wait_for(lock, after, [this] { return m_stopNow; });
              sim.Command("fault 1 none");
          }) {}
    ~BabbleStopper() { StopNow(); }
    void StopNow() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopNow = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable()) m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopNow = false;
    std::thread m_thread;
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
    ASSERT_EQ(sim.Command("fault 1 babble"), "ok");
    line.WaitForInput(1000);
    ASSERT_GT(line.QueryStatus().queued, 0u) << "the unit does not babble";
    // Should the drain not give up, the babble stops here and the time shows it.
    BabbleStopper stopper(sim, std::chrono::seconds(8));
    SlowReadingLine slowLine(line);
    ModbusExchange slowExchange(slowLine, clock, log, [] { return 9600; });
    const uint32_t start = clock.NowMs();
    slowExchange.DrainInput();
    const uint32_t drainMs = clock.NowMs() - start;
    stopper.StopNow();
    EXPECT_GE(drainMs, ModbusExchange::kDrainLimitMs);
    EXPECT_LT(drainMs, ModbusExchange::kDrainLimitMs + 500);

    // Once the unit falls silent the line recovers with the next button press.
    // The sim may still push out a byte or two it had due when the fault was
    // lifted; let them reach the line so the press's own drain takes them.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Run(ReadVoltageRequest(1), kVoltageReplyLength), ExchangeResult::Ok);
}
