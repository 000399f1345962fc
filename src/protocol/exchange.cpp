#include "exchange.h"

#include <algorithm>
#include <utility>

#include "format_hex.h"
#include "reply_lines.h"

namespace {

// 192 characters of 10 bits at a rate above 0.
int32_t ShortDeadlineMs(int32_t baudRate) { return 1920000 / baudRate; }

}  // namespace

ModbusExchange::ModbusExchange(SerialLine& line, Clock& clock, LogSink& log, BaudRateSource baudRate)
    : m_line(line), m_clock(clock), m_log(log), m_baudRate(std::move(baudRate)) {}

void ModbusExchange::Log(const std::string& line, bool logAtTop) {
    if (logAtTop) {
        m_log.InsertLogLineAtTop(line);
    } else {
        m_log.AddLogLine(line);
    }
}

uint32_t ModbusExchange::ReadQueued(size_t offset, uint32_t queued) {
    // Never read past the end of the buffer, whatever the driver says is queued.
    const uint32_t room = static_cast<uint32_t>(kReadBufferSize - offset);
    const uint32_t wanted = std::min(queued, room);
    if (wanted == 0) return 0;
    const ReadResult result = m_line.Read(ReadBuffer + offset, wanted, kPendingReadWaitMs);
    return result.failed ? 0 : std::min(result.count, wanted);
}

void ModbusExchange::DrainInput() {
    const uint32_t start = m_clock.NowMs();
    while (m_line.IsOpen()) {
        const LineStatus status = m_line.QueryStatus();
        if (status.succeeded && status.lineError) {
            m_line.PurgeInput();
            return;
        }
        const uint32_t queued = status.succeeded ? status.queued : 0;
        if (queued == 0) return;
        const uint32_t wanted = std::min<uint32_t>(queued, kReadBufferSize);
        const ReadResult result = m_line.Read(ReadBuffer, wanted, kPendingReadWaitMs);
        if (result.failed || result.count == 0) return;
        if (m_clock.NowMs() - start >= kDrainLimitMs) return;
    }
}

void ModbusExchange::AwaitSilence() {
    const int32_t baudRate = m_baudRate();
    if (baudRate <= 0) return;
    const uint32_t gapMs = static_cast<uint32_t>((int64_t{35000} + baudRate - 1) / baudRate);
    const uint32_t start = m_clock.NowMs();
    uint32_t quietSince = start;
    while (m_line.IsOpen() && m_clock.NowMs() - start < kDrainLimitMs) {
        const uint32_t quietMs = m_clock.NowMs() - quietSince;
        if (quietMs >= gapMs) return;
        m_line.WaitForInput(gapMs - quietMs);
        const LineStatus status = m_line.QueryStatus();
        // A port that cannot report its queue cannot tell silence either.
        if (!status.succeeded) return;
        if (status.lineError) m_line.PurgeInput();
        if (status.lineError || status.queued > 0) {
            DrainInput();
            quietSince = m_clock.NowMs();
        }
    }
}

size_t ModbusExchange::WaitForReply(size_t replyLength, const ExchangeOptions& options) {
    const int32_t baudRate = m_baudRate();
    m_timeoutMs = options.deadlineMs;
    const uint32_t start = m_clock.NowMs();
    size_t received = 0;
    for (;;) {
        uint32_t delivered = 0;
        bool canRead = m_line.IsOpen() && received < kReadBufferSize;
        if (m_line.IsOpen()) {
            const LineStatus status = m_line.QueryStatus();
            // A port that cannot report its queue cannot wake us either.
            canRead = canRead && status.succeeded;
            if (status.succeeded && status.lineError) {
                // Bytes already received stay counted; only the driver's queue goes.
                m_line.PurgeInput();
            } else if (status.succeeded && status.queued > 0) {
                delivered = ReadQueued(received, status.queued);
            }
        }
        if (delivered > 0) {
            received += delivered;
            // Measured from the start of the wait, never from the arrival. A rate
            // of 0 cannot shorten anything: the long deadline stays.
            if (options.shortenDeadline && baudRate > 0) m_timeoutMs = ShortDeadlineMs(baudRate);
        }
        if (received >= replyLength) break;
        const uint32_t elapsed = m_clock.NowMs() - start;
        const uint32_t deadline = static_cast<uint32_t>(std::max(m_timeoutMs, 0));
        if (elapsed >= deadline) break;
        if (delivered > 0) continue;
        // Block rather than spin: the line wakes us when the next byte arrives.
        if (canRead) {
            m_line.WaitForInput(deadline - elapsed);
        } else if (m_line.IsOpen()) {
            m_clock.SleepMs(std::min(deadline - elapsed, kPendingReadWaitMs));
        } else {
            m_clock.SleepMs(deadline - elapsed);
        }
    }
    return received;
}

void ModbusExchange::LogReply(size_t replyLength, const ExchangeOptions& options) {
    const std::string hex = FormatHex(ReadBuffer, replyLength);
    if (options.replyLog == ReplyLog::OneLine) {
        Log("读:" + hex, options.logAtTop);
        return;
    }
    for (const std::string& line : FiveReplyLines(hex)) Log(line, options.logAtTop);
}

ExchangeResult ModbusExchange::Exchange(const RequestFrame& request, size_t replyLength,
                                        const ExchangeOptions& options) {
    if (options.drainFirst) DrainInput();
    if (m_line.IsOpen()) {
        if (options.purgeFirst) m_line.PurgeInput();
        const LineStatus errors = m_line.QueryErrors();
        if (errors.succeeded && errors.lineError) m_line.PurgeOutput();
        m_line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    }
    if (!options.logAtTop) m_log.ClearLog();
    Log("发:" + FormatHex(request.data(), request.size()), options.logAtTop);
    if (replyLength == 0) return ExchangeResult::Ok;

    const size_t received = WaitForReply(replyLength, options);
    m_timeoutMs = kRestingTimeoutMs;
    if (received < replyLength) return ExchangeResult::Timeout;

    LogReply(replyLength, options);
    return VerifyReply(ReadBuffer, replyLength) ? ExchangeResult::Ok : ExchangeResult::CrcError;
}
