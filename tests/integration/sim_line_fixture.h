#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exchange.h"
#include "fakes/frames.h"
#include "fakes/recording_log.h"
#include "posix_serial_line.h"
#include "register_map.h"
#include "sim_process.h"
#include "steady_clock.h"

// A lumeric-sim on a real pty and the host's end of it: the exchange over a
// PosixSerialLine in real time, as the console runs it.
class SimLineTest : public ::testing::Test {
protected:
    // Starts the sim with `arguments` and opens the host's line at `hostBaud`.
    void StartSim(const std::vector<std::string>& arguments = {}, uint32_t hostBaud = 9600) {
        ASSERT_TRUE(sim.Start(arguments)) << "lumeric-sim did not start";
        ASSERT_TRUE(line.Open(sim.PtyPath(), hostBaud)) << sim.PtyPath();
        baud = static_cast<int32_t>(hostBaud);
    }
    // A button's exchange: drain first, shortened deadline, log cleared.
    // Sets elapsedMs to how long it took.
    ExchangeResult Run(const RequestFrame& request, size_t replyLength) {
        const uint32_t start = clock.NowMs();
        const ExchangeResult result = exchange.Exchange(request, replyLength, ExchangeOptions{});
        elapsedMs = clock.NowMs() - start;
        return result;
    }
    // Writes `request` and gathers what comes back: `expected` bytes, waited
    // for as long as a busy machine may need, or with none expected whatever
    // comes within 200 ms. elapsedMs is when the last byte came.
    std::vector<uint8_t> Transfer(const RequestFrame& request, size_t expected = 0) {
        const uint32_t listenMs = expected == 0 ? 200 : 3000;
        line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
        std::vector<uint8_t> received;
        const uint32_t start = clock.NowMs();
        elapsedMs = 0;
        const auto waiting = [&](uint32_t elapsed) {
            return elapsed < listenMs && (expected == 0 || received.size() < expected);
        };
        for (uint32_t elapsed = 0; waiting(elapsed); elapsed = clock.NowMs() - start) {
            line.WaitForInput(listenMs - elapsed);
            uint8_t chunk[64];
            const uint32_t count = line.Read(chunk, sizeof chunk, 0).count;
            if (count > 0) elapsedMs = clock.NowMs() - start;
            received.insert(received.end(), chunk, chunk + count);
        }
        return received;
    }

    SimProcess sim;
    PosixSerialLine line;
    SteadyClock clock;
    RecordingLog log;
    int32_t baud = 9600;
    ModbusExchange exchange{line, clock, log, [this] { return baud; }};
    uint32_t elapsedMs = 0;
};
