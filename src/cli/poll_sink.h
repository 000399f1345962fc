#pragma once
#include <optional>

#include "exit_code.h"
#include "poll_record.h"

// Takes every poll of a line as it ends: standard output and the record file
// today, any other consumer (a message broker) beside them.
class PollSink {
public:
    virtual ~PollSink() = default;
    // `poll` holds the station, the time the poll ended, its four voltages
    // (none when it failed) and the station's counts so far. A failure
    // returned ends the polling with it.
    virtual std::optional<CliFailure> Polled(const PolledUnit& poll, PollFailure failure) = 0;
    // True once the polling is to end without a failure (a gateway told to
    // stop): it ends after the poll under way, and the waits between passes
    // and for a port to come back end early for it.
    virtual bool StopRequested() const { return false; }
    // The port has gone: no poll is made until it is back (a gateway tells
    // its units unavailable meanwhile; the next good poll brings each back).
    virtual void PortGone() {}
};
