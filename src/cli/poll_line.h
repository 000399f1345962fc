#pragma once
#include "cli_session.h"
#include "poll_sink.h"

// Polls the stations of --addresses, pass after pass, as fast as the line
// allows: within a pass each request follows the previous reply (or the end
// of its wait) after the silence that ends a frame; a pass begins --period
// after the one before began, or at once when that one took longer. Each
// poll goes to `sink`. A port that goes away is reopened (see the .cpp).
std::optional<CliFailure> PollLine(CliSession& session, PollSink& sink);
