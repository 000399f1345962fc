#pragma once
#include "clock.h"
#include "cli_port.h"
#include "cli_streams.h"
#include "cp936_decoder.h"
#include "record_io.h"

// What the commands run on, provided by each platform's main and by the tests.
struct CliEnvironment {
    CliPort& port;
    Clock& clock;
    Cp936Decoder& unitText;
    CliStreams& streams;
    // A poll's time stamps and its record file.
    LocalClock& localClock;
    OutputFile& recordFile;
};
