#pragma once
#include <string>

// The program's exit codes. Scripts decide by them, so they never change
// meaning; --help lists them.
enum class ExitCode : int {
    Ok = 0,
    Usage = 2,            // the command line is not understood
    PortUnavailable = 3,  // the port is missing, held by another program, or gone
    Timeout = 4,          // no complete reply in time
    CrcError = 5,         // a reply failed its CRC check
    OutOfRange = 6,       // a value outside what the unit takes
    FileFailed = 7,       // the CSV file or the gateway's spool cannot be written
    BrokerFailed = 8,     // the MQTT broker refused the gateway for good
};

// Why the program stops: its exit code and the one line that says why.
struct CliFailure {
    ExitCode code;
    std::string message;
};
