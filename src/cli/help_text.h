#pragma once
// The longer texts of --help: what the option list alone does not say.

namespace help_text {

constexpr const char* kPort = "the serial device: /dev/ttyUSB0 (or a pty) on Linux, COM5 or 5 on Windows";

constexpr const char* kConfig =
    "read options from FILE (TOML: key = value, by the long name without dashes, a command's own "
    "under [poll] etc.); the command line wins";

// Every command takes the options of the program, before or after its name.
constexpr const char* kCommonOptions =
    "\nThe program's options apply here too: --address A (except scan and poll),\n"
    "--baud B (except scan) and --verbose; see lumeric-cli --help.\n";

constexpr const char* kRead =
    "Shows each channel's raw count and its value in volts: the count x 0.01 as the\n"
    "console shows it, or, with --scale 0.001, as the multi-unit table shows it.\n";

constexpr const char* kInfo = "The unit's texts are code page 936; they are shown in UTF-8.\n";

constexpr const char* kSet =
    "Writes one setting of the unit at station A and waits for its echo. A value\n"
    "out of range is refused before anything is sent. After set baud the unit\n"
    "echoes at its old speed and answers at the new one.\n";

constexpr const char* kCalibrate =
    "POINT is named as the console's button names it, range then voltage:\n"
    "  3V/0.5V  3V/3V  20V/3V  20V/20V  200V/20V  200V/200V  600V/200V  600V/600V\n"
    "The right voltage must be on the channel's input. The unit confirms with its\n"
    "echo once it has calibrated (up to 5 s).\n";

constexpr const char* kScan =
    "Without lists every station 1-247 is asked at every speed. A silent station\n"
    "costs a short wait chosen from the line speed. On a terminal a progress line\n"
    "shows how far the scan has come.\n";

constexpr const char* kPoll =
    "Prints one line per poll: its time, the station, and the four voltages in\n"
    "volts (count x 0.001) or the failure. Within a pass the polls follow each\n"
    "other back to back, as fast as the line allows; a silent unit costs about\n"
    "one second. A pass that takes longer than the period is followed at once by\n"
    "the next.\n"
    "\n"
    "With a limit (--low, --high, --spread) each alarm raised or cleared is a line\n"
    "on standard error: \"alarm raised\", the time, the station, the channel and kind\n"
    "(high, low, spread, communication), the value and the limit. Three failed\n"
    "polls in a row, or a port that goes, raise a unit's communication alarm.\n";

#ifdef LUMERIC_MQTT_GATEWAY
constexpr const char* kPollGateway =
    "\nWith --mqtt every poll is also published to PREFIX/<address>/state (QoS 1, JSON,\n"
    "numbered), with the units' availability and Home Assistant discovery; alarms\n"
    "to PREFIX/<address>/event (each raise and clear) and /alarm (retained). Readings\n"
    "the broker has not acknowledged are delivered when it is back, or when it first\n"
    "answers: the gateway polls from the start, broker or not. Without --spool\n"
    "they are kept in memory only, and lost if the program is killed. Ctrl-C,\n"
    "SIGTERM or SIGHUP stops polling, gives them a few seconds, and says \"offline\".\n"
    "With mqtts:// the broker's certificate must be trusted and made for its host.\n";
#else
constexpr const char* kPollGateway =
    "\nPublishing to an MQTT broker (--mqtt) is in the Linux lumeric-cli only; this\n"
    "build leaves it out.\n";
#endif

constexpr const char* kExitCodes =
    "\nExit codes:\n"
    "  0  done\n"
    "  2  the command line is not understood\n"
    "  3  the port cannot be opened (missing, or held by another program) or has gone\n"
    "  4  timeout: no complete reply in time\n"
    "  5  CRC error: a reply failed its check (a setting: the unit did not confirm it)\n"
    "  6  a value is out of range\n"
    "  7  the CSV file or the gateway's spool cannot be written\n"
    "  8  the MQTT broker refused the gateway: user, password, authorisation or\n"
    "     its certificate\n";

}  // namespace help_text
