// lumeric-cli on Linux: the port is a terminal device, the unit's texts are
// decoded with iconv.
#include <string>
#include <vector>

#include "iconv_cp936_decoder.h"
#include "posix_cli_port.h"
#include "posix_cli_streams.h"
#include "posix_record_io.h"
#include "run_cli.h"
#include "steady_clock.h"

int main(int argc, char** argv) {
    PosixCliPort port;
    SteadyClock clock;
    IconvCp936Decoder unitText;
    PosixCliStreams streams;
    PosixLocalClock localClock;
    PosixOutputFile recordFile;
    CliEnvironment environment{port, clock, unitText, streams, localClock, recordFile};
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), environment);
}
