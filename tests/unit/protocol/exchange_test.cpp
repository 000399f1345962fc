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

class ExchangeTest : public ::testing::Test, protected ExchangeRig {};

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
        {"closed",
         [](ExchangeRig& r) {
             r.line.open = false;
             r.line.Arrive(r.start, kVoltageReply);
         },
         0, false},
        {"no status",
         [](ExchangeRig& r) {
             r.line.statusFails = true;
             r.line.Arrive(r.start + 10, kVoltageReply);
         },
         1, false},
        {"no speed",
         [](ExchangeRig& r) {
             r.baudRate = 0;
             r.line.Arrive(r.start + 10, {0x01, 0x03});
         },
         1, true},
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

// More stale input than one read can take (the buffer holds 256 bytes): the
// drain reads on until the line is empty, so the reply is read clean.
TEST_F(ExchangeTest, ADrainReadsOnPastOneBufferfulOfStaleInput) {
    line.Arrive(start, std::vector<uint8_t>(ModbusExchange::kReadBufferSize * 2 + 88, 0x55));
    line.Arrive(start + 10, kVoltageReply);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage());
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

// The deadline rule at each of the five rates, every exchange started just
// before the tick count wraps so that its deadline is measured across the wrap.
TEST(ExchangeDeadline, FiveSecondsForSilenceAndOnceAReplyBeginsTheShortDeadlineOfTheRate) {
    const uint64_t nearWrapMs = 0xFFFFFFFFull - 20;
    const struct {
        int32_t baudRate;
        uint32_t shortMs;
    } rates[] = {{1200, 1600}, {2400, 800}, {4800, 400}, {9600, 200}, {19200, 100}};
    for (const auto& rate : rates) {
        SCOPED_TRACE(rate.baudRate);
        ExchangeRig silent(nearWrapMs), paced(nearWrapMs), late(nearWrapMs);
        silent.baudRate = paced.baudRate = late.baudRate = rate.baudRate;
        EXPECT_EQ(ExchangeResult::Timeout, silent.ReadVoltage());
        EXPECT_EQ(5000u, silent.ElapsedMs());
        EXPECT_EQ(5000, silent.exchange.TimeoutMs());
        EXPECT_EQ(1, silent.line.waits);  // one blocking wait, not a polling loop

        // Paced at the line rate, or queued whole however late: either
        // completes, and a clean line is purged of nothing.
        const uint32_t charUs = FakeSerialLine::CharUs(static_cast<uint32_t>(rate.baudRate));
        paced.line.Arrive(nearWrapMs + 50, kVoltageReply, charUs);
        EXPECT_EQ(ExchangeResult::Ok, paced.ReadVoltage());
        EXPECT_EQ(50 + 7 * charUs / 1000, paced.ElapsedMs());
        EXPECT_EQ(0x04D2, RegisterValueAt(paced.exchange.Reply() + 3));
        EXPECT_EQ(ModbusExchange::kRestingTimeoutMs, paced.exchange.TimeoutMs());
        paced.line.Arrive(paced.clock.NowUs() / 1000 + rate.shortMs + 100, kVoltageReply);
        EXPECT_EQ(ExchangeResult::Ok, paced.ReadVoltage());
        EXPECT_EQ(0, paced.line.outputPurges + paced.line.inputPurges);

        // To the millisecond: a reply begun just before the short deadline
        // and ended just after it fails at it exactly.
        late.line.Arrive(nearWrapMs + rate.shortMs - 10, {kVoltageReply.begin(), kVoltageReply.begin() + 3});
        late.line.Arrive(nearWrapMs + rate.shortMs + 5, {kVoltageReply.begin() + 3, kVoltageReply.end()});
        EXPECT_EQ(ExchangeResult::Timeout, late.ReadVoltage());
        EXPECT_EQ(rate.shortMs, late.ElapsedMs());
    }
}

}  // namespace
