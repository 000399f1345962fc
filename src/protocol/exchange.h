#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "clock.h"
#include "log_sink.h"
#include "modbus_frame.h"
#include "serial_line.h"

enum class ExchangeResult { Ok, Timeout, CrcError };

// How a complete reply is written to the log: one "读:" line, or, for the
// long replies of the device information, the five lines "读1:" to "读5:".
enum class ReplyLog { OneLine, FiveLines };

// How long a reply has to begin, counted from the start of the wait.
constexpr int32_t kReplyDeadlineMs = 5000;

// How one exchange runs. The defaults are those of a button's read: stale
// input drained, deadline shortened once the reply begins, log cleared.
struct ExchangeOptions {
    // Discard whatever is queued before writing.
    bool drainFirst = true;
    // Once reply bytes arrive, the deadline becomes 1920000 / baud ms.
    bool shortenDeadline = true;
    // Keep the log and insert each line at its top instead of clearing it.
    bool logAtTop = false;
    ReplyLog replyLog = ReplyLog::OneLine;
    // The deadline until the first reply byte. The console always waits the
    // full 5000 ms; a program that expects silent stations (a scan of the
    // line, a poll of many units) waits less.
    int32_t deadlineMs = kReplyDeadlineMs;
    // Discard what the port has already received, at once and without
    // reading it, before writing: for a caller on a fixed period that must
    // not spend time draining, yet whose reply must not begin with the tail
    // of an earlier one or with noise.
    bool purgeFirst = false;
};

// One request/response round on the console's port: drain stale input,
// write the request, log it, wait for the reply under the deadline rule,
// log the reply and judge it by its CRC.
class ModbusExchange {
public:
    static constexpr size_t kReadBufferSize = 256;
    static constexpr int32_t kRestingTimeoutMs = kReplyDeadlineMs;
    static constexpr uint32_t kPendingReadWaitMs = 10;
    // A line that never falls silent must not hold the window thread for ever.
    static constexpr uint32_t kDrainLimitMs = 5000;

    // The baud rate is asked for once per exchange, just before the wait,
    // because the console reads it from its combo at that moment.
    using BaudRateSource = std::function<int32_t()>;

    ModbusExchange(SerialLine& line, Clock& clock, LogSink& log, BaudRateSource baudRate);

    // replyLength 0: nothing is awaited and the result is Ok at once.
    // replyLength is at most kReadBufferSize.
    ExchangeResult Exchange(const RequestFrame& request, size_t replyLength, const ExchangeOptions& options);
    // Reads and discards whatever is queued on the line.
    void DrainInput();
    // Waits until the line has been quiet for the gap that ends a frame (3.5
    // characters at the speed shown), discarding what arrives meanwhile; at
    // most for the drain limit. A unit may still be sending past the reply
    // awaited, and a request written into that would have its reply begin
    // with those bytes.
    void AwaitSilence();

    // After Ok, the reply is the first replyLength bytes.
    const uint8_t* Reply() const { return ReadBuffer; }
    int32_t TimeoutMs() const { return m_timeoutMs; }

private:
    size_t WaitForReply(size_t replyLength, const ExchangeOptions& options);
    uint32_t ReadQueued(size_t offset, uint32_t queued);
    void Log(const std::string& line, bool logAtTop);
    void LogReply(size_t replyLength, const ExchangeOptions& options);

    SerialLine& m_line;
    Clock& m_clock;
    LogSink& m_log;
    BaudRateSource m_baudRate;
    uint8_t ReadBuffer[kReadBufferSize] = {};
    int32_t m_timeoutMs = kRestingTimeoutMs;
};
