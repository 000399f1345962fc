// PosixSerialLine against a live pty: the read contract and the blocking wait
// the exchange relies on to stay off the CPU.
#include <gtest/gtest.h>

#include <algorithm>

#include "register_map.h"
#include "sim_line_fixture.h"

using PosixSerialLineTest = SimLineTest;

TEST_F(PosixSerialLineTest, ReadTakesQueuedBytesButNeverMoreThanAsked) {
    StartSim();
    const RequestFrame request = ReadFourVoltagesRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    clock.SleepMs(100);
    ASSERT_EQ(line.QueryStatus().queued, kFourVoltagesReplyLength);

    uint8_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    const ReadResult first = line.Read(buffer, 4, 10);
    EXPECT_FALSE(first.failed);
    EXPECT_EQ(first.count, 4u);
    EXPECT_TRUE(std::all_of(buffer + 4, std::end(buffer), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(line.QueryStatus().queued, kFourVoltagesReplyLength - 4);

    EXPECT_EQ(line.Read(buffer, sizeof buffer, 10).count, kFourVoltagesReplyLength - 4);
    const ReadResult empty = line.Read(buffer, sizeof buffer, 10);
    EXPECT_FALSE(empty.failed);
    EXPECT_EQ(empty.count, 0u);
}

TEST_F(PosixSerialLineTest, WaitForInputSleepsUntilBytesOrTimeout) {
    StartSim();
    uint32_t start = clock.NowMs();
    line.WaitForInput(100);
    EXPECT_GE(clock.NowMs() - start, 100u);

    const RequestFrame request = ReadVoltageRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    start = clock.NowMs();
    line.WaitForInput(2000);
    EXPECT_LT(clock.NowMs() - start, 100u);
    EXPECT_GT(line.QueryStatus().queued, 0u);
}

TEST_F(PosixSerialLineTest, WaitOnAHungUpLineStillWaitsInsteadOfSpinning) {
    StartSim();
    sim.Stop();
    const uint32_t start = clock.NowMs();
    line.WaitForInput(200);
    EXPECT_GE(clock.NowMs() - start, 200u);
}

TEST_F(PosixSerialLineTest, PurgeInputDropsQueuedBytes) {
    StartSim();
    const RequestFrame request = ReadVoltageRequest(1);
    line.StartWrite(request.data(), static_cast<uint32_t>(request.size()));
    clock.SleepMs(50);
    ASSERT_EQ(line.QueryStatus().queued, kVoltageReplyLength);
    line.PurgeInput();
    EXPECT_EQ(line.QueryStatus().queued, 0u);
}

TEST_F(PosixSerialLineTest, RefusesUnknownSpeedsAndMissingDevices) {
    StartSim();
    EXPECT_FALSE(line.Open(sim.PtyPath(), 1234));
    EXPECT_FALSE(line.IsOpen());
    EXPECT_FALSE(line.Open("/dev/no-such-port", 9600));
    EXPECT_TRUE(line.Read(nullptr, 0, 0).failed);
    EXPECT_FALSE(line.QueryStatus().succeeded);
}
