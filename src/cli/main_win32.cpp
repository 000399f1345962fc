// lumeric-cli.exe: the port is COM n, the unit's texts are decoded as code
// page 936 by Windows itself. The command line is taken in UTF-16, so a CSV
// path in any script survives.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "run_cli.h"
#include "tick_clock.h"
#include "win32_cli_port.h"
#include "win32_cli_streams.h"
#include "win32_cp936_decoder.h"
#include "win32_utf16.h"
#include "win32_record_io.h"

namespace {

std::vector<std::string> CommandLineWords() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> utf8;
    // The first word is the program's own name.
    for (int i = 1; words != nullptr && i < count; ++i) utf8.push_back(Utf8FromWide(words[i]));
    LocalFree(words);
    return utf8;
}

}  // namespace

int main() {
    Win32CliPort port;
    TickClock clock;
    Win32Cp936Decoder unitText;
    Win32CliStreams streams;
    Win32LocalClock localClock;
    Win32OutputFile recordFile;
    CliEnvironment environment{port, clock, unitText, streams, localClock, recordFile};
    return RunCli(CommandLineWords(), environment);
}
