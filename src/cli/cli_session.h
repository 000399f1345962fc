#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "cli_environment.h"
#include "cli_options.h"
#include "cli_results.h"
#include "exchange.h"
#include "exit_code.h"
#include "register_map.h"

// One run of a command on the port named on the command line: the console's
// own exchange (drain, deadline rule, CRC check) over that port, at the
// speed it was last opened at. With --verbose every frame goes to standard
// error as the console logs it.
class CliSession {
public:
    CliSession(CliEnvironment& environment, const CliOptions& options);
    // The exchange asks this object for the speed: a copy would ask the original.
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Opens the port at `baudRate`, or moves it there; why not, when it cannot.
    std::optional<CliFailure> Open(uint32_t baudRate);
    void ClosePort() { m_environment.port.Close(); }
    // The defaults are a console button's: drain first, deadline shortened
    // once the reply begins. On a port that has gone nothing is sent, and the
    // result is a time-out.
    ExchangeResult Exchange(const RequestFrame& request, size_t replyLength,
                            const ExchangeOptions& exchangeOptions = ExchangeOptions{});
    // Until the line has been quiet for 3.5 characters, so that a request is
    // not written into the tail of an answer still coming.
    void AwaitSilence() { m_exchange.AwaitSilence(); }
    // The port went from under us (unplugged): distinct from a silent unit.
    bool PortGone() const { return m_environment.port.Line().Gone(); }
    CliFailure GoneFailure() const;
    // The unit's information as the console reads it: its settings, then,
    // once the line is quiet, its four texts. Ok only when both came whole.
    ExchangeResult ReadInfo(uint8_t address, DeviceInfo& info,
                            const ExchangeOptions& exchangeOptions = ExchangeOptions{});
    // After Ok: the reply, and one of its identity texts in UTF-8.
    const uint8_t* Reply() const { return m_exchange.Reply(); }
    std::string ReplyText(TextField field);
    // What a failed exchange with `address` tells, after `what` ("setting
    // failed", ...; empty for a read), and its exit code; the port's loss
    // rather than a time-out when it has gone.
    CliFailure Failure(ExchangeResult result, uint8_t address, const std::string& what = "") const;

    CliStreams& Streams() { return m_environment.streams; }
    Clock& TheClock() { return m_environment.clock; }
    LocalTime Now() { return m_environment.localClock.Now(); }
    OutputFile& RecordFile() { return m_environment.recordFile; }
    const CliOptions& options;

private:
    // The exchange's log: frames to standard error with --verbose, else nowhere.
    class FrameLog : public LogSink {
    public:
        FrameLog(CliStreams& streams, bool shown) : m_streams(streams), m_shown(shown) {}
        void ClearLog() override {}
        void AddLogLine(const std::string& text) override { Show(text); }
        void InsertLogLineAtTop(const std::string& text) override { Show(text); }

    private:
        void Show(const std::string& text) {
            if (m_shown) m_streams.Err(text + "\n");
        }
        CliStreams& m_streams;
        bool m_shown;
    };

    CliEnvironment& m_environment;
    FrameLog m_log;
    uint32_t m_baudRate = 0;
    ModbusExchange m_exchange;
};
