// One setting of the unit, written as the console writes it: one register,
// the echo awaited and judged by its CRC alone. The values were checked
// against the console's ranges when the command line was read.
#include <string>

#include "commands.h"

CommandOutcome RunSet(CliSession& session) {
    const CliOptions& options = session.options;
    const std::string value = std::to_string(options.value);
    RequestFrame request{};
    std::string done;
    switch (options.command) {
    case Command::SetAddress:
        request = SetStationAddressRequest(options.address, options.value);
        done = "station address set to " + value + "; the unit answers there now\n";
        break;
    case Command::SetBaud:
        // The unit echoes at its old speed, the one the port is open at.
        request = SetLineSpeedRequest(options.address, options.value);
        done = "line speed set to " + value + " bit/s; the unit answers at that speed now\n";
        break;
    default:
        request = SetSampleIntervalRequest(options.address, options.value);
        done = "sampling interval set to " + value + "\n";
        break;
    }
    const ExchangeResult result = session.Exchange(request, kWriteEchoLength);
    if (result != ExchangeResult::Ok) return session.Failure(result, options.address, "setting failed");
    session.Streams().Out(done);
    return std::nullopt;
}
