#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exchange.h"
#include "fakes/recording_log.h"
#include "posix_serial_line.h"
#include "sim_process.h"
#include "steady_clock.h"

// A lumeric-sim on a real pty and the host's end of it: the exchange over a
// PosixSerialLine in real time, as the console runs it.
class SimLineTest : public ::testing::Test {
protected:
    // Starts the sim with `arguments` and opens the host's line at `hostBaud`.
    void StartSim(const std::vector<std::string>& arguments = {}, uint32_t hostBaud = 9600);
    void ReopenAt(uint32_t hostBaud);
    // A button's exchange: drain first, shortened deadline, log cleared.
    // Sets elapsedMs to how long it took.
    ExchangeResult Run(const RequestFrame& request, size_t replyLength, bool drainFirst = true);
    // Writes `request` and gathers whatever comes back within `listenMs`.
    std::vector<uint8_t> Transfer(const RequestFrame& request, uint32_t listenMs);
    uint16_t ReplyRegister(size_t index) const;
    std::vector<uint8_t> Reply(size_t length) const;

    SimProcess sim;
    PosixSerialLine line;
    SteadyClock clock;
    RecordingLog log;
    int32_t baud = 9600;
    ModbusExchange exchange{line, clock, log, [this] { return baud; }};
    uint32_t elapsedMs = 0;
};
