#include "run_cli.h"

#include <variant>

#include "command_line.h"
#include "commands.h"

namespace {

CommandOutcome RunCommand(CliSession& session) {
    const CliOptions& options = session.options;
    // A scan opens the port at each of its speeds itself.
    if (options.command == Command::Scan) return RunScan(session);
    if (auto failure = session.Open(options.baud)) return failure;
    switch (options.command) {
    case Command::Read: return RunRead(session);
    case Command::Info: return RunInfo(session);
    case Command::SetAddress:
    case Command::SetBaud:
    case Command::SetInterval: return RunSet(session);
    case Command::Reset: return RunReset(session);
    case Command::Calibrate: return RunCalibrate(session);
    case Command::Poll: return RunPoll(session);
    case Command::Scan: break;  // run above, on ports of its own speeds
    }
    return std::nullopt;
}

int Refuse(CliStreams& streams, const CliFailure& failure) {
    streams.Err("lumeric-cli: " + failure.message + "\n");
    return static_cast<int>(failure.code);
}

}  // namespace

int RunCli(const std::vector<std::string>& words, CliEnvironment& environment) {
    const ParsedCommandLine parsed = ParseCommandLine(words);
    if (const auto* shown = std::get_if<TextToShow>(&parsed)) {
        environment.streams.Out(shown->text);
        return static_cast<int>(ExitCode::Ok);
    }
    if (const auto* failure = std::get_if<CliFailure>(&parsed)) return Refuse(environment.streams, *failure);

    CliSession session(environment, std::get<CliOptions>(parsed));
    if (const CommandOutcome outcome = RunCommand(session)) return Refuse(environment.streams, *outcome);
    return static_cast<int>(ExitCode::Ok);
}
