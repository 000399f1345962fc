#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "alarm_limits.h"
#include "gateway_options.h"
#include "voltage_scale.h"

enum class Command { Read, Info, SetAddress, SetBaud, SetInterval, Reset, Calibrate, Scan, Poll };

// A command line once understood and checked: every value in it is one the
// unit takes, so nothing here can put a bad request on the wire.
struct CliOptions {
    Command command = Command::Read;
    std::string port;
    uint8_t address = 1;
    uint32_t baud = 9600;
    bool json = false;
    bool verbose = false;  // every frame on standard error
    VoltageScale scale = kConsoleScale;
    uint16_t value = 0;   // the new setting of `set`
    uint8_t channel = 0;  // calibrate: channel 1 to 4 and the point's code
    uint8_t pointCode = 0;
    std::vector<uint8_t> addresses;  // scan, poll
    std::vector<uint32_t> bauds;     // scan
    uint32_t periodMs = 500;         // poll: from the start of one poll to the next
    uint32_t passes = 0;             // poll: passes over the addresses; 0 until stopped
    std::string csvPath;             // poll: the record file, if any
    AlarmLimits alarms;              // poll: watched when AnyLimit()
    GatewayOptions gateway;          // poll --mqtt, on Linux
};
