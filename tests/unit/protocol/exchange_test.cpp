#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange.h"
#include "fakes/fake_serial_line.h"
#include "fakes/frames.h"
#include "fakes/recording_log.h"
#include "fakes/virtual_clock.h"
#include "format_hex.h"
#include "register_map.h"

namespace {

const std::vector<uint8_t> kVoltageReply = WithCrc({0x01, 0x03, 0x02, 0x04, 0xD2});
const std::string kRequestLine = "发: 01 03 00 40 00 01 85 DE";

class ExchangeTest : public ::testing::Test {
protected:
    explicit ExchangeTest(uint64_t startMs = 1000) : clock(startMs), line(clock), start(startMs) {}

    ExchangeResult ReadVoltage(bool drainFirst = true, bool shortenDeadline = true, bool logAtTop = false) {
        const ExchangeOptions options{drainFirst, shortenDeadline, logAtTop, ReplyLog::OneLine};
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

TEST_F(ExchangeTest, GoodReplyIsLoggedBelowTheRequestAndJudgedOkWithoutItsTrailingBytes) {
    std::vector<uint8_t> longer = kVoltageReply;
    longer.push_back(0xAA);
    longer.push_back(0x55);
    line.Arrive(start + 20, longer);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage());
    ASSERT_EQ(1u, line.writes.size());
    EXPECT_EQ(std::vector<uint8_t>({0x01, 0x03, 0x00, 0x40, 0x00, 0x01, 0x85, 0xDE}), line.writes[0]);
    EXPECT_EQ((std::vector<std::string>{kRequestLine, "读:" + FormatHex(kVoltageReply.data(), 7)}),
              log.lines);
    EXPECT_EQ(0x04D2, RegisterValueAt(exchange.Reply() + 3));
    EXPECT_EQ(ModbusExchange::kRestingTimeoutMs, exchange.TimeoutMs());
    // A clean line is purged of nothing.
    EXPECT_EQ(0, line.outputPurges);
    EXPECT_EQ(0, line.inputPurges);
}

TEST_F(ExchangeTest, AckWithoutReplyWhenNothingIsAwaited) {
    EXPECT_EQ(ExchangeResult::Ok, exchange.Exchange(SoftwareResetRequest(1), 0, ExchangeOptions{}));
    EXPECT_EQ(0u, ElapsedMs());
    EXPECT_EQ(0, line.waits);
    EXPECT_EQ(1u, line.writes.size());
    EXPECT_EQ(std::vector<std::string>{"发: 01 06 00 2F 55 66 07 79"}, log.lines);
}

TEST_F(ExchangeTest, ClosedPortLogsTheRequestAndTimesOutAfterTheFullDeadline) {
    line.open = false;
    line.Arrive(start, kVoltageReply);
    EXPECT_EQ(ExchangeResult::Timeout, ReadVoltage());
    EXPECT_EQ(5000u, ElapsedMs());
    EXPECT_TRUE(line.writes.empty());
    EXPECT_TRUE(line.readSizes.empty());
    EXPECT_EQ(std::vector<std::string>{kRequestLine}, log.lines);
}

TEST_F(ExchangeTest, LogPlacementFollowsLogAtTop) {
    log.lines = {"older"};
    line.Arrive(start + 10, kVoltageReply);
    ReadVoltage(false, true, /*logAtTop=*/true);
    EXPECT_EQ(0, log.clears);
    EXPECT_EQ((std::vector<std::string>{"读:" + FormatHex(kVoltageReply.data(), 7), kRequestLine, "older"}), log.lines);

    line.Arrive(clock.NowMs() + 10, kVoltageReply);
    ReadVoltage(true, true, /*logAtTop=*/false);
    EXPECT_EQ(1, log.clears);
    EXPECT_EQ((std::vector<std::string>{kRequestLine, "读:" + FormatHex(kVoltageReply.data(), 7)}), log.lines);
}

TEST_F(ExchangeTest, DrainFirstDiscardsStaleBytesButATickCountsThem) {
    line.Arrive(start, {0xEE, 0xEE});
    line.Arrive(start + 30, kVoltageReply);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage(/*drainFirst=*/true));

    line.Arrive(clock.NowMs(), {0xEE, 0xEE});
    line.Arrive(clock.NowMs() + 30, kVoltageReply);
    EXPECT_EQ(ExchangeResult::CrcError, ReadVoltage(/*drainFirst=*/false, true, true));
    EXPECT_EQ("读: EE EE" + FormatHex(kVoltageReply.data(), 5), log.lines[0]);
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

TEST_F(ExchangeTest, ReadsNeverExceedTheBufferOrItsRoomLeft) {
    line.Arrive(start, std::vector<uint8_t>(600, 0x11));
    exchange.DrainInput();
    EXPECT_EQ((std::vector<uint32_t>{256, 256, 88}), line.readSizes);

    line.readSizes.clear();
    line.Arrive(clock.NowMs() + 10, std::vector<uint8_t>(250, 0x22));
    line.Arrive(clock.NowMs() + 20, std::vector<uint8_t>(100, 0x33));
    EXPECT_EQ(ExchangeResult::CrcError,
              exchange.Exchange(ReadVoltageRequest(1), ModbusExchange::kReadBufferSize,
                                ExchangeOptions{false, false, false, ReplyLog::OneLine}));
    EXPECT_EQ((std::vector<uint32_t>{250, 6}), line.readSizes);
}

TEST_F(ExchangeTest, RefusedAndPendingReadsDeliverNothingAndTheWaitGoesOn) {
    line.Arrive(start + 10, kVoltageReply);
    line.refuseReads = 1;
    line.pendingReads = 1;
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage(/*drainFirst=*/false));
    EXPECT_EQ(3u, line.readSizes.size());
}

TEST_F(ExchangeTest, APortThatCannotReportItsQueueIsNotWaitedOnAndTimesOut) {
    line.statusFails = true;
    line.Arrive(start + 10, kVoltageReply);
    EXPECT_EQ(ExchangeResult::Timeout, ReadVoltage(/*drainFirst=*/false));
    EXPECT_EQ(5000u, ElapsedMs());
    EXPECT_EQ(0, line.waits);  // its wait would return at once: a spin
}

TEST_F(ExchangeTest, BaudRateZeroKeepsTheLongDeadline) {
    baudRate = 0;
    line.Arrive(start + 10, {0x01, 0x03});
    EXPECT_EQ(ExchangeResult::Timeout, ReadVoltage());
    EXPECT_EQ(5000u, ElapsedMs());
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

TEST_F(ExchangeTest, FiveLineLoggingShowsTheReplyInSlicesBeforeItIsJudged) {
    std::vector<uint8_t> corrupt = WithCrc({0x01, 0x03, 0x06, 0, 1, 0x25, 0x80, 0, 10});
    corrupt.back() ^= 0xFF;
    line.Arrive(start + 10, corrupt);
    const ExchangeOptions fiveLines{true, true, false, ReplyLog::FiveLines};
    EXPECT_EQ(ExchangeResult::CrcError, exchange.Exchange(ReadSettingsRequest(1), kSettingsReplyLength, fiveLines));
    ASSERT_EQ(6u, log.lines.size());
    EXPECT_EQ("发: 01 03 00 01 00 03 54 0B", log.lines[0]);
    EXPECT_EQ("读1:" + FormatHex(corrupt.data(), corrupt.size()), log.lines[1]);
    EXPECT_EQ("读5:", log.lines[5].substr(0, 5));
}

TEST_F(ExchangeTest, DrainingALineThatNeverFallsSilentIsBounded) {
    for (int ms = 0; ms < 20000; ++ms) line.Arrive(start + ms, {0x55});
    line.readCostUs = 2000;
    exchange.DrainInput();
    EXPECT_GE(ElapsedMs(), ModbusExchange::kDrainLimitMs);
    EXPECT_LT(ElapsedMs(), ModbusExchange::kDrainLimitMs + 10);
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

TEST_P(ExchangeTimingTest, AReplyPacedAtTheLineRateCompletes) {
    const uint32_t charUs = FakeSerialLine::CharUs(static_cast<uint32_t>(baudRate));
    line.Arrive(start + 50, kVoltageReply, charUs);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage());
    EXPECT_EQ(50 + 7 * charUs / 1000, ElapsedMs());
}

TEST_P(ExchangeTimingTest, ALateReplyStillOnTheLineTimesOutRightAfterItsFirstBytes) {
    const uint32_t late = ShortDeadline() + 100;
    line.Arrive(start + late, {kVoltageReply.begin(), kVoltageReply.begin() + 3});
    line.Arrive(start + late + 5, {kVoltageReply.begin() + 3, kVoltageReply.end()});
    EXPECT_EQ(ExchangeResult::Timeout, ReadVoltage());
    EXPECT_EQ(late, ElapsedMs());
}

TEST_P(ExchangeTimingTest, ALateReplyAlreadyQueuedWhole_Completes) {
    line.Arrive(start + ShortDeadline() + 100, kVoltageReply);
    EXPECT_EQ(ExchangeResult::Ok, ReadVoltage());
}

INSTANTIATE_TEST_SUITE_P(Rates, ExchangeTimingTest,
                         ::testing::Values(RateDeadline{1200, 1600}, RateDeadline{2400, 800}, RateDeadline{4800, 400},
                                           RateDeadline{9600, 200}, RateDeadline{19200, 100}));

}  // namespace
