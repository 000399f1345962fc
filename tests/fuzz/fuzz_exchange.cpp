// The console's exchange against any reply: arbitrary bytes in arbitrary
// chunks and delays, line errors, reads that pend or fail, every reply length
// and option the console uses, started anywhere on the wrapping tick count.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "exchange.h"
#include "fakes/fake_serial_line.h"
#include "fakes/recording_log.h"
#include "fakes/virtual_clock.h"

namespace {

struct Shape {
    size_t replyLength;
    ExchangeOptions options;
};
// A read, an acquisition tick, the two information reads, a setting, a
// calibration and the reset that awaits nothing.
constexpr Shape kShapes[] = {
    {7, {}},
    {7, {false, true, true, ReplyLog::OneLine}},
    {11, {true, true, false, ReplyLog::FiveLines}},
    {85, {true, true, false, ReplyLog::FiveLines}},
    {8, {}},
    {8, {true, false, false, ReplyLog::OneLine}},
    {0, {}},
};
constexpr int32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 0, -1};
constexpr uint32_t kMaxReadCostUs = 3000;

// Refuses any read that would reach past the exchange's reply buffer.
class BoundedLine : public FakeSerialLine {
public:
    using FakeSerialLine::FakeSerialLine;
    const uint8_t* bufferStart = nullptr;
    ReadResult Read(uint8_t* dest, uint32_t count, uint32_t shortWaitMs) override {
        if (dest < bufferStart || dest + count > bufferStart + ModbusExchange::kReadBufferSize) std::abort();
        return FakeSerialLine::Read(dest, count, shortWaitMs);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const Shape shape = input.PickValueInArray(kShapes);
    const int32_t baud = input.PickValueInArray(kBauds);
    VirtualClock clock(input.ConsumeIntegral<uint32_t>());
    BoundedLine line(clock);
    RecordingLog log;
    ModbusExchange exchange(line, clock, log, [baud] { return baud; });
    line.bufferStart = exchange.Reply();
    line.pendingReads = input.ConsumeIntegralInRange(0, 3);
    line.refuseReads = input.ConsumeIntegralInRange(0, 1);
    line.readCostUs = input.ConsumeIntegralInRange<uint32_t>(0, kMaxReadCostUs);
    const uint64_t startMs = clock.NowUs() / 1000;
    if (input.ConsumeBool()) line.FlagLineErrorAt(startMs + input.ConsumeIntegralInRange(0, 6000));

    uint64_t atMs = startMs;
    while (input.remaining_bytes() > 2) {
        atMs += input.ConsumeIntegralInRange(0, 3000);
        const uint32_t charUs = input.ConsumeIntegralInRange<uint32_t>(0, 9000);
        line.Arrive(atMs, input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange(1, 96)), charUs);
    }

    const RequestFrame request = BuildRequest(1, 0x03, 0x0040, 1);
    const ExchangeResult result = exchange.Exchange(request, shape.replyLength, shape.options);

    // The window thread is never held past the drain limit and the deadline,
    // each overrun at most by the read that was under way.
    const uint64_t oneReadMs = ModbusExchange::kPendingReadWaitMs + kMaxReadCostUs / 1000 + 1;
    const uint64_t heldMs = clock.NowUs() / 1000 - startMs;
    if (heldMs > ModbusExchange::kDrainLimitMs + ModbusExchange::kRestingTimeoutMs + 2 * oneReadMs) std::abort();
    // A wrong reply never passes as good, and the deadline is back at rest.
    if (result == ExchangeResult::Ok && shape.replyLength > 0 && !VerifyReply(exchange.Reply(), shape.replyLength)) {
        std::abort();
    }
    if (exchange.TimeoutMs() != ModbusExchange::kRestingTimeoutMs || line.writes.size() > 1 || log.lines.size() > 6) {
        std::abort();
    }
    return 0;
}
