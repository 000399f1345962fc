#include "poll_line.h"

#include <algorithm>
#include <string>
#include <vector>

#include "unit_reply.h"

namespace {

// A port that has gone is tried again this often, on the same path at the
// same settings: an adapter plugged back in is polled again without anyone
// restarting the program.
constexpr uint32_t kReopenEveryMs = 2000;
// A poll with a count must end some day: a port away this long ends it.
constexpr uint32_t kGoneLimitMs = 30000;
// How often a wait between passes looks whether the polling is to stop.
constexpr uint32_t kStopCheckMs = 100;

// As the multi-unit cycle waits: the whole reply within a second, however it
// comes; only the CRC judges it.
ExchangeOptions PollExchange() {
    ExchangeOptions poll;
    poll.shortenDeadline = false;
    poll.deadlineMs = static_cast<int32_t>(kUnitReplyWaitMs);
    return poll;
}

PollFailure FailureOf(ExchangeResult result) {
    switch (result) {
    case ExchangeResult::Ok: return PollFailure::None;
    case ExchangeResult::CrcError: return PollFailure::CrcError;
    case ExchangeResult::Timeout: break;
    }
    return PollFailure::Timeout;
}

// Waits out the rest of the period of the pass begun at `passStartMs`, then
// begins the next. A pass longer than the period is followed at once: passes
// are not made up.
void NextPass(Clock& clock, uint32_t periodMs, uint32_t& passStartMs, const PollSink& sink) {
    const uint32_t elapsed = clock.NowMs() - passStartMs;
    // In slices, so that a stop does not wait out a long period.
    for (uint32_t left = elapsed < periodMs ? periodMs - elapsed : 0; left > 0 && !sink.StopRequested();) {
        const uint32_t slice = std::min(left, kStopCheckMs);
        clock.SleepMs(slice);
        left -= slice;
    }
    passStartMs = elapsed < periodMs ? passStartMs + periodMs : clock.NowMs();
}

// Said once on standard error; the polls that cannot be made meanwhile are
// not shown as failures: no station failed, the port did.
std::optional<CliFailure> AwaitPortBack(CliSession& session, const PollSink& sink) {
    const CliOptions& options = session.options;
    Clock& clock = session.TheClock();
    session.Streams().Err("lumeric-cli: " + options.port + " is gone; trying to reopen it every " +
                          std::to_string(kReopenEveryMs / 1000) + " s\n");
    session.ClosePort();
    const uint32_t goneSinceMs = clock.NowMs();
    for (;;) {
        clock.SleepMs(kReopenEveryMs);
        if (sink.StopRequested()) return std::nullopt;
        if (!session.Open(options.baud)) {
            session.Streams().Err("lumeric-cli: " + options.port + " is back\n");
            return std::nullopt;
        }
        // Polling until stopped waits as long as it takes, as a gateway must.
        if (options.passes != 0 && clock.NowMs() - goneSinceMs >= kGoneLimitMs) {
            return CliFailure{ExitCode::PortUnavailable, options.port + " has been gone for more than " +
                                                             std::to_string(kGoneLimitMs / 1000) + " s"};
        }
    }
}

}  // namespace

std::optional<CliFailure> PollLine(CliSession& session, PollSink& sink) {
    const CliOptions& options = session.options;
    Clock& clock = session.TheClock();
    // Counts per place in the list, as the table keeps them per row.
    std::vector<PolledUnit> units(options.addresses.size());
    uint32_t passStartMs = clock.NowMs();
    for (uint32_t pass = 0; options.passes == 0 || pass < options.passes; ++pass) {
        if (pass > 0) NextPass(clock, options.periodMs, passStartMs, sink);
        for (size_t i = 0; i < units.size(); ++i) {
            const uint8_t address = options.addresses[i];
            ExchangeResult result;
            for (;;) {
                session.AwaitSilence();
                result = session.Exchange(ReadFourVoltagesRequest(address), kFourVoltagesReplyLength, PollExchange());
                if (!session.PortGone()) break;
                sink.PortGone();
                if (auto failure = AwaitPortBack(session, sink)) return failure;
                if (sink.StopRequested()) return std::nullopt;
            }
            PolledUnit& unit = units[i];
            unit.address = address;
            unit.time = session.Now();
            unit.volts.reset();
            if (result == ExchangeResult::Ok) unit.volts = FourVolts(session.Reply());
            ++(unit.volts ? unit.okCount : unit.failCount);
            if (auto failure = sink.Polled(unit, FailureOf(result))) return failure;
            if (sink.StopRequested()) return std::nullopt;
        }
    }
    return std::nullopt;
}
