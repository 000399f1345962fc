#include "help_text.h"

namespace {

constexpr const char* kOverview = R"(Usage: lumeric-cli PORT COMMAND [ARGUMENTS] [OPTIONS]

The voltage monitoring unit's operations from a command line. PORT is the
serial device: /dev/ttyUSB0 (or a pty) on Linux, COM5 or 5 on Windows.

Commands:
  read                     the four voltages, raw and in volts
  info                     station address, line speed, sampling interval,
                           device name, software version, maker, protocol version
  set address N            give the unit station address N (0-15)
  set baud B               move the unit to line speed B
  set interval N           set the sampling interval (1-250)
  reset                    reset the unit (no reply awaited)
  calibrate CHANNEL POINT  calibrate channel 1-4 at a point of one of its ranges
  scan                     find every unit on the line, at every speed
  poll --addresses LIST    poll a run of units one after the other, as the
                           multi-unit window does

Options:
  --address A   station address of the unit, 0-247 (default 1)
  --baud B      line speed of the port: 1200, 2400, 4800, 9600 (default) or 19200
  --json        read, info, scan: the result as JSON
  --verbose     every frame sent and received, in hexadecimal, on standard error
  --help        this text; after a command, that command's own

)";

constexpr const char* kRead = R"(Usage: lumeric-cli PORT read [--address A] [--baud B] [--scale 0.01|0.001] [--json]

Reads the voltage registers 0x40-0x43 of one unit and shows each channel's raw
count and its value in volts: the count x 0.01 as the console shows it, or,
with --scale 0.001, as the multi-unit table shows it.

)";

constexpr const char* kInfo = R"(Usage: lumeric-cli PORT info [--address A] [--baud B] [--json]

Reads the unit's station address, line speed and sampling interval, then its
device name, software version, maker and protocol version (the unit's texts
are code page 936; they are shown in UTF-8).

)";

constexpr const char* kSet = R"(Usage: lumeric-cli PORT set address N [--address A] [--baud B]
       lumeric-cli PORT set baud B2   [--address A] [--baud B]
       lumeric-cli PORT set interval N [--address A] [--baud B]

Writes one setting of the unit at station A and waits for its echo.
  address N    the new station address, 0-15: the unit answers there afterwards
  baud B2      the new line speed, 1200, 2400, 4800, 9600 or 19200: the unit
               echoes at its old speed and answers at B2 afterwards
  interval N   the new voltage sampling interval, 1-250
A value out of range is refused before anything is sent.

)";

constexpr const char* kReset = R"(Usage: lumeric-cli PORT reset [--address A] [--baud B]

Sends the software reset to the unit at station A. No reply is awaited.

)";

constexpr const char* kCalibrate = R"(Usage: lumeric-cli PORT calibrate CHANNEL POINT [--address A] [--baud B]

Tells the unit to calibrate CHANNEL (1-4) at POINT, named as the console's
button names it, range then calibration voltage:
  3V/0.5V  3V/3V  20V/3V  20V/20V  200V/20V  200V/200V  600V/200V  600V/600V
The right voltage must be on the channel's input. The unit confirms with its
echo once it has calibrated (up to 5 s).

)";

constexpr const char* kScan = R"(Usage: lumeric-cli PORT scan [--addresses LIST] [--bauds LIST] [--json]

Asks every station of LIST (default 1-247) at every speed of LIST (default
1200,2400,4800,9600,19200) for its settings, and lists the units that answer
with their station address, line speed, sampling interval and name. A station
that stays silent costs a short wait chosen from the line speed. On a terminal
a progress line shows how far the scan has come.
  --addresses LIST   stations, e.g. 1-16 or 1,5,9-12
  --bauds LIST       line speeds, e.g. 9600,19200

)";

constexpr const char* kPoll = R"(Usage: lumeric-cli PORT poll --addresses LIST [--baud B] [--period MS] [--count N] [--csv FILE]

Polls the units of LIST one after the other, one every MS milliseconds
(default 500, at least 500), as the multi-unit window does, and prints one
line per poll: its time, the station, and the four voltages in volts (count
x 0.001) or the failure. A silent unit costs about one second.
  --addresses LIST   stations, e.g. 1-16 or 1,5,9-12
  --count N          stop after N passes over the list (default: until stopped)
  --csv FILE         also write every poll to FILE, as the multi-unit records
                     are written (UTF-8 CSV), flushed after each poll

)";

constexpr const char* kExitCodes = R"(Exit codes:
  0  done
  2  the command line is not understood
  3  the port cannot be opened: missing, or held by another program
  4  timeout: no complete reply in time
  5  CRC error: a reply failed its check (a setting: the unit did not confirm it)
  6  a value is out of range
  7  the CSV file cannot be written
)";

}  // namespace

std::string HelpText(const std::string& command) {
    const char* text = kOverview;
    if (command == "read") text = kRead;
    if (command == "info") text = kInfo;
    if (command == "set") text = kSet;
    if (command == "reset") text = kReset;
    if (command == "calibrate") text = kCalibrate;
    if (command == "scan") text = kScan;
    if (command == "poll") text = kPoll;
    return std::string(text) + kExitCodes;
}
