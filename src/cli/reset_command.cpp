// The software reset: sent, and nothing awaited, as the console sends it.
#include <string>

#include "commands.h"

CommandOutcome RunReset(CliSession& session) {
    const uint8_t address = session.options.address;
    session.Exchange(SoftwareResetRequest(address), 0);
    if (session.PortGone()) return session.GoneFailure();
    session.Streams().Out("reset sent to station " + std::to_string(address) + "\n");
    return std::nullopt;
}
