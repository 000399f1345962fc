#pragma once
// The commands, one file each. Each runs on a session whose port is open at
// --baud (a scan opens it itself, at each of its speeds), writes its result
// on standard output and returns why it failed, if it did.
#include <optional>

#include "cli_session.h"
#include "exit_code.h"

using CommandOutcome = std::optional<CliFailure>;

CommandOutcome RunRead(CliSession& session);
CommandOutcome RunInfo(CliSession& session);
// set address, set baud, set interval.
CommandOutcome RunSet(CliSession& session);
CommandOutcome RunReset(CliSession& session);
CommandOutcome RunCalibrate(CliSession& session);
CommandOutcome RunScan(CliSession& session);
CommandOutcome RunPoll(CliSession& session);
