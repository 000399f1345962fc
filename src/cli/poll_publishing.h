#pragma once
#include "commands.h"
#include "poll_sink.h"

// Publishes a line's polls to a message broker while polling it: Linux's
// lumeric-cli has one, the Windows build none.
class PollPublishing {
public:
    virtual ~PollPublishing() = default;
    // Connects, then polls as `poll` does, every poll shown through `shown`
    // and published, until the passes end or the program is told to stop.
    virtual CommandOutcome Run(CliSession& session, PollSink& shown) = 0;
};
