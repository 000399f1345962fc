#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange.h"
#include "fakes/fake_serial_line.h"
#include "fakes/frames.h"
#include "fakes/recording_log.h"
#include "fakes/virtual_clock.h"
#include "register_map.h"

namespace {

const std::vector<uint8_t> kVoltageReply = WithCrc({0x01, 0x03, 0x02, 0x04, 0xD2});
const std::string kRequestLine = "发: 01 03 00 40 00 01 85 DE";

struct ExchangeRig {
    explicit ExchangeRig(uint64_t startMs = 1000) : clock(startMs), line(clock), start(startMs) {}

    ExchangeResult ReadVoltage(bool drainFirst = true) {
        const ExchangeOptions options{drainFirst, true, false, ReplyLog::OneLine};
        return exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, options);
    }
    uint32_t ElapsedMs() { return clock.NowMs() - static_cast<uint32_t>(start); }

    VirtualClock clock;
    FakeSerialLine line;
    RecordingLog log;
    int32_t baudRate = 9600;
    ModbusExchange exchange{line, clock, log, [this] { return baudRate; }};
    uint64_t start;
};

class ExchangeTest : public ::testing::Test, protected ExchangeRig {
protected:
    explicit ExchangeTest(uint64_t startMs = 1000) : ExchangeRig(startMs) {}
};

// None of these lines can end the wait early: the request is logged and the
// exchange fails after its whole 5000 ms. A port that cannot report its queue
// is not waited on, as its wait would return at once: a spin.
TEST(ExchangeFullDeadline, AClosedPortAPortThatCannotReportItsQueueAndNoSpeedTimeOutAtFiveSeconds) {
    const struct {
        const char* name;
        void (*set)(ExchangeRig&);
        size_t writes;
        bool waitedOn;
    } cases[] = {
        {"closed", [](ExchangeRig& r) { r.line.open = false; r.line.Arrive(r.start, kVoltageReply); }, 0, false},
        {"no status", [](ExchangeRig& r) { r.line.statusFails = true; r.line.Arrive(r.start + 10, kVoltageReply); }, 1, false},
        {"no speed", [](ExchangeRig& r) { r.baudRate = 0; r.line.Arrive(r.start + 10, {0x01, 0x03}); }, 1, true},
    };
    for (const auto& c : cases) {
        ExchangeRig r;
        c.set(r);
        EXPECT_EQ(ExchangeResult::Timeout, r.ReadVoltage(/*drainFirst=*/false)) << c.name;
        EXPECT_EQ(5000u, r.ElapsedMs()) << c.name;
        EXPECT_EQ(c.writes, r.line.writes.size()) << c.name;
        EXPECT_EQ(std::vector<std::string>{kRequestLine}, r.log.lines) << c.name;
        EXPECT_EQ(c.waitedOn, r.line.waits > 0) << c.name;
    }
}

TEST_F(ExchangeTest, LineErrorsPurgeOutputBeforeTheWriteAndInputWhileWaiting) {
    line.FlagLineErrorAt(start);
    line.Arrive(start + 10, {0x01, 0x03, 0x02});
    line.FlagLineErrorAt(start + 15);
    line.Arrive(start + 20, {0x04, 0xD2, kVoltageReply[5], kVoltageReply[6]});
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage(/*drainFirst=*/false));
    EXPECT_EQ(1, line.outputPurges);
    // The bytes read before the error stayed counted.
    EXPECT_EQ(1, line.inputPurges);

    // A drain that meets a line error purges and reads nothing.
    line.readSizes.clear();
    line.Arrive(clock.NowMs(), {1, 2, 3});
    line.FlagLineErrorAt(clock.NowMs());
    exchange.DrainInput();
    EXPECT_EQ(2, line.inputPurges);
    EXPECT_TRUE(line.readSizes.empty());
}

TEST_F(ExchangeTest, RefusedAndPendingReadsDeliverNothingAndTheWaitGoesOn) {
    line.Arrive(start + 10, kVoltageReply);
    line.refuseReads = 1;
    line.pendingReads = 1;
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage(/*drainFirst=*/false));
    EXPECT_EQ(3u, line.readSizes.size());
}

TEST_F(ExchangeTest, AShorterFirstByteDeadlineEndsSilenceSoonerButNotAReplyUnderWay) {
    ExchangeOptions quick;
    quick.deadlineMs = 150;
    EXPECT_EQ(ExchangeResult::Timeout, exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, quick));
    EXPECT_EQ(150u, ElapsedMs());
    // Begun at 140 ms, the reply has until the rate's 200 ms to end.
    const uint64_t begin = clock.NowMs();
    line.Arrive(begin + 140, {kVoltageReply.begin(), kVoltageReply.begin() + 3});
    line.Arrive(begin + 190, {kVoltageReply.begin() + 3, kVoltageReply.end()});
    EXPECT_EQ(ExchangeResult::Ok, exchange.Exchange(ReadVoltageRequest(1), kVoltageReplyLength, quick));
    EXPECT_EQ(ModbusExchange::kRestingTimeoutMs, exchange.TimeoutMs());
}

// The deadline rule at each of the five rates, started just before the tick
// count wraps so that every deadline is measured across the wrap.
struct RateDeadline {
    int32_t baudRate;
    uint32_t shortDeadlineMs;
};
class ExchangeTimingTest : public ExchangeTest, public ::testing::WithParamInterface<RateDeadline> {
protected:
    ExchangeTimingTest() : ExchangeTest(0xFFFFFFFFull - 20) { baudRate = GetParam().baudRate; }
    uint32_t ShortDeadline() const { return GetParam().shortDeadlineMs; }
};

TEST_P(ExchangeTimingTest, SilenceTimesOutAtFiveSecondsBlockedOnTheLine) {
    EXPECT_EQ(ExchangeResult::Timeout, ReadVoltage());
    EXPECT_EQ(5000u, ElapsedMs());
    EXPECT_EQ(5000, exchange.TimeoutMs());
    EXPECT_EQ(1, line.waits);  // one blocking wait, not a polling loop
}

// Paced at the line rate, or queued whole however late: either completes,
// and a clean line is purged of nothing.
TEST_P(ExchangeTimingTest, AReplyPacedAtTheLineRateOrAlreadyQueuedWholeCompletes) {
    const uint32_t charUs = FakeSerialLine::CharUs(static_cast<uint32_t>(baudRate));
    line.Arrive(start + 50, kVoltageReply, charUs);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage());
    EXPECT_EQ(50 + 7 * charUs / 1000, ElapsedMs());
    EXPECT_EQ(0x04D2, RegisterValueAt(exchange.Reply() + 3));
    EXPECT_EQ(ModbusExchange::kRestingTimeoutMs, exchange.TimeoutMs());
    line.Arrive(clock.NowUs() / 1000 + ShortDeadline() + 100, kVoltageReply);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage());
    EXPECT_EQ(0, line.outputPurges + line.inputPurges);
}

// Measured from the start of the wait, to the millisecond: a reply begun
// just before the short deadline and ended just after it fails at it exactly.
TEST_P(ExchangeTimingTest, AReplyUnderWayAtTheShortDeadlineTimesOutExactlyThen) {
    line.Arrive(start + ShortDeadline() - 10, {kVoltageReply.begin(), kVoltageReply.begin() + 3});
    line.Arrive(start + ShortDeadline() + 5, {kVoltageReply.begin() + 3, kVoltageReply.end()});
    EXPECT_EQ(ExchangeResult::Timeout, ReadVoltage());
    EXPECT_EQ(ShortDeadline(), ElapsedMs());
}

INSTANTIATE_TEST_SUITE_P(Rates, ExchangeTimingTest,
                         ::testing::Values(RateDeadline{1200, 1600}, RateDeadline{2400, 800}, RateDeadline{4800, 400},
                                           RateDeadline{9600, 200}, RateDeadline{19200, 100}));

}  // namespace
