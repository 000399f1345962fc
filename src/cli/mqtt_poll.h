#pragma once
// poll --mqtt, on Linux: the gateway over Paho.
#include <optional>

#include "commands.h"
#include "poll_sink.h"

// Refuses a gateway option given without --mqtt, or one that cannot work,
// before anything is opened.
std::optional<CliFailure> CheckGatewayOptions(const CliOptions& options);

// Connects to the broker (a refusal ends the command before any poll), then
// polls as `poll` does, every poll shown through `shown` and published.
// SIGINT and SIGTERM stop the polling; what is pending then gets a few
// seconds to reach the broker, the gateway says "offline" and the command
// ends normally.
CommandOutcome RunMqttPoll(CliSession& session, PollSink& shown);
