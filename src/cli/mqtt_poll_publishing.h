#pragma once
#include "poll_publishing.h"

// poll --mqtt on Linux: the gateway over Paho. SIGINT and SIGTERM stop the
// polling; what is pending then gets a few seconds to reach the broker, the
// gateway says "offline" and the program ends normally.
class MqttPollPublishing : public PollPublishing {
public:
    CommandOutcome Run(CliSession& session, PollSink& shown) override;
};
